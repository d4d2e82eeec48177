// Records of the disk driver DBFCDX: reading and writing fields (one at a time or a whole
// record, every value checked before anything is written), append, delete and recall,
// record and file locks, commit, pack and zap.
#include <cmath>
#include <cstdio>

#include "Error.h"
#include "TableLayer.h"
#include "Text.h"
#include "dbfCdxArea.h"

namespace dbfcdx {

namespace {

uint64_t recordByte(long rec) {
    return kHeaderLock - uint64_t(rec);
}

// Checks that `v` can be stored in `f` exactly as the codec will store it: numbers are
// formatted with the field's decimals and must fit its length.
bool checkValue(const FieldDesc& f, const Value& v, const std::string& file) {
    bool number = f.type == 'N' || f.type == 'F';
    bool typeOk = v.type() == f.type || (f.type == 'M' && v.type() == 'C') || (number && v.type() == 'N');
    if (!typeOk) {
        raise(EG_DATATYPE, 1020, errorDescription(EG_DATATYPE) + " (field " + f.name + ")", file,
              true);
        return false;
    }
    if (!number) return true;
    std::string s = text::fieldNumber(v.num(), f.dec);
    if (s.empty() || int(s.size()) > f.len) {
        raise(EG_DATAWIDTH, 1021, errorDescription(EG_DATAWIDTH) + " (field " + f.name + ")", file,
              true);
        return false;
    }
    return true;
}

bool writeAllowed(DbfCdxArea& s, bool withFlags) {
    if (!s.readOnly) return true;
    if (withFlags) NETERR(true);
    raise(EG_READONLY, 1025, errorDescription(EG_READONLY), s.given, withFlags, withFlags);
    return false;
}

bool lockedHere(DbfCdxArea& s) {
    return !s.shared || s.fileLocked || s.locks.count(s.recNo);
}

bool requireLock(DbfCdxArea& s) {
    if (lockedHere(s)) return true;
    raise(EG_UNLOCKED, 1022, errorDescription(EG_UNLOCKED), s.given, false);
    return false;
}

// Holds the memo file's lock while a shared area stores memo blocks, so that two areas
// never take the same free block; the codec is rebuilt under it to re-read the free block.
class MemoGuard {
  public:
    MemoGuard(DbfCdxArea& s, bool needed) : s_(s) {
        if (!needed || !s.shared || !s.memoFile) return;
        held_ = s.memoFile->lockBriefly(kHeaderLock, 1, TableFile::Lock::Write);
        ok_ = held_ && reload(s, true);
    }
    ~MemoGuard() {
        if (held_) s_.memoFile->unlock(kHeaderLock, 1);
    }
    bool ok() const { return ok_; }

  private:
    DbfCdxArea& s_;
    bool held_ = false;
    bool ok_ = true;
};

bool writesMemo(const Structure& st, int firstField, const std::vector<Value>& values) {
    for (size_t i = 0; i < values.size(); ++i) {
        size_t at = size_t(firstField - 1) + i;
        if (!values[i].isNil() && at < st.size() && st[at].type == 'M') return true;
    }
    return false;
}

// Brings the tags up to date after a change of the current record, given its keys from
// before. When the new keys cannot be made, the caller's transaction, left uncommitted,
// puts the record back as it was.
bool followChange(DbfCdxArea& s, const KeySet& before) {
    if (!s.index) return true;
    KeySet after;
    return currentKeys(s, &after) && updateTags(s, s.recNo, before, after);
}

// The keys of the current record before a change; false when the tags cannot follow it.
bool keysBefore(DbfCdxArea& s, KeySet* before) {
    return tagsMaintainable(s) && currentKeys(s, before);
}

// Writes `values` (NIL: unchanged) into the current record and re-reads it.
bool store(DbfCdxArea& s, int firstField, const std::vector<Value>& values) {
    KeySet before;
    if (!keysBefore(s, &before)) return false;
    // Taken before the record changes, so that a busy index never leaves it behind.
    IndexLock indexLock(s, true);
    if (!indexLock.ok()) return false;
    std::vector<Value> old = recordValues(s);
    std::vector<Value> row(s.fields.size());
    for (size_t i = 0; i < values.size() && size_t(firstField - 1) + i < row.size(); ++i)
        row[size_t(firstField - 1) + i] = values[i];
    MemoGuard guard(s, writesMemo(s.fields, firstField, values));
    if (!guard.ok()) {
        raise(EG_LOCK, 1038, errorDescription(EG_LOCK) + " (memo file)", s.given, true, true);
        return false;
    }
    Transaction change(s);
    if (!change.ok()) return false;
    s.dirty = true;
    Status st = s.table->write(uint32_t(s.recNo), row);
    if (!st.ok()) {
        raiseStatus(st, true, s.given);
        return false;
    }
    goToRecord(s, s.recNo);
    return followChange(s, before) && change.commit();
}

bool setDeleted(Area& a, bool deleted) {
    DbfCdxArea& s = state(a);
    if (!writeAllowed(s, false)) return false;
    if (s.atEnd()) return true;
    if (!requireLock(s)) return false;
    KeySet before;
    if (!keysBefore(s, &before)) return false;
    IndexLock indexLock(s, true);
    if (!indexLock.ok()) return false;
    Transaction change(s);
    if (!change.ok()) return false;
    s.dirty = true;
    Status st = s.table->setDeleted(uint32_t(s.recNo), deleted);
    if (!st.ok()) {
        raiseStatus(st, true, s.given);
        return false;
    }
    s.deleted = deleted;
    return followChange(s, before) && change.commit();
}

}  // namespace

bool DC_GETVALUE(Area& a, int field, Value& out) {
    DbfCdxArea& s = state(a);
    if (field < 1 || field > int(s.fields.size())) return false;
    out = fieldValue(s, field);
    return true;
}

bool DC_PUTVALUE(Area& a, int field, const Value& v) {
    return DC_PUTREC(a, field, std::vector<Value>{v});
}

bool DC_PUTREC(Area& a, int firstField, const std::vector<Value>& values) {
    DbfCdxArea& s = state(a);
    for (size_t i = 0; i < values.size(); ++i) {
        if (values[i].isNil()) continue;
        int field = firstField + int(i);
        if (field < 1 || field > int(s.fields.size())) return false;
        if (!checkValue(s.fields[size_t(field - 1)], values[i], s.given)) return false;
    }
    if (s.atEnd()) return true;
    if (!writeAllowed(s, false) || !requireLock(s)) return false;
    return store(s, firstField, values);
}

bool DC_DELETE(Area& a) {
    return setDeleted(a, true);
}
bool DC_RECALL(Area& a) {
    return setDeleted(a, false);
}
bool DC_DELETED(Area& a, bool& out) {
    DbfCdxArea& s = state(a);
    out = !s.atEnd() && s.deleted;
    return true;
}

bool DC_APPEND(Area& a, bool unlockAll) {
    DbfCdxArea& s = state(a);
    if (!writeAllowed(s, true) || !tagsMaintainable(s)) return false;
    IndexLock indexLock(s, true);
    if (!indexLock.ok()) return false;
    if (s.shared && unlockAll) DC_UNLOCK(a, 0);
    // The header lock serialises appends (others hold it briefly, unless they hold the file
    // lock); a file lock of our own already covers it.
    bool header = s.shared && !s.fileLocked;
    if (header && !s.file->lockBriefly(kHeaderLock, 1, TableFile::Lock::Write)) {
        NETERR(true);
        return false;
    }
    // Held until the new record and its keys are on the disk, so that the next appender
    // reads the new count.
    struct HeaderLock {
        DbfCdxArea& s;
        bool held;
        ~HeaderLock() {
            if (held) s.file->unlock(kHeaderLock, 1);
        }
    } headerLock{s, header};
    bool ok = !s.shared || reload(s, false);
    long rec = s.count() + 1;
    bool recordLock = ok && s.shared && !s.fileLocked;
    if (recordLock && !s.file->lock(recordByte(rec), 1, TableFile::Lock::Write)) {
        ok = false;
        NETERR(true);
    }
    uint32_t added = 0;
    if (ok) {
        Transaction change(s);
        ok = change.ok();
        if (ok) {
            s.dirty = true;
            Status st = s.table->append(std::vector<Value>(s.fields.size()), &added);
            if (!st.ok()) raiseStatus(st, true, s.given);
            ok = st.ok();
        }
        if (ok) {
            goToRecord(s, long(added));
            // A new record has no entries yet; when its keys cannot be made it is not added.
            KeySet none(s.index ? s.index->tags.size() : 0);
            ok = followChange(s, none) && change.commit();
        }
        if (!ok && recordLock) s.file->unlock(recordByte(rec), 1);
    }
    if (!ok) {
        if (added) goToEof(s);
        return false;
    }
    if (recordLock) s.locks.insert(long(added));
    NETERR(false);
    return true;
}

bool DC_LOCK(Area& a, LockInfo& li) {
    DbfCdxArea& s = state(a);
    li.result = false;
    if (li.file) {
        if (!s.shared || s.fileLocked) {
            li.result = true;
            return true;
        }
        // Our own record locks merge into the file lock's range.
        if (s.file->lock(s.fileLockStart(), s.fileLockLength(), TableFile::Lock::Write)) {
            s.fileLocked = true;
            s.locks.clear();
            li.result = true;
        }
        return true;
    }
    long rec = li.record > 0 ? li.record : s.recNo;
    if (li.record > 0) {
        refreshCount(s);
        if (rec > s.count()) return true;
    } else if (s.atEnd()) {
        li.result = true;
        return true;
    }
    if (!s.shared || s.fileLocked || s.locks.count(rec)) {
        li.result = true;
        return true;
    }
    if (s.file->lock(recordByte(rec), 1, TableFile::Lock::Write)) {
        s.locks.insert(rec);
        li.result = true;
        // Another area may have changed the record while it held the lock.
        if (rec == s.recNo && !s.eof) goToRecord(s, rec);
    }
    return true;
}

bool DC_UNLOCK(Area& a, long rec) {
    DbfCdxArea& s = state(a);
    if (!s.file) return true;
    if (rec == 0 && s.fileLocked) {
        s.file->unlock(s.fileLockStart(), s.fileLockLength());
        s.fileLocked = false;
    }
    for (auto it = s.locks.begin(); it != s.locks.end();) {
        if (rec == 0 || *it == rec) {
            if (!s.fileLocked) s.file->unlock(recordByte(*it), 1);
            it = s.locks.erase(it);
        } else {
            ++it;
        }
    }
    return true;
}

bool commitTable(DbfCdxArea& s, bool closing) {
    if (s.readOnly || !s.table) return true;
    // The header count is rewritten: under the header lock and from a fresh count. A closing
    // area whose appends already wrote the count does not wait for the lock: it only syncs.
    bool header = s.shared && !s.fileLocked;
    if (header && closing && !s.file->lock(kHeaderLock, 1, TableFile::Lock::Write)) {
        s.dirty = false;
        return s.file->sync().ok();
    }
    if (header && !closing && !s.file->lockBriefly(kHeaderLock, 1, TableFile::Lock::Write)) {
        raise(EG_LOCK, 1038, errorDescription(EG_LOCK) + " (table header)", s.given, true);
        return false;
    }
    bool ok = !s.shared || reload(s, false);
    if (ok) {
        Status st = s.table->commit();
        s.dirty = false;
        if (!st.ok()) {
            raiseStatus(st, true, s.given);
            ok = false;
        }
    }
    if (header) s.file->unlock(kHeaderLock, 1);
    return ok;
}

bool DC_FLUSH(Area& a) {
    DbfCdxArea& s = state(a);
    return commitTable(s, false) && syncIndex(s);
}

}  // namespace dbfcdx
