#pragma once
// Where the running program lies, and where its data lies: the English texts "veltrin.en.txt"
// and the folder "help". In the build tree they lie beside the program; in an installed tree
// (bin/veltrin) they lie in <prefix>/share/veltrin, which is found from the program's own
// folder, so any install prefix works (one with blanks too, or an unpacked package in a scratch
// folder). One file per platform implements ProgramFolder.
#include <string>

namespace veltrin {

/// The folder of the running program's executable, without a trailing separator; "." when
/// the platform cannot tell.
std::string ProgramFolder();

/// The data folder of the running program: DataFolderFor(ProgramFolder()).
std::string DataFolder();

/// The data folder for a program in programFolder: programFolder itself when it holds
/// "veltrin.en.txt" or "help"; else the installed share folder relative to it
/// ("../share/veltrin" for the usual layout) when that holds either; else programFolder.
/// Never fails: without data the program runs in German without help.
std::string DataFolderFor(const std::string& programFolder);

}  // namespace veltrin
