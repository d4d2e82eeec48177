#include "dbfMemo.h"

#include "dbfFormat.h"

namespace dbf {

Status FptMemo::error(Status s) const {
    return withFile(file_->name(), std::move(s));
}

Status FptMemo::create(std::unique_ptr<File> file, uint32_t blockSize,
                       std::unique_ptr<FptMemo>* out) {
    if (blockSize == 0 || blockSize > 0xFFFF)
        return Status::InvalidArgument(file->name() + ": memo block size " +
                                       std::to_string(blockSize));
    std::unique_ptr<FptMemo> m(new FptMemo(std::move(file)));
    m->blockSize_ = blockSize;
    m->nextFree_ = m->firstBlock();
    std::string header(kHeaderBytes, '\0');
    putBe32(header.data(), m->nextFree_);
    putBe16(header.data() + 6, uint16_t(blockSize));
    Status s = m->file_->truncate(0);
    if (s.ok()) s = m->file_->write(0, header);
    // Pad so the file size is nextFree * blockSize, as newer writers do.
    uint64_t end = uint64_t(m->nextFree_) * blockSize;
    if (s.ok() && end > kHeaderBytes)
        s = m->file_->write(kHeaderBytes, std::string(end - kHeaderBytes, '\0'));
    if (!s.ok()) return s;
    *out = std::move(m);
    return Status::OK();
}

Status FptMemo::open(std::unique_ptr<File> file, std::unique_ptr<FptMemo>* out) {
    std::unique_ptr<FptMemo> m(new FptMemo(std::move(file)));
    std::string header;
    Status s = m->file_->read(0, 8, &header);
    if (!s.ok()) return s;
    if (header.size() < 8)
        return m->error(Status::Corruption(
            "truncated memo header: " + std::to_string(header.size()) + " bytes"));
    m->nextFree_ = getBe32(header.data());
    m->blockSize_ = getBe16(header.data() + 6);
    if (m->blockSize_ == 0) return m->error(Status::Corruption("memo block size is 0"));
    if (m->nextFree_ < m->firstBlock())
        return m->error(Status::Corruption("next free block " + std::to_string(m->nextFree_) +
                                           " lies inside the memo header"));
    *out = std::move(m);
    return Status::OK();
}

Status FptMemo::read(uint32_t block, std::string* data, uint32_t* type) {
    data->clear();
    const std::string where = "memo block " + std::to_string(block);
    if (block < firstBlock())
        return error(Status::Corruption(where + " lies inside the memo header"));
    if (block >= nextFree_)
        return error(Status::Corruption(where + " is past the next free block " +
                                        std::to_string(nextFree_)));
    uint64_t fileSize = 0;
    Status s = file_->size(&fileSize);
    if (!s.ok()) return s;
    uint64_t off = uint64_t(block) * blockSize_;
    if (off + 8 > fileSize)
        return error(Status::Corruption(where + " is outside the file (" +
                                        std::to_string(fileSize) + " bytes)"));
    std::string head;
    s = file_->read(off, 8, &head);
    if (!s.ok()) return s;
    if (head.size() < 8) return error(Status::Corruption(where + ": short read"));
    uint32_t length = getBe32(head.data() + 4);
    if (off + 8 + length > fileSize)
        return error(Status::Corruption(where + ": length " + std::to_string(length) +
                                        " runs past the end of the file"));
    if (type) *type = getBe32(head.data());
    s = file_->read(off + 8, length, data);
    if (!s.ok()) return s;
    if (data->size() != length) return error(Status::Corruption(where + ": short read"));
    return Status::OK();
}

Status FptMemo::writeAt(uint32_t block, std::string_view data, uint32_t type) {
    uint64_t blocks = blocksFor(data.size());
    std::string buf(blocks * blockSize_, '\0');
    putBe32(buf.data(), type);
    putBe32(buf.data() + 4, uint32_t(data.size()));
    buf.replace(8, data.size(), data);
    return file_->write(uint64_t(block) * blockSize_, buf);
}

Status FptMemo::append(std::string_view data, uint32_t type, uint32_t* block) {
    if (data.size() > 0xFFFFFFF0u) return error(Status::InvalidArgument("memo too long"));
    uint64_t blocks = blocksFor(data.size());
    if (uint64_t(nextFree_) + blocks > 0xFFFFFFFFu)
        return error(Status::InvalidArgument("memo file is full"));
    uint64_t fileSize = 0;
    Status s = file_->size(&fileSize);
    if (!s.ok()) return s;
    // The last block may stop short, but a pointer further out is damage: writing there
    // would grow the file by the whole gap.
    if (uint64_t(nextFree_) * blockSize_ > fileSize + blockSize_)
        return error(Status::Corruption("next free block " + std::to_string(nextFree_) +
                                        " lies past the end of the file (" +
                                        std::to_string(fileSize) + " bytes)"));
    uint32_t at = nextFree_;
    s = writeAt(at, data, type);
    if (!s.ok()) return s;
    std::string head(4, '\0');
    putBe32(head.data(), uint32_t(at + blocks));
    s = file_->write(0, head);
    if (!s.ok()) return s;
    nextFree_ = uint32_t(at + blocks);
    *block = at;
    return Status::OK();
}

Status FptMemo::replace(uint32_t oldBlock, std::string_view data, uint32_t type, uint32_t* block) {
    if (oldBlock != 0) {
        std::string old;
        uint32_t oldType = 0;
        Status s = read(oldBlock, &old, &oldType);
        if (!s.ok() && s.code() != Status::Code::Corruption) return s;
        // A damaged old pointer loses nothing readable: the memo goes to new blocks.
        if (s.ok() && blocksFor(data.size()) <= blocksFor(old.size())) {
            s = writeAt(oldBlock, data, type);
            if (!s.ok()) return s;
            *block = oldBlock;
            return Status::OK();
        }
    }
    return append(data, type, block);
}

}  // namespace dbf
