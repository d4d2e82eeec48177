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
    return posixio::readAt(fd_, path_, off, n, out);
}

Status TableFile::write(uint64_t off, std::string_view data) {
    return posixio::writeAt(fd_, path_, off, data);
}

Status TableFile::size(uint64_t* out) {
    return posixio::sizeOf(fd_, path_, out);
}

Status TableFile::truncate(uint64_t size) {
    return posixio::truncateTo(fd_, path_, size);
}

Status TableFile::sync() {
    return posixio::syncFd(fd_, path_);
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


bool TableFile::isFileAt(const std::string& path) const {
    struct stat onDisk, open;
    if (::stat(path.c_str(), &onDisk) != 0 || ::fstat(fd_, &open) != 0) return false;
    return onDisk.st_dev == open.st_dev && onDisk.st_ino == open.st_ino;
}

}  // namespace dbfcdx
