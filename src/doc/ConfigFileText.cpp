// The messages of failed configuration-file reads and writes (kept apart from the format code,
// which needs no resources).
#include "doc/ConfigFile.h"
#include "res/Resources.h"

namespace veltrin {

namespace {
constexpr unsigned kTextUnexpectedFormat = 61728;   // "Unerwartetes Dateiformat."
constexpr unsigned kTextOpenFailed = 61697;         // "Fehler beim Öffnen des Dokuments."
constexpr unsigned kTextFileErrorBase = 61856;      // + cause 1 to 14
#ifdef _WIN32
constexpr const char* kFolderSeparators = "/\\";
#else
constexpr const char* kFolderSeparators = "/";
#endif
}  // namespace

std::string ConfigFileErrorText(const ConfigFileResult& result, const std::string& path) {
    switch (result.status) {
    case ConfigStatus::Ok: return {};
    case ConfigStatus::WrongMarker:
    case ConfigStatus::EndOfFile: return ResString(kTextUnexpectedFormat);
    case ConfigStatus::ArchiveError: return ResString(kTextOpenFailed);
    case ConfigStatus::FileError: break;
    }
    int cause = result.cause >= 1 && result.cause <= 14 ? result.cause : 1;
    std::string text = ResString(kTextFileErrorBase + static_cast<unsigned>(cause));
    std::size_t at = text.find("%1");
    if (at != std::string::npos) text.replace(at, 2, path.empty() ? std::string("\"\"") : path);
    if (result.reason == FileErrorReason::None) return text;
    std::string named = path;
    std::string reason = ResText("file.reason.folder");
    if (result.reason == FileErrorReason::MissingFolder) {
        reason = ResText("file.reason.missingFolder");
        // The folder part of the path as it was given ("." for a bare name).
        const std::size_t slash = path.find_last_of(kFolderSeparators);
        named = slash == std::string::npos ? "." : slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
    }
    at = reason.find("%1");
    if (at != std::string::npos) reason.replace(at, 2, named);
    return text + "\n" + reason;
}

}  // namespace veltrin
