// The compound index of a DBFCDX work area: opening it, reading its tag list again after
// changes, key bytes from values and the upkeep of every tag on record changes. Creating
// and rebuilding tags is in dbfCdxBuild.cpp.
#include "dbfCdxIndex.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <list>

#include "Error.h"
#include "TableLayer.h"
#include "Text.h"
#include "cdxUpdate.h"
#include "dbfCdxArea.h"

namespace dbfcdx {

IndexLock::IndexLock(DbfCdxArea& s, bool write) : s_(s) {
    if (!s.shared || !s.index) return;
    DiskIndex& x = *s.index;
    index_ = &x;
    if (x.lockDepth > 0 && (x.lockWrite || !write)) {
        ++x.lockDepth;
        held_ = true;
        return;
    }
    auto kind = write ? TableFile::Lock::Write : TableFile::Lock::Read;
    if (!x.file->lockBriefly(kHeaderLock, 1, kind)) {
        ok_ = false;
        raise(EG_LOCK, 1038, errorDescription(EG_LOCK) + " (index file)", x.path, true);
        return;
    }
    upgraded_ = x.lockDepth > 0;
    x.lockWrite = write;
    ++x.lockDepth;
    held_ = true;
}

IndexLock::~IndexLock() {
    if (!held_ || s_.index.get() != index_) return;
    DiskIndex& x = *s_.index;
    if (--x.lockDepth > 0) {
        if (upgraded_) {
            x.file->lock(kHeaderLock, 1, TableFile::Lock::Read);
            x.lockWrite = false;
        }
        return;
    }
    x.file->unlock(kHeaderLock, 1);
    x.lockWrite = false;
}

std::string productionIndexPath(const DbfCdxArea& s) {
    std::string p = s.path;
    size_t slash = p.find_last_of('/');
    size_t dot = p.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) p.erase(dot);
    return p + ".cdx";
}

std::string bagPath(const DbfCdxArea& s, const std::string& bag) {
    if (bag.empty()) return productionIndexPath(s);
    std::filesystem::path p(bag);
    if (!p.has_extension()) p += ".cdx";
    if (p.is_relative()) p = std::filesystem::path(s.path).parent_path() / p;
    std::string path = p.lexically_normal().string();
    std::string found = posixio::findAnyCase(path);
    return found.empty() ? path : found;
}

namespace {

char keyTypeOf(const Value& v) {
    switch (v.type()) {
        case 'C':
        case 'M': return 'C';
        case 'N': return 'N';
        case 'D': return 'D';
        case 'L': return 'L';
        default: return 0;
    }
}

int typeRank(char t) {
    switch (t) {
        case 'L': return 0;
        case 'D': return 1;
        case 'N': return 2;
        case 'C': return 3;
        default: return 4;
    }
}

bool badKey(const DbfCdxArea& s, const DiskTag& t, const std::string& what) {
    raise(EG_DATATYPE, 1020, errorDescription(EG_DATATYPE) + " (tag " + t.info.name + ": " + what + ")",
          s.given, false);
    return false;
}

// Compiles a tag's key and FOR texts and learns the key type by evaluating the key once.
void compileTag(DiskTag& t) {
    CompileResult key = compileExpr(t.info.keyExpr);
    CompileResult cond;
    if (!t.info.forExpr.empty()) cond = compileExpr(t.info.forExpr);
    t.maintainable = key.expr && (t.info.forExpr.empty() || cond.expr);
    if (!t.maintainable) return;
    std::shared_ptr<const CompiledExpr> k = key.expr, f = cond.expr;
    t.keyBlock = [k] { return k->eval(layerExprHost()); };
    if (f) t.forBlock = [f] { return f->eval(layerExprHost()); };
    t.keyExpr = k;
    t.forExpr = f;
    try {
        ScopedErrorHandler quiet([](const ErrorRecord&) { return ErrorAction::Default; });
        t.keyType = keyTypeOf(t.keyBlock());
    } catch (const ErrorException&) {
        t.keyType = 0;
    }
    if (!t.keyType) {
        t.maintainable = false;
        t.keyType = 'C';
    }
}

}  // namespace

bool reloadTags(DbfCdxArea& s) {
    DiskIndex& x = *s.index;
    std::unique_ptr<cdx::CdxReader> reader;
    Status st = cdx::CdxReader::open(std::make_unique<FileRef>(x.file), &reader);
    if (!st.ok()) {
        raiseStatus(st, false, x.path);
        return false;
    }
    std::vector<DiskTag> tags;
    for (const cdx::TagInfo& info : reader->tags()) {
        DiskTag t;
        t.info = info;
        auto old = std::find_if(x.tags.begin(), x.tags.end(), [&](const DiskTag& o) {
            return o.info.name == info.name && o.info.keyExpr == info.keyExpr &&
                   o.info.forExpr == info.forExpr && o.info.keyLength == info.keyLength;
        });
        if (old != x.tags.end()) {
            t.keyBlock = old->keyBlock;
            t.forBlock = old->forBlock;
            t.keyExpr = old->keyExpr;
            t.forExpr = old->forExpr;
            t.keyType = old->keyType;
            t.maintainable = old->maintainable;
            t.top = old->top;
            t.bottom = old->bottom;
            t.topKey = old->topKey;
            t.bottomKey = old->bottomKey;
        } else {
            compileTag(t);
        }
        // Binary keys were stored without blanks: the key type decides the fill byte.
        t.info.fill = t.keyType == 'N' || t.keyType == 'D' ? '\0' : cdx::kCharFill;
        tags.push_back(std::move(t));
    }
    std::stable_sort(tags.begin(), tags.end(),
                     [](const DiskTag& a, const DiskTag& b) { return a.info.header < b.info.header; });
    for (size_t i = 0; i < reader->tags().size(); ++i) {
        int at = reader->findTag(tags[i].info.name);
        if (at >= 0) reader->setKeyFill(size_t(at), tags[i].info.fill);
    }
    x.tags = std::move(tags);
    x.counter = reader->header().counter;
    x.reader = std::move(reader);
    ++x.version;
    return true;
}

namespace {

// Key counts of recently closed index files, so that opening the same file again does not
// count every leaf again: kept under the file's identity and its change counter, which any
// change of the file moves on.
struct KeptCounts {
    std::string identity;
    cdx::CountCache counts;
};
constexpr size_t kKeptCounts = 8;
std::list<KeptCounts>& keptCounts() {
    static std::list<KeptCounts> kept;
    return kept;
}

std::string countsIdentity(const DiskIndex& x) {
    std::string file = x.file->identity();
    return file.empty() ? file : file + "#" + std::to_string(x.counter);
}

void keepCounts(const DiskIndex& x) {
    if (x.counts.empty() || x.countsVersion != x.version || x.unsynced) return;
    std::string id = countsIdentity(x);
    if (id.empty()) return;
    auto& kept = keptCounts();
    kept.remove_if([&](const KeptCounts& k) { return k.identity == id; });
    kept.push_front(KeptCounts{id, x.counts});
    if (kept.size() > kKeptCounts) kept.pop_back();
}

void takeKeptCounts(DiskIndex& x) {
    std::string id = countsIdentity(x);
    if (id.empty()) return;
    for (const KeptCounts& k : keptCounts())
        if (k.identity == id) {
            x.counts = k.counts;
            x.countsVersion = x.version;
            return;
        }
}

}  // namespace

bool openIndex(DbfCdxArea& s, const std::string& path) {
    int err = 0;
    std::shared_ptr<TableFile> file = TableFile::open(path, s.readOnly, false, &err);
    if (!file) {
        // An index file that cannot be opened leaves the area with the one it had.
        raise(EG_OPEN, 1003, errorDescription(EG_OPEN) + " (" + std::strerror(err) + ")", path, true);
        return false;
    }
    closeIndex(s);
    s.index = std::make_unique<DiskIndex>();
    s.index->path = path;
    s.index->file = std::move(file);
    IndexLock lock(s, false);
    if (!lock.ok() || !reloadTags(s)) {
        s.index.reset();
        return false;
    }
    takeKeptCounts(*s.index);
    return true;
}

void closeIndex(DbfCdxArea& s) {
    syncIndex(s);
    if (s.index) keepCounts(*s.index);
    s.index.reset();
    s.order = 0;
}

bool syncIndex(DbfCdxArea& s) {
    if (!s.index || !s.index->unsynced) return true;
    s.index->unsynced = false;
    Status st = s.index->file->sync();
    if (!st.ok()) raiseStatus(st, true, s.index->path);
    return st.ok();
}

bool refreshIndex(DbfCdxArea& s) {
    if (!s.index || !s.shared) return true;
    std::string head;
    Status st = s.index->file->read(8, 4, &head);
    if (st.ok() && head.size() == 4 && cdx::getBe32(head.data()) == s.index->counter) return true;
    // Another copy changed the index; if it stopped halfway, its journal puts things back.
    if (!recoverIfNeeded(s)) return false;
    return reloadTags(s);
}

int compareSought(const DiskTag& t, std::string_view stored, const SoughtKey& sought) {
    if (sought.outside) return sought.outside < 0 ? 1 : -1;
    size_t n = std::min(stored.size(), sought.bytes.size());
    int c = std::memcmp(stored.data(), sought.bytes.data(), n);
    c = c < 0 ? -1 : c > 0 ? 1 : 0;
    if (t.info.descending) c = -c;
    if (c == 0 && sought.past) return t.info.descending ? 1 : -1;
    return c;
}

SoughtKey soughtKey(const DbfCdxArea& s, const DiskTag& t, const Value& v) {
    SoughtKey k;
    char type = keyTypeOf(v);
    if (type != t.keyType) {
        k.outside = typeRank(type) < typeRank(t.keyType) ? -1 : 1;
        return k;
    }
    switch (type) {
        case 'N': k.bytes = cdx::numericKey(v.num()); break;
        case 'D': k.bytes = cdx::dateKey(v.date().julian()); break;
        case 'L': k.bytes = cdx::logicalKey(v.logical()); break;
        default: {
            if (!s.table->codePage().fromUtf8(v.text(), &k.bytes).ok()) {
                k.outside = 1;  // no stored key holds a character the code page lacks
                return k;
            }
            if (k.bytes.size() > t.info.keyLength) {
                // A stored key equals a sought one that it begins with; a longer sought key
                // begins with none, even blanks past the key length: it sorts after the keys
                // it begins with, as in the memory engine.
                k.past = true;
                k.bytes.resize(t.info.keyLength);
            }
        }
    }
    return k;
}

bool storedKey(const DbfCdxArea& s, const DiskTag& t, const Value& v, std::string* out) {
    char type = keyTypeOf(v);
    if (type != t.keyType) return badKey(s, t, std::string("key of type ") + v.type());
    switch (type) {
        case 'N': *out = cdx::numericKey(v.num()); return true;
        case 'D': *out = cdx::dateKey(v.date().julian()); return true;
        case 'L': *out = cdx::logicalKey(v.logical()); return true;
        default: {
            std::string bytes;
            Status st = s.table->codePage().fromUtf8(v.text(), &bytes);
            if (!st.ok()) return badKey(s, t, st.message());
            *out = cdx::charKey(bytes, t.info.keyLength);
            return true;
        }
    }
}

bool tagsMaintainable(DbfCdxArea& s) {
    if (!s.index) return true;
    for (const DiskTag& t : s.index->tags) {
        if (t.maintainable) continue;
        raise(EG_UNSUPPORTED, 1004,
              errorDescription(EG_UNSUPPORTED) + " (tag " + t.info.name +
                  ": its key or condition uses what this program cannot evaluate; the table is read only)",
              s.index->path, false);
        return false;
    }
    return true;
}

bool tagKey(DbfCdxArea& s, const DiskTag& t, std::optional<std::string>* out) {
    out->reset();
    if (t.forBlock && !t.forBlock().logical()) return true;
    std::string bytes;
    if (!storedKey(s, t, t.keyBlock(), &bytes)) return false;
    *out = std::move(bytes);
    return true;
}

bool currentKeys(DbfCdxArea& s, KeySet* out) {
    out->clear();
    if (!s.index) return true;
    out->resize(s.index->tags.size());
    for (size_t i = 0; i < out->size(); ++i) {
        const DiskTag& t = s.index->tags[i];
        if (t.maintainable && !tagKey(s, t, &(*out)[i])) return false;
    }
    return true;
}

bool updateTags(DbfCdxArea& s, long rec, const KeySet& before, const KeySet& after) {
    if (!s.index || before == after) return true;
    IndexLock lock(s, true);
    if (!lock.ok()) return false;
    DiskIndex& x = *s.index;
    x.unsynced = true;
    for (size_t i = 0; i < x.tags.size() && i < before.size() && i < after.size(); ++i) {
        if (before[i] == after[i]) continue;
        cdx::CdxTagUpdater u(x.file.get(), x.tags[i].info);
        Status st;
        if (before[i]) {
            st = u.remove(*before[i], uint32_t(rec));
            if (st.code() == Status::Code::NotFound) st = Status::OK();
        }
        if (st.ok() && after[i]) {
            st = u.insert(*after[i], uint32_t(rec));
            // A unique tag keeps the first record of each key.
            if (st.code() == Status::Code::InvalidArgument && x.tags[i].info.unique()) st = Status::OK();
        }
        if (!st.ok()) {
            raiseStatus(st, true, x.path);
            reloadTags(s);
            return false;
        }
    }
    return reloadTags(s);
}

}  // namespace dbfcdx
