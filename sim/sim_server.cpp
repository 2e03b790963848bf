#include "sim/sim_server.h"

#include <linux/netlink.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "sim/sim_control.h"
#include "sim/sim_core.h"
#include "sim/sim_util.h"
#include "transport/netlink_peer.h"

namespace {

constexpr size_t kMaxClients = 64;
// A client that does not read its replies stops being read from here on.
constexpr size_t kMaxClientBacklog = 8u << 20;
// Larger than anything a peer could mean: the tool sends at most 1536.
constexpr size_t kRxBuffer = 65536;
// A Unix datagram client's queue holds a few datagrams only
// (net.unix.max_dgram_qlen); a send to a full one waits this long for the
// client to read before the datagram counts as lost.
constexpr int kDgramSendWaitMs = 1000;

struct Fd {
    int fd = -1;
    Fd() = default;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd >= 0)
            close(fd);
    }
};

struct Client {
    int fd;
    std::string in;
    std::string out;
    bool closing;  // no more reading; closed once out is sent
};

// The same datagrams arrive on two sockets: netlink, and a Unix datagram
// socket for programs that cannot open a netlink one (the ARM builds under
// qemu's user mode). A client on either is known by its port: the netlink
// port it binds, or the process id in its socket's name, which is what it
// would bind on netlink. The engine sees ports only.
struct Server {
    Sim sim;
    uint32_t port;
    int nl;
    int dgram;
    std::vector<uint8_t> rxbuf;
    std::vector<Client> clients;
    std::unordered_set<uint32_t> dgram_ports;  // clients last heard on the Unix socket
};

int dgram_send(Server* srv, uint32_t port, const uint8_t* dg, size_t len) {
    sockaddr_un to;
    const socklen_t to_len = rqmsim_client_address(srv->port, port, &to);
    if (sendto(srv->dgram, dg, len, 0, reinterpret_cast<sockaddr*>(&to), to_len) < 0)
        return errno;
    return 0;
}

int netlink_send(Server* srv, uint32_t port, const uint8_t* dg, size_t len) {
    sockaddr_nl to{};
    to.nl_family = AF_NETLINK;
    to.nl_pid = port;
    // Never block the loop on a peer that does not read.
    if (sendto(srv->nl, dg, len, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&to), sizeof to) < 0)
        return errno;
    return 0;
}

// To the channel the port last sent on. Where nobody holds the port there,
// the other channel is tried: a port that has sent nothing yet (--peer,
// set peer, send ... to) may be a client of either.
int server_send(void* user, uint32_t port, const uint8_t* dg, size_t len) {
    auto* srv = static_cast<Server*>(user);
    const bool dgram_first = srv->dgram_ports.count(port) != 0;
    const int err = dgram_first ? dgram_send(srv, port, dg, len) : netlink_send(srv, port, dg, len);
    if (err != ECONNREFUSED)
        return err;
    return (dgram_first ? netlink_send(srv, port, dg, len) : dgram_send(srv, port, dg, len)) == 0 ? 0 : err;
}

// The port in a client's socket name "rqmsim.<our port>.client.<port>".
bool dgram_client_port(const Server& srv, const sockaddr_un& from, socklen_t from_len, uint32_t* port) {
    const size_t head = offsetof(sockaddr_un, sun_path) + 1;
    if (from_len <= head || from.sun_path[0] != '\0')
        return false;
    std::string_view name(from.sun_path + 1, from_len - head);
    const std::string prefix = "rqmsim." + std::to_string(srv.port) + ".client.";
    if (name.substr(0, prefix.size()) != prefix)
        return false;
    name.remove_prefix(prefix.size());
    return sim_parse_u32(name, port);
}

// One waiting datagram into rxbuf, with its sender's address in from:
// its length, cut to the buffer (the log says so), or -1 when none waits.
ssize_t receive_one(Server* srv, int fd, void* from, socklen_t* from_len) {
    for (;;) {
        iovec iov{srv->rxbuf.data(), srv->rxbuf.size()};
        msghdr mh{};
        mh.msg_name = from;
        mh.msg_namelen = *from_len;
        mh.msg_iov = &iov;
        mh.msg_iovlen = 1;
        const ssize_t got = recvmsg(fd, &mh, MSG_DONTWAIT | MSG_TRUNC);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (errno == ENOBUFS) {  // only a netlink socket overruns
                sim_logf(&srv->sim, "netlink receive queue overran: datagrams lost");
                continue;
            }
            return -1;
        }
        *from_len = mh.msg_namelen;
        size_t len = static_cast<size_t>(got);
        if (len > srv->rxbuf.size()) {
            sim_logf(&srv->sim, "datagram of %zu bytes cut to %zu", len, srv->rxbuf.size());
            len = srv->rxbuf.size();
        }
        return static_cast<ssize_t>(len);
    }
}

void drain_dgram(Server* srv) {
    for (;;) {
        sockaddr_un from{};
        socklen_t from_len = sizeof from;
        const ssize_t len = receive_one(srv, srv->dgram, &from, &from_len);
        if (len < 0)
            return;
        uint32_t port;
        if (!dgram_client_port(*srv, from, from_len, &port)) {
            sim_logf(&srv->sim, "Unix datagram of %zd bytes from a socket not named as a client: dropped",
                     len);
            continue;
        }
        srv->dgram_ports.insert(port);
        sim_on_datagram(&srv->sim, srv->rxbuf.data(), static_cast<size_t>(len), port, sim_now_ms());
    }
}

// Takes every datagram that is waiting on either socket, then sends what
// became due. Runs before each control command too, so that a command sees
// every datagram sent before it was issued.
void drain_datagrams(Server* srv) {
    for (;;) {
        sockaddr_nl from{};
        socklen_t from_len = sizeof from;
        const ssize_t len = receive_one(srv, srv->nl, &from, &from_len);
        if (len < 0)
            break;
        srv->dgram_ports.erase(from.nl_pid);
        sim_on_datagram(&srv->sim, srv->rxbuf.data(), static_cast<size_t>(len), from.nl_pid, sim_now_ms());
    }
    drain_dgram(srv);
    sim_run_due(&srv->sim, sim_now_ms());
}

void client_flush(Client* c) {
    while (!c->out.empty()) {
        const ssize_t n = send(c->fd, c->out.data(), c->out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                c->out.clear();  // the client is gone; nothing more to say
                c->closing = true;
            }
            return;
        }
        c->out.erase(0, static_cast<size_t>(n));
    }
}

void client_lines(Server* srv, Client* c) {
    size_t nl;
    while (!c->closing && (nl = c->in.find('\n')) != std::string::npos) {
        std::string line = c->in.substr(0, nl);
        c->in.erase(0, nl + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        drain_datagrams(srv);
        std::vector<std::string> data;
        std::string err;
        const bool ok = sim_control_exec(&srv->sim, line, &data, &err);
        for (const std::string& d : data)
            c->out += d + "\n";
        c->out += ok ? "ok\n" : "error " + err + "\n";
    }
    if (c->in.size() > SIM_CONTROL_LINE_MAX) {
        c->in.clear();
        c->out += "error line too long\n";
        c->closing = true;
    }
}

void client_read(Server* srv, Client* c) {
    char buf[4096];
    for (;;) {
        const ssize_t n = recv(c->fd, buf, sizeof buf, MSG_DONTWAIT);
        if (n > 0) {
            c->in.append(buf, static_cast<size_t>(n));
            client_lines(srv, c);
            if (c->closing)
                return;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            c->closing = true;
        return;
    }
}

void accept_clients(Server* srv, int listener) {
    for (;;) {
        const int fd = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        if (srv->clients.size() >= kMaxClients) {
            sim_logf(&srv->sim, "more than %zu control clients: one refused", kMaxClients);
            close(fd);
            continue;
        }
        srv->clients.push_back(Client{fd, {}, {}, false});
    }
}

// The log the engine writes, when one is asked for; closed when the
// server ends.
struct LogFile {
    FILE* f = nullptr;
    LogFile() = default;
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;
    ~LogFile() {
        if (f != nullptr)
            fclose(f);
    }
};

bool open_log(const char* path, LogFile* log) {
    if (path == nullptr)
        return true;
    log->f = fopen(path, "w");
    if (log->f == nullptr) {
        fprintf(stderr, "rqmsim: cannot open log %s: %s\n", path, strerror(errno));
        return false;
    }
    return true;
}

sigset_t stop_signals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int sig : {SIGTERM, SIGINT, SIGHUP, SIGQUIT})
        sigaddset(&set, sig);
    return set;
}

// The stop signals come as reads on sig, so that the loop ends between two
// rounds and closes what it holds.
bool open_stop_signals(Fd* sig) {
    sim_block_stop_signals();
    const sigset_t set = stop_signals();
    sig->fd = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (sig->fd < 0) {
        fprintf(stderr, "rqmsim: signalfd: %s\n", strerror(errno));
        return false;
    }
    return true;
}

bool bind_netlink(uint32_t port, Fd* nl) {
    nl->fd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_USERSOCK);
    sockaddr_nl self{};
    self.nl_family = AF_NETLINK;
    self.nl_pid = port;
    if (nl->fd < 0 || bind(nl->fd, reinterpret_cast<sockaddr*>(&self), sizeof self) < 0) {
        fprintf(stderr, "rqmsim: cannot bind netlink port %u: %s\n", port, strerror(errno));
        return false;
    }
    return true;
}

// Blocking, for its sends' wait; its receives never block.
bool bind_dgram(uint32_t port, Fd* dgram) {
    dgram->fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un name;
    const socklen_t name_len = rqmsim_dgram_address(port, &name);
    const timeval send_wait{kDgramSendWaitMs / 1000, (kDgramSendWaitMs % 1000) * 1000};
    if (dgram->fd < 0 || bind(dgram->fd, reinterpret_cast<sockaddr*>(&name), name_len) < 0 ||
        setsockopt(dgram->fd, SOL_SOCKET, SO_SNDTIMEO, &send_wait, sizeof send_wait) < 0) {
        fprintf(stderr, "rqmsim: cannot bind datagram socket rqmsim.%u.dgram: %s\n", port, strerror(errno));
        return false;
    }
    return true;
}

// The control comes up after the datagram sockets: a client that gets an
// answer to ping can rely on both being there.
bool open_control(uint32_t port, Fd* listener) {
    listener->fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un ctl{};
    const unsigned ctl_len = sim_control_address(port, &ctl);
    if (listener->fd < 0 || bind(listener->fd, reinterpret_cast<sockaddr*>(&ctl), ctl_len) < 0 ||
        listen(listener->fd, 32) < 0) {
        fprintf(stderr, "rqmsim: cannot open control socket rqmsim.%u: %s\n", port, strerror(errno));
        return false;
    }
    return true;
}

// The engine with the options' start state, reset to it.
void start_engine(Server* srv, const SimServerOptions& opt, FILE* log) {
    sim_init(&srv->sim, opt.port, server_send, srv, log);
    srv->sim.start_have_peer = opt.have_peer;
    srv->sim.start_peer = opt.peer;
    if (opt.sdd_path != nullptr)
        srv->sim.model.drv.start_sdd_path = opt.sdd_path;
    srv->sim.model.drv.start_sdd_own = opt.sdd_own;
    sim_reset(&srv->sim);
}

// The descriptors of one round: the stop signals, both datagram sockets,
// the listener, then every client. A client with too much unsent is not
// read from until it takes some.
constexpr size_t kFirstClient = 4;

void poll_set(const Server& srv, int sig, int listener, std::vector<pollfd>* fds) {
    fds->clear();
    fds->push_back({sig, POLLIN, 0});
    fds->push_back({srv.nl, POLLIN, 0});
    fds->push_back({srv.dgram, POLLIN, 0});
    fds->push_back({listener, POLLIN, 0});
    for (const Client& c : srv.clients) {
        short ev = 0;
        if (!c.closing && c.out.size() < kMaxClientBacklog)
            ev |= POLLIN;
        if (!c.out.empty())
            ev |= POLLOUT;
        fds->push_back({c.fd, ev, 0});
    }
}

bool stop_signalled(int sig, const pollfd& polled) {
    if (!(polled.revents & POLLIN))
        return false;
    signalfd_siginfo si;
    return read(sig, &si, sizeof si) == static_cast<ssize_t>(sizeof si);
}

// Clients accepted in this round have no entry in fds; they are polled
// from the next round on.
void serve_clients(Server* srv, const std::vector<pollfd>& fds) {
    for (size_t i = 0; i + kFirstClient < fds.size() && i < srv->clients.size(); ++i) {
        Client& c = srv->clients[i];
        if (fds[i + kFirstClient].revents & (POLLIN | POLLHUP | POLLERR))
            client_read(srv, &c);
        client_flush(&c);
    }
}

void drop_closed_clients(Server* srv) {
    for (size_t i = srv->clients.size(); i-- > 0;) {
        Client& c = srv->clients[i];
        if (c.closing && c.out.empty()) {
            close(c.fd);
            srv->clients.erase(srv->clients.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

// Rounds until a stop signal or a failed poll: datagrams first, then new
// control clients, then what the clients sent and are owed.
void serve(Server* srv, int sig, int listener) {
    std::vector<pollfd> fds;
    for (;;) {
        poll_set(*srv, sig, listener, &fds);
        const int timeout = sim_poll_timeout(srv->sim, sim_now_ms());
        if (poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) {
            fprintf(stderr, "rqmsim: poll: %s\n", strerror(errno));
            return;
        }
        if (stop_signalled(sig, fds[0]))
            return;
        drain_datagrams(srv);
        if (fds[3].revents & POLLIN)
            accept_clients(srv, listener);
        serve_clients(srv, fds);
        drop_closed_clients(srv);
    }
}

}  // namespace

void sim_block_stop_signals() {
    const sigset_t set = stop_signals();
    sigprocmask(SIG_BLOCK, &set, nullptr);
}

unsigned sim_control_address(uint32_t port, sockaddr_un* addr) {
    memset(addr, 0, sizeof *addr);
    addr->sun_family = AF_UNIX;
    const int n = snprintf(addr->sun_path + 1, sizeof addr->sun_path - 1, "rqmsim.%u", port);
    return static_cast<unsigned>(offsetof(sockaddr_un, sun_path) + 1 + static_cast<size_t>(n));
}

int sim_server_run(const SimServerOptions& opt) {
    LogFile log;
    if (!open_log(opt.log_path, &log))
        return 1;
    Fd sig;
    if (!open_stop_signals(&sig))
        return 1;
    Server srv;
    srv.port = opt.port;
    srv.rxbuf.resize(kRxBuffer);
    Fd nl, dgram, listener;
    if (!bind_netlink(opt.port, &nl) || !bind_dgram(opt.port, &dgram) || !open_control(opt.port, &listener))
        return 1;
    srv.nl = nl.fd;
    srv.dgram = dgram.fd;
    start_engine(&srv, opt, log.f);

    printf("rqmsim: listening on port %u\n", opt.port);
    fflush(stdout);
    serve(&srv, sig.fd, listener.fd);
    for (const Client& c : srv.clients)
        close(c.fd);
    return 0;
}
