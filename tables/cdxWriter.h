#pragma once
// Building a whole compound index file at once from sorted keys (the reindex path):
// leaves packed left to right with compression, interior levels above them, then the tag
// headers, the tag directory and the file header. Pages are 512 bytes, written in order,
// so no free list is needed.
//
// Single inserts and deletes in place are in cdxUpdate.h; the index lock is the driver's.
#include <string>
#include <vector>

#include "cdxFormat.h"
#include "fileIo.h"

namespace cdx {

// One tag to build.
struct CdxTagSpec {
    std::string name;  // 1-10 characters; stored upper case
    std::string keyExpr;
    std::string forExpr;
    uint32_t keyLength = 0;
    // Sorted by key bytes (unsigned; descending when `descending`), then record number.
    std::vector<CdxLeaf::Entry> keys;
    bool binary = false;  // numeric/date keys: stored without trailing compression
    bool unique = false;
    bool descending = false;
    // Or, when not empty (then `keys` is not read), the same as views of keys the caller
    // holds: saves a string per key for big tags.
    std::vector<KeyView> views;
};

struct CdxWriteOptions {
    // Older programs wrote at least 3-byte leaf entries; 1 gives the minimal layout.
    uint8_t minEntryBytes = 3;
};

// The whole file image.
Status buildCdx(const std::vector<CdxTagSpec>& tags, const CdxWriteOptions& options,
                std::string* image);
// One tag's header and tree as they go at page offset `origin` of an existing file (the
// driver appends a new tag there and then adds its name to the tag directory).
Status buildTagAt(const CdxTagSpec& tag, const CdxWriteOptions& options, uint32_t origin,
                  std::string* image);
// Builds the image and replaces the contents of `out` with it.
Status writeCdx(const std::vector<CdxTagSpec>& tags, const CdxWriteOptions& options, File* out);

}  // namespace cdx
