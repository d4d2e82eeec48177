#pragma once
// Byte layouts of compound index (.cdx) files: the 1024-byte header of the file and of
// every tag, interior nodes with full keys, and leaf nodes with bit-packed, compressed
// entries. Pure codecs: no file access; callers add the file name and page to errors.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Status.h"

namespace cdx {

// Deepest tree the readers and the checker follow before calling a file damaged.
constexpr int kMaxDepth = 32;
// A page offset as it appears in messages, e.g. 0x0400.
std::string hexOffset(uint32_t v);

constexpr uint32_t kPageSize = 512;
constexpr uint32_t kHeaderSize = 1024;
constexpr uint32_t kNoPage = 0xFFFFFFFF;
constexpr uint32_t kLeafArea = 488;      // key area of a leaf: bytes 24..511
constexpr uint32_t kInteriorArea = 500;  // entries of an interior node: bytes 12..511
constexpr uint32_t kMaxKeyLength = 240;
constexpr uint32_t kDirectoryKeyLength = 10;

// Node attribute bits (other bits, such as 0x04, are ignored).
constexpr uint16_t kAttrRoot = 0x01;
constexpr uint16_t kAttrLeaf = 0x02;

// Whether a page of the free-page list looks free: its first four bytes link the next free
// page and the sibling links of a page in use (bytes 4 to 11) are zero.
inline bool isFreePage(std::string_view page) {
    return page.size() >= 12 && page.substr(4, 8).find_first_not_of('\0') == std::string_view::npos;
}

// Header option bits.
constexpr uint8_t kOptUnique = 0x01;
constexpr uint8_t kOptNullable = 0x02;
constexpr uint8_t kOptFor = 0x08;
constexpr uint8_t kOptBitVector = 0x10;
constexpr uint8_t kOptCompact = 0x20;
constexpr uint8_t kOptCompound = 0x40;
constexpr uint8_t kOptStructural = 0x80;
constexpr uint8_t kDirectoryOptions = 0xE0;
constexpr uint8_t kTagOptions = 0x60;

// Filler removed by trailing compression: blanks for character keys, zero for binary ones.
constexpr char kCharFill = ' ';
constexpr char kBinaryFill = '\0';

uint16_t getLe16(const char* p);
uint32_t getLe32(const char* p);
uint32_t getBe32(const char* p);
void putLe16(char* p, uint16_t v);
void putLe32(char* p, uint32_t v);
void putBe32(char* p, uint32_t v);

// Header of the file (offset 0, the tag directory) and of each tag.
class CdxHeader {
  public:
    uint32_t root = 0;
    uint32_t freeList = 0;  // 0 and 0xFFFFFFFF both mean none
    uint32_t counter = 0;   // change counter, stored big-endian
    uint16_t keyLength = kDirectoryKeyLength;
    uint8_t options = kDirectoryOptions;
    uint8_t signature = 0x01;
    bool descending = false;
    std::string keyExpr;  // stored exactly as given
    std::string forExpr;  // empty when there is no FOR condition

    // Appends 1024 bytes; InvalidArgument when the expressions do not fit the pool.
    Status encodeTo(std::string* out) const;
    // Needs 1024 bytes.
    Status decodeFrom(std::string_view in);
    bool hasFreeList() const { return freeList != 0 && freeList != kNoPage; }
};

// The 12 bytes every node starts with.
struct NodeLinks {
    uint16_t attributes = 0;
    uint32_t left = kNoPage;
    uint32_t right = kNoPage;
    bool isLeaf() const { return (attributes & kAttrLeaf) != 0; }
    bool isRoot() const { return (attributes & kAttrRoot) != 0; }
};

// Peeks at the node header of a page (needs 12 bytes).
Status decodeNodeLinks(std::string_view in, NodeLinks* links, uint16_t* count);

// Interior node: one entry per child, holding the last key and record number of that child.
class CdxInterior {
  public:
    struct Entry {
        std::string key;  // exactly keyLength bytes
        uint32_t recno = 0;
        uint32_t child = 0;
    };
    NodeLinks links;
    std::vector<Entry> entries;

    static size_t capacity(uint32_t keyLength) { return kInteriorArea / (keyLength + 8); }
    // Appends 512 bytes; InvalidArgument when a key has the wrong length or too many entries.
    Status encodeTo(uint32_t keyLength, std::string* out) const;
    Status decodeFrom(std::string_view in, uint32_t keyLength);
};

// Bit widths of the packed leaf entries.
struct LeafLayout {
    uint8_t recBits = 0, dupBits = 0, trailBits = 0, entryBytes = 0;
    // The layout the writer uses for a node whose largest record number is maxRecno.
    static LeafLayout forNode(uint32_t keyLength, uint32_t maxRecno, uint8_t minEntryBytes);
};

// A key and its record number held elsewhere (a writer's packed keys).
struct KeyView {
    std::string_view key;
    uint32_t recno = 0;
};

// Leaf node: keys with leading-duplicate and trailing-filler compression.
class CdxLeaf {
  public:
    struct Entry {
        std::string key;  // exactly keyLength bytes, decompressed
        uint32_t recno = 0;
    };
    NodeLinks links{kAttrLeaf, kNoPage, kNoPage};
    std::vector<Entry> entries;
    // Filled by decodeFrom: what the page declares.
    LeafLayout layout;
    uint16_t declaredFree = 0;
    uint16_t usedBytes = 0;  // packed entries plus stored key bytes, as decoded

    // Bytes the entries take in the key area (packed entries plus stored key bytes) when
    // encoded with `trailFill` (0 = no trailing compression) and the given minimum width.
    static size_t encodedSize(const std::vector<Entry>& entries, size_t begin, size_t end,
                              uint32_t keyLength, int trailFill, uint8_t minEntryBytes);
    // The key bytes one entry stores after `prev` (null for the first entry of a leaf):
    // lets a writer grow a leaf one key at a time.
    static size_t storedBytes(const std::string_view* prev, std::string_view key, uint32_t keyLength,
                              int trailFill);
    // Appends the 512-byte leaf page holding `keys`.
    static Status encodeKeys(std::span<const KeyView> keys, const NodeLinks& links, uint32_t keyLength,
                             int trailFill, uint8_t minEntryBytes, std::string* out);
    // Each key's duplicate bytes (with the key before it) and trailing filler bytes, for a
    // run of keys in tag order; and the page from them (the first key's dup is ignored).
    static void compression(std::span<const KeyView> keys, int trailFill, std::vector<uint8_t>* dups,
                            std::vector<uint8_t>* trails);
    static Status encodeKeys(std::span<const KeyView> keys, std::span<const uint8_t> dups,
                             std::span<const uint8_t> trails, const NodeLinks& links,
                             uint32_t keyLength, uint8_t minEntryBytes, std::string* out);
    // Appends 512 bytes. trailFill < 0 disables trailing compression (binary keys).
    Status encodeTo(uint32_t keyLength, int trailFill, uint8_t minEntryBytes,
                    std::string* out) const;
    // `fill` is the byte that trailing compression removed.
    Status decodeFrom(std::string_view in, uint32_t keyLength, char fill);
};

// Key encodings. Character keys: the caller's bytes (already in the table code page)
// blank-padded or cut to keyLength.
std::string charKey(std::string_view bytes, uint32_t keyLength);
// 8 bytes, big-endian IEEE double with the sign handled so that byte order = number order.
std::string numericKey(double v);
double numericKeyValue(std::string_view key);  // inverse of numericKey (needs 8 bytes)
// A date by its Julian day number; the empty date is day 0.
std::string dateKey(int64_t julianDay);
std::string logicalKey(bool v);

}  // namespace cdx
