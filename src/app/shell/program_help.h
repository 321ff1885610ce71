#pragma once

#include <string>

// What `koravel --help` prints: the options, the environment and the files, with the folders
// of this installation.
std::string KoravelHelp();
