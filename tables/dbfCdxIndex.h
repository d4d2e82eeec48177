#pragma once
// The compound index (.cdx) of a DBFCDX work area: its tags with their key and FOR texts
// compiled, key bytes made from values, tags kept current on every record change, tag
// creation and the rebuild after pack and zap.
//
// Index lock (shared opens only): byte 0x7FFFFFFE of the .cdx file, written-locked while an
// area changes index pages and read-locked while it reads them. The change counter of the
// file header tells a shared area that another one changed the file; it then reads the tag
// list again before using it.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Rdd.h"
#include "cdxReader.h"
#include "dbfCdxFile.h"

namespace dbfcdx {

struct DbfCdxArea;

// A sought key in a tag's byte form, or where a value of another type sorts: before every
// key of the tag (-1) or after every one (+1). `past`: longer than the key length, it sorts
// just after the keys that begin with `bytes`.
struct SoughtKey {
    std::string bytes;
    int outside = 0;
    bool past = false;
};

struct DiskTag {
    cdx::TagInfo info;  // as the reader reported it
    Block keyBlock;
    Block forBlock;     // empty: every record
    // The compiled texts behind the blocks, when they were compiled from the texts.
    std::shared_ptr<const CompiledExpr> keyExpr, forExpr;
    char keyType = 'C'; // C N D L
    // Key and FOR texts compiled and evaluated; tags written by other programs may use
    // functions this program lacks: they can be read but the table cannot be changed.
    bool maintainable = true;
    std::optional<Value> top, bottom;  // scopes, as given
    std::optional<SoughtKey> topKey, bottomKey;
};

struct DiskIndex {
    std::string path;
    std::shared_ptr<TableFile> file;
    std::unique_ptr<cdx::CdxReader> reader;
    std::vector<DiskTag> tags;  // in creation order (by header offset)
    uint32_t counter = 0;       // change counter when the tags were read
    uint64_t version = 0;       // bumped on every change seen, for cached positions
    bool unsynced = false;      // changed since the file was last flushed to the disk
    int lockDepth = 0;          // IndexLock objects alive (the lock is taken once)
    bool lockWrite = false;     // the kind of lock held while lockDepth > 0
    // Keys under each interior page, for key positions and counts; they hold for the file
    // as it was at `countsVersion` and are dropped when the version moves on.
    cdx::CountCache counts;
    uint64_t countsVersion = 0;
};

// One tag's key bytes for the current record; nullopt when its FOR condition leaves the
// record out.
using KeySet = std::vector<std::optional<std::string>>;

// Holds the index lock of a shared area for the lifetime of the object. Nested locks share
// the outer one (a write lock asked inside a read lock upgrades it until it ends).
class IndexLock {
  public:
    IndexLock(DbfCdxArea& s, bool write);
    ~IndexLock();
    bool ok() const { return ok_; }

  private:
    DbfCdxArea& s_;
    bool held_ = false;
    bool ok_ = true;
    bool upgraded_ = false;
    const DiskIndex* index_ = nullptr;  // the index locked (it may be replaced meanwhile)
};

std::string productionIndexPath(const DbfCdxArea& s);
// The index file an order-bag name stands for: ".cdx" added, relative names beside the
// table; the production index for an empty name.
std::string bagPath(const DbfCdxArea& s, const std::string& bag);
// Opens the index file at `path` for the area (replacing an open one); false with an error
// record naming the file when it cannot be read.
bool openIndex(DbfCdxArea& s, const std::string& path);
void closeIndex(DbfCdxArea& s);
// Flushes the index file to the disk when it changed (with the table, on commit and close).
bool syncIndex(DbfCdxArea& s);
// Reads the tag list (again), keeping what is known of tags that did not change.
bool reloadTags(DbfCdxArea& s);
// Reads the tag list again when another area changed the file (shared opens); call with
// the index lock held.
bool refreshIndex(DbfCdxArea& s);

// Compares a stored key with a sought one over the sought bytes, in tag order.
int compareSought(const DiskTag& t, std::string_view stored, const SoughtKey& sought);
SoughtKey soughtKey(const DbfCdxArea& s, const DiskTag& t, const Value& v);
// One tag's key bytes for the current record (nullopt when its FOR leaves it out); false
// with an error record when the key does not fit the tag. An expression that fails to
// evaluate unwinds (ErrorException), as everywhere in the layer.
bool tagKey(DbfCdxArea& s, const DiskTag& t, std::optional<std::string>* out);
// The stored form of a key value; false with an error record when its type does not fit.
bool storedKey(const DbfCdxArea& s, const DiskTag& t, const Value& v, std::string* out);

// Record changes: the keys before and after, then the tags brought up to date.
bool tagsMaintainable(DbfCdxArea& s);
bool currentKeys(DbfCdxArea& s, KeySet* out);
bool updateTags(DbfCdxArea& s, long rec, const KeySet& before, const KeySet& after);

// Builds tag `info` from the records (replacing a tag of that name) and makes it current.
bool createTag(DbfCdxArea& s, const OrderCreateInfo& info);
// The side file that a new version of `path` is written to before it replaces it.
std::string sideFile(const std::string& path);
// Builds every tag again from the records into a new index file at `side`, which becomes
// the area's index (the caller renames it into place); on failure the old one stays.
bool rebuildTagsAt(DbfCdxArea& s, const std::string& side);

}  // namespace dbfcdx
