// Pack and zap of the disk driver DBFCDX; both need the table open exclusively. The packed
// table and memo file are written to side files first (synced), then copied over the
// originals, whose descriptors keep the area's locks; a failure while the originals are
// rewritten leaves complete copies beside them.
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

// Copies the whole of `from` over `to` in pieces and cuts `to` to the same length.
Status copyOver(File& from, File& to) {
    constexpr size_t kPiece = 1 << 20;
    uint64_t size = 0;
    Status st = from.size(&size);
    std::string piece;
    for (uint64_t at = 0; st.ok() && at < size; at += piece.size()) {
        st = from.read(at, size_t(std::min<uint64_t>(kPiece, size - at)), &piece);
        if (st.ok() && piece.empty()) st = Status::IOError(from.name() + ": short read");
        if (st.ok()) st = to.write(at, piece);
    }
    if (st.ok()) st = to.truncate(size);
    if (st.ok()) st = to.sync();
    return st;
}

// Packs into side files and copies them over the table and its memo file.
Status packFiles(DbfCdxArea& s) {
    std::string side = s.path + ".pack~";
    std::string memoSide = s.memoFile ? s.memoFile->name() + ".pack~" : "";
    std::unique_ptr<File> table, memo;
    Status st = openFile(side, OpenMode::Create, &table);
    if (st.ok() && s.memoFile) st = openFile(memoSide, OpenMode::Create, &memo);
    uint32_t kept = 0;
    if (st.ok()) st = s.table->packTo(table.get(), std::move(memo), &kept);
    if (st.ok() && s.memoFile) st = openFile(memoSide, OpenMode::ReadOnly, &memo);
    if (st.ok()) st = copyOver(*table, *s.file);
    if (st.ok() && s.memoFile) st = copyOver(*memo, *s.memoFile);
    table.reset();
    memo.reset();
    if (st.ok()) {
        std::remove(side.c_str());
        if (s.memoFile) std::remove(memoSide.c_str());
    }
    return st;
}

// Reloads the codec over the rewritten files, stamps the header and rebuilds the tags.
bool finish(DbfCdxArea& s, const Status& rewritten) {
    if (!rewritten.ok()) {
        raiseStatus(rewritten, true, s.given);
        reload(s, true);
        return false;
    }
    if (!reload(s, true)) return false;
    Status st = s.table->commit();
    if (!st.ok()) {
        raiseStatus(st, true, s.given);
        return false;
    }
    return rebuildTags(s);
}

bool exclusiveFor(DbfCdxArea& s, int genCode, int subCode, const std::string& file) {
    if (!writable(s)) return false;
    if (!s.shared) return true;
    raise(genCode, subCode, errorDescription(genCode), file, false);
    return false;
}

}  // namespace

bool DC_PACK(Area& a) {
    DbfCdxArea& s = state(a);
    if (!exclusiveFor(s, EG_UNLOCKED, 1022, "")) return false;
    if (!finish(s, packFiles(s))) return false;
    return a.rdd->funcs.goTop(a);
}

bool DC_ZAP(Area& a) {
    DbfCdxArea& s = state(a);
    if (!exclusiveFor(s, EG_SHARED, 1023, s.given)) return false;
    const auto& h = s.table->layout().header;
    std::string head;
    Status st = s.file->read(0, h.headerLength, &head);
    if (st.ok() && head.size() != h.headerLength)
        st = Status::Corruption(s.path + ": the header is cut short");
    if (st.ok()) {
        dbf::putLe32(head.data() + 4, 0);
        head.push_back(dbf::kEndOfFile);
        st = s.file->write(0, head);
    }
    if (st.ok()) st = s.file->truncate(head.size());
    if (st.ok() && s.memoFile) {
        std::unique_ptr<dbf::FptMemo> memo;
        st = dbf::FptMemo::create(std::make_unique<FileRef>(s.memoFile),
                                  dbf::FptMemo::kDefaultBlockSize, &memo);
    }
    if (st.ok()) st = s.file->sync();
    if (!finish(s, st)) return false;
    goToEof(s);
    return true;
}

}  // namespace dbfcdx
