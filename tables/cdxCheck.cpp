#include "cdxCheck.h"

#include <cstdio>
#include <cstring>
#include <set>

namespace cdx {

namespace {

// Walks one tree.
class TreeCheck {
  public:
    TreeCheck(const CdxReader& r, const TagInfo& t, std::set<uint32_t>* seen)
        : r_(r), t_(t), seen_(*seen) {}

    Status run(CdxTagStats* st) {
        st->name = t_.name;
        Sub root;
        Status s = node(t_.root, 0, true, &root);
        if (!s.ok()) return s;
        for (size_t d = 0; d < levels_.size(); ++d) {
            const auto& lv = levels_[d];
            for (size_t i = 0; i < lv.size(); ++i) {
                uint32_t wantLeft = i == 0 ? kNoPage : lv[i - 1].offset;
                uint32_t wantRight = i + 1 == lv.size() ? kNoPage : lv[i + 1].offset;
                if (lv[i].left != wantLeft || lv[i].right != wantRight) {
                    return fail(lv[i].offset, "sibling links " + hexOffset(lv[i].left) + "/" +
                                                  hexOffset(lv[i].right) + " should be " +
                                                  hexOffset(wantLeft) + "/" + hexOffset(wantRight));
                }
            }
        }
        st->keys = keys_;
        st->depth = root.height;
        st->leaves = leaves_;
        st->interiors = interiors_;
        return Status::OK();
    }

  private:
    struct Sub {
        std::string lastKey;
        uint32_t lastRecno = 0;
        int height = 0;
        bool empty = true;
    };
    struct Visit {
        uint32_t offset, left, right;
    };

    Status fail(uint32_t page, const std::string& what) const {
        return r_.corrupt(page, "tag " + t_.name + ": " + what);
    }

    Status node(uint32_t at, int depth, bool isRoot, Sub* out) {
        if (depth >= kMaxDepth) return fail(at, "tree deeper than 32 levels");
        if (!seen_.insert(at).second) return fail(at, "page reached twice");
        bool leaf = false;
        Status s = r_.isLeaf(at, &leaf);
        if (!s.ok()) return s;
        if (levels_.size() <= size_t(depth)) levels_.resize(depth + 1);
        if (leaf) return leafNode(at, depth, isRoot, out);
        CdxInterior n;
        s = r_.readInterior(at, t_, &n);
        if (!s.ok()) return s;
        ++interiors_;
        levels_[depth].push_back({at, n.links.left, n.links.right});
        if (n.links.isRoot() != isRoot) return fail(at, "root attribute is wrong");
        if (n.entries.empty()) return fail(at, "interior node without keys");
        for (size_t i = 0; i < n.entries.size(); ++i) {
            const auto& e = n.entries[i];
            Sub child;
            s = node(e.child, depth + 1, false, &child);
            if (!s.ok()) return s;
            if (child.empty) return fail(e.child, "non-root node without keys");
            if (child.lastKey != e.key || child.lastRecno != e.recno) {
                return fail(at, "entry " + std::to_string(i) +
                                    " differs from the last key of its child " +
                                    hexOffset(e.child));
            }
            if (i > 0 && child.height != out->height) {
                return fail(e.child, "leaves at different depths");
            }
            *out = child;
        }
        out->height += 1;
        return Status::OK();
    }

    Status leafNode(uint32_t at, int depth, bool isRoot, Sub* out) {
        CdxLeaf l;
        Status s = r_.readLeaf(at, t_, &l);
        if (!s.ok()) return s;
        ++leaves_;
        levels_[depth].push_back({at, l.links.left, l.links.right});
        if (l.links.isRoot() != isRoot) return fail(at, "root attribute is wrong");
        if (l.declaredFree != kLeafArea - l.usedBytes) {
            return fail(at, "free space " + std::to_string(l.declaredFree) + " should be " +
                                std::to_string(kLeafArea - l.usedBytes));
        }
        for (const auto& e : l.entries) {
            if (keys_ > 0) {
                int c = std::memcmp(prevKey_.data(), e.key.data(), t_.keyLength);
                if (t_.descending) c = -c;
                if (c > 0 || (c == 0 && !t_.descending && prevRecno_ >= e.recno)) {
                    return fail(at, "key " + std::to_string(keys_) + " is out of order");
                }
                if (c == 0 && t_.unique()) {
                    return fail(at, "key " + std::to_string(keys_) + " repeats in a unique tag");
                }
            }
            prevKey_ = e.key;
            prevRecno_ = e.recno;
            ++keys_;
        }
        out->height = 1;
        out->empty = l.entries.empty();
        if (!out->empty) {
            out->lastKey = l.entries.back().key;
            out->lastRecno = l.entries.back().recno;
        }
        return Status::OK();
    }

    const CdxReader& r_;
    const TagInfo& t_;
    std::set<uint32_t>& seen_;
    std::vector<std::vector<Visit>> levels_;
    std::string prevKey_;
    uint32_t prevRecno_ = 0;
    uint64_t keys_ = 0;
    uint32_t leaves_ = 0, interiors_ = 0;
};

// The free-page list: pages of the file, none reached from a tree, each listed once, each
// looking free.
Status checkFreeList(const CdxReader& reader, const std::set<uint32_t>& inUse, CdxCheckStats* stats) {
    std::set<uint32_t> listed;
    for (uint32_t at = reader.header().freeList; at != 0 && at != kNoPage;) {
        std::string page;
        Status s = reader.readPage(at, &page);
        if (!s.ok()) return reader.corrupt(at, "the free-page list points outside the file (" + s.message() + ")");
        if (inUse.count(at)) return reader.corrupt(at, "the free-page list points at a page in use");
        if (!listed.insert(at).second) return reader.corrupt(at, "the free-page list loops");
        if (!isFreePage(page)) return reader.corrupt(at, "a page of the free-page list has sibling links");
        at = getLe32(page.data());
    }
    stats->freePages = uint32_t(listed.size());
    return Status::OK();
}

}  // namespace

Status checkCdx(const CdxReader& reader, CdxCheckStats* stats) {
    *stats = {};
    std::set<uint32_t> seen = {0, kPageSize};  // the file header
    CdxTagStats dirStats;
    Status s = TreeCheck(reader, reader.directory(), &seen).run(&dirStats);
    if (!s.ok()) return s;
    if (dirStats.keys != reader.tags().size()) {
        return reader.corrupt(reader.directory().root,
                              "the tag directory holds " + std::to_string(dirStats.keys) +
                                  " keys for " + std::to_string(reader.tags().size()) + " tags");
    }
    for (const TagInfo& t : reader.tags()) {
        for (uint32_t p : {t.header, t.header + kPageSize}) {
            if (!seen.insert(p).second) {
                return reader.corrupt(p, "header of tag " + t.name + " overlaps another page");
            }
        }
        CdxTagStats st;
        s = TreeCheck(reader, t, &seen).run(&st);
        if (!s.ok()) return s;
        stats->perTag.push_back(st);
    }
    stats->tags = reader.tags().size();
    stats->pagesReached = uint32_t(seen.size());
    return checkFreeList(reader, seen, stats);
}

}  // namespace cdx
