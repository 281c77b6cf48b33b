// Configuration files on Windows: UTF-8 paths through the wide-character file API, the 0-byte
// rule, reading while others may read but not write, and the save that never loses the old
// file (a new file beside it, flushed to the disk, then moved over the old one).
#include <windows.h>

#include <cerrno>
#include <sstream>
#include <string>

#include "doc/ConfigFile.h"
#include "res/Utf16_win.h"

namespace veltrin {

// The C library's errno of a failed stream (the series log), as the file messages name it.
int FileErrorCauseFromErrno(int error, bool creating) {
    switch (error) {
        case ENOENT:
            return creating ? kFileErrorBadPath : kFileErrorNotFound;
        case EMFILE:
        case ENFILE:
            return kFileErrorTooManyOpen;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return kFileErrorAccessDenied;
        case ENOSPC:
        case EFBIG:
            return kFileErrorDiskFull;
        default:
            return kFileErrorGeneral;
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

// The cause the messages name for a system error code of a failed file call.
int CauseOfSystemError(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
            return kFileErrorNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_DIRECTORY:
            return kFileErrorBadPath;
        case ERROR_TOO_MANY_OPEN_FILES:
            return kFileErrorTooManyOpen;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_NETWORK_ACCESS_DENIED:
        case ERROR_FILE_READ_ONLY:
        case ERROR_CANNOT_MAKE:
            return kFileErrorAccessDenied;
        case ERROR_INVALID_HANDLE:
            return kFileErrorInvalidHandle;
        case ERROR_CURRENT_DIRECTORY:
            return kFileErrorRemoveCurrentDir;
        case ERROR_SEEK:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_NEGATIVE_SEEK:
            return kFileErrorBadSeek;
        case ERROR_NOT_READY:
        case ERROR_BAD_UNIT:
        case ERROR_CRC:
        case ERROR_WRITE_FAULT:
        case ERROR_READ_FAULT:
        case ERROR_GEN_FAILURE:
        case ERROR_IO_DEVICE:
            return kFileErrorHardIo;
        case ERROR_SHARING_VIOLATION:
        case ERROR_SHARING_BUFFER_EXCEEDED:
            return kFileErrorSharingViolation;
        case ERROR_LOCK_VIOLATION:
            return kFileErrorLockViolation;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return kFileErrorDiskFull;
        case ERROR_HANDLE_EOF:
            return kFileErrorEndOfFile;
        default:
            return kFileErrorGeneral;
    }
}

ConfigFileResult LastFailure() { return FileFailure(CauseOfSystemError(::GetLastError())); }

// Closes a handle when it goes out of scope.
struct Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
    ~Handle() { Close(); }
    void Close() {
        if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
        h = INVALID_HANDLE_VALUE;
    }
    bool Valid() const { return h != INVALID_HANDLE_VALUE; }
};

// The path as the wide API takes it, or false for a name that no Windows file can have:
// not UTF-8, a control character, or one of < > " | ? * anywhere, or a colon elsewhere than
// after a drive letter (a colon would name a stream of another file). The system would take
// some of these in a way the user did not mean; the message then names the path as invalid.
bool WidePath(const std::string& path, std::wstring& wide) {
    if (path.empty() || !WideFromUtf8(path, wide)) return false;
    std::size_t from = 0;
    if (wide.rfind(L"\\\\?\\", 0) == 0 || wide.rfind(L"\\\\.\\", 0) == 0) from = 4;
    for (std::size_t i = from; i < wide.size(); ++i) {
        const wchar_t c = wide[i];
        if (c < 0x20 || c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L'?' || c == L'*')
            return false;
        if (c == L':' && i != from + 1) return false;
    }
    return true;
}

// A configuration file is a file on a disk: not a console, NUL, a COM port or a pipe (which
// the reserved names CON, NUL, COM1 and so on open in every folder).
bool OnDisk(HANDLE h) { return ::GetFileType(h) == FILE_TYPE_DISK; }

// The whole file locked for this handle: shared for reading, exclusive for replacing. Another
// program's lock of the other kind refuses it at once, as a sharing violation.
bool LockWhole(HANDLE h, bool exclusive) {
    OVERLAPPED at{};
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    return ::LockFileEx(h, flags, 0, MAXDWORD, MAXDWORD, &at) != 0;
}

// The folder of a full path, with its trailing separator.
std::wstring FolderOf(const std::wstring& full) {
    const std::size_t slash = full.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : full.substr(0, slash + 1);
}

// The full path of a name (relative to the current folder or drive), or empty.
std::wstring FullPath(const std::wstring& path) {
    const DWORD n = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return {};
    std::wstring full(n, L'\0');
    const DWORD got = ::GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    if (got == 0 || got >= n) return {};
    full.resize(got);
    return full;
}

// The file an open handle stands for, symbolic links followed: a link is replaced through,
// not over.
std::wstring FinalPath(HANDLE h) {
    const DWORD n = ::GetFinalPathNameByHandleW(h, nullptr, 0, FILE_NAME_NORMALIZED);
    if (n == 0) return {};
    std::wstring final(n, L'\0');
    const DWORD got = ::GetFinalPathNameByHandleW(h, final.data(), n, FILE_NAME_NORMALIZED);
    if (got == 0 || got >= n) return {};
    final.resize(got);
    return final;
}

bool WriteAll(HANDLE h, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!::WriteFile(h, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr))
            return false;
        if (written == 0) {
            ::SetLastError(ERROR_DISK_FULL);
            return false;
        }
        done += written;
    }
    return true;
}

}  // namespace

ConfigFileResult ReadConfigurationFile(const std::string& path, EncoderParameters& p) {
    std::wstring wide;
    if (!WidePath(path, wide)) return FileFailure(kFileErrorBadPath);
    // Others may read the file meanwhile, but not write it. A folder cannot be opened this way
    // (access denied), as on every platform.
    Handle file;
    file.h = ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (!file.Valid()) {
        const DWORD error = ::GetLastError();
        ConfigFileResult r = FileFailure(CauseOfSystemError(error));
        const DWORD found = ::GetFileAttributesW(wide.c_str());
        if (found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_DIRECTORY))
            r.reason = FileErrorReason::Folder;
        else if (error == ERROR_PATH_NOT_FOUND)
            r.reason = FileErrorReason::MissingFolder;
        return r;
    }
    if (!OnDisk(file.h)) return FileFailure(kFileErrorAccessDenied);
    if (!LockWhole(file.h, false)) return FileFailure(kFileErrorSharingViolation);

    // The format never needs more than a longest length prefix, a 16-bit marker and the
    // record: read a bounded head and ignore the rest.
    std::string head;
    char chunk[1024];
    while (head.size() < kConfigFileHeadLimit) {
        DWORD got = 0;
        if (!::ReadFile(file.h, chunk, sizeof chunk, &got, nullptr)) return LastFailure();
        if (got == 0) break;
        head.append(chunk, got);
    }
    return ReadConfigurationHead(head, p);
}

ConfigFileResult WriteConfigurationFile(const std::string& path, const EncoderParameters& p) {
    std::wstring wide;
    if (!WidePath(path, wide)) return FileFailure(kFileErrorBadPath);
    std::wstring target = FullPath(wide);
    if (target.empty()) return LastFailure();

    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    Handle old;  // holds the old file locked until the new one is ready
    const DWORD found = ::GetFileAttributesW(target.c_str());
    if (found != INVALID_FILE_ATTRIBUTES) {
        if (found & FILE_ATTRIBUTE_DIRECTORY)
            return FileFailure(kFileErrorAccessDenied, FileErrorReason::Folder);
        // A read-only file stays read-only: replacing it would get round that.
        if (found & FILE_ATTRIBUTE_READONLY) return FileFailure(kFileErrorAccessDenied);
        old.h = ::CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (!old.Valid()) return LastFailure();  // another program writes it: a sharing violation
        if (!OnDisk(old.h)) return FileFailure(kFileErrorAccessDenied);
        if (!LockWhole(old.h, true)) return FileFailure(kFileErrorSharingViolation);
        const std::wstring final = FinalPath(old.h);
        if (!final.empty()) target = final;
        // The new file takes the old one's attributes (hidden, archive...).
        attributes = found & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                              FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
    } else {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            // A missing folder is a bad path; so is a reserved device name (NUL.ssi), which has
            // no attributes but opens.
            if (error == ERROR_PATH_NOT_FOUND)
                return FileFailure(kFileErrorBadPath, FileErrorReason::MissingFolder);
            return FileFailure(CauseOfSystemError(error));
        }
        Handle probe;
        probe.h = ::CreateFileW(target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe.Valid()) return FileFailure(kFileErrorAccessDenied);
    }

    std::ostringstream image;
    WriteConfiguration(image, p);
    const std::string bytes = image.str();

    // A new file beside the target, so that the move stays on one volume. The name is short,
    // so that it fits wherever the target's name does.
    const std::wstring folder = FolderOf(target);
    std::wstring temp;
    Handle out;
    for (int attempt = 0; attempt < 100 && !out.Valid(); ++attempt) {
        temp = folder + L"~vt" + std::to_wstring(::GetCurrentProcessId() % 100000) + L"-" +
               std::to_wstring(attempt) + L".tmp";
        out.h = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
        if (!out.Valid() && ::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS)
            return LastFailure();
    }
    if (!out.Valid()) return FileFailure(kFileErrorGeneral);

    bool ok = WriteAll(out.h, bytes) && ::FlushFileBuffers(out.h);
    DWORD error = ok ? 0 : ::GetLastError();
    out.Close();
    // The old file is let go only now: a file that is open cannot be replaced.
    old.Close();
    if (ok &&
        !::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        error = ::GetLastError();
    }
    if (!ok) {
        ::DeleteFileW(temp.c_str());
        return FileFailure(error ? CauseOfSystemError(error) : kFileErrorGeneral);
    }
    return ConfigFileResult{};
}

}  // namespace veltrin
