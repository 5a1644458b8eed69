// Files and folders. Sizes and offsets are 64-bit; paths are byte strings in
// the system code page, joined with the platform separator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ks::plat {

// No file is this large (2^60 bytes). An offset or size read from a stored
// file or a server beyond it is damage, and refusing it where it is read
// keeps every sum of two offsets in range.
inline constexpr std::int64_t kMaxPlausibleOffset = std::int64_t(1) << 60;

// '\\' on Windows, '/' elsewhere. Texts that name "\" as a separator mean this.
char PathSeparator();
bool IsSeparator(char c);
// Rooted: "/..." here, a drive ("C:...") or a separator first on Windows.
bool IsAbsolutePath(std::string_view path);

// a + separator + b, with separators at the end of a not doubled.
std::string JoinPath(std::string_view a, std::string_view b);
// a with trailing separators removed (a bare root keeps its separator).
std::string StripTrailingSeparators(std::string_view a);
// Text after the last separator.
std::string BaseName(std::string_view path);
std::string DirName(std::string_view path);

bool FileExists(const std::string& path);  // a regular file
bool DirExists(const std::string& path);
bool MakeDir(const std::string& path);  // one level; true if it exists afterwards
bool MakeDirs(const std::string& path);
std::optional<std::int64_t> FileSize(const std::string& path);
bool RemoveFile(const std::string& path);
bool RemoveDir(const std::string& path);  // empty folder only
// Names (not paths) of the regular files in dir whose name ends with suffix
// (compared without regard to case), in directory order.
std::vector<std::string> ListFiles(const std::string& dir, std::string_view suffix);
bool SetCurrentDir(const std::string& path);
std::string CurrentDir();

bool ReadWholeFile(const std::string& path, std::string& out);
// Crash-safe replacement: the content goes to a temporary file in the same
// folder, is flushed to disk and renamed over path, so a reader sees either the
// old file or the new one, never a mix or a truncated file.
bool WriteFileAtomic(const std::string& path, std::string_view content);

// An open file with 64-bit offsets. Not copyable; closes on destruction.
class File {
  public:
    enum class Mode {
        Read,       // existing file, read only
        ReadWrite,  // create if missing, keep contents
        Truncate,   // create or truncate, read-write
        Append,     // create if missing, keep contents, writes go to the end
    };
    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool Open(const std::string& path, Mode mode);
    bool IsOpen() const;
    void Close();
    // Returns bytes read (0 at end), or -1 on error.
    std::int64_t Read(void* buf, std::size_t len);
    // Writes everything or fails.
    bool Write(const void* buf, std::size_t len);
    bool Write(std::string_view s) { return Write(s.data(), s.size()); }
    bool Seek(std::int64_t offset);  // from the start
    bool SeekEnd();
    std::int64_t Size() const;  // -1 on error
    bool Flush();               // to the disk, not just the OS cache
    bool Truncate(std::int64_t size);

  private:
    friend std::int64_t CopyFileRange(File& src, std::int64_t srcOffset, File& dst,
                                      std::int64_t dstOffset, std::int64_t len);
    friend bool ReserveSpace(File& f, std::int64_t size);
    std::intptr_t handle_ = -1;
};

// Appends the bytes of src from offset on to the end of dst (open for writing).
// Returns the bytes appended, or -1 on error (dst then keeps its old length where
// the platform allows). Uses the kernel's copy where it can.
std::int64_t AppendFileRange(File& dst, const std::string& srcPath, std::int64_t offset);

// Copies len bytes of src from srcOffset on to dst at dstOffset, in the kernel
// where it can (no trip through user memory). Stops early where src ends.
// Returns the bytes copied, or -1 on an error (dst may then hold part of the
// range). Both files' positions are undefined afterwards.
std::int64_t CopyFileRange(File& src, std::int64_t srcOffset, File& dst, std::int64_t dstOffset,
                           std::int64_t len);
// The same through a large buffer: what CopyFileRange falls back to where the
// kernel cannot copy between the two files.
std::int64_t CopyFileRangeBuffered(File& src, std::int64_t srcOffset, File& dst,
                                   std::int64_t dstOffset, std::int64_t len);

// Gives f disk space up to size without changing its length, so that later
// writes there find their blocks ready (and the length, which says how much of
// the file is real, stays what it was). False where the system cannot.
bool ReserveSpace(File& f, std::int64_t size);
// Bytes free for this user on the disk holding path.
std::optional<std::int64_t> FreeDiskSpace(const std::string& path);

}  // namespace ks::plat
