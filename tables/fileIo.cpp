#include "fileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "Text.h"

namespace posixio {

namespace {
ChangeHook g_changeHook = nullptr;
bool g_durable = true;

void beforeChange(Change what, int fd, uint64_t off, std::string_view data) {
    if (g_changeHook) g_changeHook(what, fd, off, data);
}
}  // namespace

void setDurable(bool on) {
    g_durable = on;
}

void setChangeHook(ChangeHook hook) {
    g_changeHook = hook;
}

Status error(const std::string& path, const char* what, int err) {
    return Status::IOError(path + ": " + what + ": " + std::strerror(err));
}

Status readAt(int fd, const std::string& path, uint64_t off, size_t n, std::string* out) {
    out->assign(n, '\0');
    size_t got = 0;
    while (got < n) {
        ssize_t r = ::pread(fd, out->data() + got, n - got, off_t(off + got));
        if (r < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            out->clear();
            return error(path, "read", err);
        }
        if (r == 0) break;
        got += size_t(r);
    }
    out->resize(got);
    return Status::OK();
}

Status writeAt(int fd, const std::string& path, uint64_t off, std::string_view data) {
    beforeChange(Change::Write, fd, off, data);
    size_t done = 0;
    while (done < data.size()) {
        ssize_t r = ::pwrite(fd, data.data() + done, data.size() - done, off_t(off + done));
        if (r < 0) {
            if (errno == EINTR) continue;
            return error(path, "write", errno);
        }
        done += size_t(r);
    }
    return Status::OK();
}

Status sizeOf(int fd, const std::string& path, uint64_t* out) {
    struct stat st;
    if (::fstat(fd, &st) != 0) return error(path, "stat", errno);
    *out = uint64_t(st.st_size);
    return Status::OK();
}

Status truncateTo(int fd, const std::string& path, uint64_t size) {
    beforeChange(Change::Truncate, fd, size, {});
    if (::ftruncate(fd, off_t(size)) != 0) return error(path, "truncate", errno);
    return Status::OK();
}

Status syncFd(int fd, const std::string& path) {
    if (g_durable && ::fdatasync(fd) != 0) return error(path, "sync", errno);
    return Status::OK();
}

Status renameFile(const std::string& from, const std::string& to) {
    beforeChange(Change::Rename, -1, 0, to);
    if (::rename(from.c_str(), to.c_str()) != 0) return error(from, "rename", errno);
    return Status::OK();
}

Status removeFile(const std::string& path) {
    beforeChange(Change::Remove, -1, 0, path);
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return error(path, "remove", errno);
    return Status::OK();
}

Status syncFolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return error(folder, "open", errno);
    Status st = syncFd(fd, folder);
    ::close(fd);
    return st;
}

bool exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

std::string findAnyCase(const std::string& path) {
    if (exists(path)) return path;
    namespace fs = std::filesystem;
    fs::path p(path);
    std::string wanted = text::upper(p.filename().string());
    std::string found;
    std::error_code ec;
    for (fs::directory_iterator it(p.has_parent_path() ? p.parent_path() : fs::path("."), ec), end;
         !ec && it != end; it.increment(ec)) {
        if (text::upper(it->path().filename().string()) != wanted) continue;
        if (!found.empty()) return "";
        found = it->path().string();
    }
    return found;
}

}  // namespace posixio

namespace {

using posixio::error;

class PosixFile : public File {
  public:
    PosixFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
    ~PosixFile() override { ::close(fd_); }

    Status read(uint64_t off, size_t n, std::string* out) override {
        return posixio::readAt(fd_, path_, off, n, out);
    }
    Status write(uint64_t off, std::string_view data) override {
        return posixio::writeAt(fd_, path_, off, data);
    }
    Status size(uint64_t* out) override { return posixio::sizeOf(fd_, path_, out); }
    Status truncate(uint64_t size) override { return posixio::truncateTo(fd_, path_, size); }
    Status sync() override { return posixio::syncFd(fd_, path_); }

    const std::string& name() const override { return path_; }

  private:
    std::string path_;
    int fd_;
};

}  // namespace

Status openFile(const std::string& path, OpenMode mode, std::unique_ptr<File>* out) {
    int flags = O_CLOEXEC;
    switch (mode) {
        case OpenMode::ReadOnly:
            flags |= O_RDONLY;
            break;
        case OpenMode::ReadWrite:
            flags |= O_RDWR;
            break;
        case OpenMode::Create:
            flags |= O_RDWR | O_CREAT | O_TRUNC;
            break;
    }
    int fd;
    do {
        fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == ENOENT) return Status::NotFound(path + ": open: " + std::strerror(errno));
        return error(path, "open", errno);
    }
    *out = std::make_unique<PosixFile>(path, fd);
    return Status::OK();
}

Status MemoryFile::read(uint64_t off, size_t n, std::string* out) {
    out->clear();
    if (off < data_->size()) *out = data_->substr(size_t(off), n);
    return Status::OK();
}

Status MemoryFile::write(uint64_t off, std::string_view data) {
    if (off + data.size() > data_->size()) data_->resize(size_t(off + data.size()), '\0');
    data_->replace(size_t(off), data.size(), data);
    return Status::OK();
}

Status MemoryFile::size(uint64_t* out) {
    *out = data_->size();
    return Status::OK();
}

Status MemoryFile::truncate(uint64_t size) {
    data_->resize(size_t(size), '\0');
    return Status::OK();
}

Status FaultyFile::fault() const {
    return Status::IOError(base_->name() + ": write: injected fault");
}

Status FaultyFile::read(uint64_t off, size_t n, std::string* out) {
    return base_->read(off, n, out);
}

Status FaultyFile::write(uint64_t off, std::string_view data) {
    if (failed_) return fault();
    if (data.size() <= budget_) {
        budget_ -= data.size();
        return base_->write(off, data);
    }
    failed_ = true;
    if (budget_ > 0) (void)base_->write(off, data.substr(0, size_t(budget_)));
    budget_ = 0;
    return fault();
}

Status FaultyFile::truncate(uint64_t size) {
    if (failed_) return fault();
    return base_->truncate(size);
}

Status FaultyFile::sync() {
    if (failed_) return fault();
    return base_->sync();
}
