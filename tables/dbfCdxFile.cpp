#include "dbfCdxFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace dbfcdx {

namespace {
Status posixError(const std::string& path, const char* what, int err) {
    return Status::IOError(path + ": " + what + ": " + std::strerror(err));
}

struct flock rangeOf(uint64_t start, uint64_t len, short type) {
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = off_t(start);
    fl.l_len = off_t(len);
    fl.l_pid = 0;  // required for open-file-description locks
    return fl;
}
}  // namespace

TableFile::~TableFile() {
    ::close(fd_);
}

std::shared_ptr<TableFile> TableFile::open(const std::string& path, bool readOnly, bool create,
                                           int* err) {
    int flags = O_CLOEXEC | (readOnly ? O_RDONLY : O_RDWR) | (create ? O_CREAT : 0);
    int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) {
        *err = errno;
        return nullptr;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return nullptr;
    }
    return std::shared_ptr<TableFile>(new TableFile(path, fd, !readOnly));
}

Status TableFile::read(uint64_t off, size_t n, std::string* out) {
    out->assign(n, '\0');
    size_t got = 0;
    while (got < n) {
        ssize_t r = ::pread(fd_, out->data() + got, n - got, off_t(off + got));
        if (r < 0) {
            if (errno == EINTR) continue;
            int e = errno;
            out->clear();
            return posixError(path_, "read", e);
        }
        if (r == 0) break;
        got += size_t(r);
    }
    out->resize(got);
    return Status::OK();
}

Status TableFile::write(uint64_t off, std::string_view data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t r = ::pwrite(fd_, data.data() + done, data.size() - done, off_t(off + done));
        if (r < 0) {
            if (errno == EINTR) continue;
            return posixError(path_, "write", errno);
        }
        done += size_t(r);
    }
    return Status::OK();
}

Status TableFile::size(uint64_t* out) {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return posixError(path_, "stat", errno);
    *out = uint64_t(st.st_size);
    return Status::OK();
}

Status TableFile::truncate(uint64_t size) {
    if (::ftruncate(fd_, off_t(size)) != 0) return posixError(path_, "truncate", errno);
    return Status::OK();
}

Status TableFile::sync() {
    if (::fsync(fd_) != 0) return posixError(path_, "sync", errno);
    return Status::OK();
}

bool TableFile::lock(uint64_t start, uint64_t len, Lock kind) {
    // A descriptor open for reading only cannot take write locks.
    short type = kind == Lock::Write && writable_ ? F_WRLCK : F_RDLCK;
    struct flock fl = rangeOf(start, len, type);
    while (::fcntl(fd_, F_OFD_SETLK, &fl) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

bool TableFile::lockBriefly(uint64_t start, uint64_t len, Lock kind) {
    for (int i = 0; i < 200; ++i) {
        if (lock(start, len, kind)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

void TableFile::unlock(uint64_t start, uint64_t len) {
    struct flock fl = rangeOf(start, len, F_UNLCK);
    while (::fcntl(fd_, F_OFD_SETLK, &fl) != 0 && errno == EINTR) {
    }
}

bool TableFile::conflicting(uint64_t start, uint64_t len, Lock kind, Lock* holder) {
    struct flock fl = rangeOf(start, len, kind == Lock::Write ? F_WRLCK : F_RDLCK);
    if (::fcntl(fd_, F_OFD_GETLK, &fl) != 0 || fl.l_type == F_UNLCK) return false;
    *holder = fl.l_type == F_WRLCK ? Lock::Write : Lock::Read;
    return true;
}

}  // namespace dbfcdx
