#pragma once

#include <optional>
#include <string>
#include <string_view>

// Starting Koravel with the desktop: an entry in the user's XDG autostart folder, which every
// desktop that follows the freedesktop.org rules reads at login. Opt-in; turning it off
// removes the entry.
namespace autostart {

// $XDG_CONFIG_HOME/autostart/koravel.desktop (~/.config/autostart/koravel.desktop).
std::string EntryPath();

// One argument of a desktop entry's Exec key, quoted and escaped as the desktop entry rules
// ask (quotes around reserved characters, backslash escapes inside them, then the string
// escapes and %%). Nothing for a text a desktop entry cannot carry (control characters).
std::optional<std::string> ExecArgument(std::string_view argument);

// The entry that starts the program at that path.
std::optional<std::string> EntryText(const std::string& program);

// True when the entry exists and is not switched off (Hidden=true, or
// X-GNOME-Autostart-enabled=false, as desktops write when the user disables it there).
bool IsEnabled(const std::string& entryPath = EntryPath());

// Writes the entry (whole or not at all) or removes it. False with a message naming the file
// and what to do.
bool Enable(const std::string& program, std::string& error,
            const std::string& entryPath = EntryPath());
bool Disable(std::string& error, const std::string& entryPath = EntryPath());

} // namespace autostart
