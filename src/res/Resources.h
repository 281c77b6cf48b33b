#pragma once
// The program's resources: every text of the string table, the menus and the dialogs, looked
// up by its numeric id at the moment it is used. German is built into the program; the English
// set is a text file beside it ("veltrin.en.txt") that replaces the German set when it loads.
//
// File format, one entry a line, UTF-8:
//   # a comment
//   <key><TAB><text>
// Keys: a string id ("57656"), "menu.<command id>" for a menu item, "menu.popup.<n>" for the
// n-th top-level menu, "dialog.<id>" for a dialog's title, "dialog.<id>.<control id>" for a
// control's text (controls without an id use a name, e.g. "dialog.100.version").
// Escapes in the text: \n line feed, \t tab, \\ backslash. Unknown escapes are kept as they are.
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>

namespace veltrin {

class ResourceSet {
public:
    /// Parses a resource text. Malformed lines (no tab) are skipped; returns the number of entries.
    std::size_t Parse(std::string_view text);
    /// Loads a resource file (path in UTF-8); false (and the set unchanged) when it cannot be read
    /// or holds no entry.
    bool LoadFile(const std::string& path);

    bool Has(std::string_view key) const;
    /// The text under key, or an empty text when the set has none.
    std::string Text(std::string_view key) const;
    std::size_t Size() const { return entries_.size(); }

private:
    std::map<std::string, std::string, std::less<>> entries_;
};

/// The built-in German set.
const ResourceSet& GermanResources();

/// The resource set in force: German, or English after UseResourceSet. A key the set in force
/// lacks falls back to the German text, so a partial language file never leaves a blank.
void UseResourceSet(const ResourceSet* set);   // nullptr: back to German
bool EnglishInForce();
std::string ResText(std::string_view key);
/// A string of the string table by its id.
std::string ResString(unsigned id);

/// Replaces the first "%d" in text by n. Texts come from files, so they are never used as a
/// printf format: a stray "%s" in a language file must not read arbitrary memory.
std::string FormatNumber(std::string text, long long n, std::string_view placeholder = "%d");
/// Replaces %1 to %9 in text by the arguments, in one pass: an argument that holds "%2" (a
/// device path, a file name) stays as it is. A number without its argument stays as written.
std::string FillArguments(std::string_view text, std::initializer_list<std::string_view> args);

}  // namespace veltrin
