#include "config/ReplaceFile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>

namespace {

// Writes all of text to fd, resuming after signals and short writes.
bool WriteAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size())
    {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Creates a new, empty file beside target (same directory, so a rename replaces the target
// atomically) with the usual 0666 less the umask. Returns its descriptor, or -1.
int CreateTemporaryBeside(const std::string& dir, const std::string& base, std::string& tempPath)
{
    static std::atomic<unsigned> counter{0};
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    // Leave room under the 255-byte name limit for the dot and the suffix.
    const std::string stem = dir + "." + base.substr(0, 200) + ".";
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        uint64_t seed = static_cast<uint64_t>(
                            std::chrono::steady_clock::now().time_since_epoch().count()) ^
                        (static_cast<uint64_t>(::getpid()) << 32) ^ (counter++ * 0x9E3779B97F4A7C15ull);
        std::string suffix;
        for (int i = 0; i < 6; ++i, seed /= 36)
            suffix.push_back(kLetters[seed % 36]);
        tempPath = stem + suffix;
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Best effort: make the rename itself durable.
void SyncDirectory(const std::string& dir)
{
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)::fsync(fd);
    ::close(fd);
}

// Writes text over the file open at fd, as the program always did before it saved through
// a temporary file: the same file, so its owner, mode, other names and attributes stay.
// Overwriting first and cutting the rest after needs no new space on a full disk when the
// text does not grow. Closes fd.
int WriteInPlace(int fd, const std::string& text)
{
    const bool written = WriteAll(fd, text) && ::ftruncate(fd, static_cast<off_t>(text.size())) == 0 &&
                         ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    return written && closed ? 0 : -2;
}

// Gives the new file the owner, group and mode of the old one. False where it cannot (the
// old file is another user's, or its group one the user is not in): the rename would then
// change them.
bool TakeOwnerAndMode(int fd, const struct stat& old)
{
    struct stat now;
    if (::fstat(fd, &now) != 0)
        return false;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    // The mode after the chown, which clears the set-ID bits; a set-group-ID bit the user
    // may not set is dropped silently, hence the check.
    return ::fchmod(fd, old.st_mode & 07777) == 0 && ::fstat(fd, &now) == 0 && now.st_uid == old.st_uid &&
           now.st_gid == old.st_gid && (now.st_mode & 07777) == (old.st_mode & 07777);
}

// True when the file has an extended attribute (an ACL is one), which a new file would lack.
bool HasExtendedAttributes(int fd)
{
    return ::flistxattr(fd, nullptr, 0) > 0;
}

// The name a rename must replace: path, or where the symbolic link at path leads (the link
// stays). False when that cannot be told.
bool NameToReplace(const std::string& path, std::string& target)
{
    struct stat st;
    target = path;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return true;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return false;
    target = resolved;
    ::free(resolved);
    return true;
}

constexpr int kNotReplaced = 1;

// Puts text in a new file beside target, with old's owner, group and mode, and renames it over
// target. 0 done; -2 the text could not be written; kNotReplaced when the new file cannot be
// made like the old or cannot take its name (target is then as it was).
int RenameOver(const std::string& target, const struct stat& old, const std::string& text)
{
    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string tempPath;
    const int fd = CreateTemporaryBeside(dir, target.substr(dir.size()), tempPath);
    if (fd < 0)
        return kNotReplaced;  // a folder the user may not write can still hold a file he may
    int result = kNotReplaced;
    if (TakeOwnerAndMode(fd, old))
        result = WriteAll(fd, text) && ::fsync(fd) == 0 ? 0 : -2;
    if (::close(fd) != 0 && result == 0)
        result = -2;
    // Refused for the name rather than the file (one mounted on it, say): the open showed the
    // file itself may be written.
    if (result == 0 && ::rename(tempPath.c_str(), target.c_str()) != 0)
        result = kNotReplaced;
    if (result == 0)
        SyncDirectory(dir);
    else
        ::unlink(tempPath.c_str());
    return result;
}

}  // namespace

int ReplaceFile(const std::string& path, const std::string& text)
{
    // Opened as writing the file directly would open it, so the system judges what the user
    // may write: a write-protected or someone else's file, or a link another user left in a
    // sticky folder, is refused here. Not cut yet: the text may still go to a new file.
    // A device or a FIFO is no configuration file, and merely opening one may act on it (a
    // serial line's modem signals), so those are refused without opening them.
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return -1;
    constexpr int kFlags = O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = ::open(path.c_str(), kFlags);
    if (fd < 0 && errno == ENOENT)
        fd = ::open(path.c_str(), kFlags | O_CREAT, 0666);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
    {
        ::close(fd);
        return -1;
    }
    // A rename would give the new text to this name only (the file's other names keep the
    // old) and drop the file's extended attributes.
    std::string target;
    if (st.st_nlink > 1 || HasExtendedAttributes(fd) || !NameToReplace(path, target))
        return WriteInPlace(fd, text);
    const int result = RenameOver(target, st, text);
    if (result == kNotReplaced)
        return WriteInPlace(fd, text);
    ::close(fd);
    return result;
}
