// Pack and zap of the disk driver DBFCDX; both need the table open exclusively.
#include <cstdio>

#include "Error.h"
#include "TableLayer.h"
#include "dbfCdxArea.h"

namespace dbfcdx {

namespace {

bool writable(DbfCdxArea& s) {
    if (!s.readOnly) return true;
    raise(EG_READONLY, 1025, errorDescription(EG_READONLY), s.given, false);
    return false;
}

// Replaces the table file's bytes with `bytes`. They go to a side file first (synced), so a
// failure while the table is rewritten leaves a complete copy beside it.
Status rewrite(DbfCdxArea& s, const std::string& bytes) {
    std::string side = s.path + ".pack~";
    std::unique_ptr<File> copy;
    Status st = openFile(side, OpenMode::Create, &copy);
    if (st.ok()) st = copy->write(0, bytes);
    if (st.ok()) st = copy->sync();
    if (!st.ok()) {
        copy.reset();
        std::remove(side.c_str());
        return st;
    }
    st = s.file->write(0, bytes);
    if (st.ok()) st = s.file->truncate(bytes.size());
    if (st.ok()) st = s.file->sync();
    if (st.ok()) std::remove(side.c_str());
    return st;
}

// Rewrites the table with the header's count set to the records in `records`, reloads the
// codec and stamps the header.
bool finish(DbfCdxArea& s, std::string head, const std::string& records, uint32_t count) {
    dbf::putLe32(head.data() + 4, count);
    head += records;
    head.push_back(dbf::kEndOfFile);
    Status st = rewrite(s, head);
    if (!st.ok()) {
        raiseStatus(st, true, s.given);
        reload(s, true);
        return false;
    }
    if (!reload(s, true)) return false;
    st = s.table->commit();
    if (!st.ok()) raiseStatus(st, true, s.given);
    return st.ok();
}

Status readHead(DbfCdxArea& s, std::string* head) {
    uint64_t len = s.table->layout().header.headerLength;
    Status st = s.file->read(0, len, head);
    if (st.ok() && head->size() != len) st = Status::Corruption(s.path + ": header is cut short");
    return st;
}

}  // namespace

bool DC_PACK(Area& a) {
    DbfCdxArea& s = state(a);
    if (!writable(s)) return false;
    if (s.shared) {
        raise(EG_UNLOCKED, 1022, errorDescription(EG_UNLOCKED), "", false);
        return false;
    }
    const auto& h = s.table->layout().header;
    std::string head, raw, kept;
    Status st = readHead(s, &head);
    uint32_t count = 0;
    for (uint32_t rec = 1; st.ok() && rec <= h.recordCount; ++rec) {
        st =
            s.file->read(h.headerLength + uint64_t(rec - 1) * h.recordLength, h.recordLength, &raw);
        if (st.ok() && raw.size() != h.recordLength)
            st = Status::Corruption(s.path + ": record " + std::to_string(rec) + " is cut short");
        if (st.ok() && raw[0] != '*') {
            kept += raw;
            ++count;
        }
    }
    if (!st.ok()) {
        raiseStatus(st, false, s.given);
        return false;
    }
    if (!finish(s, head, kept, count) || !rebuildTags(s)) return false;
    return a.rdd->funcs.goTop(a);
}

bool DC_ZAP(Area& a) {
    DbfCdxArea& s = state(a);
    if (!writable(s)) return false;
    if (s.shared) {
        raise(EG_SHARED, 1023, errorDescription(EG_SHARED), s.given, false);
        return false;
    }
    std::string head;
    Status st = readHead(s, &head);
    if (!st.ok()) {
        raiseStatus(st, false, s.given);
        return false;
    }
    if (!finish(s, head, "", 0) || !rebuildTags(s)) return false;
    goToEof(s);
    return true;
}

}  // namespace dbfcdx
