#pragma once
// The record of a production run: one line of JSON per encoder programmed, appended to a log
// file that any number of stations share. Each line goes out in one write to a file opened for
// appending, so lines of stations (or of several programs on one log) never mix or tear.
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "doc/Series.h"

namespace veltrin {

/// What the program file is, for every record.
struct ProgramFile {
    std::string path;
    std::string sha256;
};

/// The exit status of one encoder's programming, as veltrin-cli reports it: 0 programmed,
/// 1 failed, 4 different, 130 interrupted.
int ProgramExitStatus(ProgramResult result);

/// One encoder's line of the record, without its line end. station is the station's number
/// (1 for the first device named).
std::string ProgramRecordLine(std::time_t when, const std::string& device, int station,
                              const ProgramFile& file, bool extended, const ProgramOutcome& outcome);

/// Free room a log needs when it is opened: some hundred records.
inline constexpr std::uintmax_t kLogRoomBytes = 64 * 1024;

class SeriesLog {
public:
    SeriesLog() = default;
    ~SeriesLog();
    SeriesLog(const SeriesLog&) = delete;
    SeriesLog& operator=(const SeriesLog&) = delete;

    /// Opens path for appending (made when missing) and checks that its disk has room for
    /// kLogRoomBytes. False, with the C library's error number in Error() (ENOSPC for a disk
    /// without room), when it cannot be written; nothing is then open.
    bool Open(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }
    /// Appends line and a line end in one write. False when not all of it was written
    /// (Error() says why); a line written in part is never followed by more.
    bool Append(const std::string& line);
    int Error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

/// The message that the log cannot be written, then why, as the file messages say it (error:
/// the C library's error number; 0 when there is none to tell).
std::string LogErrorText(const std::string& path, int error);

}  // namespace veltrin
