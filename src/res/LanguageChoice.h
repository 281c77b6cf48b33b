#pragma once
// The language of the command-line tool, which has no settings dialog of its own: the --lang
// option when given, else the "Language" the program keeps in its settings (0 German, anything
// else English), else the environment's language (LC_ALL, LC_MESSAGES, LANG: the first one set
// decides; "en..." is English), else German.
#include <optional>
#include <string>
#include <string_view>

namespace veltrin {

/// langOption: "de", "en", or empty when the option was not given.
bool ChooseEnglish(std::string_view langOption);

/// The program's stored "Global"/"Language" as a number; nullopt when there is none, or it is
/// no whole number. Read the platform's way, without Qt (one file per platform).
std::optional<long long> StoredLanguageSetting();

/// "Language" of the group "[Global]" in the text of an INI settings file, as the program's
/// settings write it ("Language=1"); nullopt when absent or no whole number.
std::optional<long long> LanguageFromIni(std::string_view text);

/// What the environment asks for: true English, false another language, nullopt when none of
/// LC_ALL, LC_MESSAGES and LANG is set.
std::optional<bool> EnvironmentWantsEnglish();

}  // namespace veltrin
