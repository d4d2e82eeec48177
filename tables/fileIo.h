#pragma once
// The I/O seam under the table files: positioned reads and writes on one file, with a
// POSIX implementation, an in-memory one for tests and a wrapper that injects write faults.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "Status.h"

// One open file. read() gives fewer than n bytes only when the file ends first.
// Whole reads and writes on a POSIX descriptor, retried across interruptions; errors name
// `path`. A read that meets the end of the file returns what there is.
namespace posixio {
Status error(const std::string& path, const char* what, int err);
Status readAt(int fd, const std::string& path, uint64_t off, size_t n, std::string* out);
Status writeAt(int fd, const std::string& path, uint64_t off, std::string_view data);
Status sizeOf(int fd, const std::string& path, uint64_t* out);
Status truncateTo(int fd, const std::string& path, uint64_t size);
Status syncFd(int fd, const std::string& path);
// Whether syncFd() waits for the disk (the default). Off, changes still reach the files in
// the order that survives a crash of the program, but not a power cut: for test suites.
void setDurable(bool on);
// Replaces `to` by `from` in one step, and removes a file; a missing file is not an error
// for remove().
Status renameFile(const std::string& from, const std::string& to);
Status removeFile(const std::string& path);
// Makes the names in the folder of `path` (created, renamed, removed) durable.
Status syncFolderOf(const std::string& path);
bool exists(const std::string& path);
// `path` when it exists; otherwise the file of its folder whose name differs only in case
// (the names of the tables' files come from systems that ignore case); "" when there is
// none, or more than one.
std::string findAnyCase(const std::string& path);

// Called before every change these functions make to the disk (a write, a truncation, a
// rename, a removal): `fd` is -1 for the changes made by name. Crash tests install one that
// ends the process at the k-th change; nothing else sets it.
enum class Change { Write, Truncate, Rename, Remove };
using ChangeHook = void (*)(Change what, int fd, uint64_t off, std::string_view data);
void setChangeHook(ChangeHook hook);
}  // namespace posixio

class File {
  public:
    virtual ~File() = default;
    virtual Status read(uint64_t off, size_t n, std::string* out) = 0;
    virtual Status write(uint64_t off, std::string_view data) = 0;
    virtual Status size(uint64_t* out) = 0;
    virtual Status truncate(uint64_t size) = 0;
    virtual Status sync() = 0;
    // The name used in error messages.
    virtual const std::string& name() const = 0;
};

enum class OpenMode {
    ReadOnly,
    ReadWrite,  // the file must exist
    Create,     // created, or emptied when it exists
};

Status openFile(const std::string& path, OpenMode mode, std::unique_ptr<File>* out);

// A file held in memory. Instances made from the same buffer see each other's writes,
// so a test can "reopen" what an earlier instance wrote.
class MemoryFile : public File {
  public:
    MemoryFile(std::string name, std::shared_ptr<std::string> data)
        : name_(std::move(name)), data_(std::move(data)) {}
    Status read(uint64_t off, size_t n, std::string* out) override;
    Status write(uint64_t off, std::string_view data) override;
    Status size(uint64_t* out) override;
    Status truncate(uint64_t size) override;
    Status sync() override { return Status::OK(); }
    const std::string& name() const override { return name_; }
    const std::shared_ptr<std::string>& data() const { return data_; }

  private:
    std::string name_;
    std::shared_ptr<std::string> data_;
};

// Passes everything to another file but lets only `budget` bytes of writes through: the
// write that crosses the budget is torn (its first bytes land) and fails, as do all later
// writes, truncates and syncs.
class FaultyFile : public File {
  public:
    FaultyFile(std::unique_ptr<File> base, uint64_t budget)
        : base_(std::move(base)), budget_(budget) {}
    Status read(uint64_t off, size_t n, std::string* out) override;
    Status write(uint64_t off, std::string_view data) override;
    Status size(uint64_t* out) override { return base_->size(out); }
    Status truncate(uint64_t size) override;
    Status sync() override;
    const std::string& name() const override { return base_->name(); }

  private:
    Status fault() const;
    std::unique_ptr<File> base_;
    uint64_t budget_;
    bool failed_ = false;
};
