// One run of a program as a test sees it: a fresh working directory, the
// settings file the test chose, the environment with its overrides, stdout,
// stderr and the exit status, killed when it runs too long.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/hi_log.h"

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
    // A FIFO no writer will open: a program that opened it the plain way
    // would block for ever instead of refusing it.
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

// The settings file a run finds in its directory: none, a file (of
// kSettingsText unless the test gives its own text), or a FIFO nobody
// writes.
enum class Settings { None, File, Fifo };
extern const char kSettingsText[];

struct SettingsFile {
    Settings kind;
    std::string text;
    SettingsFile(Settings k = Settings::None) : kind(k), text(k == Settings::File ? kSettingsText : "") {}
    explicit SettingsFile(std::string file_text) : kind(Settings::File), text(std::move(file_text)) {}
};

// Runs the program with the words in a directory of its own.
//
// The ARM pass of tools/run-tests.sh runs the whole-run tests again with
// the ARM simulation programs: RQMTEST_RQMCLI_SIM and RQMTEST_RQMCLI_HF_SIM
// name the programs that run in place of the host's rqmcli-sim and
// rqmcli-hf-sim, and RQMTEST_EMULATOR the emulator they run under. Every
// other program runs as given. The tests that are whole runs carry
// RQMTEST_WHOLE_RUN=1 from ctest (the others 0; tests/CMakeLists.txt
// lists them): a simulation program run from a test marked 0 fails it, as
// it would be left out of the ARM pass.
RunResult run_program(const std::string& program, std::vector<std::string> words,
                      const SettingsFile& settings, int timeout_ms = 10000, const EnvOverrides& env = {});

// A run against a stand-in: what run_program gives, and every HI message
// the stand-in received while the program ran.
struct CliRun : RunResult {
    HiLog wire;
};

void PrintTo(const CliRun& r, std::ostream* os);

class SimProcess;

// Runs the program (rqmcli-sim, or any program built on the simulation
// peer) against this stand-in, which RQMSIM_PORT names. The stand-in's log
// is left as it is; the run's messages are the ones it grew by. A run that
// sends more than the log keeps fails the test.
CliRun run_on_sim(SimProcess& sim, const std::string& program, std::vector<std::string> words,
                  const SettingsFile& settings = Settings::None, int timeout_ms = 10000,
                  const EnvOverrides& env = {});

// The executable of that name in PATH, or "" when there is none.
std::string find_in_path(const char* name);

// The output with the banner's build date and time replaced by DATE TIME.
std::string normalized(const std::string& text);

// HI messages of logged datagrams, each cut to its MsgLen.
std::vector<std::vector<uint8_t>> messages(const std::vector<std::vector<uint8_t>>& datagrams);
