#include "dbfCdxJournal.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>

#include "dbfFormat.h"

namespace dbfcdx {

namespace {

constexpr char kMagic[] = "URNJRNL1";
constexpr size_t kMagicSize = 8;
constexpr char kRollback = 'R';
constexpr char kRename = 'N';

uint64_t checksum(std::string_view bytes) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

void put32(std::string* out, uint32_t v) {
    char b[4];
    dbf::putLe32(b, v);
    out->append(b, 4);
}

void put64(std::string* out, uint64_t v) {
    put32(out, uint32_t(v));
    put32(out, uint32_t(v >> 32));
}

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Files beside the journal are named without their folder, so that a folder moved or
// copied whole recovers in its new place.
std::string nameFor(const std::string& journal, const std::string& file) {
    std::string folder = folderOf(journal);
    if (!folder.empty() && file.compare(0, folder.size(), folder) == 0 &&
        file.find('/', folder.size()) == std::string::npos)
        return file.substr(folder.size());
    return file;
}

std::string pathFor(const std::string& journal, const std::string& name) {
    return name.find('/') == std::string::npos ? folderOf(journal) + name : name;
}

bool endsWith(const std::string& s, const char* tail) {
    size_t n = std::strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// What a journal may change: files beside it, and index files elsewhere (an order bag in
// another folder). A damaged or planted journal can touch nothing else.
bool mayChange(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.find('/') == std::string::npos) return true;
    std::string lower;
    for (char c : name) lower.push_back(char(std::tolower((unsigned char)c)));
    return name[0] == '/' && name.find("/../") == std::string::npos &&
           (endsWith(lower, ".cdx") || endsWith(lower, ".cdx.new~"));
}

void putName(std::string* out, const std::string& name) {
    put32(out, uint32_t(name.size()));
    out->append(name);
}

// Reads the parts of a journal in order; any read past its end marks it broken.
class Parser {
  public:
    explicit Parser(std::string_view bytes) : b_(bytes) {}
    bool ok() const { return ok_; }
    uint32_t u32() {
        if (!need(4)) return 0;
        uint32_t v = dbf::getLe32(b_.data() + at_);
        at_ += 4;
        return v;
    }
    uint64_t u64() {
        uint64_t lo = u32();
        return lo | uint64_t(u32()) << 32;
    }
    std::string bytes(size_t n) {
        if (!need(n)) return {};
        std::string v(b_.substr(at_, n));
        at_ += n;
        return v;
    }
    char byte() { return need(1) ? b_[at_++] : '\0'; }
    bool atEnd() const { return at_ == b_.size(); }

  private:
    bool need(size_t n) {
        if (!ok_ || b_.size() - at_ < n) ok_ = false;
        return ok_;
    }
    std::string_view b_;
    size_t at_ = 0;
    bool ok_ = true;
};

// Writes the journal whole and makes it and its name durable.
Status writeJournal(const std::string& journal, std::string body) {
    body = sealJournal(std::move(body));
    std::unique_ptr<File> f;
    RETURN_IF_ERROR(openFile(journal, OpenMode::Create, &f));
    RETURN_IF_ERROR(f->write(0, body));
    RETURN_IF_ERROR(f->sync());
    f.reset();
    return posixio::syncFolderOf(journal);
}

Status removeJournal(const std::string& journal) {
    RETURN_IF_ERROR(posixio::removeFile(journal));
    return posixio::syncFolderOf(journal);
}

Status renameAll(const std::vector<std::pair<std::string, std::string>>& sideTarget,
                 const std::string& journal) {
    for (const auto& [side, target] : sideTarget) {
        if (posixio::exists(side)) RETURN_IF_ERROR(posixio::renameFile(side, target));
    }
    RETURN_IF_ERROR(posixio::syncFolderOf(journal));
    return removeJournal(journal);
}

Status rollBack(const std::string& journal, const std::vector<std::pair<std::string, uint64_t>>& files,
                const std::vector<JournalContents::Region>& regions) {
    for (size_t i = 0; i < files.size(); ++i) {
        std::unique_ptr<File> f;
        Status st = openFile(files[i].first, OpenMode::ReadWrite, &f);
        if (st.code() == Status::Code::NotFound) continue;
        RETURN_IF_ERROR(st);
        for (const JournalContents::Region& r : regions)
            if (r.file == i) RETURN_IF_ERROR(f->write(r.offset, r.bytes));
        uint64_t size = 0;
        RETURN_IF_ERROR(f->size(&size));
        if (size > files[i].second) RETURN_IF_ERROR(f->truncate(files[i].second));
        RETURN_IF_ERROR(f->sync());
    }
    return removeJournal(journal);
}

Status damaged(const std::string& journal) {
    return Status::Corruption(journal + ": a damaged journal (it is left as it is)");
}

}  // namespace

std::string sealJournal(std::string body) {
    put64(&body, checksum(body));
    return body;
}

std::string journalPath(const std::string& tablePath) {
    return tablePath + ".jnl";
}

Status commitHeld(const std::string& journal, const std::vector<TableFile*>& files,
                  const TableFile* headerFirst) {
    std::vector<TableFile*> changed;
    for (TableFile* f : files)
        if (f && f->held() && !f->held()->ranges.empty()) changed.push_back(f);
    struct DropHeld {
        const std::vector<TableFile*>& files;
        ~DropHeld() {
            for (TableFile* f : files)
                if (f) f->dropHeld();
        }
    } drop{files};
    if (changed.empty()) return Status::OK();

    // The journal: each file's length, then the bytes the change overwrites.
    std::string body(kMagic, kMagicSize);
    body.push_back(kRollback);
    put32(&body, uint32_t(changed.size()));
    std::vector<uint64_t> sizes;
    for (TableFile* f : changed) {
        uint64_t size = 0;
        RETURN_IF_ERROR(posixio::sizeOf(f->fd(), f->name(), &size));
        sizes.push_back(size);
        putName(&body, nameFor(journal, f->name()));
        put64(&body, size);
    }
    std::string regions;
    uint32_t regionCount = 0;
    for (size_t i = 0; i < changed.size(); ++i) {
        for (const auto& [off, bytes] : changed[i]->held()->ranges) {
            if (off >= sizes[i]) continue;
            std::string old;
            size_t n = size_t(std::min<uint64_t>(bytes.size(), sizes[i] - off));
            RETURN_IF_ERROR(posixio::readAt(changed[i]->fd(), changed[i]->name(), off, n, &old));
            put32(&regions, uint32_t(i));
            put64(&regions, off);
            put32(&regions, uint32_t(old.size()));
            regions += old;
            ++regionCount;
        }
    }
    put32(&body, regionCount);
    body += regions;
    std::string().swap(regions);
    RETURN_IF_ERROR(writeJournal(journal, std::move(body)));

    // The new bytes, then the files flushed, then the journal removed: the change is done.
    // `headerFirst` (the index) is written from its header on, so that its change counter
    // tells others at once; the others from their end back, so that a header's record count
    // or next free block never points past what is written.
    Status st;
    for (TableFile* f : changed) {
        auto write = [&](const std::pair<const uint64_t, std::string>& r) {
            if (st.ok()) st = posixio::writeAt(f->fd(), f->name(), r.first, r.second);
        };
        const auto& ranges = f->held()->ranges;
        if (f == headerFirst)
            std::for_each(ranges.begin(), ranges.end(), write);
        else
            std::for_each(ranges.rbegin(), ranges.rend(), write);
        if (st.ok()) st = posixio::syncFd(f->fd(), f->name());
        if (!st.ok()) break;
    }
    if (st.ok()) st = removeJournal(journal);
    if (!st.ok()) (void)recoverJournal(journal);  // puts back what reached the files
    return st;
}

Status replaceFiles(const std::string& journal,
                    const std::vector<std::pair<std::string, std::string>>& sideTarget) {
    std::string body(kMagic, kMagicSize);
    body.push_back(kRename);
    put32(&body, uint32_t(sideTarget.size()));
    for (const auto& [side, target] : sideTarget) {
        putName(&body, nameFor(journal, side));
        putName(&body, nameFor(journal, target));
    }
    RETURN_IF_ERROR(writeJournal(journal, std::move(body)));
    return renameAll(sideTarget, journal);
}

Status parseJournal(std::string_view bytes, const std::string& journal, JournalContents* out) {
    *out = {};
    if (bytes.size() < kMagicSize + 8 || bytes.compare(0, kMagicSize, kMagic) != 0) return Status::OK();
    const char* tail = bytes.data() + bytes.size() - 8;
    uint64_t stored = dbf::getLe32(tail) | uint64_t(dbf::getLe32(tail + 4)) << 32;
    if (stored != checksum(bytes.substr(0, bytes.size() - 8))) return Status::OK();
    out->whole = true;

    Parser p(bytes.substr(kMagicSize, bytes.size() - kMagicSize - 8));
    char kind = p.byte();
    uint32_t count = p.u32();
    if (kind == kRename) {
        out->renames = true;
        for (uint32_t i = 0; i < count && p.ok(); ++i) {
            std::string side = p.bytes(p.u32());
            std::string target = p.bytes(p.u32());
            if (!mayChange(side) || !mayChange(target)) return damaged(journal);
            out->sideTarget.emplace_back(pathFor(journal, side), pathFor(journal, target));
        }
        return p.ok() && p.atEnd() ? Status::OK() : damaged(journal);
    }
    for (uint32_t i = 0; i < count && p.ok(); ++i) {
        std::string name = p.bytes(p.u32());
        if (!mayChange(name)) return damaged(journal);
        out->files.emplace_back(pathFor(journal, name), p.u64());
    }
    uint32_t n = p.u32();
    for (uint32_t i = 0; i < n && p.ok(); ++i) {
        JournalContents::Region r;
        r.file = p.u32();
        r.offset = p.u64();
        r.bytes = p.bytes(p.u32());
        if (r.file >= out->files.size()) return damaged(journal);
        out->regions.push_back(std::move(r));
    }
    return kind == kRollback && p.ok() && p.atEnd() ? Status::OK() : damaged(journal);
}

Status recoverJournal(const std::string& journal) {
    std::unique_ptr<File> f;
    Status st = openFile(journal, OpenMode::ReadOnly, &f);
    if (st.code() == Status::Code::NotFound) return Status::OK();
    RETURN_IF_ERROR(st);
    uint64_t size = 0;
    std::string bytes;
    RETURN_IF_ERROR(f->size(&size));
    RETURN_IF_ERROR(f->read(0, size_t(size), &bytes));
    f.reset();
    JournalContents j;
    RETURN_IF_ERROR(parseJournal(bytes, journal, &j));
    // Cut short: its writer stopped before it changed anything.
    if (!j.whole) return removeJournal(journal);
    if (j.renames) return renameAll(j.sideTarget, journal);
    return rollBack(journal, j.files, j.regions);
}

}  // namespace dbfcdx
