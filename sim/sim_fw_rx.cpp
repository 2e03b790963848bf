#include "sim/sim_fw_rx.h"

#include <algorithm>

#include "sim/sim_core.h"
#include "sim/sim_model.h"
#include "sim/sim_util.h"

const std::array<const char*, RX_FIELDS> sim_rx_field_names = {
    "running", "total",        "errors",    "crc_errors", "rate",     "ctrl",   "phystats",
    "filter",  "filter_types", "ack_delay", "nav",        "nav_type", "monitor"};

const std::array<const char*, FRAME_FIELDS> sim_rx_frame_field_names = {
    "valid", "tsf", "length", "rate", "start0", "end0", "end1", "phy_error", "buf_addr"};

namespace {

// Request ids and layouts.
constexpr uint16_t RX_STATISTICS_REQ_ID = 52;
constexpr uint16_t RX_PACKETS_REQ_ID = 75;
constexpr uint16_t GET_RX_REQ_ID = 79;
constexpr uint16_t RX_STATUS_REQ_ID = 100;
constexpr uint16_t DOWNLOAD_CSI_REQ_ID = 103;
constexpr uint16_t RX_FRAME_REQ_ID = 122;
constexpr uint16_t TONE_GEN_REQ_ID = 739;

constexpr unsigned WORDS_MSG_SIZE = 24;  // 75 and 52 both ways; 739's request
constexpr unsigned WORDS_OUT_OFF = 8;
constexpr unsigned RX_PACKETS_CMD_OFF = 8;
constexpr uint32_t RX_CMD_START = 1;
constexpr uint32_t RX_CMD_STOP = 2;
constexpr unsigned ONE_WORD_REQ_SIZE = 12;
constexpr unsigned TYPED_REQ_SIZE = 8;  // 79 and 103: the type at 4
constexpr unsigned TYPED_TYPE_OFF = 4;
constexpr unsigned RX_STATUS_CNF_SIZE = 32;
constexpr unsigned CSI_CNF_SIZE = 456;
constexpr unsigned CSI_OFF = 8;
constexpr unsigned RX_FRAME_CNF_SIZE = 1204;
constexpr unsigned FRAME_INFO_OFF = 8;
constexpr unsigned FRAME_DATA_OFF = 124;
constexpr unsigned FRAME_DATA_SIZE = 1024;
constexpr unsigned FRAME_TRAILER_OFF = 1148;

// A frame before any is injected: 100 bytes of OFDM, CFO 0, raw SNR
// 0x8000, RSSI -50 dBm, raw EVM 328, RCPI 120 (-50 dBm).
constexpr std::array<uint32_t, FRAME_FIELDS> kDefaultFrame = {0,          0,          100, 0,         2,
                                                              0x80000000, 0x780148CE, 0,   0x00A00000};

bool type_known(uint32_t type) {
    return type == 1 || type == 2 || type == 4;
}

void rx_reset(SimModel* m) {
    SimRx& rx = m->fw.rx;
    rx.engine.fill(0);
    rx.frame = kDefaultFrame;
    rx.capture.clear();
    rx.tone.fill(0);
    rx.gen_origin_ms = 0;
    rx.gen_counted = 0;
}

// The frame's bytes stand in for what the receiver captured.
void frame_arrived(SimRx* rx) {
    rx->frame[FRAME_VALID] = 1;
    rx->capture.resize(std::min<uint32_t>(rx->frame[FRAME_LENGTH], SIM_RX_CAPTURE_MAX));
    for (size_t i = 0; i < rx->capture.size(); ++i)
        rx->capture[i] = static_cast<uint8_t>(i);
}

uint32_t good_frames(const SimRx& rx) {
    const uint32_t total = rx.engine[RX_TOTAL], errors = rx.engine[RX_ERRORS];
    return total > errors ? total - errors : 0;
}

// The counters as the stop and statistics answers carry them.
std::vector<uint8_t> counters_cnf(const SimRequest& rq, const SimRx& rx) {
    std::vector<uint8_t> c = sim_cnf(rq.id, WORDS_MSG_SIZE, 0);
    const uint32_t words[4] = {rx.engine[RX_TOTAL], rx.engine[RX_ERRORS], rx.engine[RX_CRC_ERRORS],
                               good_frames(rx)};
    for (unsigned i = 0; i < 4; ++i)
        hi_wr32(c.data() + WORDS_OUT_OFF + 4 * i, words[i]);
    return c;
}

// ---- requests ----

// A start clears what the last reception counted; a stop answers with it.
void fw_rx_packets(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    SimRx& rx = m->fw.rx;
    const int64_t now = sim_now_ms();
    sim_rx_advance(&rx, now);
    switch (hi_rd32(rq.msg.data() + RX_PACKETS_CMD_OFF)) {
    case RX_CMD_START:
        rx.engine[RX_TOTAL] = rx.engine[RX_ERRORS] = rx.engine[RX_CRC_ERRORS] = 0;
        rx.frame[FRAME_VALID] = 0;
        rx.capture.clear();
        rx.engine[RX_RUNNING] = 1;
        sim_rx_restart_clock(&rx, now);
        ans->msgs.push_back(sim_cnf(rq.id, WORDS_MSG_SIZE, 0));
        return;
    case RX_CMD_STOP:
        rx.engine[RX_RUNNING] = 0;
        ans->msgs.push_back(counters_cnf(rq, rx));
        return;
    default:
        ans->msgs.push_back(sim_cnf(rq.id, WORDS_MSG_SIZE, SIM_STATUS_REFUSED));
    }
}

void fw_rx_statistics(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    sim_rx_advance(&m->fw.rx, sim_now_ms());
    ans->msgs.push_back(counters_cnf(rq, m->fw.rx));
}

// Running, the last frame's length (16-bit) and RX mode (8-bit), the three
// counters, and the last frame's end status 1.
void fw_rx_status(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    SimRx& rx = m->fw.rx;
    sim_rx_advance(&rx, sim_now_ms());
    std::vector<uint8_t> c = sim_cnf(rq.id, RX_STATUS_CNF_SIZE, 0);
    hi_wr32(c.data() + 8, rx.engine[RX_RUNNING]);
    hi_wr16(c.data() + 12, static_cast<uint16_t>(rx.frame[FRAME_LENGTH]));
    c[14] = static_cast<uint8_t>(rx.frame[FRAME_START0] & 7);
    hi_wr32(c.data() + 16, rx.engine[RX_TOTAL]);
    hi_wr32(c.data() + 20, rx.engine[RX_ERRORS]);
    hi_wr32(c.data() + 24, rx.engine[RX_CRC_ERRORS]);
    hi_wr32(c.data() + 28, rx.frame[FRAME_VALID] != 0 ? rx.frame[FRAME_END1] : 0);
    ans->msgs.push_back(std::move(c));
}

// The head carries the type, the data's length and the frame count; the
// captured bytes follow.
void fw_get_rx(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    SimRx& rx = m->fw.rx;
    sim_rx_advance(&rx, sim_now_ms());
    const uint32_t type = hi_rd32(rq.msg.data() + TYPED_TYPE_OFF);
    if (!type_known(type)) {
        ans->msgs.push_back(sim_cnf(rq.id, SIM_RX_DATA_HEAD_SIZE, SIM_STATUS_REFUSED));
        return;
    }
    const auto n = static_cast<uint32_t>(rx.capture.size());
    std::vector<uint8_t> c = sim_cnf(rq.id, SIM_RX_DATA_HEAD_SIZE + n, 0);
    hi_wr32(c.data() + 8, type);
    hi_wr32(c.data() + 12, n);
    hi_wr32(c.data() + 16, rx.engine[RX_TOTAL]);
    std::copy(rx.capture.begin(), rx.capture.end(), c.begin() + SIM_RX_DATA_HEAD_SIZE);
    ans->msgs.push_back(std::move(c));
}

// Channel-state information is a fixed ramp: enough to see it copied.
void fw_download_csi(SimModel*, const SimRequest& rq, SimAnswer* ans) {
    if (!type_known(hi_rd32(rq.msg.data() + TYPED_TYPE_OFF))) {
        ans->msgs.push_back(sim_cnf(rq.id, STATUS_CNF_SIZE, SIM_STATUS_REFUSED));
        return;
    }
    std::vector<uint8_t> c = sim_cnf(rq.id, CSI_CNF_SIZE, 0);
    for (unsigned i = CSI_OFF; i < CSI_CNF_SIZE; ++i)
        c[i] = static_cast<uint8_t>(i - CSI_OFF);
    ans->msgs.push_back(std::move(c));
}

// Without a frame since the start there is nothing to capture.
void fw_rx_frame(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    SimRx& rx = m->fw.rx;
    sim_rx_advance(&rx, sim_now_ms());
    if (rx.frame[FRAME_VALID] == 0) {
        ans->msgs.push_back(sim_cnf(rq.id, STATUS_CNF_SIZE, SIM_STATUS_REFUSED));
        return;
    }
    std::vector<uint8_t> c = sim_cnf(rq.id, RX_FRAME_CNF_SIZE, 0);
    uint8_t* info = c.data() + FRAME_INFO_OFF;
    hi_wr32(info + 0, rx.frame[FRAME_TSF]);
    hi_wr16(info + 4, static_cast<uint16_t>(rx.frame[FRAME_LENGTH]));
    info[6] = static_cast<uint8_t>(rx.frame[FRAME_RATE]);
    hi_wr32(info + 8, rx.frame[FRAME_START0]);
    hi_wr32(info + 12, rx.frame[FRAME_END0]);
    hi_wr32(info + 16, rx.frame[FRAME_END1]);
    hi_wr32(info + 20, rx.frame[FRAME_PHY_ERROR]);
    hi_wr32(info + 24, rx.frame[FRAME_BUF_ADDR]);
    std::copy_n(rx.capture.begin(), std::min<size_t>(rx.capture.size(), FRAME_DATA_SIZE),
                c.begin() + FRAME_DATA_OFF);
    hi_wr32(c.data() + FRAME_TRAILER_OFF, rx.engine[RX_TOTAL] - 1);  // the packet id less one
    ans->msgs.push_back(std::move(c));
}

// The receive settings of one word each, with the range the firmware takes.
struct OneWordRow {
    uint16_t id;
    SimRxField field;
    bool (*ok)(uint32_t v);
};

constexpr OneWordRow kOneWord[] = {
    {40, RX_NAV, [](uint32_t v) { return v <= 1023; }},
    {41, RX_NAV_TYPE, [](uint32_t v) { return v <= 3; }},
    {72, RX_ACK_DELAY, [](uint32_t v) { return v <= 1023; }},
    {74, RX_FILTER, [](uint32_t) { return true; }},
    {121, RX_FILTER_TYPES, [](uint32_t) { return true; }},
    {123, RX_PHY_STATS, [](uint32_t v) { return v <= 2; }},
    // First value << 16, flag << 4, second value.
    {124, RX_MONITOR,
     [](uint32_t v) { return (v >> 16) <= 0x5556 && ((v >> 4) & 0xFFF) <= 1 && (v & 0xF) <= 7; }},
};

void fw_rx_one_word(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const OneWordRow& row = sim_row_of(kOneWord, rq.id);
    const uint32_t v = hi_rd32(rq.msg.data() + HI_MSG_PARAM_OFF);
    const bool ok = row.ok(v);
    if (ok)
        m->fw.rx.engine[row.field] = v;
    ans->msgs.push_back(sim_cnf(rq.id, STATUS_CNF_SIZE, ok ? 0 : SIM_STATUS_REFUSED));
}

// Mode 0 in the first word switches the generator off.
void fw_tone_gen(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    for (unsigned i = 0; i < SIM_TONE_WORDS; ++i)
        m->fw.rx.tone[i] = hi_rd32(rq.msg.data() + HI_MSG_PARAM_OFF + 4 * i);
    ans->msgs.push_back(sim_cnf(rq.id, STATUS_CNF_SIZE, 0));
}

constexpr SimHandlerEntry kOwn[] = {
    {RX_STATISTICS_REQ_ID, WORDS_MSG_SIZE, fw_rx_statistics, SIM_NUMBERED},
    {RX_PACKETS_REQ_ID, WORDS_MSG_SIZE, fw_rx_packets, SIM_NUMBERED},
    {GET_RX_REQ_ID, TYPED_REQ_SIZE, fw_get_rx, SIM_NUMBERED},
    {RX_STATUS_REQ_ID, 8, fw_rx_status, SIM_NUMBERED},
    {DOWNLOAD_CSI_REQ_ID, TYPED_REQ_SIZE, fw_download_csi, SIM_NUMBERED},
    {RX_FRAME_REQ_ID, 8, fw_rx_frame, SIM_NUMBERED},
    {TONE_GEN_REQ_ID, WORDS_MSG_SIZE, fw_tone_gen, SIM_NUMBERED},
};

constexpr auto kRequests = sim_request_rows(
    kOneWord, [](const OneWordRow&) { return ONE_WORD_REQ_SIZE; }, fw_rx_one_word, kOwn);

// ---- control keys ----

SimRx& rx_of(SimCtl& c) {
    return c.s->model.fw.rx;
}

// The generator counts from the moment it runs at its rate.
bool set_engine(SimCtl& c) {
    SimRx& rx = rx_of(c);
    sim_rx_advance(&rx, sim_now_ms());
    if (!ctl_set_field(c, sim_rx_field_names, rx.engine.data()))
        return false;
    sim_rx_restart_clock(&rx, sim_now_ms());
    return true;
}

void engine_lines(const Sim& s, std::vector<std::string>* out) {
    ctl_field_lines("rx", sim_rx_field_names, s.model.fw.rx.engine.data(), out);
}

bool set_frame(SimCtl& c) {
    return ctl_set_field(c, sim_rx_frame_field_names, rx_of(c).frame.data());
}

void frame_lines(const Sim& s, std::vector<std::string>* out) {
    ctl_field_lines("rxframe", sim_rx_frame_field_names, s.model.fw.rx.frame.data(), out);
}

// One word of an injection: the counts it adds, or a raw field of the
// frame information it sets (mask and shift place it in its word).
struct InjectWord {
    const char* name;
    uint32_t max;
    int frame_field;  // -1: a count
    uint32_t shift;
};

constexpr InjectWord kInject[] = {
    {"count", 0xFFFFFFFF, -1, 0},        {"errors", 0xFFFFFFFF, -1, 0},
    {"crc", 0xFFFFFFFF, -1, 0},          {"start0", 0xFFFFFFFF, FRAME_START0, 0},
    {"mode", 7, FRAME_START0, 0},        {"cfo", 0xFFFF, FRAME_END0, 0},
    {"snr", 0xFFFF, FRAME_END0, 16},     {"rssi", 0xFF, FRAME_END1, 0},
    {"evm", 0xFFFF, FRAME_END1, 8},      {"rcpi", 0xFF, FRAME_END1, 24},
    {"length", 0xFFFF, FRAME_LENGTH, 0},
};

// NAME VALUE pairs, each name once at most: count (default 1) frames
// arrive, of which errors had errors and crc CRC errors; the frame fields
// given describe the last of them. Refused while the engine is stopped,
// and nothing changes on any refusal.
bool set_inject(SimCtl& c) {
    SimRx& rx = rx_of(c);
    if (c.tok.size() < 4 || c.tok.size() % 2 != 0)
        return ctl_fail(c, "want NAME VALUE pairs");
    if (rx.engine[RX_RUNNING] == 0)
        return ctl_fail(c, "receiver stopped");
    uint32_t counts[3] = {1, 0, 0};
    std::array<uint32_t, FRAME_FIELDS> frame = rx.frame;
    std::array<bool, std::size(kInject)> seen{};
    for (size_t i = 2; i < c.tok.size(); i += 2) {
        const auto row = std::find_if(std::begin(kInject), std::end(kInject),
                                      [&](const InjectWord& w) { return c.tok[i] == w.name; });
        if (row == std::end(kInject))
            return ctl_fail(c, "unknown field '%.*s'", SIM_SV(c.tok[i]));
        const auto k = static_cast<size_t>(row - std::begin(kInject));
        uint32_t v;
        if (seen[k])
            return ctl_fail(c, "'%s' twice", row->name);
        seen[k] = true;
        if (!ctl_num(c, c.tok[i + 1], row->max, &v))
            return false;
        if (row->frame_field < 0) {
            counts[k] = v;
            continue;
        }
        uint32_t& word = frame[static_cast<size_t>(row->frame_field)];
        const uint32_t mask = row->max << row->shift;
        word = (word & ~mask) | v << row->shift;
    }
    sim_rx_advance(&rx, sim_now_ms());
    rx.engine[RX_TOTAL] += counts[0];
    rx.engine[RX_ERRORS] += counts[1];
    rx.engine[RX_CRC_ERRORS] += counts[2];
    if (counts[0] > 0) {
        rx.frame = frame;
        frame_arrived(&rx);
    }
    return true;
}

bool set_capture(SimCtl& c) {
    std::vector<uint8_t> bytes;
    if (!ctl_want_args(c, 2, 3))
        return false;
    if (c.tok.size() == 3 && (!sim_parse_hex(c.tok[2], &bytes) || bytes.size() > SIM_RX_CAPTURE_MAX))
        return ctl_fail(c, "capture must be up to %u bytes of hex", SIM_RX_CAPTURE_MAX);
    rx_of(c).capture = std::move(bytes);
    return true;
}

bool get_capture(SimCtl& c) {
    if (!ctl_want_args(c, 2, 2))
        return false;
    const std::vector<uint8_t>& bytes = rx_of(c).capture;
    c.out->push_back(bytes.empty() ? "none" : sim_hex(bytes));
    return true;
}

// Whether a tone is on, and the four words of the last request.
void tone_lines(const Sim& s, std::vector<std::string>* out) {
    const std::array<uint32_t, SIM_TONE_WORDS>& w = s.model.fw.rx.tone;
    out->push_back(sim_fmt("tone.on=%u", (w[0] & 0xF) != 0 ? 1 : 0));
    out->push_back(ctl_word_list("tone.words", w, "0x%08x"));
}

constexpr SimKey kKeys[] = {
    {.name = "rx", .set_words = set_engine, .set_usage = "FIELD VALUE", .state_lines = engine_lines},
    {.name = "rxframe", .set_words = set_frame, .set_usage = "FIELD VALUE", .state_lines = frame_lines},
    {.name = "rxinject", .set_words = set_inject, .set_usage = "NAME VALUE [NAME VALUE]..."},
    {.name = "rxcapture",
     .set_words = set_capture,
     .set_usage = "[HEX]",
     .get_words = get_capture,
     .get_usage = ""},
    {.name = "tone", .state_lines = tone_lines},
};

}  // namespace

void sim_rx_advance(SimRx* rx, int64_t now_ms) {
    const uint32_t rate = rx->engine[RX_RATE];
    if (rx->engine[RX_RUNNING] == 0 || rate == 0 || now_ms <= rx->gen_origin_ms)
        return;
    const uint64_t due = static_cast<uint64_t>(now_ms - rx->gen_origin_ms) * rate / 1000;
    if (due <= rx->gen_counted)
        return;
    // The counter is the firmware's 32-bit one: it wraps.
    rx->engine[RX_TOTAL] += static_cast<uint32_t>(due - rx->gen_counted);
    rx->gen_counted = due;
    frame_arrived(rx);
}

void sim_rx_restart_clock(SimRx* rx, int64_t now_ms) {
    rx->gen_origin_ms = now_ms;
    rx->gen_counted = 0;
}

bool sim_rx_mem_read(const SimRx& rx, uint32_t addr, uint32_t* value) {
    if (addr != SIM_RX_CTRL_ADDR)
        return false;
    *value = rx.engine[RX_CTRL];
    return true;
}

bool sim_rx_mem_write(SimRx* rx, uint32_t addr, uint32_t value) {
    if (addr != SIM_RX_CTRL_ADDR)
        return false;
    rx->engine[RX_CTRL] = value;
    return true;
}

constexpr SimPart sim_rx_part = {"receive", rx_reset, kRequests, kKeys};
