// Pack and zap of the disk driver DBFCDX; both need the table open exclusively. The new
// table, memo file and index are written whole to side files beside the old ones and
// flushed, then put in their places by renames through the journal: a stop at any moment
// leaves either the old files or the new ones, never a mix.
#include <cstring>
#include <functional>

#include "Error.h"
#include "TableLayer.h"
#include "dbfCdxArea.h"
#include "dbfCdxJournal.h"

namespace dbfcdx {

namespace {

bool writable(DbfCdxArea& s) {
    if (!s.readOnly) return true;
    raise(EG_READONLY, 1025, errorDescription(EG_READONLY), s.given, false);
    return false;
}

bool exclusiveFor(DbfCdxArea& s, int genCode, int subCode, const std::string& file) {
    if (!writable(s)) return false;
    if (!s.shared) return true;
    raise(genCode, subCode, errorDescription(genCode), file, false);
    return false;
}

// A new file at `path`, emptied; null with `*st` set on failure.
std::shared_ptr<TableFile> freshFile(const std::string& path, Status* st) {
    *st = posixio::removeFile(path);
    if (!st->ok()) return nullptr;
    int err = 0;
    std::shared_ptr<TableFile> f = TableFile::open(path, false, true, &err);
    if (!f) *st = posixio::error(path, "create", err);
    return f;
}

// Writes the new contents of the table and its memo file (null when it has none).
using ContentWriter = std::function<Status(const std::shared_ptr<TableFile>& table,
                                           const std::shared_ptr<TableFile>& memo)>;

// The area's files while they are replaced: the old ones come back when anything fails
// before the renames.
class Replacement {
  public:
    explicit Replacement(DbfCdxArea& s) : s_(s) {}
    ~Replacement() {
        if (!done_) restore();
    }

    bool run(const ContentWriter& write) {
        std::string dbfSide = sideFile(s_.path);
        std::string fptSide = s_.memoFile ? sideFile(s_.memoFile->name()) : "";
        cdxPath_ = s_.index ? s_.index->path : "";
        const std::string& cdxPath = cdxPath_;
        std::string cdxSide = s_.index ? sideFile(cdxPath) : "";
        sides_ = {dbfSide, fptSide, cdxSide};
        Status st;
        std::shared_ptr<TableFile> table = freshFile(dbfSide, &st);
        std::shared_ptr<TableFile> memo = st.ok() && s_.memoFile ? freshFile(fptSide, &st) : nullptr;
        // The new table is claimed before anyone could open it under the old name.
        if (st.ok() && !table->lock(kOpenMarker, 1, TableFile::Lock::Write))
            st = Status::IOError(dbfSide + ": the side file is in use");
        if (st.ok()) st = write(table, memo);
        if (!st.ok()) return fail(st, s_.given);

        oldFile_ = std::move(s_.file);
        oldMemo_ = std::move(s_.memoFile);
        oldTable_ = std::move(s_.table);
        oldOrder_ = s_.order;
        s_.file = table;
        s_.memoFile = memo;
        swapped_ = true;
        if (!reload(s_, true)) return false;
        st = s_.table->commit();
        if (!st.ok()) return fail(st, s_.given);
        if (s_.index) {
            indexRebuilt_ = true;
            if (!rebuildTagsAt(s_, cdxSide)) return false;
        }

        std::vector<std::pair<std::string, std::string>> renames{{dbfSide, s_.path}};
        if (s_.memoFile) renames.emplace_back(fptSide, oldMemo_->name());
        if (s_.index) renames.emplace_back(cdxSide, cdxPath);
        st = replaceFiles(journalPath(s_.path), renames);
        if (!st.ok()) {
            // Past the journal the new files win: finishing the renames is all that is left.
            (void)recoverJournal(journalPath(s_.path));
            done_ = true;
            raiseStatus(st, true, s_.given);
            return false;
        }
        s_.file->renamed(s_.path);
        if (s_.memoFile) s_.memoFile->renamed(oldMemo_->name());
        if (s_.index) {
            s_.index->path = cdxPath;
            s_.index->file->renamed(cdxPath);
        }
        done_ = true;
        return true;
    }

  private:
    bool fail(const Status& st, const std::string& file) {
        raiseStatus(st, true, file);
        return false;
    }

    void restore() {
        if (swapped_) {
            s_.file = std::move(oldFile_);
            s_.memoFile = std::move(oldMemo_);
            s_.table = std::move(oldTable_);
        }
        for (const std::string& side : sides_)
            if (!side.empty()) (void)posixio::removeFile(side);
        if (indexRebuilt_ && s_.index && s_.index->path != cdxPath_) {
            // The area reads its old index again.
            ScopedErrorHandler quiet([](const ErrorRecord&) { return ErrorAction::Default; });
            if (openIndex(s_, cdxPath_)) s_.order = oldOrder_;
        }
        if (swapped_) goToRecord(s_, 0);
    }

    DbfCdxArea& s_;
    std::vector<std::string> sides_;
    std::string cdxPath_;
    std::shared_ptr<TableFile> oldFile_, oldMemo_;
    std::unique_ptr<dbf::DbfTable> oldTable_;
    int oldOrder_ = 0;
    bool swapped_ = false, indexRebuilt_ = false, done_ = false;
};

// The table without its deleted records, and a memo file with only their memos.
Status packedContents(DbfCdxArea& s, const std::shared_ptr<TableFile>& table,
                      const std::shared_ptr<TableFile>& memo) {
    std::unique_ptr<File> memoOut;
    if (memo) memoOut = std::make_unique<FileRef>(memo);
    uint32_t kept = 0;
    return s.table->packTo(table.get(), std::move(memoOut), &kept);
}

// The table's header with no records, and an empty memo file.
Status emptyContents(DbfCdxArea& s, const std::shared_ptr<TableFile>& table,
                     const std::shared_ptr<TableFile>& memo) {
    const auto& h = s.table->layout().header;
    std::string head;
    RETURN_IF_ERROR(s.file->read(0, h.headerLength, &head));
    if (head.size() != h.headerLength) return Status::Corruption(s.path + ": the header is cut short");
    dbf::putLe32(head.data() + 4, 0);
    head.push_back(dbf::kEndOfFile);
    RETURN_IF_ERROR(table->write(0, head));
    RETURN_IF_ERROR(table->sync());
    if (!memo) return Status::OK();
    std::unique_ptr<dbf::FptMemo> m;
    RETURN_IF_ERROR(dbf::FptMemo::create(std::make_unique<FileRef>(memo), dbf::FptMemo::kDefaultBlockSize, &m));
    return memo->sync();
}

}  // namespace

bool DC_PACK(Area& a) {
    DbfCdxArea& s = state(a);
    if (!exclusiveFor(s, EG_UNLOCKED, 1022, "")) return false;
    Replacement r(s);
    if (!r.run([&](const auto& t, const auto& m) { return packedContents(s, t, m); })) return false;
    return a.rdd->funcs.goTop(a);
}

bool DC_ZAP(Area& a) {
    DbfCdxArea& s = state(a);
    if (!exclusiveFor(s, EG_SHARED, 1023, s.given)) return false;
    Replacement r(s);
    if (!r.run([&](const auto& t, const auto& m) { return emptyContents(s, t, m); })) return false;
    goToEof(s);
    return true;
}

}  // namespace dbfcdx
