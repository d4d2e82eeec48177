#include "cdxUpdate.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace cdx {

CdxTagUpdater::CdxTagUpdater(File* file, const TagInfo& tag, uint8_t minEntryBytes)
    : file_(file),
      tag_(tag),
      // Binary keys are written without trailing compression, as the whole-file writer does.
      trailFill_(tag.fill == kCharFill ? int(uint8_t(kCharFill)) : -1),
      minEntryBytes_(std::clamp<uint8_t>(minEntryBytes, 1, 8)) {}

Status CdxTagUpdater::corrupt(uint32_t page, const std::string& what) const {
    return Status::Corruption(file_->name() + ": page " + hexOffset(page) + ": tag " + tag_.name +
                              ": " + what);
}

int CdxTagUpdater::compare(std::string_view a, uint32_t ar, std::string_view b, uint32_t br) const {
    int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
    if (c != 0) return (c < 0) == tag_.descending ? 1 : -1;
    return ar < br ? -1 : (ar > br ? 1 : 0);
}

Status CdxTagUpdater::checkKey(std::string_view key, uint32_t recno) const {
    if (key.size() != tag_.keyLength) {
        return Status::InvalidArgument(file_->name() + ": tag " + tag_.name + ": key of " +
                                       std::to_string(key.size()) + " bytes for key length " +
                                       std::to_string(tag_.keyLength));
    }
    if (recno == 0) {
        return Status::InvalidArgument(file_->name() + ": tag " + tag_.name + ": record number 0");
    }
    return Status::OK();
}

// ---- positioning ----

Status CdxTagUpdater::descend(std::string_view key, uint32_t recno, Path* path, uint32_t* leafPage,
                              CdxLeaf* leaf, size_t* index) {
    path->clear();
    uint32_t at = root_;
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        std::string raw;
        RETURN_IF_ERROR(readPage(at, &raw));
        if (getLe16(raw.data()) & kAttrLeaf) {
            RETURN_IF_ERROR(readLeaf(at, leaf));
            if (leaf->entries.empty() && !path->empty()) {
                return corrupt(at, "non-root leaf without keys");
            }
            auto it = std::find_if(leaf->entries.begin(), leaf->entries.end(), [&](const auto& e) {
                return compare(e.key, e.recno, key, recno) >= 0;
            });
            *leafPage = at;
            *index = size_t(it - leaf->entries.begin());
            return Status::OK();
        }
        Step step{at, {}, 0};
        RETURN_IF_ERROR(readInterior(at, &step.node));
        const auto& es = step.node.entries;
        if (es.empty()) return corrupt(at, "interior node without keys");
        auto it = std::find_if(es.begin(), es.end(), [&](const auto& e) {
            return compare(e.key, e.recno, key, recno) >= 0;
        });
        // Past the last key: the last child, whose entry the insertion will raise.
        step.index = it == es.end() ? es.size() - 1 : size_t(it - es.begin());
        at = es[step.index].child;
        path->push_back(std::move(step));
    }
    return corrupt(root_, "deeper than " + std::to_string(kMaxDepth) + " levels (a loop?)");
}

Status CdxTagUpdater::find(std::string_view key, uint32_t recno, LeafSpot* spot, bool* found) {
    *found = false;
    RETURN_IF_ERROR(checkKey(key, recno));
    RETURN_IF_ERROR(begin());
    Path path;
    CdxLeaf leaf;
    RETURN_IF_ERROR(descend(key, recno, &path, &spot->page, &leaf, &spot->index));
    *found =
        spot->index < leaf.entries.size() &&
        compare(leaf.entries[spot->index].key, leaf.entries[spot->index].recno, key, recno) == 0;
    pending_.clear();
    return Status::OK();
}

// ---- insertion ----

Status CdxTagUpdater::insert(std::string_view key, uint32_t recno) {
    RETURN_IF_ERROR(checkKey(key, recno));
    RETURN_IF_ERROR(begin());
    Path path;
    CdxLeaf leaf;
    uint32_t page = kNoPage;
    size_t index = 0;
    if (tag_.unique()) {
        // The first pair with this key, whatever its record number.
        RETURN_IF_ERROR(descend(key, 0, &path, &page, &leaf, &index));
        if (index < leaf.entries.size() && leaf.entries[index].key == key) {
            return Status::InvalidArgument(file_->name() + ": tag " + tag_.name +
                                           ": the key is already in this unique tag");
        }
    }
    RETURN_IF_ERROR(descend(key, recno, &path, &page, &leaf, &index));
    if (index < leaf.entries.size() && leaf.entries[index].key == key &&
        leaf.entries[index].recno == recno) {
        return Status::InvalidArgument(file_->name() + ": tag " + tag_.name + ": record " +
                                       std::to_string(recno) + " already has this key");
    }
    leaf.entries.insert(leaf.entries.begin() + ptrdiff_t(index),
                        CdxLeaf::Entry{std::string(key), recno});
    RETURN_IF_ERROR(storeLeaf(&path, page, std::move(leaf)));
    return commit();
}

// Writes a leaf back, split over as many pages as its keys need, and updates the parents.
Status CdxTagUpdater::storeLeaf(Path* path, uint32_t page, CdxLeaf leaf) {
    const auto& es = leaf.entries;
    size_t n = es.size();
    auto size = [&](size_t b, size_t e) {
        return CdxLeaf::encodedSize(es, b, e, tag_.keyLength, trailFill_, minEntryBytes_);
    };
    std::vector<size_t> cuts;  // start of every group after the first
    if (size(0, n) > kLeafArea) {
        size_t best = 0, bestScore = SIZE_MAX;
        for (size_t k = 1; k < n; ++k) {
            size_t l = size(0, k), r = size(k, n);
            if (l <= kLeafArea && r <= kLeafArea && std::max(l, r) < bestScore) {
                best = k;
                bestScore = std::max(l, r);
            }
        }
        if (best != 0) {
            cuts.push_back(best);
        } else {
            // Compression lost by the cut can make two pages too few: pack greedily.
            for (size_t b = 0; b < n;) {
                size_t e = b + 1;
                while (e < n && size(b, e + 1) <= kLeafArea) ++e;
                if (b != 0) cuts.push_back(b);
                b = e;
            }
        }
    }
    if (cuts.empty()) {
        RETURN_IF_ERROR(putLeaf(page, leaf));
        if (leaf.entries.empty()) return Status::OK();  // an empty root leaf
        return replaceInParent(path, {{es.back().key, es.back().recno, page}});
    }
    std::vector<uint32_t> pages = {page};
    for (size_t i = 0; i < cuts.size(); ++i) {
        uint32_t p = 0;
        RETURN_IF_ERROR(allocate(&p));
        pages.push_back(p);
    }
    cuts.insert(cuts.begin(), 0);
    cuts.push_back(n);
    uint32_t oldRight = leaf.links.right;
    std::vector<ChildRef> children;
    for (size_t g = 0; g < pages.size(); ++g) {
        CdxLeaf part;
        part.links.attributes = uint16_t((leaf.links.attributes | kAttrLeaf) & ~kAttrRoot);
        part.links.left = g == 0 ? leaf.links.left : pages[g - 1];
        part.links.right = g + 1 == pages.size() ? oldRight : pages[g + 1];
        part.entries.assign(es.begin() + ptrdiff_t(cuts[g]), es.begin() + ptrdiff_t(cuts[g + 1]));
        RETURN_IF_ERROR(putLeaf(pages[g], part));
        children.push_back({part.entries.back().key, part.entries.back().recno, pages[g]});
    }
    RETURN_IF_ERROR(setLeftLink(oldRight, pages.back()));
    return replaceInParent(path, children);
}

Status CdxTagUpdater::storeInterior(Path* path, uint32_t page, CdxInterior node) {
    size_t cap = CdxInterior::capacity(tag_.keyLength), n = node.entries.size();
    if (n <= cap) {
        RETURN_IF_ERROR(putInterior(page, node));
        const auto& last = node.entries.back();
        return replaceInParent(path, {{last.key, last.recno, page}});
    }
    size_t groups = (n + cap - 1) / cap;
    std::vector<uint32_t> pages = {page};
    for (size_t g = 1; g < groups; ++g) {
        uint32_t p = 0;
        RETURN_IF_ERROR(allocate(&p));
        pages.push_back(p);
    }
    uint32_t oldRight = node.links.right;
    std::vector<ChildRef> children;
    for (size_t g = 0; g < groups; ++g) {
        CdxInterior part;
        part.links.attributes = uint16_t(node.links.attributes & ~(kAttrRoot | kAttrLeaf));
        part.links.left = g == 0 ? node.links.left : pages[g - 1];
        part.links.right = g + 1 == groups ? oldRight : pages[g + 1];
        part.entries.assign(node.entries.begin() + ptrdiff_t(g * n / groups),
                            node.entries.begin() + ptrdiff_t((g + 1) * n / groups));
        RETURN_IF_ERROR(putInterior(pages[g], part));
        const auto& last = part.entries.back();
        children.push_back({last.key, last.recno, pages[g]});
    }
    RETURN_IF_ERROR(setLeftLink(oldRight, pages.back()));
    return replaceInParent(path, children);
}

// The node under path->back() is now `children` (one or more pages, in order).
Status CdxTagUpdater::replaceInParent(Path* path, const std::vector<ChildRef>& children) {
    if (path->empty()) {
        if (children.size() == 1) return Status::OK();
        CdxInterior top;
        top.links.attributes = kAttrRoot;
        for (const auto& c : children) top.entries.push_back({c.key, c.recno, c.page});
        uint32_t page = 0;
        RETURN_IF_ERROR(allocate(&page));
        root_ = page;
        rootChanged_ = true;
        return storeInterior(path, page, std::move(top));
    }
    Step step = std::move(path->back());
    path->pop_back();
    auto& es = step.node.entries;
    const auto& old = es[step.index];
    if (children.size() == 1 && old.key == children[0].key && old.recno == children[0].recno &&
        old.child == children[0].page) {
        return Status::OK();  // nothing above changes
    }
    es.erase(es.begin() + ptrdiff_t(step.index));
    std::vector<CdxInterior::Entry> added;
    for (const auto& c : children) added.push_back({c.key, c.recno, c.page});
    es.insert(es.begin() + ptrdiff_t(step.index), added.begin(), added.end());
    return storeInterior(path, step.page, std::move(step.node));
}

// ---- deletion ----

Status CdxTagUpdater::remove(std::string_view key, uint32_t recno) {
    RETURN_IF_ERROR(checkKey(key, recno));
    RETURN_IF_ERROR(begin());
    Path path;
    CdxLeaf leaf;
    uint32_t page = kNoPage;
    size_t index = 0;
    RETURN_IF_ERROR(descend(key, recno, &path, &page, &leaf, &index));
    if (index >= leaf.entries.size() || leaf.entries[index].key != key ||
        leaf.entries[index].recno != recno) {
        return Status::NotFound(file_->name() + ": tag " + tag_.name + ": record " +
                                std::to_string(recno) + " has no such key");
    }
    leaf.entries.erase(leaf.entries.begin() + ptrdiff_t(index));
    if (!leaf.entries.empty() || path.empty()) {
        // Removing a key can lose compression of the next one, so this may even split.
        RETURN_IF_ERROR(storeLeaf(&path, page, std::move(leaf)));
    } else {
        RETURN_IF_ERROR(removeNode(&path, page, leaf.links));
    }
    RETURN_IF_ERROR(collapseRoot());
    return commit();
}

// Unlinks an emptied non-root node and drops its parent entry, emptying parents in turn.
Status CdxTagUpdater::removeNode(Path* path, uint32_t page, const NodeLinks& links) {
    RETURN_IF_ERROR(setRightLink(links.left, links.right));
    RETURN_IF_ERROR(setLeftLink(links.right, links.left));
    release(page);
    Step step = std::move(path->back());
    path->pop_back();
    auto& es = step.node.entries;
    es.erase(es.begin() + ptrdiff_t(step.index));
    if (!es.empty()) return storeInterior(path, step.page, std::move(step.node));
    if (!path->empty()) return removeNode(path, step.page, step.node.links);
    CdxLeaf empty;  // the whole tag is empty: the root becomes an empty leaf
    empty.links.attributes = kAttrRoot | kAttrLeaf;
    return putLeaf(step.page, empty);
}

Status CdxTagUpdater::collapseRoot() {
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        std::string raw;
        RETURN_IF_ERROR(readPage(root_, &raw));
        uint16_t attr = getLe16(raw.data());
        if (attr & kAttrLeaf) return Status::OK();
        CdxInterior top;
        RETURN_IF_ERROR(readInterior(root_, &top));
        if (top.entries.size() != 1) return Status::OK();
        uint32_t child = top.entries[0].child;
        std::string img;
        RETURN_IF_ERROR(readPage(child, &img));
        NodeLinks links;
        uint16_t count = 0;
        RETURN_IF_ERROR(decodeNodeLinks(img, &links, &count));
        if (links.left != kNoPage || links.right != kNoPage) {
            return corrupt(child, "only child of the root has siblings");
        }
        putLe16(img.data(), uint16_t(links.attributes | kAttrRoot));
        pending_[child] = std::move(img);
        release(root_);
        root_ = child;
        rootChanged_ = true;
    }
    return corrupt(root_, "root chain too deep");
}

}  // namespace cdx
