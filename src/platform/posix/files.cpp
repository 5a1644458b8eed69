// POSIX side of the file seam.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/clock.h"

namespace ks::plat {

bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDir(const std::string& path) {
    return ::mkdir(path.c_str(), 0777) == 0 || DirExists(path);
}

std::optional<std::int64_t> FileSize(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::int64_t>(st.st_size);
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}
bool RemoveDir(const std::string& path) {
    return ::rmdir(path.c_str()) == 0;
}

std::vector<std::string> ListFiles(const std::string& dir, std::string_view suffix) {
    std::vector<std::string> out;
    DIR* d = ::opendir(dir.c_str());
    if (!d) return out;
    while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name.size() < suffix.size()) continue;
        if (::strncasecmp(name.c_str() + name.size() - suffix.size(), suffix.data(),
                          suffix.size()) != 0)
            continue;
        // The entry's own type spares a stat per file in folders of thousands;
        // links and file systems that do not tell still get one.
        const bool regular =
            e->d_type == DT_REG ||
            ((e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) && FileExists(JoinPath(dir, name)));
        if (regular) out.push_back(name);
    }
    ::closedir(d);
    return out;
}

bool SetCurrentDir(const std::string& path) {
    return ::chdir(path.c_str()) == 0;
}

std::string CurrentDir() {
    char buf[PATH_MAX];
    return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string();
}

bool WriteFileAtomic(const std::string& path, std::string_view content) {
    // A unique temporary name in the same folder, so the rename never crosses
    // file systems and two writers never share a temporary.
    static std::atomic<unsigned> counter{0};
    std::string tmp =
        path + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter.fetch_add(1));
    File f;
    if (!f.Open(tmp, File::Mode::Truncate)) return false;
    if (!f.Write(content) || !f.Flush()) {
        f.Close();
        ::unlink(tmp.c_str());
        return false;
    }
    f.Close();
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    return true;
}

static int FdOf(std::intptr_t h) {
    return static_cast<int>(h);
}

bool File::Open(const std::string& path, Mode mode) {
    Close();
    int flags = O_CLOEXEC;
    switch (mode) {
        case Mode::Read:
            flags |= O_RDONLY;
            break;
        case Mode::ReadWrite:
            flags |= O_RDWR | O_CREAT;
            break;
        case Mode::Truncate:
            flags |= O_RDWR | O_CREAT | O_TRUNC;
            break;
        case Mode::Append:
            flags |= O_RDWR | O_CREAT | O_APPEND;
            break;
    }
    int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return false;
    }
    handle_ = fd;
    return true;
}

void File::Close() {
    if (handle_ != -1) ::close(FdOf(handle_));
    handle_ = -1;
}

std::int64_t File::Read(void* buf, std::size_t len) {
    for (;;) {
        ssize_t n = ::read(FdOf(handle_), buf, len);
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

bool File::Write(const void* buf, std::size_t len) {
    const char* p = static_cast<const char*>(buf);
    while (len > 0) {
        ssize_t n = ::write(FdOf(handle_), p, len);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        len -= static_cast<std::size_t>(n);
    }
    return true;
}

bool File::Seek(std::int64_t offset) {
    return ::lseek(FdOf(handle_), offset, SEEK_SET) == offset;
}
bool File::SeekEnd() {
    return ::lseek(FdOf(handle_), 0, SEEK_END) >= 0;
}

std::int64_t File::Size() const {
    struct stat st;
    if (handle_ == -1 || ::fstat(FdOf(handle_), &st) != 0) return -1;
    return st.st_size;
}

bool File::Flush() {
    return ::fsync(FdOf(handle_)) == 0;
}
bool File::Truncate(std::int64_t size) {
    return ::ftruncate(FdOf(handle_), size) == 0;
}

namespace {

// Kernel-side copy of [in, in + len) to out. Returns bytes copied, or -1 when the
// kernel cannot do it for this pair of files before anything was copied (the
// caller then copies through a buffer); errors after that are -2.
std::int64_t KernelCopy(int src, off_t in, int dst, off_t out, std::int64_t len) {
    std::int64_t total = 0;
    bool splice = false;  // sendfile instead of copy_file_range
    while (total < len) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::int64_t>(len - total, 1 << 30));
        ssize_t n;
        if (!splice) {
            n = ::copy_file_range(src, &in, dst, &out, want, 0);
        } else {
            if (::lseek(dst, out, SEEK_SET) != out) return -2;
            n = ::sendfile(dst, src, &in, want);
            if (n > 0) out += n;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && total == 0 &&
            (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
             errno == EBADF)) {
            if (splice) return -1;
            splice = true;
            continue;
        }
        if (n < 0) return -2;
        if (n == 0) break;  // the source got shorter
        total += n;
    }
    return total;
}

}  // namespace

std::int64_t CopyFileRange(File& src, std::int64_t srcOffset, File& dst, std::int64_t dstOffset,
                           std::int64_t len) {
    if (srcOffset < 0 || dstOffset < 0 || len < 0) return -1;
    const std::int64_t copied =
        KernelCopy(FdOf(src.handle_), srcOffset, FdOf(dst.handle_), dstOffset, len);
    if (copied == -1) return CopyFileRangeBuffered(src, srcOffset, dst, dstOffset, len);
    return copied < 0 ? -1 : copied;
}

bool ReserveSpace(File& f, std::int64_t size) {
    const int fd = FdOf(f.handle_);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0) return false;
    if (size <= st.st_size) return true;
    return ::fallocate(fd, FALLOC_FL_KEEP_SIZE, st.st_size, size - st.st_size) == 0;
}

std::optional<std::int64_t> FreeDiskSpace(const std::string& path) {
    struct statvfs vfs;
    if (::statvfs(path.c_str(), &vfs) != 0) return std::nullopt;
    return static_cast<std::int64_t>(vfs.f_bavail) * static_cast<std::int64_t>(vfs.f_frsize);
}

}  // namespace ks::plat
