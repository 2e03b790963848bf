#include "tests/support/sim_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "sim/sim_client.h"
#include "sim/sim_util.h"

namespace {

// Start-up is slow only under the sanitizers; a daemon that is not up by
// then is not coming up.
constexpr int kReadyLimitMs = 10000;
constexpr int kStopLimitMs = 5000;

void nap_ms(long ms) {
    timespec ts{0, ms * 1000000L};
    nanosleep(&ts, nullptr);
}

}  // namespace

SimProcess::SimProcess(std::vector<std::string> extra_args) {
    const pid_t self = getpid();
    port_ = 5000000u + static_cast<uint32_t>(self);
    if (const char* old = getenv("RQMSIM_PORT")) {
        had_env_ = true;
        saved_env_ = old;
    }
    setenv("RQMSIM_PORT", std::to_string(port_).c_str(), 1);

    // Everything the child touches is made before the fork: between fork
    // and exec only async-signal-safe calls are allowed.
    std::vector<std::string> args = {RQMSIM_PATH, "--port", std::to_string(port_), "--peer",
                                     std::to_string(self)};
    args.insert(args.end(), extra_args.begin(), extra_args.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int devnull = open("/dev/null", O_WRONLY | O_CLOEXEC);

    pid_ = fork();
    if (pid_ == 0) {
        // Dies with the test process even when that is killed outright.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != self)
            _exit(127);
        // The stop signals as a shell gives them to a job it starts,
        // whatever this process ignores.
        struct sigaction dfl {};
        dfl.sa_handler = SIG_DFL;
        for (const int sig : {SIGTERM, SIGINT, SIGHUP, SIGQUIT})
            sigaction(sig, &dfl, nullptr);
        if (devnull >= 0)
            dup2(devnull, STDOUT_FILENO);  // the ready line is not test output
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (devnull >= 0)
        close(devnull);
    if (pid_ < 0) {
        last_error_ = std::string("fork: ") + strerror(errno);
        return;
    }

    const int64_t deadline = sim_now_ms() + kReadyLimitMs;
    while (sim_now_ms() < deadline) {
        if (sim_control(port_, "ping", nullptr, &last_error_)) {
            ok_ = true;
            return;
        }
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            last_error_ = "rqmsim exited during start-up with status " + std::to_string(status);
            pid_ = -1;
            return;
        }
        nap_ms(5);
    }
}

SimProcess::~SimProcess() {
    stop(SIGTERM);
    if (had_env_)
        setenv("RQMSIM_PORT", saved_env_.c_str(), 1);
    else
        unsetenv("RQMSIM_PORT");
}

void SimProcess::stop(int signal) {
    if (pid_ <= 0)
        return;
    kill(pid_, signal);
    int status = 0;
    pid_t done = 0;
    const int64_t deadline = sim_now_ms() + kStopLimitMs;
    while ((done = waitpid(pid_, &status, WNOHANG)) == 0 && sim_now_ms() < deadline)
        nap_ms(2);
    if (done == 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        ADD_FAILURE() << "rqmsim did not stop on signal " << signal;
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        // A sanitizer report or a crash in the daemon fails the test
        // that drove it.
        ADD_FAILURE() << "rqmsim ended with status " << status;
    }
    pid_ = -1;
}

bool SimProcess::ok() const {
    return ok_;
}

uint32_t SimProcess::port() const {
    return port_;
}

std::string SimProcess::last_error() const {
    std::lock_guard lock(error_mutex_);
    return last_error_;
}

bool SimProcess::control(const std::string& line, std::vector<std::string>* out) {
    std::string err;
    if (sim_control(port_, line, out, &err))
        return true;
    std::lock_guard lock(error_mutex_);
    last_error_ = err;
    return false;
}

std::vector<std::vector<uint8_t>> SimProcess::datagrams(const char* command, const char* prefix) {
    std::vector<std::vector<uint8_t>> result;
    std::vector<std::string> lines;
    if (!control(command, &lines))
        return result;
    const size_t skip = strlen(prefix);
    for (const std::string& l : lines) {
        std::vector<uint8_t> bytes;
        if (l.compare(0, skip, prefix) == 0 && sim_parse_hex(std::string_view(l).substr(skip), &bytes))
            result.push_back(std::move(bytes));
    }
    return result;
}

std::vector<std::vector<uint8_t>> SimProcess::received() {
    return datagrams("log", "rx ");
}

std::vector<std::vector<uint8_t>> SimProcess::sent() {
    return datagrams("sent", "tx ");
}

std::vector<uint8_t> SimProcess::hi_payload(const std::vector<uint8_t>& datagram) {
    if (datagram.size() <= 16)
        return {};
    return std::vector<uint8_t>(datagram.begin() + 16, datagram.end());
}
