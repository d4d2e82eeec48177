#include "dbfCdxFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <algorithm>
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

void TableFile::hold() {
    if (!held_) held_ = std::make_unique<HeldWrites>();
}

Status TableFile::read(uint64_t off, size_t n, std::string* out) {
    RETURN_IF_ERROR(posixio::readAt(fd_, path_, off, n, out));
    if (!held_ || held_->ranges.empty() || n == 0) return Status::OK();
    // Past the end of the file, bytes written by the change in progress (or the gaps
    // between them, as zeros) are part of it too.
    uint64_t want = std::min<uint64_t>(off + n, std::max<uint64_t>(off + out->size(), held_->end));
    if (want > off + out->size()) out->resize(size_t(want - off), '\0');
    auto it = held_->ranges.upper_bound(off);
    if (it != held_->ranges.begin()) --it;
    for (; it != held_->ranges.end() && it->first < want; ++it) {
        uint64_t from = std::max(off, it->first);
        uint64_t to = std::min(want, it->first + it->second.size());
        if (from < to) out->replace(size_t(from - off), size_t(to - from), it->second, size_t(from - it->first), size_t(to - from));
    }
    return Status::OK();
}

Status TableFile::write(uint64_t off, std::string_view data) {
    if (!held_) return posixio::writeAt(fd_, path_, off, data);
    if (data.empty()) return Status::OK();
    // Merges with every range it overlaps or touches.
    uint64_t from = off, to = off + data.size();
    auto& r = held_->ranges;
    auto it = r.upper_bound(from);
    if (it != r.begin() && std::prev(it)->first + std::prev(it)->second.size() >= from) --it;
    std::string merged;
    if (it != r.end() && it->first < from) {
        merged = it->second.substr(0, size_t(from - it->first));
        from = it->first;
    }
    merged.append(data);
    while (it != r.end() && it->first <= to) {
        uint64_t itEnd = it->first + it->second.size();
        if (itEnd > to) merged.append(it->second, size_t(to - it->first), std::string::npos);
        to = std::max(to, itEnd);
        it = r.erase(it);
    }
    r.emplace(from, std::move(merged));
    held_->end = std::max(held_->end, to);
    return Status::OK();
}

Status TableFile::size(uint64_t* out) {
    RETURN_IF_ERROR(posixio::sizeOf(fd_, path_, out));
    if (held_) *out = std::max(*out, held_->end);
    return Status::OK();
}

Status TableFile::truncate(uint64_t size) {
    if (held_) return Status::NotSupported(path_ + ": truncation inside a change in progress");
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

std::string TableFile::identity() const {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return "";
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" + std::to_string(st.st_size) + ":" +
           std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
}

}  // namespace dbfcdx
