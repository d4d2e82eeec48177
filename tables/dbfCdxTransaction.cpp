// Changes of a DBFCDX work area as transactions over its table, memo and index files, and
// the recovery of a journal left behind by a writer that stopped.
#include "Error.h"
#include "TableLayer.h"
#include "dbfCdxArea.h"
#include "dbfCdxJournal.h"

namespace dbfcdx {

namespace {

std::vector<TableFile*> changeFiles(DbfCdxArea& s) {
    // The index first: another copy notices a change of it by its change counter, which is
    // among the first bytes written, and then looks for a journal to apply.
    std::vector<TableFile*> files;
    if (s.index) files.push_back(s.index->file.get());
    if (s.memoFile) files.push_back(s.memoFile.get());
    if (s.file) files.push_back(s.file.get());
    return files;
}

// Reads the files again after held writes were dropped or a journal was applied.
void rereadFiles(DbfCdxArea& s) {
    ScopedErrorHandler quiet([](const ErrorRecord&) { return ErrorAction::Default; });
    try {
        if (!reload(s, true)) return;
        if (s.index) reloadTags(s);
        s.cursor.reset();
        if (!s.eof) goToRecord(s, s.recNo);
    } catch (const ErrorException&) {
    }
}

// The commit lock needs a descriptor open for writing; a read-only area takes it through
// one of its own.
class CommitLock {
  public:
    explicit CommitLock(DbfCdxArea& s) {
        file_ = s.file;
        if (!file_->writable()) {
            int err = 0;
            file_ = TableFile::open(s.path, false, false, &err);
        }
        held_ = file_ && file_->lockBriefly(kCommitLock, 1, TableFile::Lock::Write);
    }
    ~CommitLock() {
        if (held_) file_->unlock(kCommitLock, 1);
    }
    bool held() const { return held_; }

  private:
    std::shared_ptr<TableFile> file_;
    bool held_ = false;
};

}  // namespace

bool recoverIfNeeded(DbfCdxArea& s) {
    std::string journal = journalPath(s.path);
    if (!posixio::exists(journal)) return true;
    CommitLock lock(s);
    if (!lock.held()) {
        raise(EG_LOCK, 1038, errorDescription(EG_LOCK) + " (an unfinished change is being written)",
              s.given, true, true);
        return false;
    }
    Status st = recoverJournal(journal);
    if (!st.ok()) {
        raiseStatus(st, true, s.given);
        return false;
    }
    if (s.table) rereadFiles(s);
    return true;
}

Transaction::Transaction(DbfCdxArea& s) : s_(s), outer_(s.changeDepth++ == 0) {
    if (!outer_) return;
    // Another copy may have stopped in the middle of a change that this one would build on.
    if (s.shared) ok_ = recoverIfNeeded(s);
    for (TableFile* f : changeFiles(s)) f->hold();
}

Transaction::~Transaction() {
    if (outer_ && !done_) drop();
    --s_.changeDepth;
}

void Transaction::drop() {
    bool held = false;
    for (TableFile* f : changeFiles(s_)) {
        held = held || (f->held() && !f->held()->ranges.empty());
        f->dropHeld();
    }
    if (held) rereadFiles(s_);
}

bool Transaction::commit() {
    if (!outer_) return true;
    done_ = true;
    if (!ok_) {
        drop();
        return false;
    }
    std::vector<TableFile*> files = changeFiles(s_);
    bool changed = false;
    for (TableFile* f : files) changed = changed || (f->held() && !f->held()->ranges.empty());
    if (!changed) {
        drop();
        return true;
    }
    CommitLock lock(s_);
    if (!lock.held()) {
        drop();
        raise(EG_LOCK, 1038, errorDescription(EG_LOCK) + " (commit)", s_.given, true, true);
        return false;
    }
    Status st = commitHeld(journalPath(s_.path), files, s_.index ? s_.index->file.get() : nullptr);
    if (!st.ok()) {
        rereadFiles(s_);
        raiseStatus(st, true, s_.given);
        return false;
    }
    if (s_.index) s_.index->unsynced = false;  // flushed with the change
    return true;
}

}  // namespace dbfcdx
