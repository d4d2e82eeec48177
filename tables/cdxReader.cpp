#include "cdxReader.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

namespace cdx {

namespace {

std::string upper(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    }
    return s;
}

Status checkOptions(const std::string& file, const std::string& what, uint8_t options) {
    if (!(options & kOptCompact)) {
        return Status::NotSupported(file + ": " + what + " is not a compact index (options " +
                                    hexOffset(options) + ")");
    }
    if (options & kOptBitVector) {
        return Status::NotSupported(file + ": " + what + " is a bit-vector index");
    }
    return Status::OK();
}

}  // namespace

Status CdxReader::corrupt(uint32_t page, const std::string& what) const {
    return Status::Corruption(name() + ": page " + hexOffset(page) + ": " + what);
}

Status CdxReader::pageAt(uint32_t offset, const std::string** out) const {
    if (offset % kPageSize != 0 || uint64_t(offset) + kPageSize > size_) {
        return Status::Corruption(
            name() + ": page pointer " + hexOffset(offset) +
            (offset % kPageSize ? " is not page-aligned" : " is past the end of the file"));
    }
    for (const auto* cache : {&interior_, &pages_}) {
        auto hit = cache->find(offset);
        if (hit != cache->end()) {
            *out = &hit->second;
            return Status::OK();
        }
    }
    std::string page;
    Status s = file_->read(offset, kPageSize, &page);
    if (!s.ok()) return s;
    if (page.size() != kPageSize) return corrupt(offset, "short read");
    bool leaf = (getLe16(page.data()) & kAttrLeaf) != 0;
    auto& cache = leaf ? pages_ : interior_;
    if (cache.size() >= (leaf ? kCachedPages : kCachedInterior)) {
        cache.clear();
        if (!leaf) decodedInterior_.clear();
    }
    *out = &cache.emplace(offset, std::move(page)).first->second;
    return Status::OK();
}

Status CdxReader::readPage(uint32_t offset, std::string* out) const {
    const std::string* page = nullptr;
    Status s = pageAt(offset, &page);
    if (s.ok()) *out = *page;
    return s;
}

Status CdxReader::readLeaf(uint32_t offset, const TagInfo& tag, CdxLeaf* out) const {
    const std::string* page = nullptr;
    Status s = pageAt(offset, &page);
    if (!s.ok()) return s;
    s = out->decodeFrom(*page, tag.keyLength, tag.fill);
    return s.ok() ? s : corrupt(offset, s.message());
}

Status CdxReader::readInterior(uint32_t offset, const TagInfo& tag, CdxInterior* out) const {
    const CdxInterior* node = nullptr;
    Status s = interiorAt(offset, tag, &node);
    if (s.ok()) *out = *node;
    return s;
}

Status CdxReader::interiorAt(uint32_t offset, const TagInfo& tag, const CdxInterior** out) const {
    auto hit = decodedInterior_.find(offset);
    if (hit != decodedInterior_.end() && hit->second.keyLength == tag.keyLength) {
        *out = &hit->second.node;
        return Status::OK();
    }
    const std::string* page = nullptr;
    Status s = pageAt(offset, &page);
    if (!s.ok()) return s;
    DecodedInterior d;
    d.keyLength = tag.keyLength;
    s = d.node.decodeFrom(*page, tag.keyLength);
    if (!s.ok()) return corrupt(offset, s.message());
    *out = &(decodedInterior_[offset] = std::move(d)).node;
    return Status::OK();
}

Status CdxReader::isLeaf(uint32_t offset, bool* leaf, bool* root) const {
    const std::string* page = nullptr;
    Status s = pageAt(offset, &page);
    if (!s.ok()) return s;
    *leaf = (getLe16(page->data()) & kAttrLeaf) != 0;
    if (root) *root = (getLe16(page->data()) & kAttrRoot) != 0;
    return Status::OK();
}

CdxReader::CdxReader(std::unique_ptr<File> f) : file_(std::move(f)) {
    static std::atomic<uint64_t> readers{0};
    serial_ = ++readers;
}

Status CdxReader::open(std::unique_ptr<File> file, std::unique_ptr<CdxReader>* out) {
    std::unique_ptr<CdxReader> r(new CdxReader(std::move(file)));
    Status s = r->file_->size(&r->size_);
    if (!s.ok()) return s;
    if (r->size_ < kHeaderSize + kPageSize) {
        return Status::Corruption(r->name() + ": " + std::to_string(r->size_) +
                                  " bytes are too few for a compound index");
    }
    if (r->size_ > uint64_t(kNoPage)) {
        return Status::NotSupported(r->name() + ": larger than 4 GB");
    }
    std::string raw;
    s = r->file_->read(0, kHeaderSize, &raw);
    if (!s.ok()) return s;
    s = r->header_.decodeFrom(raw);
    if (!s.ok()) return r->corrupt(0, s.message());
    s = checkOptions(r->name(), "the tag directory", r->header_.options);
    if (!s.ok()) return s;
    s = r->readTags();
    if (!s.ok()) return s;
    *out = std::move(r);
    return Status::OK();
}

Status CdxReader::readTagHeader(const std::string& tagName, uint32_t offset, TagInfo* t) const {
    if (offset % kPageSize != 0 || uint64_t(offset) + kHeaderSize > size_) {
        return Status::Corruption(name() + ": tag " + tagName + " header at " + hexOffset(offset) +
                                  " is outside the file");
    }
    std::string raw;
    Status s = file_->read(offset, kHeaderSize, &raw);
    if (!s.ok()) return s;
    CdxHeader h;
    s = h.decodeFrom(raw);
    if (!s.ok()) return corrupt(offset, "tag " + tagName + ": " + s.message());
    s = checkOptions(name(), "tag " + tagName, h.options);
    if (!s.ok()) return s;
    if (h.keyLength == 0 || h.keyLength > kMaxKeyLength) {
        return corrupt(offset, "tag " + tagName + " has key length " + std::to_string(h.keyLength));
    }
    t->name = tagName;
    t->keyExpr = h.keyExpr;
    t->forExpr = h.forExpr;
    t->keyLength = h.keyLength;
    t->options = h.options;
    t->descending = h.descending;
    t->header = offset;
    t->root = h.root;
    t->fill = kCharFill;
    return Status::OK();
}

Status CdxReader::readTags() {
    directory_.name = "(tag directory)";
    directory_.keyLength = header_.keyLength;
    directory_.options = header_.options;
    directory_.root = header_.root;
    directory_.fill = kCharFill;
    if (directory_.keyLength == 0 || directory_.keyLength > kMaxKeyLength) {
        return corrupt(0, "tag directory key length " + std::to_string(directory_.keyLength));
    }
    CdxCursor c(*this, directory_);
    Status s = c.first();
    for (; s.ok() && c.valid(); s = c.next()) {
        if (tags_.size() >= pageCount()) return corrupt(0, "more tags than pages");
        std::string tagName = c.key();
        while (!tagName.empty() && (tagName.back() == ' ' || tagName.back() == '\0')) {
            tagName.pop_back();
        }
        TagInfo t;
        s = readTagHeader(tagName, c.recno(), &t);
        if (!s.ok()) return s;
        tags_.push_back(std::move(t));
    }
    return s;
}

int CdxReader::findTag(std::string_view n) const {
    std::string want = upper(std::string(n));
    for (size_t i = 0; i < tags_.size(); ++i) {
        if (upper(tags_[i].name) == want) return int(i);
    }
    return -1;
}

// ---- cursor ----

int CdxCursor::compare(std::string_view stored, std::string_view sought) const {
    size_t n = std::min(sought.size(), stored.size());
    int c = std::memcmp(stored.data(), sought.data(), n);
    c = c < 0 ? -1 : (c > 0 ? 1 : 0);
    return tag_.descending ? -c : c;
}

Status CdxCursor::loadLeaf(uint32_t offset) {
    if (++steps_ > r_->pageCount()) {
        return r_->corrupt(offset, "the sibling chain of tag " + tag_.name + " loops");
    }
    valid_ = false;
    Status s = r_->readLeaf(offset, tag_, &leaf_);
    if (!s.ok()) return s;
    leafOffset_ = offset;
    return Status::OK();
}

// A step along the leaf level must come back the way it went: a chain whose links
// disagree (a loop among them) is reported at once rather than walked.
Status CdxCursor::checkStep(uint32_t from, bool rightward) const {
    uint32_t back = rightward ? leaf_.links.left : leaf_.links.right;
    if (back == from) return Status::OK();
    return r_->corrupt(leafOffset_, "the sibling links of tag " + tag_.name + " disagree (" +
                                        hexOffset(from) + " leads here, this page leads back to " +
                                        hexOffset(back) + ")");
}

Status CdxCursor::descend(Aim aim, const Reached& reached) {
    valid_ = false;
    steps_ = 0;
    uint32_t at = tag_.root;
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        bool leaf = false, root = false;
        Status s = r_->isLeaf(at, &leaf, &root);
        if (!s.ok()) return s;
        // Only the root carries the root mark: a tree entered elsewhere (a damaged root
        // pointer) or a child pointing back up is refused.
        if (root != (depth == 0))
            return r_->corrupt(at, "tag " + tag_.name + (depth == 0 ? ": its root is not marked as a root"
                                                                    : ": a child page is marked as a root"));
        if (leaf) return loadLeaf(at);
        const CdxInterior* found = nullptr;
        s = r_->interiorAt(at, tag_, &found);
        if (!s.ok()) return s;
        const CdxInterior& node = *found;
        if (node.entries.empty()) return r_->corrupt(at, "interior node without keys");
        if (aim == Aim::First) {
            at = node.entries.front().child;
        } else if (aim == Aim::Last) {
            at = node.entries.back().child;
        } else {
            // Each entry holds the last pair of its child: the first child whose last pair
            // is reached holds the first reached pair.
            auto it = std::find_if(node.entries.begin(), node.entries.end(),
                                   [&](const auto& e) { return reached(e.key, e.recno); });
            if (it == node.entries.end()) {
                leaf_.entries.clear();
                leafOffset_ = kNoPage;
                return Status::OK();  // beyond the last key
            }
            at = it->child;
        }
    }
    return r_->corrupt(tag_.root, "tag " + tag_.name + " is deeper than " +
                                      std::to_string(kMaxDepth) + " levels (a loop?)");
}

Status CdxCursor::stepRight() {
    while (true) {
        uint32_t right = leaf_.links.right;
        if (right == kNoPage) {
            valid_ = false;
            return Status::OK();
        }
        uint32_t from = leafOffset_;
        Status s = loadLeaf(right);
        if (s.ok()) s = checkStep(from, true);
        if (!s.ok()) return s;
        if (!leaf_.entries.empty()) {
            pos_ = 0;
            valid_ = true;
            return Status::OK();
        }
    }
}

Status CdxCursor::stepLeft() {
    while (true) {
        uint32_t left = leaf_.links.left;
        if (left == kNoPage) {
            valid_ = false;
            return Status::OK();
        }
        uint32_t from = leafOffset_;
        Status s = loadLeaf(left);
        if (s.ok()) s = checkStep(from, false);
        if (!s.ok()) return s;
        if (!leaf_.entries.empty()) {
            pos_ = leaf_.entries.size() - 1;
            valid_ = true;
            return Status::OK();
        }
    }
}

Status CdxCursor::first() {
    Status s = descend(Aim::First, {});
    if (!s.ok()) return s;
    if (leaf_.entries.empty()) return stepRight();
    pos_ = 0;
    valid_ = true;
    return Status::OK();
}

Status CdxCursor::last() {
    Status s = descend(Aim::Last, {});
    if (!s.ok()) return s;
    if (leaf_.entries.empty()) return stepLeft();
    pos_ = leaf_.entries.size() - 1;
    valid_ = true;
    return Status::OK();
}

Status CdxCursor::next() {
    if (!valid_) return Status::OK();
    if (pos_ + 1 < leaf_.entries.size()) {
        ++pos_;
        return Status::OK();
    }
    return stepRight();
}

Status CdxCursor::prev() {
    if (!valid_) return Status::OK();
    if (pos_ > 0) {
        --pos_;
        return Status::OK();
    }
    return stepLeft();
}

Status CdxCursor::seekWhere(const Reached& reached) {
    Status s = descend(Aim::Seek, reached);
    if (!s.ok() || leafOffset_ == kNoPage) return s;
    while (true) {
        for (size_t i = 0; i < leaf_.entries.size(); ++i) {
            if (reached(leaf_.entries[i].key, leaf_.entries[i].recno)) {
                pos_ = i;
                valid_ = true;
                return Status::OK();
            }
        }
        if (leaf_.links.right == kNoPage) return Status::OK();
        uint32_t from = leafOffset_;
        s = loadLeaf(leaf_.links.right);
        if (s.ok()) s = checkStep(from, true);
        if (!s.ok()) return s;
    }
}

Status CdxCursor::seek(std::string_view key, bool* found) {
    *found = false;
    key = key.substr(0, tag_.keyLength);
    Status s = seekWhere([&](std::string_view k, uint32_t) { return compare(k, key) >= 0; });
    if (s.ok() && valid_) *found = compare(this->key(), key) == 0;
    return s;
}

Status CdxCursor::seekAfter(std::string_view key) {
    key = key.substr(0, tag_.keyLength);
    return seekWhere([&](std::string_view k, uint32_t) { return compare(k, key) > 0; });
}

Status CdxCursor::seekPair(std::string_view key, uint32_t recno, bool* found) {
    *found = false;
    auto reached = [&](std::string_view k, uint32_t r) {
        int c = compare(k, key);
        return c > 0 || (c == 0 && r >= recno);
    };
    Status s = seekWhere(reached);
    if (s.ok() && valid_) *found = this->recno() == recno && compare(this->key(), key) == 0;
    return s;
}

// ---- subtree counts ----

Status CdxCounter::countsOf(uint32_t page, int depth, const SubtreeCounts** out) {
    auto hit = cache_->find(page);
    if (hit != cache_->end()) {
        *out = &hit->second;
        return Status::OK();
    }
    if (depth >= kMaxDepth) {
        return r_->corrupt(tag_.root, "tag " + tag_.name + " is deeper than " +
                                          std::to_string(kMaxDepth) + " levels (a loop?)");
    }
    CdxInterior node;
    Status s = r_->readInterior(page, tag_, &node);
    if (!s.ok()) return s;
    SubtreeCounts c;
    c.before.reserve(node.entries.size());
    for (const auto& e : node.entries) {
        c.before.push_back(c.total);
        uint64_t n = 0;
        s = keysUnder(e.child, depth + 1, &n);
        if (!s.ok()) return s;
        c.total += n;
    }
    *out = &cache_->insert_or_assign(page, std::move(c)).first->second;
    return Status::OK();
}

Status CdxCounter::keysUnder(uint32_t page, int depth, uint64_t* out) {
    std::string raw;
    Status s = r_->readPage(page, &raw);
    if (!s.ok()) return s;
    if (getLe16(raw.data()) & kAttrLeaf) {
        // The leaf's own key count: no need to decode its keys.
        uint16_t n = getLe16(raw.data() + 2);
        if (n > kPageSize) return r_->corrupt(page, "leaf with " + std::to_string(n) + " keys");
        *out = n;
        return Status::OK();
    }
    const SubtreeCounts* c = nullptr;
    s = countsOf(page, depth, &c);
    if (s.ok()) *out = c->total;
    return s;
}

Status CdxCounter::total(uint64_t* out) {
    return keysUnder(tag_.root, 0, out);
}

Status CdxCounter::rank(const Reached& reached, uint64_t* out) {
    *out = 0;
    uint32_t at = tag_.root;
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        bool leaf = false;
        Status s = r_->isLeaf(at, &leaf);
        if (!s.ok()) return s;
        if (leaf) {
            CdxLeaf node;
            s = r_->readLeaf(at, tag_, &node);
            if (!s.ok()) return s;
            auto it = std::find_if(node.entries.begin(), node.entries.end(),
                                   [&](const auto& e) { return reached(e.key, e.recno); });
            *out += uint64_t(it - node.entries.begin());
            return Status::OK();
        }
        CdxInterior node;
        s = r_->readInterior(at, tag_, &node);
        if (!s.ok()) return s;
        const SubtreeCounts* c = nullptr;
        s = countsOf(at, depth, &c);
        if (!s.ok()) return s;
        if (node.entries.size() != c->before.size()) return r_->corrupt(at, "changed while counted");
        // Each entry holds the last pair of its child: the first child whose last pair is
        // reached holds the first reached pair.
        auto it = std::find_if(node.entries.begin(), node.entries.end(),
                               [&](const auto& e) { return reached(e.key, e.recno); });
        if (it == node.entries.end()) {
            *out += c->total;
            return Status::OK();
        }
        size_t i = size_t(it - node.entries.begin());
        *out += c->before[i];
        at = it->child;
    }
    return r_->corrupt(tag_.root, "tag " + tag_.name + " is deeper than " + std::to_string(kMaxDepth) +
                                      " levels (a loop?)");
}

}  // namespace cdx
