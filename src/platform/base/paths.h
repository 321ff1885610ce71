#pragma once

#include <string>

// Where the program keeps its files. The data root holds the logs and exports
// (EODData, IntraDay, LiveData, WatchListData, ProfileData, ToppersData) and, by
// default, the database file.
namespace paths {

inline constexpr const char* kEodData = "EODData";
inline constexpr const char* kIntraDay = "IntraDay";
inline constexpr const char* kLiveData = "LiveData";
inline constexpr const char* kWatchListData = "WatchListData";
inline constexpr const char* kProfileData = "ProfileData";
inline constexpr const char* kToppersData = "ToppersData";

// $KORAVEL_ROOT, else ~/Koravel. Never ends with a slash.
std::string DataRoot();
// DataRoot() + "/" + sub.
std::string DataPath(const std::string& sub);
// $XDG_CONFIG_HOME/koravel, else ~/.config/koravel.
std::string ConfigDir();
// $XDG_RUNTIME_DIR, else ConfigDir().
std::string RuntimeDir();
// The user's home folder ($HOME, else the password database).
std::string HomeDir();

// a + "/" + b without doubling the separator.
std::string Join(const std::string& a, const std::string& b);

// Texts that name the classic install folder ("C:\Koravel\IntraDay\...") show the real
// data root in its place, with forward slashes in the rest of the path.
std::string ShowDataRoot(const std::string& text);

// Creates the folder and its parents; true when it exists afterwards.
bool MakeDirs(const std::string& path, std::string* error = nullptr);

} // namespace paths
