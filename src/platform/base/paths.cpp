#include "platform/base/paths.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace paths {

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string StripTrailingSlash(std::string p) {
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    return p;
}

} // namespace

std::string HomeDir() {
    std::string home = Env("HOME");
    if (!home.empty())
        return StripTrailingSlash(home);
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return StripTrailingSlash(pw->pw_dir);
    return "/tmp";
}

std::string DataRoot() {
    const std::string root = Env("KORAVEL_ROOT");
    if (!root.empty())
        return StripTrailingSlash(root);
    return HomeDir() + "/Koravel";
}

std::string Join(const std::string& a, const std::string& b) {
    if (a.empty())
        return b;
    if (b.empty())
        return a;
    if (a.back() == '/')
        return b.front() == '/' ? a + b.substr(1) : a + b;
    return b.front() == '/' ? a + b : a + "/" + b;
}

std::string DataPath(const std::string& sub) {
    return Join(DataRoot(), sub);
}

std::string ConfigDir() {
    const std::string xdg = Env("XDG_CONFIG_HOME");
    if (!xdg.empty())
        return Join(StripTrailingSlash(xdg), "koravel");
    return HomeDir() + "/.config/koravel";
}

std::string RuntimeDir() {
    const std::string xdg = Env("XDG_RUNTIME_DIR");
    if (!xdg.empty())
        return StripTrailingSlash(xdg);
    return ConfigDir();
}

std::string ShowDataRoot(const std::string& text) {
    static const std::string kWindowsRoot = "C:\\Koravel";
    std::string out;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t hit = text.find(kWindowsRoot, pos);
        if (hit == std::string::npos) {
            out += text.substr(pos);
            return out;
        }
        out += text.substr(pos, hit - pos);
        out += DataRoot();
        // The rest of the path, up to the first blank or line break, uses forward slashes.
        std::size_t i = hit + kWindowsRoot.size();
        while (i < text.size() && text[i] != ' ' && text[i] != '\n' && text[i] != '"') {
            out += text[i] == '\\' ? '/' : text[i];
            ++i;
        }
        pos = i;
    }
}

bool MakeDirs(const std::string& path, std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (std::filesystem::is_directory(path))
        return true;
    if (error)
        *error = ec ? ec.message() : "not a folder";
    return false;
}

} // namespace paths
