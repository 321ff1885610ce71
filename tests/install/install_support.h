#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// What the installation tests share: the files an installation holds, and programs run the
// way a user runs them (their own environment, their own folder, as an ordinary user).
namespace installtest {

// The files of an installation, relative to its prefix, sorted.
std::vector<std::string> ExpectedFiles();
// Every regular file under a folder, relative to it, sorted.
std::vector<std::string> FilesUnder(const std::string& folder);

// A program started with exactly the given environment ("NAME=value"), in the given folder;
// its output goes to files beside nothing the program sees.
class Process final {
public:
    Process(std::vector<std::string> argv, std::vector<std::string> env, std::string cwd);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Start();
    // Waits for the end; false when it did not come in time (the process is then killed).
    bool Wait(int timeoutMs);
    bool Running();
    void Signal(int signal);

    int ExitCode() const { return m_exitCode; } // -1 when it did not exit normally
    std::string Out() const;
    std::string Err() const;

private:
    std::vector<std::string> m_argv, m_env;
    std::string m_cwd, m_outFile, m_errFile;
    pid_t m_pid = -1;
    int m_exitCode = -1;
};

struct Outcome {
    int exitCode = -1; // -1: killed, or did not end in time
    std::string out, err;
};

// Runs a program to its end.
Outcome RunProgram(std::vector<std::string> argv, std::vector<std::string> env = {},
                   const std::string& cwd = "/", int timeoutMs = 120000);
// Runs a shell command line with this process's environment.
Outcome Shell(const std::string& command, int timeoutMs = 120000);

bool HaveProgram(const std::string& name);

} // namespace installtest
