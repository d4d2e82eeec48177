// Building tags of a DBFCDX index from the records: a new tag is appended to the index file
// (its pages after the last page, its name added to the tag directory); replacing a tag,
// pack and zap write the whole file again, one tag at a time, so that the keys of one tag
// at most are held in memory.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <thread>

#include "dbfCdxJournal.h"

#include "Error.h"
#include "TableLayer.h"
#include "Text.h"
#include "cdxUpdate.h"
#include "cdxWriter.h"
#include "dbfCdxArea.h"
#include "dbfCdxIndex.h"
#include "dbfRecordExpr.h"

namespace dbfcdx {

namespace {

// What a tag is built from.
struct TagDef {
    std::string name;
    std::string keyText, forText;
    Block keyBlock, forBlock;
    // The compiled texts behind the blocks, when the blocks were compiled from the texts.
    std::shared_ptr<const CompiledExpr> keyExpr, forExpr;
    bool unique = false;
    bool descending = false;
    const OrderCondition* condition = nullptr;  // the pending ORDCONDSET of a new tag
};

bool validTagName(const std::string& n) {
    return !n.empty() && n.size() <= cdx::kDirectoryKeyLength &&
           std::all_of(n.begin(), n.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
           });
}

// Evaluates the key of the record the area is on (or of a blank one at the end) to learn
// the key type and length.
bool probeKey(DbfCdxArea& s, DiskTag& t) {
    Value k = t.keyBlock();
    char type = k.type() == 'M' ? 'C' : k.type();
    uint32_t len = 0;
    switch (type) {
        case 'C': {
            std::string bytes;
            Status st = s.table->codePage().fromUtf8(k.text(), &bytes);
            if (!st.ok()) {
                raise(EG_DATATYPE, 1020, errorDescription(EG_DATATYPE) + " (" + st.message() + ")", s.given);
                return false;
            }
            len = uint32_t(bytes.size());
            break;
        }
        case 'N':
        case 'D': len = 8; break;
        case 'L': len = 1; break;
        default:
            raise(EG_DATATYPE, 1020,
                  errorDescription(EG_DATATYPE) + " (an index key cannot be of type " + std::string(1, k.type()) + ")",
                  s.given);
            return false;
    }
    if (len == 0 || len > cdx::kMaxKeyLength) {
        raise(EG_LIMIT, 1026,
              errorDescription(EG_LIMIT) + " (key length " + std::to_string(len) + ": 1 to " +
                  std::to_string(cdx::kMaxKeyLength) + " bytes)",
              s.given);
        return false;
    }
    t.keyType = type;
    t.info.keyLength = len;
    t.info.fill = type == 'N' || type == 'D' ? '\0' : cdx::kCharFill;
    return true;
}

// The keys of a tag being built: packed one after another in one buffer, with their record
// numbers, and the views in tag order that the writer reads.
struct BuiltKeys {
    std::string packed;
    std::vector<uint32_t> recnos;
    std::vector<cdx::KeyView> sorted;
};

// Sorts packed keys in tag order (then by record number) through their first sixteen
// bytes, which settle most comparisons without touching the keys themselves.
void sortKeys(BuiltKeys* b, uint32_t len, bool descending) {
    struct Item {
        uint64_t hi, lo;
        uint32_t at;
    };
    size_t n = b->recnos.size();
    std::vector<Item> items(n);
    for (size_t i = 0; i < n; ++i) {
        const char* k = b->packed.data() + i * len;
        uint64_t part[2] = {0, 0};
        for (size_t x = 0; x < 16; ++x) part[x / 8] = part[x / 8] << 8 | (x < len ? uint8_t(k[x]) : 0);
        items[i] = descending ? Item{~part[0], ~part[1], uint32_t(i)} : Item{part[0], part[1], uint32_t(i)};
    }
    const char* keys = b->packed.data();
    auto before = [&](const Item& x, const Item& y) {
        if (x.hi != y.hi) return x.hi < y.hi;
        if (x.lo != y.lo) return x.lo < y.lo;
        if (len > 16) {
            int c = std::memcmp(keys + size_t(x.at) * len + 16, keys + size_t(y.at) * len + 16, len - 16);
            if (c != 0) return descending ? c > 0 : c < 0;
        }
        return b->recnos[x.at] < b->recnos[y.at];
    };
    // Big tags: each half sorted on its own core, then merged.
    auto middle = items.begin() + ptrdiff_t(n / 2);
    if (n >= 65536) {
        std::thread other([&] { std::sort(items.begin(), middle, before); });
        std::sort(middle, items.end(), before);
        other.join();
        std::inplace_merge(items.begin(), middle, items.end(), before);
    } else {
        std::sort(items.begin(), items.end(), before);
    }
    // The keys are copied in tag order once, so that the writer's passes over them read
    // memory in order instead of jumping about.
    std::string inOrder;
    inOrder.reserve(n * len);
    std::vector<uint32_t> recnos(n);
    for (size_t i = 0; i < n; ++i) {
        inOrder.append(keys + size_t(items[i].at) * len, len);
        recnos[i] = b->recnos[items[i].at];
    }
    std::vector<Item>().swap(items);
    b->packed.swap(inOrder);
    b->recnos.swap(recnos);
    b->sorted.clear();
    b->sorted.reserve(n);
    for (size_t i = 0; i < n; ++i) b->sorted.push_back({std::string_view(b->packed.data() + i * len, len), b->recnos[i]});
}

// Reads records in blocks while a tag is built, in areas that nobody else changes.
class ReadAhead {
  public:
    explicit ReadAhead(DbfCdxArea& s) : s_(s) { s.table->setReadAhead(!s.shared); }
    ~ReadAhead() { s_.table->setReadAhead(false); }

  private:
    DbfCdxArea& s_;
};

// A tag's key and FOR compiled to work on the raw records, where they can be.
struct FastForms {
    std::unique_ptr<dbf::RecordExpr> key, condition;
    const dbf::DbfTable* table = nullptr;  // the codec they were compiled against
};

FastForms fastForms(DbfCdxArea& s, const TagDef& def, const DiskTag& t) {
    FastForms f;
    f.table = s.table.get();
    if (def.keyExpr) f.key = dbf::RecordExpr::compile(*def.keyExpr, *s.table);
    // Text keys are made as bytes, or as values like other keys.
    if (f.key && f.key->isText() && t.keyType != 'C') f.key.reset();
    if (def.forBlock && def.forExpr) f.condition = dbf::RecordExpr::compile(*def.forExpr, *s.table);
    return f;
}

// Appends the current record's key to `keys` (`added`) unless the tag's condition leaves it out,
// through the fast forms where they serve and the blocks where they do not; the same as
// tagKey().
bool recordKey(DbfCdxArea& s, const DiskTag& t, FastForms& fast, std::string* keys, bool* added) {
    if (fast.table != s.table.get()) fast = {};  // the codec was rebuilt meanwhile
    uint32_t rec = uint32_t(s.recNo);
    Value v;
    if (fast.condition && fast.condition->value(rec, s.raw, &v) && v.isLogical()) {
        if (!v.logical()) return true;
    } else if (t.forBlock && !t.forBlock().logical()) {
        return true;
    }
    *added = true;
    size_t at = keys->size();
    if (fast.key && fast.key->isText() && fast.key->text(rec, s.raw, keys)) {
        keys->resize(at + t.info.keyLength, cdx::kCharFill);
        return true;
    }
    std::string bytes;
    bool made = fast.key && !fast.key->isText() && fast.key->value(rec, s.raw, &v);
    if (!storedKey(s, t, made ? v : t.keyBlock(), &bytes)) return false;
    keys->append(bytes);
    return true;
}

// The sorted keys of one tag over the records its condition selects; the tag views point
// into `built`.
bool collectKeys(DbfCdxArea& s, const TagDef& def, BuiltKeys* built, cdx::CdxTagSpec* spec) {
    DiskTag t;
    t.keyBlock = def.keyBlock;
    t.forBlock = def.forBlock;
    const OrderCondition* c = def.condition;
    long rec = 1;
    if (c && (c->whileBlock || c->next > 0) && c->startRecord > 0) rec = c->startRecord;
    goToRecord(s, rec);
    if (!probeKey(s, t)) return false;
    size_t expected = size_t(c && c->next > 0 ? std::min(c->next, s.count()) : s.count());
    built->packed.reserve(expected * t.info.keyLength);
    built->recnos.reserve(expected);
    long done = 0;
    FastForms fast = fastForms(s, def, t);
    ReadAhead ahead(s);
    for (; !s.atEnd(); goToRecord(s, s.recNo + 1 > s.count() ? 0 : s.recNo + 1)) {
        if (c && c->next > 0 && done >= c->next) break;
        if (c && c->evalBlock && c->evalStep > 0 && done % c->evalStep == 0 &&
            !c->evalBlock().logical())
            break;
        if (c && c->whileBlock && !c->whileBlock().logical()) break;
        bool added = false;
        if (!recordKey(s, t, fast, &built->packed, &added)) return false;
        if (added) built->recnos.push_back(uint32_t(s.recNo));
        ++done;
    }
    sortKeys(built, t.info.keyLength, def.descending);
    std::vector<cdx::KeyView>& keys = built->sorted;
    if (def.unique) {
        // The first record of each key.
        keys.erase(std::unique(keys.begin(), keys.end(),
                               [](const auto& a, const auto& b) { return a.key == b.key; }),
                   keys.end());
    }
    spec->views = std::move(keys);
    spec->name = def.name;
    spec->keyExpr = def.keyText;
    spec->forExpr = def.forText;
    spec->keyLength = t.info.keyLength;
    spec->binary = t.info.fill == '\0';
    spec->unique = def.unique;
    spec->descending = def.descending;
    return true;
}

bool failed(const Status& st, const std::string& path) {
    if (st.ok()) return false;
    raiseStatus(st, true, path);
    return true;
}

// Adds a built tag to the open index: pages after the end of the file, then its name in the
// tag directory (which bumps the change counter). A tag of the same name (`replaced`) leaves
// the directory in the same step, so the old tag stays whole until the new one is in.
bool appendTag(DbfCdxArea& s, const cdx::CdxTagSpec& spec, const DiskTag* replaced = nullptr) {
    DiskIndex& x = *s.index;
    uint64_t size = 0;
    Status st = x.file->size(&size);
    uint32_t origin = uint32_t((size + cdx::kPageSize - 1) / cdx::kPageSize * cdx::kPageSize);
    std::string image;
    if (st.ok()) st = cdx::buildTagAt(spec, {}, origin, &image);
    if (st.ok()) st = x.file->write(origin, image);
    std::string name = cdx::charKey(text::upper(spec.name), cdx::kDirectoryKeyLength);
    if (st.ok() && replaced) {
        cdx::CdxTagUpdater dir(x.file.get(), x.reader->directory());
        st = dir.remove(name, replaced->info.header);
    }
    if (st.ok()) {
        cdx::CdxTagUpdater dir(x.file.get(), x.reader->directory());
        st = dir.insert(name, origin);
    }
    x.unsynced = true;
    return !failed(st, x.path);
}

// Writes a new index file at `side` with `defs`, in order, and makes it the area's index;
// on failure the area keeps the index it had and the side file is removed.
bool buildIndexFile(DbfCdxArea& s, const std::string& side, const std::vector<TagDef>& defs) {
    std::unique_ptr<DiskIndex> previous = std::move(s.index);
    int order = s.order;
    auto fail = [&] {
        s.index = std::move(previous);
        s.order = order;
        (void)posixio::removeFile(side);
        return false;
    };
    int err = 0;
    std::shared_ptr<TableFile> f;
    if (posixio::removeFile(side).ok()) f = TableFile::open(side, false, true, &err);
    if (!f) {
        raise(EG_CREATE, 1004, errorDescription(EG_CREATE) + " (" + std::strerror(err) + ")", side);
        return fail();
    }
    s.index = std::make_unique<DiskIndex>();
    s.index->path = side;
    s.index->file = std::move(f);
    if (failed(cdx::writeCdx({}, {}, s.index->file.get()), side) || !reloadTags(s)) return fail();
    for (const TagDef& def : defs) {
        cdx::CdxTagSpec spec;
        BuiltKeys built;
        if (!collectKeys(s, def, &built, &spec) || !appendTag(s, spec) || !reloadTags(s)) return fail();
    }
    if (failed(s.index->file->sync(), side)) return fail();
    s.index->unsynced = false;
    s.order = order;
    return true;
}

// Puts the index file built at `side` in the place of `path`.
bool installIndexFile(DbfCdxArea& s, const std::string& side, const std::string& path) {
    Status st = posixio::renameFile(side, path);
    if (st.ok()) st = posixio::syncFolderOf(path);
    if (failed(st, path)) return false;
    s.index->path = path;
    s.index->file->renamed(path);
    return true;
}

TagDef defOf(const DiskTag& t) {
    return {t.info.name, t.info.keyExpr, t.info.forExpr, t.keyBlock, t.forBlock, t.keyExpr, t.forExpr,
            t.info.unique(), t.info.descending, nullptr};
}

// The open index was deleted or replaced behind the area's back (the index generator
// deletes index files before it builds them again).
bool indexFileGone(const DiskIndex& x) {
    return !x.file->isFileAt(x.path);
}

void markStructural(DbfCdxArea& s) {
    std::string flags;
    if (!s.file->read(28, 1, &flags).ok() || flags.size() != 1 || (flags[0] & 0x01)) return;
    flags[0] = char(flags[0] | 0x01);
    (void)s.file->write(28, flags);
}

}  // namespace

bool createTag(DbfCdxArea& s, const OrderCreateInfo& info) {
    if (s.readOnly) {
        raise(EG_READONLY, 1025, errorDescription(EG_READONLY), s.given, false);
        return false;
    }
    std::string name = text::upper(info.tag.empty() ? aliasFromFile(info.bag) : info.tag);
    if (!validTagName(name)) {
        raise(EG_ARG, 1006, errorDescription(EG_ARG) + " (tag name \"" + name + "\")", s.given);
        return false;
    }
    std::string path = bagPath(s, info.bag);
    if (s.index && (s.index->path != path || indexFileGone(*s.index))) closeIndex(s);
    std::error_code ec;
    if (!s.index && std::filesystem::exists(path, ec) && !openIndex(s, path)) return false;

    TagDef def{name, info.keyText, "", info.keyBlock, {}, info.keyExpr, nullptr, info.unique, false, nullptr};
    if (info.condition) {
        def.forText = info.condition->forText;
        def.forBlock = info.condition->forBlock;
        def.forExpr = info.condition->forExpr;
        def.descending = info.condition->descending;
        def.condition = &*info.condition;
    }
    IndexLock lock(s, true);
    if (!lock.ok()) return false;
    bool ok;
    if (!s.index) {
        // A new file is written beside and renamed into place: a table never meets a
        // half-written index. A file that is itself a side file (an index being built to
        // replace another) is never opened with a table, and is written in place.
        bool inPlace = path.ends_with(sideFile(""));
        std::string side = inPlace ? path : sideFile(path);
        ok = buildIndexFile(s, side, {def}) && (inPlace || installIndexFile(s, side, path));
        if (ok && path == productionIndexPath(s)) markStructural(s);
    } else {
        auto old = std::find_if(s.index->tags.begin(), s.index->tags.end(),
                                [&](const DiskTag& t) { return t.info.name == name; });
        const DiskTag* replaced = old != s.index->tags.end() ? &*old : nullptr;
        cdx::CdxTagSpec spec;
        BuiltKeys built;
        ok = collectKeys(s, def, &built, &spec);
        if (ok) {
            Transaction change(s);
            ok = change.ok() && appendTag(s, spec, replaced) && change.commit();
        }
        ok = ok && reloadTags(s);
    }
    if (!ok || !s.index) return false;
    // The new tag keeps the callables it was given.
    for (size_t i = 0; i < s.index->tags.size(); ++i) {
        DiskTag& t = s.index->tags[i];
        if (t.info.name != name) continue;
        t.keyBlock = def.keyBlock;
        t.forBlock = def.forBlock;
        t.keyExpr = def.keyExpr;
        t.forExpr = def.forExpr;
        t.maintainable = true;
        s.order = int(i) + 1;
    }
    return true;
}

std::string sideFile(const std::string& path) {
    return path + ".new~";
}

bool rebuildTagsAt(DbfCdxArea& s, const std::string& side) {
    if (!s.index) return true;
    if (!tagsMaintainable(s)) return false;
    std::vector<TagDef> defs;
    for (const DiskTag& t : s.index->tags) defs.push_back(defOf(t));
    return buildIndexFile(s, side, defs);
}

}  // namespace dbfcdx
