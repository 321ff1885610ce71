#include "setup/first_start.h"

#include <filesystem>
#include <sstream>
#include <system_error>
#include <unistd.h>

#include "platform/base/paths.h"
#include "platform/base/text.h"
#include "platform/com/com.h"
#include "setup/setup.h"

namespace setup {

namespace fs = std::filesystem;

namespace {

const char* const kSetupPrefix = "koravel-setup: ";

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

} // namespace

std::string RegistryWriteProblem(const std::string& registryFile) {
    if (Exists(registryFile))
        return ::access(registryFile.c_str(), W_OK) == 0 ? std::string() : "the file is read-only";
    // The registry and its folders are made on the way: the first folder that exists decides.
    std::error_code ec;
    fs::path folder = fs::absolute(registryFile, ec).parent_path();
    while (!folder.empty() && !fs::exists(folder, ec) && folder != folder.root_path())
        folder = folder.parent_path();
    if (!fs::is_directory(folder, ec))
        return folder.string() + " is not a folder";
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return "the folder " + folder.string() + " is not writable";
    return {};
}

std::vector<Component> ComponentsToRegister() {
    std::vector<Component> missing;
    for (const Component& c : kComponents) {
        const std::string library = ComRegisteredLibrary(c.progId);
        if (library.empty() || !Exists(library))
            missing.push_back(c);
    }
    return missing;
}

bool PrepareFirstStart(const std::string& componentDir, std::ostream& out, std::string& problem) {
    Options options;
    std::string error;
    if (!ParseArguments({}, options, error)) {
        problem = error;
        return false;
    }
    const std::vector<Component> toRegister = ComponentsToRegister();
    const bool setUp = !IsSetUp(options);
    if (toRegister.empty() && !setUp)
        return true;

    // Checked first, so that a registry that cannot take the components leaves no data
    // folder or data source behind either.
    const std::string registry = ComRegistryFile();
    if (!toRegister.empty()) {
        if (const std::string why = RegistryWriteProblem(registry); !why.empty()) {
            problem = "Cannot write the component registry " + registry + ": " + why +
                      ". Make it writable, or name another registry file with "
                      "KORAVEL_COM_REGISTRY.";
            return false;
        }
    }

    if (setUp) {
        std::ostringstream report;
        std::ostringstream failure;
        if (Run(options, report, failure) != 0) {
            problem = text::Trim(failure.str());
            if (text::StartsWith(problem, kSetupPrefix))
                problem.erase(0, std::string(kSetupPrefix).size());
            return false;
        }
        out << "Koravel is set up for its first start:\n" << report.str();
    }

    for (const Component& c : toRegister) {
        const std::string library = paths::Join(componentDir, c.library);
        const HRESULT hr = RegisterServerLibrary(library);
        if (hr == SELFREG_E_CLASS) {
            problem = "Cannot write the component registry " + registry +
                      ". Make it writable, or name another registry file with "
                      "KORAVEL_COM_REGISTRY.";
            return false;
        }
        // A component that cannot be loaded costs only the charting-program link, which
        // says so when it is opened: the program still starts.
        if (FAILED(hr))
            out << "The component " << c.progId << " (" << library
                << ") could not be registered; the charting-program link will not work.\n";
        else
            out << "Registered " << c.progId << " (" << library << ") in " << registry << "\n";
    }
    return true;
}

} // namespace setup
