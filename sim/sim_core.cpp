#include "sim/sim_core.h"

#include <cstdarg>
#include <cstring>

#include "sim/sim_util.h"

const std::array<SimFaultKindRow, 9> sim_fault_kinds = {{
    {"noanswer", SIM_FAULT_NOANSWER, SIM_ARG_NONE, 0, 0, 0},
    {"late", SIM_FAULT_LATE, SIM_ARG_REQUIRED, 0, 0, 600000},
    {"dup", SIM_FAULT_DUP, SIM_ARG_NONE, 0, 0, 0},
    {"status", SIM_FAULT_STATUS, SIM_ARG_REQUIRED, 0, 0, 0xFFFFFFFF},
    {"refuse", SIM_FAULT_REFUSE, SIM_ARG_REQUIRED, 0, BOOT_RES_ALREADY_CONNECTED, BOOT_RES_TOOL_TOO_OLD},
    {"short", SIM_FAULT_SHORT, SIM_ARG_OPTIONAL, 6, 0, 0xFFFF},
    {"oversize", SIM_FAULT_OVERSIZE, SIM_ARG_OPTIONAL, HI_MSG_MAX_LEN, 0, 0xFFFF},
    {"split", SIM_FAULT_SPLIT, SIM_ARG_OPTIONAL, 2, 1, 0xFFFF},
    {"double", SIM_FAULT_DOUBLE, SIM_ARG_NONE, 0, 0, 0},
}};

const SimFaultKindRow* sim_fault_kind_row(std::string_view name) {
    for (const SimFaultKindRow& r : sim_fault_kinds)
        if (name == r.name)
            return &r;
    return nullptr;
}

const SimFaultKindRow* sim_fault_kind_row(SimFaultKind kind) {
    for (const SimFaultKindRow& r : sim_fault_kinds)
        if (r.kind == kind)
            return &r;
    return nullptr;
}

void sim_init(Sim* s, uint32_t port, SimSendFn send, void* send_user, FILE* log_file) {
    s->port = port;
    s->start_have_peer = false;
    s->start_peer = 0;
    s->send = send;
    s->send_user = send_user;
    s->log_file = log_file;
    sim_reset(s);
}

void sim_reset(Sim* s) {
    s->have_peer = s->start_have_peer;
    s->peer = s->start_peer;
    sim_model_reset(&s->model);
    s->rx_log.clear();
    s->tx_log.clear();
    s->rx_count = 0;
    s->tx_count = 0;
    s->faults.clear();
    s->pending.clear();
}

void sim_logf(Sim* s, const char* fmt, ...) {
    char line[512];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(line, sizeof line, fmt, ap);
    va_end(ap);
    fprintf(stderr, "rqmsim: %s\n", line);
    if (s->log_file != nullptr) {
        fprintf(s->log_file, "%s\n", line);
        fflush(s->log_file);
    }
}

static void log_push(std::deque<std::vector<uint8_t>>* log, const uint8_t* p, size_t n) {
    if (log->size() >= SIM_LOG_LIMIT)
        log->pop_front();
    log->emplace_back(p, p + n);
}

std::vector<uint8_t> sim_frame(const uint8_t* payload, size_t len, uint32_t sender, bool pad) {
    const size_t size = pad ? (len + 16 + 3) & ~size_t{3} : len + 16;
    std::vector<uint8_t> dg(size, 0);
    hi_wr32(dg.data(), static_cast<uint32_t>(size));
    hi_wr32(dg.data() + 12, sender);
    if (len > 0)
        memcpy(dg.data() + 16, payload, len);
    return dg;
}

static int send_datagram(Sim* s, uint32_t port, const std::vector<uint8_t>& dg) {
    const int err = s->send(s->send_user, port, dg.data(), dg.size());
    if (err != 0) {
        sim_logf(s, "send of %zu bytes to port %u failed: %s", dg.size(), port, strerror(err));
        return err;
    }
    log_push(&s->tx_log, dg.data(), dg.size());
    ++s->tx_count;
    return 0;
}

// The datagrams one message becomes: padded whole, or the padded bytes cut
// in two unpadded parts so that the first can be shorter than a header.
static int send_framed(Sim* s, uint32_t port, const std::vector<uint8_t>& msg, size_t split_at) {
    std::vector<uint8_t> padded = msg;
    padded.resize((msg.size() + 3) & ~size_t{3}, 0);
    if (split_at == 0 || split_at >= padded.size())
        return send_datagram(s, port, sim_frame(msg.data(), msg.size(), s->port, true));
    int err = send_datagram(s, port, sim_frame(padded.data(), split_at, s->port, false));
    if (err != 0)
        return err;
    return send_datagram(s, port,
                         sim_frame(padded.data() + split_at, padded.size() - split_at, s->port, false));
}

// The numbering a startup opens belongs to the client it went to.
static void stamp_for(Sim* s, uint32_t port, std::vector<uint8_t>* msg) {
    fw_stamp(&s->model.fw, msg);
    if (msg->size() >= HI_MSG_HEADER_SIZE && (hi_msg_id(msg->data()) & HI_MSG_ID_MASK) == HI_STARTUP_IND_ID)
        s->model.fw.numbering_port = port;
}

// Numbers the message, then shapes it as the fault says.
static int emit(Sim* s, uint32_t port, std::vector<uint8_t> msg, bool stamp, SimFaultKind kind,
                uint32_t arg) {
    if (stamp)
        stamp_for(s, port, &msg);
    size_t split_at = 0;
    switch (kind) {
    case SIM_FAULT_STATUS:
        if (msg.size() >= HI_MSG_STATUS_OFF + 4)
            hi_wr32(msg.data() + HI_MSG_STATUS_OFF, arg);
        break;
    case SIM_FAULT_SHORT:
        if (msg.size() >= 2)
            hi_set_msg_len(msg.data(), static_cast<uint16_t>(arg));
        if (arg < msg.size())
            msg.resize(arg);
        break;
    case SIM_FAULT_OVERSIZE:
        if (msg.size() >= 2)
            hi_set_msg_len(msg.data(), static_cast<uint16_t>(arg));
        break;
    case SIM_FAULT_SPLIT:
        split_at = arg;
        break;
    case SIM_FAULT_DOUBLE: {
        std::vector<uint8_t> trace = fw_trace_ind(0);
        if (stamp)
            fw_stamp(&s->model.fw, &trace);
        msg.insert(msg.end(), trace.begin(), trace.end());
        break;
    }
    default:
        break;
    }
    int err = send_framed(s, port, msg, split_at);
    if (err == 0 && kind == SIM_FAULT_DUP)
        err = send_framed(s, port, msg, 0);
    return err;
}

int sim_send_now(Sim* s, uint32_t port, std::vector<uint8_t> msg, bool stamp, size_t split_at) {
    if (stamp)
        stamp_for(s, port, &msg);
    return send_framed(s, port, msg, split_at);
}

void sim_set_fault(Sim* s, const SimFault& f) {
    for (SimFault& old : s->faults) {
        if (old.id == f.id) {
            old = f;
            return;
        }
    }
    s->faults.push_back(f);
}

static void queue(Sim* s, SimPending p) {
    auto it = s->pending.begin();
    while (it != s->pending.end() && it->due_ms <= p.due_ms)
        ++it;
    s->pending.insert(it, std::move(p));
}

// Puts the answer to a request on the pending list, shaped by the fault for
// its id. Returns whether anything will be sent.
static bool queue_answer(Sim* s, uint32_t port, uint16_t id, SimAnswer* ans, int64_t now_ms) {
    SimFaultKind kind = SIM_FAULT_NONE;
    uint32_t arg = 0;
    for (auto it = s->faults.begin(); it != s->faults.end(); ++it) {
        if (it->id != id)
            continue;
        if (it->skip > 0) {
            --it->skip;
            break;
        }
        kind = it->kind;
        arg = it->arg;
        if (it->remaining > 0 && --it->remaining == 0)
            s->faults.erase(it);
        break;
    }
    int64_t due = now_ms;
    switch (kind) {
    case SIM_FAULT_NOANSWER:
        sim_logf(s, "fault: answer to request %u not sent", id);
        return false;
    case SIM_FAULT_REFUSE:
        ans->msgs.assign(1, drv_boot_ind(BOOT_STATE_REFUSED, arg));
        kind = SIM_FAULT_NONE;
        break;
    case SIM_FAULT_LATE:
        due += arg;
        kind = SIM_FAULT_NONE;
        break;
    default:
        break;
    }
    for (std::vector<uint8_t>& m : ans->msgs)
        queue(s, SimPending{due, port, std::move(m), kind, arg});
    return !ans->msgs.empty();
}

void sim_on_datagram(Sim* s, const uint8_t* dg, size_t len, uint32_t from, int64_t now_ms) {
    log_push(&s->rx_log, dg, len);
    ++s->rx_count;
    s->have_peer = true;
    s->peer = from;

    if (len < 16 + HI_MSG_HEADER_SIZE) {
        sim_logf(s, "datagram of %zu bytes from port %u has no HI message: dropped", len, from);
        return;
    }
    const uint8_t* hi = dg + 16;
    const size_t avail = len - 16;
    const uint16_t msg_len = hi_msg_len(hi);
    const uint16_t msg_id = hi_msg_id(hi);
    if (msg_len < HI_MSG_MIN_LEN || msg_len > avail) {
        sim_logf(s, "request 0x%04x has MsgLen %u with %zu bytes behind the header: dropped", msg_id, msg_len,
                 avail);
        return;
    }
    const uint16_t id = msg_id & HI_MSG_ID_MASK;
    const unsigned seq = msg_id >> HI_MSG_SEQ_SHIFT;

    SimFirmware* fw = &s->model.fw;
    const unsigned expected = fw->expected_rx_seq;
    // What the tool sends outside its window must not move the expected
    // number, or the next numbered request would look out of sequence.
    // Nor may a later run of the tool: each is a process on a port of its
    // own that numbers only after a startup of its own, while the
    // firmware's numbering outlives the run that opened it.
    const bool checked = sim_is_numbered(id) && from == fw->numbering_port;
    const SimSeqVerdict verdict = checked ? fw_rx_seq(fw, seq) : SIM_SEQ_UNNUMBERED;
    if (verdict == SIM_SEQ_DUPLICATE) {
        sim_logf(s, "duplicate: request %u with sequence %u was answered already: dropped", id, seq);
        return;
    }
    if (verdict == SIM_SEQ_RESYNC)
        sim_logf(s, "sequence: request %u carries %u, expected %u", id, seq, expected);

    SimAnswer ans;
    const SimRequest rq{id, std::span<const uint8_t>(hi, msg_len)};
    switch (sim_dispatch(&s->model, rq, &ans)) {
    case SIM_UNMODELLED:
        sim_logf(s, "unmodelled request %u (MsgId 0x%04x, %u bytes): %s", id, msg_id, msg_len,
                 sim_hex(hi, msg_len < 64 ? msg_len : 64).c_str());
        break;
    case SIM_SHORT_REQUEST:
        sim_logf(s, "request %u of %u bytes is too short: %s", id, msg_len, sim_hex(hi, msg_len).c_str());
        break;
    default:
        break;
    }
    fw_rx_done(fw, verdict, queue_answer(s, from, id, &ans, now_ms));
    // What is due goes out before the next request is looked at: a startup
    // in the answer changes how that request's number is taken.
    sim_run_due(s, now_ms);
}

void sim_run_due(Sim* s, int64_t now_ms) {
    while (!s->pending.empty() && s->pending.front().due_ms <= now_ms) {
        SimPending p = std::move(s->pending.front());
        s->pending.erase(s->pending.begin());
        emit(s, p.port, std::move(p.msg), true, p.kind, p.arg);
    }
}

int sim_poll_timeout(const Sim& s, int64_t now_ms) {
    if (s.pending.empty())
        return -1;
    const int64_t wait = s.pending.front().due_ms - now_ms;
    if (wait <= 0)
        return 0;
    return wait > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(wait);
}
