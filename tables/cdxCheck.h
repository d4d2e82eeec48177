#pragma once
// Structural check of a whole compound index file: every tree (the tag directory and each
// tag) is walked from its root; keys must be in tag order, interior entries must equal the
// last entry of their child, all leaves at one depth, sibling links consistent both ways
// on every level, free-space counts right, and no page reached twice. Every root, and
// only the roots, carry the root mark; the free-page list holds pages of the file that no
// tree reaches, once each.
#include <string>
#include <vector>

#include "cdxReader.h"

namespace cdx {

struct CdxTagStats {
    std::string name;
    uint64_t keys = 0;
    int depth = 0;  // levels including the leaves; 1 = the root is a leaf
    uint32_t leaves = 0;
    uint32_t interiors = 0;
};

struct CdxCheckStats {
    size_t tags = 0;
    std::vector<CdxTagStats> perTag;  // in tag-list order
    uint32_t pagesReached = 0;        // pages of the file reachable from the header
    uint32_t freePages = 0;           // pages on the free-page list
};

// Uses each tag's fill byte as set on the reader (see CdxReader::setKeyFill).
Status checkCdx(const CdxReader& reader, CdxCheckStats* stats);

}  // namespace cdx
