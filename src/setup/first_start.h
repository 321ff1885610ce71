#pragma once

#include <ostream>
#include <string>
#include <vector>

// The first start of an installed Koravel sets it up for the user, with no script and no
// root: the data folders, the database and the data source as koravel-setup makes them,
// and the registration of the program's two components in the user's registry file. Later
// starts find everything in place and do nothing.
namespace setup {

// A component the program registers for the user.
struct Component {
    const char* progId;
    const char* library; // file name in the component folder
};
inline constexpr Component kComponents[] = {
    {"Pellar.clsdll", "libpellar.so"},
    {"Broker.Application", "libkoravel-chartstore.so"},
};

// Whether the component registry file (ComRegistryFile()) can be written: the file if it
// exists, else the nearest folder on its way that exists. Empty when it can, else why not.
std::string RegistryWriteProblem(const std::string& registryFile);

// The components to register: those with no registration, or whose registered library
// file is gone. A registration of the user's own (another charting
// program's Broker.Application, say) stays.
std::vector<Component> ComponentsToRegister();

// Sets up what is missing, registering the components from componentDir; reports to out. False with
// the one message the user sees (the path and what to do) when the start cannot go on; nothing is
// then left half-written, and the registry is checked before anything is made.
bool PrepareFirstStart(const std::string& componentDir, std::ostream& out, std::string& problem);

} // namespace setup
