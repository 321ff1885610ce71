#include "platform/base/install_paths.h"

#include <filesystem>
#include <system_error>

#include "platform/base/paths.h"

// Given by the build: see cmake/InstallLayout.cmake.
#ifndef KORAVEL_VERSION
#error "KORAVEL_VERSION is not defined"
#endif

namespace install {

namespace fs = std::filesystem;

namespace {

std::string Canonical(const std::string& path) {
    std::error_code ec;
    const fs::path p = fs::weakly_canonical(path, ec);
    return ec ? fs::path(path).lexically_normal().string() : p.string();
}

// A folder reached from the program's own, as the installed layout places it.
std::string BesideProgram(const char* relative) {
    std::string path = (fs::path(ProgramDir()) / relative).lexically_normal().string();
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

const char* Version() {
    return KORAVEL_VERSION;
}

std::string VersionText(const std::string& program) {
    return program + " " + Version() + "\n";
}

std::string ProgramPath() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

std::string ProgramDir() {
    return fs::path(ProgramPath()).parent_path().string();
}

bool InBuildTree() {
    // Decided once: the answer cannot change while the program runs.
    static const bool inBuildTree = Canonical(ProgramDir()) == Canonical(KORAVEL_BUILD_BIN_DIR);
    return inBuildTree;
}

std::string ComponentDir() {
    return InBuildTree() ? std::string(KORAVEL_BUILD_LIB_DIR)
                         : BesideProgram(KORAVEL_BIN_TO_PKGLIB);
}

std::string CatalogueDir() {
    return InBuildTree() ? std::string() : BesideProgram(KORAVEL_BIN_TO_PKGDATA);
}

std::string ConfigHome() {
    // The folder that holds the program's own configuration folder, by the same rule.
    return fs::path(paths::ConfigDir()).parent_path().string();
}

} // namespace install
