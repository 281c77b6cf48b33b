// Configuration files on POSIX: opening with a shared lock, the 0-byte rule, and the save that
// never loses the old file (a new file beside it, flushed, then renamed over it). Only regular
// files are read or replaced; see ConfigFile.h for the rules a platform file keeps.
#include "doc/ConfigFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace veltrin {

int FileErrorCauseFromErrno(int error, bool creating) {
    switch (error) {
    case ENOENT: return creating ? kFileErrorBadPath : kFileErrorNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return kFileErrorBadPath;
    case EMFILE:
    case ENFILE: return kFileErrorTooManyOpen;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return kFileErrorAccessDenied;
    case EBADF: return kFileErrorInvalidHandle;
    case ESPIPE: return kFileErrorBadSeek;
    case EIO: return kFileErrorHardIo;
    case EBUSY:
    case ETXTBSY: return kFileErrorSharingViolation;
    case EWOULDBLOCK: return kFileErrorLockViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return kFileErrorDiskFull;
    default: return kFileErrorGeneral;
    }
}

namespace {

ConfigFileResult FileFailure(int cause, FileErrorReason reason = FileErrorReason::None) {
    ConfigFileResult r;
    r.status = ConfigStatus::FileError;
    r.cause = cause;
    r.reason = reason;
    return r;
}

bool FolderExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Closes a descriptor when it goes out of scope.
struct Fd {
    int fd = -1;
    ~Fd() { if (fd >= 0) ::close(fd); }
};

std::string DirectoryOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The file the path ends at: a symbolic link is replaced through, not over, also when the file
// it points to does not exist yet (a dangling link saves to its target). Only the last part of
// the path is followed; the folders on the way may be links, the rename works through them.
// Fails (false, errno set) for a loop of links or a link that cannot be read.
bool ResolveTarget(const std::string& path, std::string& target) {
    target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;  // a file, or none yet
        std::vector<char> buf(256);
        ssize_t n = 0;
        while ((n = ::readlink(target.c_str(), buf.data(), buf.size())) >= static_cast<ssize_t>(buf.size()))
            buf.resize(buf.size() * 2);
        if (n < 0) return false;
        std::string next(buf.data(), static_cast<std::size_t>(n));
        if (next.empty()) {
            errno = ENOENT;
            return false;
        }
        target = next[0] == '/' ? next : DirectoryOf(target) + "/" + next;
    }
    errno = ELOOP;
    return false;
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t n, int& error) {
    while (n > 0) {
        ssize_t w = ::write(fd, data, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return false;
        }
        if (w == 0) { error = ENOSPC; return false; }
        data += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

}  // namespace

ConfigFileResult ReadConfigurationFile(const std::string& path, EncoderParameters& p) {
    if (path.empty()) return FileFailure(kFileErrorBadPath);
    Fd file;
    // Without blocking: a FIFO would wait for a writer here, a device for its line.
    file.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (file.fd < 0) {
        int error = errno;
        // A missing file in a missing folder is a bad path, as the messages tell them apart.
        if (error == ENOENT && ::access(DirectoryOf(path).c_str(), F_OK) != 0)
            return FileFailure(kFileErrorBadPath, FileErrorReason::MissingFolder);
        return FileFailure(FileErrorCauseFromErrno(error));
    }
    struct stat st {};
    if (::fstat(file.fd, &st) != 0) return FileFailure(FileErrorCauseFromErrno(errno));
    // Only a regular file is a configuration file: a folder, device, FIFO or socket is refused.
    if (!S_ISREG(st.st_mode))
        return FileFailure(kFileErrorAccessDenied,
                           S_ISDIR(st.st_mode) ? FileErrorReason::Folder : FileErrorReason::None);
    ::fcntl(file.fd, F_SETFL, ::fcntl(file.fd, F_GETFL) & ~O_NONBLOCK);
    // Others may read the file meanwhile, but not write it.
    if (::flock(file.fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) return FileFailure(kFileErrorSharingViolation);

    // The format never needs more than a longest length prefix, a 16-bit marker and the
    // record: read a bounded head and ignore the rest, however long the file is.
    std::string head;
    char chunk[1024];
    while (head.size() < kConfigFileHeadLimit) {
        ssize_t got = ::read(file.fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) continue;
            return FileFailure(FileErrorCauseFromErrno(errno));
        }
        if (got == 0) break;
        head.append(chunk, static_cast<std::size_t>(got));
    }
    return ReadConfigurationHead(head, p);
}

ConfigFileResult WriteConfigurationFile(const std::string& path, const EncoderParameters& p) {
    if (path.empty()) return FileFailure(kFileErrorBadPath);
    std::string target;
    if (!ResolveTarget(path, target)) return FileFailure(FileErrorCauseFromErrno(errno, true));
    const std::string dir = DirectoryOf(target);

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    Fd guard;   // holds the old file locked until it has been replaced
    if (exists) {
        // Replacing by rename is for regular files: a device, FIFO, socket or folder is
        // refused before anything is created beside it.
        if (!S_ISREG(old.st_mode))
            return FileFailure(kFileErrorAccessDenied,
                               S_ISDIR(old.st_mode) ? FileErrorReason::Folder : FileErrorReason::None);
        // A read-only file stays read-only: replacing it by rename would get round that. The
        // permission bits count as well, since access() lets the superuser write anything.
        if (::access(target.c_str(), W_OK) != 0) return FileFailure(FileErrorCauseFromErrno(errno));
        if ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return FileFailure(kFileErrorAccessDenied);
        guard.fd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (guard.fd >= 0 && ::flock(guard.fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
            return FileFailure(kFileErrorSharingViolation);
    }

    std::ostringstream image;
    WriteConfiguration(image, p);
    const std::string bytes = image.str();

    // A new file beside the target, so that the rename stays on one file system. Its name is
    // short whatever the target's: a name near the file system's limit must still be saved.
    std::string temp;
    Fd out;
    for (int attempt = 0; attempt < 100 && out.fd < 0; ++attempt) {
        temp = dir + "/.veltrin-" + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
        out.fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (out.fd < 0 && errno != EEXIST) {
            const int error = errno;
            // The folder to save into is not there: say so, not only that the path is bad.
            if (error == ENOENT && target == path && !FolderExists(dir))
                return FileFailure(kFileErrorBadPath, FileErrorReason::MissingFolder);
            return FileFailure(FileErrorCauseFromErrno(error, true));
        }
    }
    if (out.fd < 0) return FileFailure(kFileErrorGeneral);

    int error = 0;
    bool ok = WriteAll(out.fd, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), error);
    if (ok && exists) ::fchmod(out.fd, old.st_mode & 07777);   // the old file's permissions
    if (ok && ::fsync(out.fd) != 0) { ok = false; error = errno; }
    if (ok) {
        int fd = out.fd;
        out.fd = -1;
        if (::close(fd) != 0) { ok = false; error = errno; }
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) { ok = false; error = errno; }
    if (!ok) {
        ::unlink(temp.c_str());
        return FileFailure(error ? FileErrorCauseFromErrno(error, true) : kFileErrorGeneral);
    }
    // Make the rename itself durable.
    Fd folder;
    folder.fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder.fd >= 0) ::fsync(folder.fd);
    return ConfigFileResult{};
}

}  // namespace veltrin
