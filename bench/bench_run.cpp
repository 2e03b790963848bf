// One whole run of the program, start to exit, against the stand-in: the
// wall time, the CPU time of the process and its threads, and the peak
// resident set, each the median over many runs. Beside it the same figures
// for bench_floor, which makes the same round trips over the same socket and
// nothing else, and the ratio of the two.
//
//   bench_run [--runs N] [--word WORD]
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "sim/sim_client.h"
#include "sim/sim_util.h"

namespace {

struct Sample {
    double wallMs;
    double cpuMs;
    double maxRssKiB;
};

double now_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double ms_of(const timeval& tv) {
    return static_cast<double>(tv.tv_sec) * 1e3 + static_cast<double>(tv.tv_usec) / 1e3;
}

// Runs the program with its output discarded; false unless it exited 0.
bool run_once(const std::vector<std::string>& args, Sample* s) {
    std::vector<std::string> store = args;
    std::vector<char*> argv;
    for (std::string& a : store)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int devnull = open("/dev/null", O_RDWR | O_CLOEXEC);
    const double t0 = now_ms();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(devnull, STDIN_FILENO);
        dup2(devnull, STDOUT_FILENO);
        dup2(devnull, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (devnull >= 0)
        close(devnull);
    if (pid < 0)
        return false;
    int status = 0;
    rusage ru{};
    if (wait4(pid, &status, 0, &ru) != pid)
        return false;
    s->wallMs = now_ms() - t0;
    s->cpuMs = ms_of(ru.ru_utime) + ms_of(ru.ru_stime);
    s->maxRssKiB = static_cast<double>(ru.ru_maxrss);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Summary {
    double wallMs, cpuMs, maxRssKiB;
};

Summary summarize(const std::vector<Sample>& samples) {
    std::vector<double> wall, cpu, rss;
    for (const Sample& s : samples) {
        wall.push_back(s.wallMs);
        cpu.push_back(s.cpuMs);
        rss.push_back(s.maxRssKiB);
    }
    return {median(wall), median(cpu), median(rss)};
}

class StandIn {
public:
    explicit StandIn(uint32_t port) : port_(port) {
        const std::string portText = std::to_string(port);
        pid_ = fork();
        if (pid_ == 0) {
            const int devnull = open("/dev/null", O_WRONLY);
            dup2(devnull, STDOUT_FILENO);
            dup2(devnull, STDERR_FILENO);  // one line per unmodelled request would be noise
            execl(RQMSIM_PATH, RQMSIM_PATH, "--port", portText.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 1000 && pid_ > 0; ++i) {
            if (control("ping"))
                return;
            usleep(5000);
        }
    }
    ~StandIn() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool control(const std::string& line, std::vector<std::string>* out = nullptr) {
        std::string err;
        return sim_control(port_, line, out, &err);
    }
    uint64_t received() {
        std::vector<std::string> out;
        uint32_t n = 0;
        return control("get rx_count", &out) && out.size() == 1 && sim_parse_u32(out[0], &n) ? n : 0;
    }

private:
    uint32_t port_;
    pid_t pid_ = -1;
};

}  // namespace

int main(int argc, char** argv) {
    int runs = 300;
    std::string word = "he";
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = atoi(argv[++i]);
        } else if (strcmp(argv[i], "--word") == 0 && i + 1 < argc) {
            word = argv[++i];
        } else {
            fprintf(stderr, "usage: %s [--runs N] [--word WORD]\n", argv[0]);
            return 2;
        }
    }
    if (runs < 1) {
        fprintf(stderr, "--runs must be at least 1\n");
        return 2;
    }

    // A port of its own, above every process id and apart from the tests'.
    const uint32_t port = 9300000u + static_cast<uint32_t>(getpid()) % 100000u;
    StandIn sim(port);
    // A running firmware, so that the fetch goes on the wire.
    if (!sim.control("set connected 1")) {
        fprintf(stderr, "rqmsim did not come up on port %u\n", port);
        return 1;
    }
    setenv("RQMSIM_PORT", std::to_string(port).c_str(), 1);

    struct Program {
        std::string label;
        std::vector<std::string> args;
        std::vector<Sample> samples;
        uint64_t requests;
    };
    // As built for the host (dynamically linked), and both linked
    // statically as the shipped program is.
    Program programs[] = {
        {"rqmcli-sim " + word, {RQMCLI_SIM_PATH, word}, {}, 0},
        {"floor", {BENCH_FLOOR_PATH}, {}, 0},
        {"rqmcli-sim " + word + " (static)", {RQMCLI_SIM_STATIC_PATH, word}, {}, 0},
        {"floor (static)", {BENCH_FLOOR_STATIC_PATH}, {}, 0},
    };
    // Interleaved, so that a slower stretch of the machine falls on all.
    for (int i = 0; i < runs; ++i) {
        for (Program& p : programs) {
            Sample s{};
            const uint64_t before = sim.received();
            if (!run_once(p.args, &s)) {
                fprintf(stderr, "run %d of %s failed\n", i, p.label.c_str());
                return 1;
            }
            p.samples.push_back(s);
            p.requests += sim.received() - before;
        }
    }
    printf("%d runs each against rqmsim on port %u; medians per run\n", runs, port);
    for (int pair = 0; pair < 2; ++pair) {
        const Program& tool = programs[2 * pair];
        const Program& floor = programs[2 * pair + 1];
        const Summary t = summarize(tool.samples);
        const Summary f = summarize(floor.samples);
        printf("\n%-32s %9s %9s %12s %9s\n", "", "wall ms", "cpu ms", "max RSS KiB", "requests");
        for (const auto& [p, v] : {std::pair{&tool, t}, std::pair{&floor, f}})
            printf("%-32s %9.3f %9.3f %12.0f %9.2f\n", p->label.c_str(), v.wallMs, v.cpuMs, v.maxRssKiB,
                   static_cast<double>(p->requests) / runs);
        printf("%-32s %9.2f %9.2f %12.2f\n", "ratio", t.wallMs / f.wallMs, t.cpuMs / f.cpuMs,
               t.maxRssKiB / f.maxRssKiB);
    }
    return 0;
}
