#include "amibroker/core/link_rules.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "controls/core/watch_columns.h"
#include "platform/base/text.h"
#include "quotes/indian_number.h"

namespace amilink {

namespace {

std::string NoCommas(const std::string& s) {
    return text::RemoveChar(s, ',');
}

long LongOf(const std::string& s) {
    return std::strtol(NoCommas(s).c_str(), nullptr, 10);
}

} // namespace

std::string LiveFeedText(double previousNifty, double nifty, double previousSensex, double sensex,
                         const std::vector<RowCells>& rows) {
    std::string text;
    if (previousNifty > 0)
        text += "NIFTY," + text::FormatFixed(previousNifty, 2) + "," + text::FormatFixed(nifty, 2) +
                ",0";
    if (previousSensex > 0)
        text += "*SENSEX," + text::FormatFixed(previousSensex, 2) + "," +
                text::FormatFixed(sensex, 2) + ",0";
    for (const RowCells& cells : rows) {
        if (cells(kWcIndex) != "NSE")
            continue;
        if (ParseListNumber(cells(kWcPrevPrice)) == 0)
            continue;
        std::string record = "*" + cells(kWcSymbol) + ",";
        record += NoCommas(cells(kWcPrevPrice)) + "," + NoCommas(cells(kWcPrice)) + ",";
        if (LongOf(cells(kWcTaken)) > 0)
            record += std::to_string(LongOf(cells(kWcVolume)) - LongOf(cells(kWcPrevVolume))) + ",";
        else
            record += "0";
        text += record;
    }
    return text;
}

std::string SyncList(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string list;
    for (const auto& [symbol, exchange] : entries)
        if (exchange == "NSE")
            list += symbol + ",";
    return list + "NIFTY,SENSEX,";
}

BackfillStep StepOf(int position, const std::vector<std::pair<std::string, std::string>>& entries) {
    if (position == 0)
        return {"NIFTY", "^NSEI"};
    if (position == 1)
        return {"SENSEX", "^BSESN"};
    const std::size_t i = static_cast<std::size_t>(position - 2);
    if (i >= entries.size() || entries[i].second != "NSE")
        return {"", ""}; // BSE shares are not back-filled
    return {entries[i].first, entries[i].first + ".NS"};
}

int StepProgress(int position, int total) {
    return total > 0 ? position * 100 / total + 1 : 0;
}

int HeaderLines(int mode) {
    return mode == 5 ? 19 : 14;
}

std::string ChartDataPath(const std::string& chartSymbol, int mode) {
    return "/instrument/1.0/" + chartSymbol +
           "/chartdata;type=quote;range=" + (mode == 5 ? "5d" : "1d") + "/csv/";
}

std::string JoinBars(const std::vector<std::string>& lines, int headerLines) {
    std::string text;
    for (std::size_t i = static_cast<std::size_t>(headerLines); i < lines.size(); ++i)
        text += lines[i] + "*";
    return text;
}

int KillProcessByName(const std::string& name) {
    if (name.empty() || name.size() > 260)
        return kBadName;
    const std::string wanted = text::ToUpperAscii(name);
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return kCannotList;
    const uid_t me = ::getuid();
    int status = kNoSuchProcess;
    while (dirent* e = ::readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(e->d_name, &end, 10);
        if (*end != '\0' || pid <= 0 || pid == ::getpid())
            continue;
        const std::string dir = std::string("/proc/") + e->d_name;
        struct stat st {};
        if (::stat(dir.c_str(), &st) != 0 || st.st_uid != me)
            continue; // only this user's processes
        std::string stat;
        std::getline(std::ifstream(dir + "/stat"), stat);
        const std::size_t paren = stat.rfind(')');
        if (paren == std::string::npos || paren + 2 >= stat.size() || stat[paren + 2] == 'Z')
            continue; // a zombie is already gone
        std::string base;
        char exe[4096];
        const ssize_t n = ::readlink((dir + "/exe").c_str(), exe, sizeof exe - 1);
        if (n > 0) {
            exe[n] = '\0';
            base = exe;
            if (const std::size_t deleted = base.rfind(" (deleted)"); deleted != std::string::npos)
                base.erase(deleted);
            base = base.substr(base.find_last_of('/') + 1);
        } else {
            std::getline(std::ifstream(dir + "/comm"), base);
        }
        if (text::ToUpperAscii(base) != wanted)
            continue;
        status = ::kill(static_cast<pid_t>(pid), SIGKILL) == 0 ? kKilled
                 : errno == EPERM                              ? kCannotOpen
                                                               : kCannotTerminate;
        break;
    }
    ::closedir(proc);
    return status;
}

} // namespace amilink
