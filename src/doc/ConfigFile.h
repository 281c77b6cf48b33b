#pragma once
// Configuration files (".ssi"): a counted marker "SSI-CFG" and the 196-byte little-endian image
// of EncoderParameters; 204 bytes as this program writes them. The stream functions know only
// the format; the file functions add opening, the 0-byte rule, safe replacement and the
// file-error causes that the messages name. Paths are UTF-8 on every platform.
#include <istream>
#include <ostream>
#include <string>

#include "params/EncoderParameters.h"

namespace veltrin {

inline constexpr char kConfigMarker[] = "SSI-CFG";
inline constexpr std::size_t kConfigMarkerLength = 7;
inline constexpr std::size_t kConfigFileSize = 1 + kConfigMarkerLength + sizeof(EncoderParameters);

enum class ConfigStatus {
    Ok,
    WrongMarker,    ///< the marker is not "SSI-CFG" (also a marker of another length)
    EndOfFile,      ///< the data ends inside the marker or the record
    ArchiveError,   ///< a 64-bit marker length above 2147483647
    FileError,      ///< the file could not be opened, created, read or written (see cause)
};

/// Writes the byte 07, "SSI-CFG" and the record. Returns whether the stream took it all.
bool WriteConfiguration(std::ostream& out, const EncoderParameters& p);

/// Reads and tests the marker, then the record. The parameter set changes only on Ok: a wrong
/// marker, a record that ends early or an impossible marker length leave it as it was. Reads
/// at most the marker and the record; whatever follows stays unread. Never allocates by the
/// length the data announces. An empty stream is EndOfFile: the 0-byte rule belongs to files
/// (ReadConfigurationFile), as it does to the document's open.
ConfigStatus ReadConfiguration(std::istream& in, EncoderParameters& p);

/// Causes of a file error, as the file-error messages number them.
enum FileErrorCause : int {
    kFileErrorGeneral = 1,
    kFileErrorNotFound = 2,
    kFileErrorBadPath = 3,
    kFileErrorTooManyOpen = 4,
    kFileErrorAccessDenied = 5,
    kFileErrorInvalidHandle = 6,
    kFileErrorRemoveCurrentDir = 7,
    kFileErrorDirectoryFull = 8,
    kFileErrorBadSeek = 9,
    kFileErrorHardIo = 10,
    kFileErrorSharingViolation = 11,
    kFileErrorLockViolation = 12,
    kFileErrorDiskFull = 13,
    kFileErrorEndOfFile = 14,
};

/// The cause for an errno value of a failed file call.
int FileErrorCauseFromErrno(int error, bool creating = false);

/// What a file error's cause alone would hide, named on a second line of the message.
enum class FileErrorReason {
    None,
    Folder,         ///< the path names a folder (access denied)
    MissingFolder,  ///< the folder the file should be in does not exist (bad path)
};

struct ConfigFileResult {
    ConfigStatus status = ConfigStatus::Ok;
    int cause = 0;            ///< 1 to 14 when status is FileError
    bool emptyFile = false;   ///< a 0-byte file: nothing read, the parameter set unchanged
    FileErrorReason reason = FileErrorReason::None;
    bool ok() const { return status == ConfigStatus::Ok; }
};

/// The platform files read at most this much of a file: the format never needs more than a
/// longest length prefix, a 16-bit marker and the record.
inline constexpr std::size_t kConfigFileHeadLimit = 4096;

/// Reads a file's first bytes (at most kConfigFileHeadLimit) into p: a 0-byte file succeeds
/// without reading anything; otherwise ReadConfiguration decides.
ConfigFileResult ReadConfigurationHead(const std::string& head, EncoderParameters& p);

/// Opens path for reading (others may read it, not write it: a shared lock) and reads it into
/// p. A 0-byte file succeeds without reading anything. Blocks only for the file system: the
/// open never waits (a FIFO without a writer, a device), and anything but a regular file (a
/// folder, device, FIFO, socket) is refused as access denied. An empty path is a bad path.
ConfigFileResult ReadConfigurationFile(const std::string& path, EncoderParameters& p);

/// Writes p to path so that an existing file is never lost: the data goes into a new file
/// beside it, is flushed to the disk and then renamed over the old one; on any failure the
/// new file is removed and the old one is left as it was. An existing file that we may not
/// write, or that someone else holds locked, is refused (access denied / sharing violation).
/// Every platform file keeps these rules:
/// - Only a regular file is replaced (or a name where nothing is yet). A device, FIFO,
///   socket or folder is refused as access denied before anything is created beside it.
/// - A symbolic link (a chain of them too) is written through: the file it ends at is
///   replaced, the link stays; a link to a name where nothing is yet creates that file. A loop
///   of links is a bad path.
/// - The new file beside the target has a short name of its own (".veltrin-<pid>-<n>.tmp" on
///   POSIX, "~vt<pid>-<n>.tmp" on Windows), so a target whose name is as long as the file
///   system allows can still be saved.
/// - An empty path is a bad path; nothing is created.
ConfigFileResult WriteConfigurationFile(const std::string& path, const EncoderParameters& p);

/// The message for a failed read or write, from the resources in force: "Unerwartetes
/// Dateiformat." for a wrong marker or an early end, "Fehler beim Öffnen des Dokuments." for
/// an archive error, and the file-error text of the cause with "%1" replaced by the path (an
/// empty path shows as "", so the message never lacks its name). A reason follows on a second
/// line: "%1 ist ein Ordner, keine Datei.", "Den Ordner %1 gibt es nicht." (the path's folder).
std::string ConfigFileErrorText(const ConfigFileResult& result, const std::string& path);

}  // namespace veltrin
