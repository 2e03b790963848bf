#include "sim/sim_client.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "sim/sim_server.h"
#include "sim/sim_util.h"

namespace {

bool set_err(std::string* err, const std::string& text) {
    if (err != nullptr)
        *err = text;
    return false;
}

struct Socket {
    int fd;
    ~Socket() {
        if (fd >= 0)
            close(fd);
    }
};

// Waits for the socket to be ready for ev until the deadline.
bool wait_ready(int fd, short ev, int64_t deadline) {
    for (;;) {
        const int64_t left = deadline - sim_now_ms();
        if (left <= 0)
            return false;
        pollfd p{fd, ev, 0};
        const int r = poll(&p, 1, static_cast<int>(left));
        if (r > 0)
            return true;
        if (r < 0 && errno != EINTR)
            return false;
    }
}

}  // namespace

bool sim_control(uint32_t port, const std::string& line, std::vector<std::string>* out, std::string* err) {
    if (line.find('\n') != std::string::npos)
        return set_err(err, "command contains a line end");
    Socket s{socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)};
    if (s.fd < 0)
        return set_err(err, std::string("socket: ") + strerror(errno));
    sockaddr_un addr{};
    const unsigned len = sim_control_address(port, &addr);
    // A local stream connect completes at once or fails at once.
    if (connect(s.fd, reinterpret_cast<sockaddr*>(&addr), len) < 0)
        return set_err(err, "connect to rqmsim." + std::to_string(port) + ": " + strerror(errno));

    const int64_t deadline = sim_now_ms() + SIM_CLIENT_TIMEOUT_MS;
    const std::string request = line + "\n";
    size_t sent = 0;
    while (sent < request.size()) {
        const ssize_t n = send(s.fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n >= 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN || !wait_ready(s.fd, POLLOUT, deadline))
            return set_err(err, std::string("send: ") + strerror(errno));
    }

    std::string in;
    size_t start = 0;
    char buf[4096];
    for (;;) {
        size_t nl;
        while ((nl = in.find('\n', start)) != std::string::npos) {
            std::string reply = in.substr(start, nl - start);
            start = nl + 1;
            if (reply == "ok")
                return true;
            if (reply.compare(0, 6, "error ") == 0 || reply == "error")
                return set_err(err, reply.size() > 6 ? reply.substr(6) : std::string());
            if (out != nullptr)
                out->push_back(std::move(reply));
        }
        const ssize_t n = recv(s.fd, buf, sizeof buf, 0);
        if (n > 0) {
            in.append(buf, static_cast<size_t>(n));
            continue;
        }
        if (n == 0)
            return set_err(err, "rqmsim closed the control connection");
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN || !wait_ready(s.fd, POLLIN, deadline))
            return set_err(
                err, errno == EAGAIN ? "no answer from rqmsim" : std::string("recv: ") + strerror(errno));
    }
}
