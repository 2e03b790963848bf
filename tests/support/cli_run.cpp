#include "tests/support/cli_run.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <regex>

#include "common/hi_msg.h"
#include "tests/support/sim_process.h"

extern char** environ;

void PrintTo(const RunResult& r, std::ostream* os) {
    *os << "exit " << r.exit_code << " signal " << r.term_signal << (r.timed_out ? " (timed out)" : "")
        << "\n--- stdout\n"
        << r.out << "--- stderr\n"
        << r.err;
}

TempDir::TempDir() {
    char tmpl[] = "/tmp/rqmcli-e2e-XXXXXX";
    if (mkdtemp(tmpl) != nullptr)
        path_ = tmpl;
}

TempDir::~TempDir() {
    if (path_.empty())
        return;
    if (DIR* d = opendir(path_.c_str())) {
        while (dirent* e = readdir(d))
            if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) {
                const std::string entry = path_ + "/" + e->d_name;
                if (unlink(entry.c_str()) != 0)
                    rmdir(entry.c_str());  // an empty directory a test made
            }
        closedir(d);
    }
    rmdir(path_.c_str());
}

bool TempDir::write(const char* name, const std::string& text) const {
    FILE* f = fopen((path_ + "/" + name).c_str(), "w");
    if (f == nullptr)
        return false;
    const bool good = fwrite(text.data(), 1, text.size(), f) == text.size();
    return fclose(f) == 0 && good;
}

bool TempDir::fifo(const char* name) const {
    return mkfifo((path_ + "/" + name).c_str(), 0600) == 0;
}

const char kSettingsText[] =
    "[phy_control]\nchannel = 11\npower_dbm = "
    "12.5\n[Tx]\npacket_length=1000\n[memory]\nmem_addr=0x89000100\n";

RunResult run_in(const std::vector<std::string>& args, const std::string& dir, int timeout_ms,
                 const EnvOverrides& env) {
    RunResult r;
    // Everything the child touches is made before the fork: between fork
    // and exec only async-signal-safe calls are allowed.
    std::vector<std::string> vars;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string kv = *e;
        bool overridden = false;
        for (const auto& [k, v] : env)
            overridden = overridden || kv.compare(0, k.size() + 1, k + "=") == 0;
        if (!overridden)
            vars.push_back(kv);
    }
    for (const auto& [k, v] : env)
        vars.push_back(k + "=" + v);
    std::vector<std::string> argStore = args;
    std::vector<char*> argv, envp;
    for (std::string& a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& v : vars)
        envp.push_back(v.data());
    envp.push_back(nullptr);

    int outPipe[2], errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0)
        return r;
    if (pipe2(errPipe, O_CLOEXEC) != 0) {
        close(outPipe[0]);
        close(outPipe[1]);
        return r;
    }
    const int devnull = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t parent = getpid();
    const char* cwd = dir.c_str();

    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent || chdir(cwd) != 0)
            _exit(126);
        dup2(devnull, STDIN_FILENO);
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    if (devnull >= 0)
        close(devnull);
    if (pid < 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        return r;
    }

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&r.out, &r.err};
    int live = 2;
    while (live > 0) {
        int wait = -1;
        if (!r.timed_out) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            wait = left.count() > 0 ? static_cast<int>(left.count()) : 0;
        }
        const int n = poll(fds, 2, wait);
        if (n == 0 && !r.timed_out) {
            kill(pid, SIGKILL);
            r.timed_out = true;
            continue;
        }
        if (n < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buf[4096];
            const ssize_t got = read(fds[i].fd, buf, sizeof buf);
            if (got > 0) {
                sinks[i]->append(buf, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --live;
            }
        }
    }
    for (pollfd& p : fds)
        if (p.fd >= 0)
            close(p.fd);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        r.exit_code = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        r.term_signal = WTERMSIG(status);
    return r;
}

namespace {

// The variable that names the stand-in for a host simulation program, or
// nullptr for any other program.
const char* substitute_variable(const std::string& program) {
    const std::string name = program.substr(program.rfind('/') + 1);
    if (name == "rqmcli-sim")
        return "RQMTEST_RQMCLI_SIM";
    if (name == "rqmcli-hf-sim")
        return "RQMTEST_RQMCLI_HF_SIM";
    return nullptr;
}

// An emulated program is slower to start and to run; its time limit grows
// by this much.
constexpr int kEmulatedTimeFactor = 4;

}  // namespace

RunResult run_program(const std::string& program, std::vector<std::string> words,
                      const SettingsFile& settings, int timeout_ms, const EnvOverrides& env) {
    std::vector<std::string> command = {program};
    if (const char* variable = substitute_variable(program)) {
        const char* marked = getenv("RQMTEST_WHOLE_RUN");
        if (marked != nullptr && strcmp(marked, "0") == 0)
            ADD_FAILURE() << program << " runs in a test not marked as a whole run: add its suite to "
                          << "WHOLE_RUN_SUITES in its tests/ CMakeLists.txt, or the ARM pass leaves it out";
        const char* other = getenv(variable);
        if (other != nullptr && *other != '\0') {
            command = {other};
            if (const char* emulator = getenv("RQMTEST_EMULATOR"); emulator != nullptr && *emulator != '\0')
                command.insert(command.begin(), emulator);
            timeout_ms *= kEmulatedTimeFactor;
        }
    }
    TempDir dir;
    RunResult r;
    if (!dir.ok()) {
        r.err = "no temporary directory";
        return r;
    }
    if ((settings.kind == Settings::File && !dir.write("settings.ini", settings.text)) ||
        (settings.kind == Settings::Fifo && !dir.fifo("settings.ini"))) {
        r.err = "no settings file";
        return r;
    }
    words.insert(words.begin(), command.begin(), command.end());
    return run_in(words, dir.path(), timeout_ms, env);
}

void PrintTo(const CliRun& r, std::ostream* os) {
    PrintTo(static_cast<const RunResult&>(r), os);
    *os << "--- " << r.wire.size() << " HI messages to the stand-in:";
    for (const HiMsg& m : r.wire.all())
        *os << " " << m.id();
    *os << "\n";
}

namespace {

// Datagrams the stand-in has received since its last reset.
bool rx_count(SimProcess& sim, uint64_t* n) {
    std::vector<std::string> out;
    if (!sim.control("get rx_count", &out) || out.size() != 1)
        return false;
    *n = strtoull(out[0].c_str(), nullptr, 10);
    return true;
}

}  // namespace

CliRun run_on_sim(SimProcess& sim, const std::string& program, std::vector<std::string> words,
                  const SettingsFile& settings, int timeout_ms, const EnvOverrides& env) {
    CliRun r;
    uint64_t before = 0, after = 0;
    if (!rx_count(sim, &before)) {
        ADD_FAILURE() << "stand-in: " << sim.last_error();
        return r;
    }
    static_cast<RunResult&>(r) = run_program(program, std::move(words), settings, timeout_ms, env);
    // The log ends with the run's datagrams; the count says how many.
    std::vector<std::vector<uint8_t>> log = sim.received();
    if (!rx_count(sim, &after)) {
        ADD_FAILURE() << "stand-in: " << sim.last_error();
        return r;
    }
    const uint64_t n = after - before;
    if (n > log.size()) {
        ADD_FAILURE() << "the run sent " << n << " datagrams, the stand-in's log keeps " << log.size();
        return r;
    }
    log.erase(log.begin(), log.end() - static_cast<std::ptrdiff_t>(n));
    r.wire = HiLog(log);
    return r;
}

std::string find_in_path(const char* name) {
    const char* path = getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return "";
}

// The banner carries the build's date and time; everything else is fixed.
std::string normalized(const std::string& text) {
    static const std::regex banner(
        "RQM version: 2\\.0\\.9  [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4} [0-2][0-9]:[0-5][0-9]:[0-5][0-9]\n");
    return std::regex_replace(text, banner, "RQM version: 2.0.9  DATE TIME\n");
}

std::vector<std::vector<uint8_t>> messages(const std::vector<std::vector<uint8_t>>& datagrams) {
    std::vector<std::vector<uint8_t>> out;
    for (const std::vector<uint8_t>& dg : datagrams) {
        std::vector<uint8_t> m = SimProcess::hi_payload(dg);
        if (m.size() >= 4 && hi_msg_len(m.data()) <= m.size())
            m.resize(hi_msg_len(m.data()));
        out.push_back(m);
    }
    return out;
}
