#pragma once
// Keeping one tag of an open compound index file up to date one key at a time: exact
// positioning on a (key, record number) pair, insertion with leaf and interior splits up to
// a new root, and deletion that unlinks emptied nodes and collapses a one-child root. Every
// operation reads what it needs, changes pages in memory and writes them at the end (new
// pages first, the headers last), bumping the change counter of the file header. Locking
// belongs to the caller.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cdxFormat.h"
#include "cdxReader.h"
#include "fileIo.h"

namespace cdx {

// Where a (key, record number) pair is, or would be inserted: a leaf page and an index.
struct LeafSpot {
    uint32_t page = kNoPage;
    size_t index = 0;
};

// Maintains one tag (or the tag directory) of a file it does not own.
class CdxTagUpdater {
  public:
    // `tag` as a reader reported it (its fill byte tells character from binary keys);
    // leaves are rewritten with entries of at least `minEntryBytes` bytes.
    CdxTagUpdater(File* file, const TagInfo& tag, uint8_t minEntryBytes = 3);

    // Keys must be exactly the tag's key length; equal keys are ordered by record number.
    Status find(std::string_view key, uint32_t recno, LeafSpot* spot, bool* found);
    // InvalidArgument when the pair is already there (or the key is, in a unique tag).
    Status insert(std::string_view key, uint32_t recno);
    // NotFound when the pair is not there.
    Status remove(std::string_view key, uint32_t recno);

  private:
    struct Step {
        uint32_t page;
        CdxInterior node;
        size_t index;
    };
    using Path = std::vector<Step>;
    struct ChildRef {
        std::string key;
        uint32_t recno;
        uint32_t page;
    };

    Status begin();
    Status commit();
    Status checkKey(std::string_view key, uint32_t recno) const;
    int compare(std::string_view a, uint32_t ar, std::string_view b, uint32_t br) const;
    Status descend(std::string_view key, uint32_t recno, Path* path, uint32_t* leafPage,
                   CdxLeaf* leaf, size_t* index);

    Status readPage(uint32_t page, std::string* out);
    Status readLeaf(uint32_t page, CdxLeaf* out);
    Status readInterior(uint32_t page, CdxInterior* out);
    Status putLeaf(uint32_t page, const CdxLeaf& leaf);
    Status putInterior(uint32_t page, const CdxInterior& node);
    Status allocate(uint32_t* page);
    void release(uint32_t page);
    Status setLeftLink(uint32_t page, uint32_t left);
    Status setRightLink(uint32_t page, uint32_t right);

    Status storeLeaf(Path* path, uint32_t page, CdxLeaf leaf);
    Status storeInterior(Path* path, uint32_t page, CdxInterior node);
    Status replaceInParent(Path* path, const std::vector<ChildRef>& children);
    Status removeNode(Path* path, uint32_t page, const NodeLinks& links);
    Status collapseRoot();
    Status corrupt(uint32_t page, const std::string& what) const;

    File* file_;
    TagInfo tag_;
    int trailFill_;
    uint8_t minEntryBytes_;
    // State of the operation in progress.
    std::map<uint32_t, std::string> pending_;
    std::set<uint32_t> fresh_, released_;  // pages taken and given back by this operation
    uint32_t root_ = 0, freeList_ = 0, counter_ = 0, fileEnd_ = 0, oldEnd_ = 0;
    bool rootChanged_ = false;
};

}  // namespace cdx
