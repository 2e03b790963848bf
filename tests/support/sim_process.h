// A private rqmsim for one test process.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// Starts its own rqmsim on a port unique to this test process (5000000 +
// getpid(): above any pid, so it never clashes with a client's bind) and
// sets RQMSIM_PORT for the simulation peer. The daemon's default peer is
// this process's pid, where the tool's channel binds, so control-sent
// messages reach the channel before it has sent anything.
//
// Construct it on a thread that outlives it (the test's own): the daemon is
// told to stop when the thread that started it ends, so that a killed test
// leaves no daemon behind. control() and the log readers may be called from
// any number of threads at once.
class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> extra_args = {});
    ~SimProcess();  // stop(SIGTERM); no zombie, no stray daemon if the test fails
    // Sends the signal and waits for the daemon to end. One that does not
    // end in time is killed, and one that does not exit 0 fails the test.
    void stop(int signal);
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool ok() const;  // started and answering ping
    uint32_t port() const;
    // false on "error ..." or when the daemon cannot be reached; the text
    // is then in last_error().
    bool control(const std::string& line, std::vector<std::string>* out = nullptr);
    std::vector<std::vector<uint8_t>> received();  // full datagrams from "log", in order
    std::vector<std::vector<uint8_t>> sent();      // full datagrams from "sent", in order
    std::string last_error() const;
    static std::vector<uint8_t> hi_payload(
        const std::vector<uint8_t>& datagram);  // bytes after the 16-byte header

private:
    std::vector<std::vector<uint8_t>> datagrams(const char* command, const char* prefix);

    pid_t pid_ = -1;
    uint32_t port_ = 0;
    bool ok_ = false;
    bool had_env_ = false;
    std::string saved_env_;
    mutable std::mutex error_mutex_;
    std::string last_error_;
};
