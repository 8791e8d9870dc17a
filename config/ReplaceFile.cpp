#include "config/ReplaceFile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
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

// Writes text over the file at target, as the program always did before it saved through
// a temporary file: the same file, so its owner, mode and other names stay. create is for
// a dangling link, whose target the open creates. Overwriting first and cutting the rest
// after needs no new space on a full disk when the text does not grow.
int WriteInPlace(const std::string& target, const std::string& text, bool create)
{
    const int fd = ::open(target.c_str(),
                          O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (create ? O_CREAT : 0), 0666);
    if (fd < 0)
        return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
    {
        ::close(fd);
        return -1;
    }
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

}  // namespace

int ReplaceFile(const std::string& path, const std::string& text)
{
    std::string target = path;
    // Replace what a symbolic link points at, not the link itself; a link to nothing yet
    // is opened, which creates its target.
    struct stat st;
    bool dangling = false;
    if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
    {
        if (char* resolved = ::realpath(target.c_str(), nullptr))
        {
            target = resolved;
            ::free(resolved);
        }
        else
            dangling = true;
    }
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode))
        return -1;  // a directory or a device is not a configuration file to replace
    // The rename below needs only a writable directory; a file the user may not write
    // (write-protected, or someone else's) must stay as it is, as if it were written in place.
    if (exists && ::access(target.c_str(), W_OK) != 0)
        return -1;
    if (dangling)
        return WriteInPlace(target, text, true);
    // A rename would give the new text to this name only; the file's other names would keep the old.
    if (exists && st.st_nlink > 1)
        return WriteInPlace(target, text, false);

    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = target.substr(dir.size());
    if (base.empty())
        return -1;

    std::string tempPath;
    const int fd = CreateTemporaryBeside(dir, base, tempPath);
    if (fd < 0)
        // A folder the user may not write can still hold a file he may.
        return exists ? WriteInPlace(target, text, false) : -1;
    if (exists && !TakeOwnerAndMode(fd, st))
    {
        ::close(fd);
        ::unlink(tempPath.c_str());
        return WriteInPlace(target, text, false);
    }

    const bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed)
    {
        ::unlink(tempPath.c_str());
        return -2;
    }
    if (::rename(tempPath.c_str(), target.c_str()) != 0)
    {
        // A sticky folder keeps others from replacing a file even where they may write it.
        const bool refused = errno == EPERM || errno == EACCES;
        ::unlink(tempPath.c_str());
        return exists && refused ? WriteInPlace(target, text, false) : -1;
    }
    SyncDirectory(dir);
    return 0;
}
