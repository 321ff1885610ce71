#include "app/core/autostart.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <unistd.h>

#include "platform/base/install_paths.h"
#include "platform/base/paths.h"
#include "platform/base/text.h"

namespace autostart {

namespace fs = std::filesystem;

namespace {

// Characters that make an Exec argument need quotes.
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
// Characters escaped with a backslash inside the quotes.
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

// The value of a key of the [Desktop Entry] group, trimmed; empty when it is not there.
std::string EntryValue(const std::string& text, std::string_view key) {
    bool inGroup = false;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const std::string trimmed = text::Trim(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            inGroup = trimmed == "[Desktop Entry]";
            continue;
        }
        const std::size_t eq = trimmed.find('=');
        if (inGroup && eq != std::string::npos && text::Trim(trimmed.substr(0, eq)) == key)
            return text::Trim(trimmed.substr(eq + 1));
    }
    return {};
}

} // namespace

std::string EntryPath() {
    return paths::Join(paths::Join(install::ConfigHome(), "autostart"), "koravel.desktop");
}

std::optional<std::string> ExecArgument(std::string_view argument) {
    for (const char c : argument)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return std::nullopt;
    std::string quoted;
    if (argument.empty() || argument.find_first_of(kReserved) != std::string_view::npos) {
        quoted = "\"";
        for (const char c : argument) {
            if (kEscapedInQuotes.find(c) != std::string_view::npos)
                quoted += '\\';
            quoted += c;
        }
        quoted += '"';
    } else {
        quoted = argument;
    }
    // The string escapes apply to the whole value before the quoting is read.
    std::string out;
    for (const char c : quoted) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '%')
            out += "%%";
        else
            out += c;
    }
    return out;
}

std::optional<std::string> EntryText(const std::string& program) {
    const std::optional<std::string> exec = ExecArgument(program);
    if (!exec)
        return std::nullopt;
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Koravel\n"
           "Comment=NSE and BSE quote bar\n"
           "Exec=" +
           *exec +
           "\n"
           "Icon=koravel\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool IsEnabled(const std::string& entryPath) {
    std::ifstream in(entryPath, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    const std::string text = ss.str();
    return EntryValue(text, "Hidden") != "true" &&
           EntryValue(text, "X-GNOME-Autostart-enabled") != "false";
}

bool Enable(const std::string& program, std::string& error, const std::string& entryPath) {
    const std::optional<std::string> text = EntryText(program);
    if (!text) {
        error = "The program's path " + program + " cannot be written into an autostart entry.";
        return false;
    }
    const std::string folder = fs::path(entryPath).parent_path().string();
    const std::string advice = ". Make the folder " + folder + " writable.";
    std::string why;
    if (!paths::MakeDirs(folder, &why)) {
        error = "Cannot create the autostart folder " + folder + ": " + why + advice;
        return false;
    }
    // Written beside the entry and renamed over it: a desktop never reads half an entry.
    const std::string temp = entryPath + ".koravel-" + std::to_string(::getpid());
    std::error_code ec;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << *text;
        out.close();
        if (!out) {
            fs::remove(temp, ec);
            error = "Cannot write the autostart entry " + entryPath + advice;
            return false;
        }
    }
    fs::rename(temp, entryPath, ec);
    if (ec) {
        const std::string reason = ec.message();
        fs::remove(temp, ec);
        error = "Cannot write the autostart entry " + entryPath + ": " + reason + advice;
        return false;
    }
    return true;
}

bool Disable(std::string& error, const std::string& entryPath) {
    std::error_code ec;
    fs::remove(entryPath, ec);
    if (ec) {
        error = "Cannot remove the autostart entry " + entryPath + ": " + ec.message() +
                ". Remove it by hand, or make its folder writable.";
        return false;
    }
    return true;
}

} // namespace autostart
