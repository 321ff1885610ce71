#pragma once

#include <string>

// Where the programs find their own files. An installed program finds everything relative
// to the folder it runs from (bin/../lib/koravel, bin/../share/koravel), so an installed
// Koravel works from any prefix and after the prefix is moved; a program that runs from the
// build tree it was built in uses that tree's library folder and its compiled-in lists.
namespace install {

// The program's version, as the build names it.
const char* Version();
// "NAME VERSION\n", what --version prints.
std::string VersionText(const std::string& program);

// The running program's file, resolved; empty when the system does not say.
std::string ProgramPath();
// The folder of the running program.
std::string ProgramDir();
// True when the program runs from the bin folder of the build tree it was built in.
bool InBuildTree();

// The folder of the component libraries (libpellar.so, libkoravel-chartstore.so).
std::string ComponentDir();
// The folder of the installed company catalogue and futures list; empty in the build tree,
// where the lists compiled into the programs serve.
std::string CatalogueDir();

// $XDG_CONFIG_HOME, else ~/.config: the folder paths::ConfigDir() lies in.
std::string ConfigHome();

} // namespace install
