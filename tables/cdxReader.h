#pragma once
// Reading compound index files: the tag list from the tag directory, and a cursor per tag
// that seeks, walks both ways along the leaf level by sibling links and reports key bytes
// and record numbers. Read-only, no caching, no locking (those belong to the driver).
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cdxFormat.h"
#include "fileIo.h"

namespace cdx {

// One tag (or the tag directory itself) as the reader sees it.
struct TagInfo {
    std::string name;  // upper case, without padding
    std::string keyExpr;
    std::string forExpr;
    uint32_t keyLength = 0;
    uint8_t options = 0;
    bool descending = false;
    uint32_t header = 0;  // offset of the tag header
    uint32_t root = 0;
    char fill = kCharFill;  // byte removed by trailing compression; binary keys need 0x00
    bool unique() const { return (options & kOptUnique) != 0; }
};

// An open .cdx file and its tags. The reader keeps the pages it has read: it sees the file
// as it was when opened, so whoever changes the file opens a new reader afterwards.
class CdxReader {
  public:
    // Reads the file header, the tag directory and every tag header.
    static Status open(std::unique_ptr<File> file, std::unique_ptr<CdxReader>* out);

    const std::string& name() const { return file_->name(); }
    const CdxHeader& header() const { return header_; }
    const std::vector<TagInfo>& tags() const { return tags_; }
    const TagInfo& directory() const { return directory_; }
    int findTag(std::string_view name) const;  // -1 when absent; case-insensitive
    // The driver knows the key type from the compiled expression: binary keys (numbers,
    // dates, integers) were trail-compressed with 0x00 rather than blanks.
    void setKeyFill(size_t tag, char fill) { tags_.at(tag).fill = fill; }
    uint32_t pageCount() const { return uint32_t(size_ / kPageSize); }

    // One 512-byte page at `offset`, which must be page-aligned and inside the file.
    Status readPage(uint32_t offset, std::string* out) const;
    Status readLeaf(uint32_t offset, const TagInfo& tag, CdxLeaf* out) const;
    Status readInterior(uint32_t offset, const TagInfo& tag, CdxInterior* out) const;
    // The same without copies: the page or node stays valid until the next read.
    Status pageAt(uint32_t offset, const std::string** out) const;
    Status interiorAt(uint32_t offset, const TagInfo& tag, const CdxInterior** out) const;
    // Tells readers apart for their whole life (an address may be reused, this is not).
    uint64_t serial() const { return serial_; }
    // Whether the page at `offset` is a leaf, and (when asked) whether it is marked a root.
    Status isLeaf(uint32_t offset, bool* leaf, bool* root = nullptr) const;
    // Corruption naming the file and the page.
    Status corrupt(uint32_t page, const std::string& what) const;

  private:
    explicit CdxReader(std::unique_ptr<File> f);
    Status readTags();
    Status readTagHeader(const std::string& name, uint32_t offset, TagInfo* tag) const;
    std::unique_ptr<File> file_;
    uint64_t size_ = 0;
    // Pages read so far. Interior pages (few, and on the path of every seek) stay; leaves
    // are dropped all at once when there are too many of them.
    static constexpr size_t kCachedPages = 8192;
    static constexpr size_t kCachedInterior = 65536;
    mutable std::unordered_map<uint32_t, std::string> pages_;
    mutable std::unordered_map<uint32_t, std::string> interior_;
    // Interior nodes decoded, dropped with the pages.
    struct DecodedInterior {
        uint32_t keyLength = 0;
        CdxInterior node;
    };
    mutable std::unordered_map<uint32_t, DecodedInterior> decodedInterior_;
    uint64_t serial_;
    CdxHeader header_;
    TagInfo directory_;
    std::vector<TagInfo> tags_;
};

// A position in one tag: on a (key, record number) pair, or off the end.
class CdxCursor {
  public:
    CdxCursor(const CdxReader& reader, const TagInfo& tag) : r_(&reader), tag_(tag) {}

    Status first();
    Status last();
    Status next();  // past the last key the cursor becomes invalid
    Status prev();
    // First key >= `key` in tag order (<= for descending tags), comparing only the first
    // key.size() bytes. *found tells whether that key begins with `key`.
    Status seek(std::string_view key, bool* found);
    // First key that is greater than `key` over its first key.size() bytes (in tag order):
    // one step back from there is the last key that begins with `key`.
    Status seekAfter(std::string_view key);
    // Exactly on the pair (key, recno), or on the first pair after it (equal keys are
    // ordered by record number); `key` is a whole stored key.
    Status seekPair(std::string_view key, uint32_t recno, bool* found);

    bool valid() const { return valid_; }
    const TagInfo& tag() const { return tag_; }
    const std::string& key() const { return leaf_.entries[pos_].key; }
    uint32_t recno() const { return leaf_.entries[pos_].recno; }

  private:
    enum class Aim { First, Last, Seek };
    // Whether a pair is at or after the target; true for a trailing run of the tag's pairs.
    using Reached = std::function<bool(std::string_view key, uint32_t recno)>;
    Status descend(Aim aim, const Reached& reached);
    Status seekWhere(const Reached& reached);
    Status loadLeaf(uint32_t offset);
    Status stepRight();  // to the first entry of the next non-empty leaf
    Status stepLeft();
    Status checkStep(uint32_t from, bool rightward) const;
    int compare(std::string_view stored, std::string_view sought) const;

    const CdxReader* r_;
    TagInfo tag_;
    CdxLeaf leaf_;
    uint32_t leafOffset_ = kNoPage;
    size_t pos_ = 0;
    bool valid_ = false;
    uint32_t steps_ = 0;  // leaves entered since the last positioning; caps sibling loops
};

// Keys under each interior page of a tag, computed on first need: the rank of a key among
// the tag's keys is then a walk down one path instead of along every leaf. The counts
// describe the file as `reader` sees it; whoever holds them drops them when it changes.
struct SubtreeCounts {
    std::vector<uint64_t> before;  // keys in the children before each child
    uint64_t total = 0;
};
using CountCache = std::unordered_map<uint32_t, SubtreeCounts>;

class CdxCounter {
  public:
    // Whether a pair is at or after the target; true for a trailing run of the tag's pairs.
    using Reached = std::function<bool(std::string_view key, uint32_t recno)>;
    CdxCounter(const CdxReader& reader, const TagInfo& tag, CountCache* cache)
        : r_(&reader), tag_(tag), cache_(cache) {}
    // Keys in the tag.
    Status total(uint64_t* out);
    // Number of pairs before the first one that is reached (all of them when none is).
    Status rank(const Reached& reached, uint64_t* out);

  private:
    Status keysUnder(uint32_t page, int depth, uint64_t* out);
    Status countsOf(uint32_t page, int depth, const SubtreeCounts** out);
    const CdxReader* r_;
    TagInfo tag_;
    CountCache* cache_;
};

}  // namespace cdx
