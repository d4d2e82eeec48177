#pragma once
// A table file held by one work area: its own descriptor (so its byte-range locks belong
// to that area alone), positioned I/O through the File seam, and non-blocking locks.
//
// Locks are Linux open-file-description locks: they conflict between two descriptors of
// one process as between two processes, and closing one descriptor keeps the locks taken
// through the others.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "fileIo.h"

namespace dbfcdx {

// Writes held back while a change is in progress, by offset: the ranges never overlap or
// touch. `end` is one past the last byte written.
struct HeldWrites {
    std::map<uint64_t, std::string> ranges;
    uint64_t end = 0;
};

class TableFile : public File {
  public:
    enum class Lock { Read, Write };

    ~TableFile() override;
    // Opens `path` for reading and writing (for reading only with `readOnly`); `create`
    // makes the file when it is missing but never empties it. On failure `err` is errno.
    static std::shared_ptr<TableFile> open(const std::string& path, bool readOnly, bool create,
                                           int* err);

    Status read(uint64_t off, size_t n, std::string* out) override;
    Status write(uint64_t off, std::string_view data) override;
    Status size(uint64_t* out) override;
    Status truncate(uint64_t size) override;
    Status sync() override;
    const std::string& name() const override { return path_; }
    // After the file was renamed to `path` (a side file put in place).
    void renamed(std::string path) { path_ = std::move(path); }

    bool writable() const { return writable_; }
    // Whether `path` still names this open file (not deleted, not replaced by another).
    bool isFileAt(const std::string& path) const;
    // Device, inode, size and modification time of the open file as one text; "" when
    // they cannot be read. Any write to the file changes it.
    std::string identity() const;
    // Takes the range without waiting; false when someone else holds a conflicting lock.
    bool lock(uint64_t start, uint64_t len, Lock kind);
    // As lock(), trying again for a short while: for locks others hold only while they
    // change a few bytes (the header count, the memo file's free block).
    bool lockBriefly(uint64_t start, uint64_t len, Lock kind);
    void unlock(uint64_t start, uint64_t len);
    // The kind of lock that blocks `kind` on the range, if any.
    bool conflicting(uint64_t start, uint64_t len, Lock kind, Lock* holder);

    // While holding, writes stay in memory and reads see them over the file's bytes; the
    // change in progress reaches the disk through the journal, or is dropped.
    void hold();
    bool holding() const { return held_ != nullptr; }
    const HeldWrites* held() const { return held_.get(); }
    void dropHeld() { held_.reset(); }
    int fd() const { return fd_; }

  private:
    TableFile(std::string path, int fd, bool writable)
        : path_(std::move(path)), fd_(fd), writable_(writable) {}
    std::string path_;
    int fd_;
    bool writable_;
    std::unique_ptr<HeldWrites> held_;
};

// A File that forwards to a shared TableFile, so the codec can own "its" file while the
// area keeps the descriptor (and its locks) across reloads of the codec.
class FileRef : public File {
  public:
    explicit FileRef(std::shared_ptr<TableFile> f) : f_(std::move(f)) {}
    Status read(uint64_t off, size_t n, std::string* out) override { return f_->read(off, n, out); }
    Status write(uint64_t off, std::string_view data) override { return f_->write(off, data); }
    Status size(uint64_t* out) override { return f_->size(out); }
    Status truncate(uint64_t size) override { return f_->truncate(size); }
    Status sync() override { return f_->sync(); }
    const std::string& name() const override { return f_->name(); }

  private:
    std::shared_ptr<TableFile> f_;
};

}  // namespace dbfcdx
