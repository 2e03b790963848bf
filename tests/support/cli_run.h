// One run of a program as a test sees it: a fresh working directory, the
// settings file the test chose, the environment with its overrides, stdout,
// stderr and the exit status, killed when it runs too long.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

struct RunResult {
    std::string out;
    std::string err;
    int exit_code = -1;  // -1 unless it exited
    int term_signal = 0;
    bool timed_out = false;
};

void PrintTo(const RunResult& r, std::ostream* os);

// A fresh directory under /tmp, removed with what it holds.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    bool write(const char* name, const std::string& text) const;
    // Opening a FIFO for reading blocks until a writer comes, and none will:
    // a program that reads this file hangs instead of passing unnoticed.
    bool fifo(const char* name) const;

private:
    std::string path_;
};

using EnvOverrides = std::vector<std::pair<std::string, std::string>>;

// Runs args[0] with the arguments in dir, stdin from /dev/null, the
// environment of this process with env put over it; kills it after
// timeout_ms.
RunResult run_in(const std::vector<std::string>& args, const std::string& dir, int timeout_ms,
                 const EnvOverrides& env = {});

// The settings file a run finds in its directory: none, kSettingsText, or a
// FIFO nobody writes.
enum class Settings { None, File, Fifo };
extern const char kSettingsText[];

// Runs the program with the words in a directory of its own.
RunResult run_program(const std::string& program, std::vector<std::string> words, Settings settings,
                      int timeout_ms = 10000, const EnvOverrides& env = {});

// The output with the banner's build date and time replaced by DATE TIME.
std::string normalized(const std::string& text);

// HI messages of logged datagrams, each cut to its MsgLen.
std::vector<std::vector<uint8_t>> messages(const std::vector<std::vector<uint8_t>>& datagrams);
