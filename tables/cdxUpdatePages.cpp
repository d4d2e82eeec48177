// The page layer of CdxTagUpdater: one operation's pages are read through, and written to,
// a pending set that commit() writes out in an order that limits the damage of a failure.
#include <cstdio>

#include "cdxUpdate.h"

namespace cdx {

Status CdxTagUpdater::begin() {
    pending_.clear();
    fresh_.clear();
    released_.clear();
    rootChanged_ = false;
    if (tag_.keyLength == 0 || tag_.keyLength > kMaxKeyLength) {
        return Status::InvalidArgument(file_->name() + ": tag " + tag_.name + ": key length " +
                                       std::to_string(tag_.keyLength));
    }
    uint64_t size = 0;
    RETURN_IF_ERROR(file_->size(&size));
    if (size < kHeaderSize + kPageSize || size > uint64_t(kNoPage) - 2 * kPageSize) {
        return Status::Corruption(file_->name() + ": " + std::to_string(size) +
                                  " bytes do not make a compound index");
    }
    oldEnd_ = fileEnd_ = uint32_t((size + kPageSize - 1) / kPageSize * kPageSize);
    std::string head;
    RETURN_IF_ERROR(file_->read(0, 12, &head));
    if (head.size() != 12) return corrupt(0, "short read of the file header");
    freeList_ = getLe32(head.data() + 4);
    counter_ = getBe32(head.data() + 8);
    std::string tagHead;
    if (uint64_t(tag_.header) + 4 > size) return corrupt(tag_.header, "header outside the file");
    RETURN_IF_ERROR(file_->read(tag_.header, 4, &tagHead));
    if (tagHead.size() != 4) return corrupt(tag_.header, "short read of the tag header");
    root_ = getLe32(tagHead.data());
    return Status::OK();
}

// Order limits the damage of a failed write: pages nothing points to yet, then live pages,
// the root pointer, pages just unlinked, and the free list and change counter last.
Status CdxTagUpdater::commit() {
    std::vector<uint32_t> order;
    for (int pass = 0; pass < 3; ++pass) {
        for (const auto& [page, image] : pending_) {
            int rank = released_.count(page) ? 2 : (fresh_.count(page) ? 0 : 1);
            if (rank == pass) order.push_back(page);
        }
        if (pass == 1 && rootChanged_) order.push_back(kNoPage);
    }
    for (uint32_t page : order) {
        if (page == kNoPage) {
            char b[4];
            putLe32(b, root_);
            RETURN_IF_ERROR(file_->write(tag_.header, std::string_view(b, 4)));
        } else {
            RETURN_IF_ERROR(file_->write(page, pending_[page]));
        }
    }
    char h[8];
    putLe32(h, freeList_);
    putBe32(h + 4, counter_ + 1);
    RETURN_IF_ERROR(file_->write(4, std::string_view(h, 8)));
    pending_.clear();
    return Status::OK();
}

Status CdxTagUpdater::readPage(uint32_t page, std::string* out) {
    auto it = pending_.find(page);
    if (it != pending_.end()) {
        *out = it->second;
        return Status::OK();
    }
    if (page % kPageSize != 0 || page < kHeaderSize || uint64_t(page) + kPageSize > oldEnd_) {
        return Status::Corruption(file_->name() + ": tag " + tag_.name + ": page pointer " +
                                  hexOffset(page) + " is not a page of the file");
    }
    RETURN_IF_ERROR(file_->read(page, kPageSize, out));
    if (out->size() != kPageSize) return corrupt(page, "short read");
    return Status::OK();
}

Status CdxTagUpdater::readLeaf(uint32_t page, CdxLeaf* out) {
    std::string raw;
    RETURN_IF_ERROR(readPage(page, &raw));
    Status s = out->decodeFrom(raw, tag_.keyLength, tag_.fill);
    return s.ok() ? s : corrupt(page, s.message());
}

Status CdxTagUpdater::readInterior(uint32_t page, CdxInterior* out) {
    std::string raw;
    RETURN_IF_ERROR(readPage(page, &raw));
    Status s = out->decodeFrom(raw, tag_.keyLength);
    return s.ok() ? s : corrupt(page, s.message());
}

Status CdxTagUpdater::putLeaf(uint32_t page, const CdxLeaf& leaf) {
    std::string img;
    Status s = leaf.encodeTo(tag_.keyLength, trailFill_, minEntryBytes_, &img);
    if (!s.ok()) return corrupt(page, s.message());
    pending_[page] = std::move(img);
    return Status::OK();
}

Status CdxTagUpdater::putInterior(uint32_t page, const CdxInterior& node) {
    std::string img;
    Status s = node.encodeTo(tag_.keyLength, &img);
    if (!s.ok()) return corrupt(page, s.message());
    pending_[page] = std::move(img);
    return Status::OK();
}

// Free pages are chained through their first four bytes (little-endian, 0 ends the list).
Status CdxTagUpdater::allocate(uint32_t* page) {
    bool usable = freeList_ != 0 && freeList_ != kNoPage && freeList_ % kPageSize == 0 &&
                  freeList_ >= kHeaderSize && freeList_ < fileEnd_;
    if (usable) {
        std::string raw;
        RETURN_IF_ERROR(readPage(freeList_, &raw));
        // A free page keeps only the link to the next one; sibling links mean a page in use,
        // which the damaged list must not hand out.
        if (!isFreePage(raw)) return corrupt(freeList_, "the free-page list points at a page in use");
        *page = freeList_;
        freeList_ = getLe32(raw.data());
        fresh_.insert(*page);
        released_.erase(*page);
        return Status::OK();
    }
    if (fileEnd_ > kNoPage - 2 * kPageSize) {
        return Status::NotSupported(file_->name() + ": would grow past 4 GB");
    }
    freeList_ = 0;  // a damaged list is dropped rather than followed
    *page = fileEnd_;
    fileEnd_ += kPageSize;
    fresh_.insert(*page);
    return Status::OK();
}

void CdxTagUpdater::release(uint32_t page) {
    std::string img(kPageSize, '\0');
    putLe32(img.data(), freeList_ == kNoPage ? 0 : freeList_);
    pending_[page] = std::move(img);
    freeList_ = page;
    released_.insert(page);
}

Status CdxTagUpdater::setLeftLink(uint32_t page, uint32_t left) {
    if (page == kNoPage) return Status::OK();
    std::string raw;
    RETURN_IF_ERROR(readPage(page, &raw));
    putLe32(raw.data() + 4, left);
    pending_[page] = std::move(raw);
    return Status::OK();
}

Status CdxTagUpdater::setRightLink(uint32_t page, uint32_t right) {
    if (page == kNoPage) return Status::OK();
    std::string raw;
    RETURN_IF_ERROR(readPage(page, &raw));
    putLe32(raw.data() + 8, right);
    pending_[page] = std::move(raw);
    return Status::OK();
}

}  // namespace cdx
