// The disk driver DBFCDX: registration, opening and creating tables, closing and information.
// Navigation is in dbfCdxNavigate.cpp; records and locks in dbfCdxRecord.cpp; pack and zap
// in dbfCdxPack.cpp.
#include "dbfCdxDriver.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "Error.h"
#include "TableLayer.h"
#include "Text.h"
#include "dbfCdxArea.h"
#include "dbfCdxJournal.h"

namespace fs = std::filesystem;

namespace dbfcdx {

namespace {
const char* kSubsystem = "DBFCDX";
int g_driverId = -1;
}  // namespace

DbfCdxArea::~DbfCdxArea() = default;

uint64_t DbfCdxArea::fileLockStart() const {
    return kHeaderLock - (fileLockLength() - 1);
}

uint64_t DbfCdxArea::fileLockLength() const {
    const auto& h = table->layout().header;
    uint64_t nmax = ((uint64_t(1) << 31) - h.headerLength - 2) / (uint64_t(h.recordLength) + 1);
    return nmax + 1;
}

void raise(int genCode, int subCode, const std::string& description, const std::string& file,
           bool canDefault, bool canRetry) {
    raiseDriverError(kSubsystem, genCode, subCode, description, file, canDefault, canRetry);
}

void raiseStatus(const Status& s, bool writing, const std::string& file) {
    int gen = s.code() == Status::Code::Corruption ? EG_CORRUPTION : writing ? EG_WRITE : EG_READ;
    int sub = gen == EG_CORRUPTION ? 1012 : gen == EG_WRITE ? 1011 : 1010;
    raise(gen, sub, errorDescription(gen) + " (" + s.message() + ")", file, true);
}

namespace {

Status openCodec(DbfCdxArea& s, std::unique_ptr<dbf::DbfTable>* out) {
    std::unique_ptr<File> memo;
    if (s.memoFile) memo = std::make_unique<FileRef>(s.memoFile);
    return dbf::DbfTable::open(std::make_unique<FileRef>(s.file), std::move(memo), {}, out);
}

}  // namespace

bool reload(DbfCdxArea& s, bool force) {
    if (!force && s.table) {
        std::string bytes;
        Status st = s.file->read(4, 4, &bytes);
        if (st.ok() && bytes.size() == 4 && dbf::getLe32(bytes.data()) == s.table->recordCount())
            return true;
        // Another copy appended; if it stopped halfway, its journal puts things back first.
        if (s.shared && posixio::exists(journalPath(s.path))) return recoverIfNeeded(s);
    }
    std::unique_ptr<dbf::DbfTable> t;
    Status st = openCodec(s, &t);
    if (!st.ok()) {
        raiseStatus(st, false, s.given);
        return false;
    }
    s.table = std::move(t);
    return true;
}

bool refreshCount(DbfCdxArea& s) {
    return !s.shared || reload(s, false);
}

namespace {

// The table's path: ".dbf" added when the name has no extension, relative names under the
// default folder (then, when opening, under each folder of the search path).
std::vector<fs::path> candidates(const std::string& name, bool opening) {
    fs::path p(name);
    if (!p.has_extension()) p += ".dbf";
    if (p.is_absolute()) return {p};
    const TableSettings& st = tableSettings();
    std::vector<fs::path> out{st.defaultFolder.empty() ? p : fs::path(st.defaultFolder) / p};
    if (opening) {
        size_t from = 0;
        while (from <= st.path.size()) {
            size_t to = st.path.find_first_of(";,", from);
            if (to == std::string::npos) to = st.path.size();
            if (to > from) out.push_back(fs::path(st.path.substr(from, to - from)) / p);
            from = to + 1;
        }
    }
    return out;
}

// A file of the same folder whose name differs from `p`'s only in case; none when there is
// no such file or more than one.
std::optional<fs::path> sameNameAnyCase(const fs::path& p) {
    std::error_code ec;
    fs::path folder = p.has_parent_path() ? p.parent_path() : fs::path(".");
    std::string wanted = text::upper(p.filename().string());
    std::optional<fs::path> found;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (text::upper(it->path().filename().string()) != wanted) continue;
        if (found) return std::nullopt;
        found = it->path();
    }
    return found;
}

bool hasStructuralFlag(DbfCdxArea& s) {
    std::string flags;
    return s.file->read(28, 1, &flags).ok() && flags.size() == 1 && (flags[0] & 0x01);
}

std::string fullPath(const fs::path& p) {
    std::error_code ec;
    fs::path abs = fs::absolute(p, ec);
    return (ec ? p : abs).lexically_normal().string();
}

fs::path memoPath(const fs::path& table) {
    fs::path m = table;
    return m.replace_extension(".fpt");
}

bool hasMemo(const Structure& st) {
    for (const FieldDesc& f : st)
        if (f.type == 'M') return true;
    return false;
}

// The open marker; on conflict tells whether the holder opened shared or exclusively.
bool takeOpenMarker(DbfCdxArea& s, bool exclusive, std::string* holder) {
    auto kind = exclusive ? TableFile::Lock::Write : TableFile::Lock::Read;
    if (s.file->lock(kOpenMarker, 1, kind)) return true;
    TableFile::Lock other = TableFile::Lock::Write;
    s.file->conflicting(kOpenMarker, 1, kind, &other);
    *holder = other == TableFile::Lock::Write ? "exclusive" : "shared";
    return false;
}

// Side files of a pack or an index build that stopped before its journal was written: the
// old files are whole, the side files unfinished.
void removeLeftSideFiles(const fs::path& table) {
    fs::path cdx = table;
    cdx.replace_extension(".cdx");
    for (const fs::path& f : {table, memoPath(table), cdx})
        (void)posixio::removeFile(sideFile(f.string()));
}

// The network-error flag says that another user holds the table: set only for a lock
// conflict, cleared for a missing or damaged file.
void openFailed(const std::string& detail, const std::string& file, bool lockConflict,
                int gen = EG_OPEN, int sub = 1001) {
    NETERR(lockConflict);
    raise(gen, sub, errorDescription(gen) + detail, file, true);
}

bool DC_CLOSE(Area& a);

std::unique_ptr<Area> DC_NEW() {
    return std::make_unique<DbfCdxArea>();
}

bool DC_CREATEFIELDS(Area& a, const Structure& st) {
    a.fields.clear();
    for (FieldDesc f : st) {
        std::string up;
        for (char c : f.name) up.push_back(char(std::toupper((unsigned char)c)));
        f.name = up;
        f.type = char(std::toupper((unsigned char)f.type));
        a.fields.push_back(f);
    }
    return true;
}

bool DC_CREATE(Area& a, const OpenInfo& info) {
    DbfCdxArea& s = state(a);
    dbf::DbfLayout layout;
    Status st = dbf::DbfLayout::fromStructure(a.fields, dbf::kCodePage1252, &layout);
    if (!st.ok()) {
        raise(EG_CREATE, 1004, errorDescription(EG_CREATE) + " (" + st.message() + ")", info.file,
              true);
        return false;
    }
    fs::path p = candidates(info.file, false).front();
    s.given = info.file;
    s.path = fullPath(p);
    int err = 0;
    s.file = TableFile::open(p.string(), false, true, &err);
    if (!s.file) {
        openFailed(" (" + std::string(std::strerror(err)) + ")", info.file, false, EG_CREATE,
                   1004);
        return false;
    }
    std::string holder;
    if (!takeOpenMarker(s, true, &holder)) {
        s.file.reset();
        openFailed("(Lock failure - already opened in " + holder + " mode)", info.file, true,
                   EG_CREATE, 1004);
        return false;
    }
    if (hasMemo(a.fields)) {
        s.memoFile = TableFile::open(memoPath(p).string(), false, true, &err);
        if (!s.memoFile) {
            s.file.reset();
            openFailed(" (" + std::string(std::strerror(err)) + ")", info.file, false, EG_CREATE,
                       1004);
            return false;
        }
    }
    std::unique_ptr<File> memo;
    if (s.memoFile) memo = std::make_unique<FileRef>(s.memoFile);
    st = dbf::DbfTable::create(std::make_unique<FileRef>(s.file), std::move(memo), a.fields, {},
                               &s.table);
    if (!st.ok()) {
        raise(EG_CREATE, 1004, errorDescription(EG_CREATE) + " (" + st.message() + ")", info.file,
              true);
        return false;
    }
    OpenInfo opened = info;
    if (opened.alias.empty()) opened.alias = aliasFromFile(p.filename().string());
    if (!areaOpenBase(a, opened)) return false;
    s.shared = false;
    goToRecord(s, 1);
    return true;
}

bool DC_OPEN(Area& a, const OpenInfo& info) {
    DbfCdxArea& s = state(a);
    std::vector<fs::path> paths = candidates(info.file, true);
    fs::path p = paths.front();
    for (const fs::path& c : paths) {
        std::error_code ec;
        if (fs::exists(c, ec)) {
            p = c;
            break;
        }
    }
    // Names are matched without regard to case, as on the file systems the tables come from
    // (a table registered as "CASILLAS.DBF" is the file casillas.dbf).
    for (const fs::path& c : paths) {
        if (std::error_code ec; fs::exists(p, ec)) break;
        if (std::optional<fs::path> found = sameNameAnyCase(c)) p = *found;
    }
    s.given = info.file;
    s.path = fullPath(p);
    s.shared = info.shared;
    s.readOnly = info.readOnly;
    int err = 0;
    for (int attempt = 0;; ++attempt) {
        // An exclusive claim is a write lock, which needs a descriptor open for writing.
        if (!info.shared && info.readOnly) s.file = TableFile::open(p.string(), false, false, &err);
        if (!s.file) s.file = TableFile::open(p.string(), info.readOnly, false, &err);
        if (!s.file) {
            openFailed(" (" + std::string(std::strerror(err)) + ")", info.file, false);
            return false;
        }
        std::string holder;
        if (!takeOpenMarker(s, !info.shared, &holder)) {
            s.file.reset();
            openFailed("(Lock failure - already opened in " + holder + " mode)", info.file, true);
            return false;
        }
        // A change or a pack that stopped halfway is rolled back or finished before
        // anything is read.
        if (!recoverIfNeeded(s)) {
            s.file.reset();
            return false;
        }
        // A finished pack put a new table in place of the one just opened: open that.
        if (attempt > 0 || s.file->isFileAt(p.string())) break;
        s.file.reset();
    }
    std::error_code ec;
    if (!info.shared) removeLeftSideFiles(p);
    if (fs::exists(memoPath(p), ec)) {
        s.memoFile = TableFile::open(memoPath(p).string(), info.readOnly, false, &err);
        if (!s.memoFile) {
            s.file.reset();
            openFailed(" (" + memoPath(p).string() + ": " + std::strerror(err) + ")", info.file,
                       false);
            return false;
        }
    }
    std::unique_ptr<dbf::DbfTable> t;
    Status st = openCodec(s, &t);
    if (!st.ok()) {
        s.memoFile.reset();
        s.file.reset();
        openFailed(" (" + st.message() + ")", info.file, false);
        return false;
    }
    s.table = std::move(t);
    a.fields = s.table->structure();
    OpenInfo opened = info;
    if (opened.alias.empty()) opened.alias = aliasFromFile(p.filename().string());
    if (!areaOpenBase(a, opened)) return false;
    std::string cdxPath = productionIndexPath(s);
    if (tableSettings().autoOpen && !fs::exists(cdxPath, ec) && hasStructuralFlag(s))
        // The header says the table has its index file and it is not there (an index
        // rebuild stopped halfway, or the file was removed): the table opens without its
        // orders, and the one who opens it is told.
        raise(EG_OPEN, 1003, errorDescription(EG_OPEN) + " (production index missing)", cdxPath, true);
    if (tableSettings().autoOpen && fs::exists(cdxPath, ec)) {
        goToRecord(s, 0);  // the tags' key types are learnt on a blank record
        if (!openIndex(s, cdxPath)) {
            DC_CLOSE(a);
            return false;
        }
    }
    NETERR(false);
    return DC_GOTOP(a);
}

bool DC_CLOSE(Area& a) {
    DbfCdxArea& s = state(a);
    if (s.table) {
        if (s.dirty) commitTable(s, true);
        DC_UNLOCK(a, 0);
        s.cursor.reset();
        closeIndex(s);
        s.table.reset();
    }
    // Closing the descriptors drops the open marker and any lock left.
    s.memoFile.reset();
    s.file.reset();
    areaCloseBase(a);
    return true;
}

bool DC_INFO(Area& a, int what, Value& out) {
    DbfCdxArea& s = state(a);
    switch (what) {
        case DBI_ISDBF:
            out = Value(true);
            return true;
        case DBI_FULLPATH:
            out = Value(s.path);
            return true;
        case DBI_TABLEEXT:
            out = Value(".dbf");
            return true;
        case DBI_SHARED:
            out = Value(s.shared);
            return true;
        default:
            return false;
    }
}

bool DC_RDDINFO(int what, Value& out) {
    switch (what) {
        case RDDI_TABLEEXT:
            out = Value(".dbf");
            return true;
        case RDDI_ORDBAGEXT:
            out = Value(".cdx");
            return true;
        default:
            return false;
    }
}

}  // namespace
}  // namespace dbfcdx

using namespace dbfcdx;

bool DBFCDX_GETFUNCTABLE(RddFuncTable& t, int driverId) {
    t.newArea = DC_NEW;
    t.createFields = DC_CREATEFIELDS;
    t.create = DC_CREATE;
    t.open = DC_OPEN;
    t.close = DC_CLOSE;
    t.getValue = DC_GETVALUE;
    t.putValue = DC_PUTVALUE;
    t.putRecord = DC_PUTREC;
    t.goTo = DC_GOTO;
    t.goTop = DC_GOTOP;
    t.goBottom = DC_GOBOTTOM;
    t.skipRaw = DC_SKIPRAW;
    t.skipFilter = DC_SKIPFILTER;
    t.setFilter = DC_SETFILTER;
    t.clearFilter = DC_CLEARFILTER;
    t.bof = DC_BOF;
    t.eof = DC_EOF;
    t.found = DC_FOUND;
    t.deleteRec = DC_DELETE;
    t.recall = DC_RECALL;
    t.deleted = DC_DELETED;
    t.append = DC_APPEND;
    t.lock = DC_LOCK;
    t.unlock = DC_UNLOCK;
    t.recId = DC_RECID;
    t.recNo = DC_RECNO;
    t.recCount = DC_RECCOUNT;
    t.pack = DC_PACK;
    t.zap = DC_ZAP;
    t.info = DC_INFO;
    t.flush = DC_FLUSH;
    t.rddInfo = DC_RDDINFO;
    t.seek = DC_SEEK;
    t.ordListAdd = DC_ORDLSTADD;
    t.ordListClear = DC_ORDLSTCLEAR;
    t.ordListFocus = DC_ORDLSTFOCUS;
    t.ordCreate = DC_ORDCREATE;
    t.ordInfo = DC_ORDINFO;
    g_driverId = driverId;
    return true;
}

void dbfCdxRegister() {
    rddProvide("DBFCDX", DBFCDX_GETFUNCTABLE);
    RDDREGISTER("DBFCDX", RDT_FULL);
}
