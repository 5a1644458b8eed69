// Win32 side of the file seam.
#include "platform/files.h"

#include <windows.h>

#include <atomic>

namespace ks::plat {

static HANDLE H(std::intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

bool FileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeDir(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) || DirExists(path);
}

std::optional<std::int64_t> FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return std::nullopt;
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    return (static_cast<std::int64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

bool RemoveFile(const std::string& path) {
    return DeleteFileA(path.c_str()) != 0;
}
bool RemoveDir(const std::string& path) {
    return RemoveDirectoryA(path.c_str()) != 0;
}

std::vector<std::string> ListFiles(const std::string& dir, std::string_view suffix) {
    std::vector<std::string> out;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(JoinPath(dir, "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::string name = fd.cFileName;
        if (name.size() < suffix.size()) continue;
        if (_strnicmp(name.c_str() + name.size() - suffix.size(), suffix.data(), suffix.size()) !=
            0)
            continue;
        out.push_back(name);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return out;
}

bool SetCurrentDir(const std::string& path) {
    return SetCurrentDirectoryA(path.c_str()) != 0;
}

std::string CurrentDir() {
    char buf[MAX_PATH * 2];
    DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
    return (n > 0 && n < sizeof buf) ? std::string(buf, n) : std::string();
}

bool WriteFileAtomic(const std::string& path, std::string_view content) {
    static std::atomic<unsigned> counter{0};
    std::string tmp = path + ".tmp" + std::to_string(GetCurrentProcessId()) + "_" +
                      std::to_string(counter.fetch_add(1));
    File f;
    if (!f.Open(tmp, File::Mode::Truncate)) return false;
    if (!f.Write(content) || !f.Flush()) {
        f.Close();
        DeleteFileA(tmp.c_str());
        return false;
    }
    f.Close();
    // Another program reading the file (a virus scanner, an editor) holds it
    // for moments without sharing its deletion: wait that out rather than
    // lose the write.
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExA(tmp.c_str(), path.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        DWORD err = GetLastError();
        if (attempt >= 50 || (err != ERROR_SHARING_VIOLATION && err != ERROR_ACCESS_DENIED)) break;
        Sleep(10);
    }
    DeleteFileA(tmp.c_str());
    return false;
}

bool File::Open(const std::string& path, Mode mode) {
    Close();
    DWORD access = GENERIC_READ, disp = OPEN_EXISTING;
    switch (mode) {
        case Mode::Read:
            break;
        case Mode::ReadWrite:
        case Mode::Append:
            access |= GENERIC_WRITE;
            disp = OPEN_ALWAYS;
            break;
        case Mode::Truncate:
            access |= GENERIC_WRITE;
            disp = CREATE_ALWAYS;
            break;
    }
    HANDLE h =
        CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, disp, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<std::intptr_t>(h);
    if (mode == Mode::Append) SeekEnd();
    return true;
}

void File::Close() {
    if (handle_ != -1) CloseHandle(H(handle_));
    handle_ = -1;
}

std::int64_t File::Read(void* buf, std::size_t len) {
    DWORD got = 0;
    DWORD want = len > 0x40000000 ? 0x40000000 : static_cast<DWORD>(len);
    if (!ReadFile(H(handle_), buf, want, &got, nullptr)) return -1;
    return got;
}

bool File::Write(const void* buf, std::size_t len) {
    const char* p = static_cast<const char*>(buf);
    while (len > 0) {
        DWORD chunk = len > 0x40000000 ? 0x40000000 : static_cast<DWORD>(len), put = 0;
        if (!WriteFile(H(handle_), p, chunk, &put, nullptr) || put == 0) return false;
        p += put;
        len -= put;
    }
    return true;
}

bool File::Seek(std::int64_t offset) {
    LARGE_INTEGER li;
    li.QuadPart = offset;
    return SetFilePointerEx(H(handle_), li, nullptr, FILE_BEGIN) != 0;
}

bool File::SeekEnd() {
    LARGE_INTEGER li;
    li.QuadPart = 0;
    return SetFilePointerEx(H(handle_), li, nullptr, FILE_END) != 0;
}

std::int64_t File::Size() const {
    LARGE_INTEGER li;
    if (handle_ == -1 || !GetFileSizeEx(H(handle_), &li)) return -1;
    return li.QuadPart;
}

bool File::Flush() {
    return FlushFileBuffers(H(handle_)) != 0;
}

bool File::Truncate(std::int64_t size) {
    return Seek(size) && SetEndOfFile(H(handle_)) != 0;
}

std::int64_t CopyFileRange(File& src, std::int64_t srcOffset, File& dst, std::int64_t dstOffset,
                           std::int64_t len) {
    return CopyFileRangeBuffered(src, srcOffset, dst, dstOffset, len);
}

// The allocation a handle sets beyond the end goes again when the file is
// closed, so it would not last from one connection to the next.
bool ReserveSpace(File&, std::int64_t) {
    return false;
}

std::optional<std::int64_t> FreeDiskSpace(const std::string& path) {
    ULARGE_INTEGER avail;
    if (!GetDiskFreeSpaceExA(path.c_str(), &avail, nullptr, nullptr)) return std::nullopt;
    return static_cast<std::int64_t>(avail.QuadPart);
}

}  // namespace ks::plat
