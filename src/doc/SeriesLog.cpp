#include "doc/SeriesLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "doc/ConfigFile.h"
#include "doc/SendNotes.h"
#include "res/Resources.h"
#include "res/Utf8Path.h"

namespace veltrin {

namespace {

using Json = nlohmann::ordered_json;

Json OrNull(const std::string& s) { return s.empty() ? Json(nullptr) : Json(s); }

#ifdef _WIN32
int OpenForAppending(const std::filesystem::path& path) {
    return ::_wopen(path.c_str(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY | _O_NOINHERIT,
                    _S_IREAD | _S_IWRITE);
}
long WriteAll(int fd, const char* data, std::size_t size) {
    return ::_write(fd, data, static_cast<unsigned>(size));
}
void CloseFile(int fd) { ::_close(fd); }
#else
int OpenForAppending(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
}
long WriteAll(int fd, const char* data, std::size_t size) {
    return static_cast<long>(::write(fd, data, size));
}
void CloseFile(int fd) { ::close(fd); }
#endif

}  // namespace

int ProgramExitStatus(ProgramResult result) {
    switch (result) {
        case ProgramResult::Programmed:
            return 0;
        case ProgramResult::Failed:
            return 1;
        case ProgramResult::Differences:
            return 4;
        case ProgramResult::Interrupted:
            return 130;
    }
    return 1;
}

std::string ProgramRecordLine(std::time_t when, const std::string& device, int station,
                              const ProgramFile& file, bool extended, const ProgramOutcome& o) {
    Json steps = Json::object();
    for (ProgramStep step : kProgramSteps)
        if (o.Step(step) != StepResult::NotRequested) steps[StepName(step)] = StepResultName(o.Step(step));
    Json differences = Json::array();
    for (const VerifyRow& row : o.differences)
        differences.push_back(Json{{"member", row.member},
                                   {"kp", row.kp},
                                   {"label", row.label},
                                   {"file", row.fileValue},
                                   {"encoder", OrNull(row.encoderValue)}});
    Json withheld = Json::array();
    for (const WithheldStatusBit& w : o.withheld)
        withheld.push_back(
            Json{{"kp", KpNumber(w.kp)},
                 {"label", StatusBitOwnerText(w.owner)},
                 {"position", w.position},
                 {"heldBy", w.holder != 0 ? Json(StatusBitOwnerText(w.holder)) : Json(nullptr)}});
    Json refused = o.refused ? Json{{"kp", KpNumber(*o.refused)}, {"parameter", ParameterName(*o.refused)}}
                             : Json(nullptr);
    const Json record{{"time", IsoLocalTime(when)},
                      {"device", device},
                      {"station", station},
                      {"firmware", OrNull(o.firmware)},
                      {"file", file.path},
                      {"sha256", file.sha256},
                      {"extended", extended},
                      {"steps", std::move(steps)},
                      {"differences", std::move(differences)},
                      {"result", ProgramResultName(o.result)},
                      {"error", OrNull(o.error)},
                      {"status", ProgramExitStatus(o.result)},
                      {"seconds", std::round(o.seconds * 10) / 10},
                      {"refused", std::move(refused)},
                      {"withheld", std::move(withheld)}};
    return record.dump(-1, ' ', true, Json::error_handler_t::replace);
}

SeriesLog::~SeriesLog() {
    if (fd_ >= 0) CloseFile(fd_);
}

bool SeriesLog::Open(const std::string& path) {
    errno = 0;
    const std::filesystem::path where = PathFromUtf8(path);
    fd_ = OpenForAppending(where);
    if (fd_ < 0) {
        error_ = errno;
        return false;
    }
    // A disk without room fails no open, only the first record: found here, before any
    // encoder is touched.
    std::error_code ec;
    const std::filesystem::space_info room = std::filesystem::space(where, ec);
    if (!ec && room.available < kLogRoomBytes) {
        CloseFile(fd_);
        fd_ = -1;
        error_ = ENOSPC;
        return false;
    }
    error_ = 0;
    return true;
}

bool SeriesLog::Append(const std::string& line) {
    if (fd_ < 0) return false;
    const std::string whole = line + "\n";
    errno = 0;
    const long written = WriteAll(fd_, whole.data(), whole.size());
    if (written == static_cast<long>(whole.size())) return true;
    error_ = written < 0 ? errno : ENOSPC;  // a short write: the disk filled up
    CloseFile(fd_);
    fd_ = -1;
    return false;
}

std::string LogErrorText(const std::string& path, int error) {
    std::string text = ResText("cli.program.logError");
    if (const std::size_t at = text.find("%s"); at != std::string::npos) text.replace(at, 2, path);
    if (error == 0) return text;
    ConfigFileResult why;
    why.status = ConfigStatus::FileError;
    why.cause = FileErrorCauseFromErrno(error, true);
    if (error == EISDIR) why.reason = FileErrorReason::Folder;
    if (error == ENOENT) why.reason = FileErrorReason::MissingFolder;
    return text + "\n" + ConfigFileErrorText(why, path);
}

}  // namespace veltrin
