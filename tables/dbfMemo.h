#pragma once
// The FPT memo file: a 512-byte header (next free block, block size) followed by blocks;
// each memo is a type, a length and the data, in consecutive blocks. Integers are big-endian.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "Status.h"
#include "fileIo.h"

namespace dbf {

class FptMemo {
  public:
    static constexpr uint32_t kHeaderBytes = 512;
    static constexpr uint32_t kDefaultBlockSize = 64;
    static constexpr uint32_t kTypeText = 1;

    // Writes a fresh header (the file is emptied).
    static Status create(std::unique_ptr<File> file, uint32_t blockSize,
                         std::unique_ptr<FptMemo>* out);
    static Status open(std::unique_ptr<File> file, std::unique_ptr<FptMemo>* out);

    // The memo at `block`; every position is checked against the header and the file size.
    Status read(uint32_t block, std::string* data, uint32_t* type = nullptr);
    // Appends a memo after the last one and answers its first block.
    Status append(std::string_view data, uint32_t type, uint32_t* block);
    // Rewrites the memo at `oldBlock` in place when the new data fits the blocks it had,
    // else appends; answers the block that now holds it.
    Status replace(uint32_t oldBlock, std::string_view data, uint32_t type, uint32_t* block);
    Status sync() { return file_->sync(); }

    uint32_t blockSize() const { return blockSize_; }
    uint32_t nextFree() const { return nextFree_; }
    uint32_t firstBlock() const { return (kHeaderBytes + blockSize_ - 1) / blockSize_; }
    const std::string& name() const { return file_->name(); }

  private:
    explicit FptMemo(std::unique_ptr<File> file) : file_(std::move(file)) {}
    Status error(Status s) const;
    uint64_t blocksFor(uint64_t length) const { return (8 + length + blockSize_ - 1) / blockSize_; }
    Status writeAt(uint32_t block, std::string_view data, uint32_t type);

    std::unique_ptr<File> file_;
    uint32_t blockSize_ = kDefaultBlockSize;
    uint32_t nextFree_ = 0;
};

}  // namespace dbf
