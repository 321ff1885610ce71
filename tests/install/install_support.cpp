#include "install/install_support.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "support/temp_dir.h"

extern char** environ;

namespace installtest {

namespace fs = std::filesystem;

std::vector<std::string> ExpectedFiles() {
    const std::string lib = KORAVEL_PKGLIBDIR;
    std::vector<std::string> files = {
        "bin/koravel",
        "bin/koravel-market",
        "bin/koravel-regsvr",
        "bin/koravel-setup",
        lib + "/libkoravel-chartstore.so",
        lib + "/libkoravel-clock.so",
        lib + "/libpellar.so",
        "share/applications/koravel.desktop",
        "share/doc/koravel/changelog.gz",
        "share/doc/koravel/copyright",
        "share/koravel/companies.csv",
        "share/koravel/futures.csv",
        "share/man/man1/koravel-market.1.gz",
        "share/man/man1/koravel-regsvr.1.gz",
        "share/man/man1/koravel-setup.1.gz",
        "share/man/man1/koravel.1.gz",
        std::string("share/metainfo/") + KORAVEL_APP_ID + ".metainfo.xml",
    };
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        files.push_back("share/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) +
                        "/apps/koravel.png");
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> FilesUnder(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file())
            files.push_back(fs::relative(e.path(), folder).string());
    std::sort(files.begin(), files.end());
    return files;
}

namespace {

// The output files live in a folder of their own for the life of the test program.
const std::string& OutputFolder() {
    static const testsupport::TempDir dir;
    return dir.path();
}

int g_serial = 0;

} // namespace

Process::Process(std::vector<std::string> argv, std::vector<std::string> env, std::string cwd)
    : m_argv(std::move(argv)), m_env(std::move(env)), m_cwd(std::move(cwd)) {
    const std::string base = OutputFolder() + "/" + std::to_string(++g_serial);
    m_outFile = base + ".out";
    m_errFile = base + ".err";
}

Process::~Process() {
    if (m_pid > 0 && Running()) {
        ::kill(m_pid, SIGKILL);
        Wait(10000);
    }
}

bool Process::Start() {
    std::vector<char*> argv, envp;
    for (std::string& a : m_argv)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : m_env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    m_pid = ::fork();
    if (m_pid < 0)
        return false;
    if (m_pid == 0) {
        const int out = ::open(m_outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(m_errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int in = ::open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
            ::dup2(err, 2) < 0 || ::chdir(m_cwd.c_str()) != 0)
            ::_exit(126);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    return true;
}

bool Process::Running() {
    if (m_pid <= 0)
        return false;
    int status = 0;
    const pid_t r = ::waitpid(m_pid, &status, WNOHANG);
    if (r == 0)
        return true;
    m_exitCode = r == m_pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    m_pid = -1;
    return false;
}

bool Process::Wait(int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Running()) {
        if (std::chrono::steady_clock::now() > end) {
            ::kill(m_pid, SIGKILL);
            int status = 0;
            ::waitpid(m_pid, &status, 0);
            m_pid = -1;
            m_exitCode = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

void Process::Signal(int signal) {
    if (m_pid > 0)
        ::kill(m_pid, signal);
}

std::string Process::Out() const {
    return testsupport::ReadFile(m_outFile);
}

std::string Process::Err() const {
    return testsupport::ReadFile(m_errFile);
}

Outcome RunProgram(std::vector<std::string> argv, std::vector<std::string> env,
                   const std::string& cwd, int timeoutMs) {
    if (env.empty())
        for (char** e = environ; *e; ++e)
            env.emplace_back(*e);
    Process p(std::move(argv), std::move(env), cwd);
    if (!p.Start())
        return {};
    const bool ended = p.Wait(timeoutMs);
    return {ended ? p.ExitCode() : -1, p.Out(), p.Err()};
}

Outcome Shell(const std::string& command, int timeoutMs) {
    return RunProgram({"/bin/sh", "-c", command}, {}, fs::current_path().string(), timeoutMs);
}

bool HaveProgram(const std::string& name) {
    return Shell("command -v '" + name + "' >/dev/null 2>&1").exitCode == 0;
}

} // namespace installtest
