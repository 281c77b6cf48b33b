// The messages of failed configuration-file reads and writes (kept apart from the format code,
// which needs no resources).
#include "doc/ConfigFile.h"
#include "res/Resources.h"

namespace veltrin {

namespace {
constexpr unsigned kTextUnexpectedFormat = 61728;   // "Unerwartetes Dateiformat."
constexpr unsigned kTextOpenFailed = 61697;         // "Fehler beim Öffnen des Dokuments."
constexpr unsigned kTextFileErrorBase = 61856;      // + cause 1 to 14
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
    return text;
}

}  // namespace veltrin
