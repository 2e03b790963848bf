#include "sim/sim_fw_tx.h"

#include <algorithm>
#include <bit>

#include "sim/sim_core.h"
#include "sim/sim_model.h"
#include "sim/sim_util.h"

const std::array<const char*, TX_FIELDS> sim_tx_field_names = {
    "running", "prbs_length", "prbs_seed", "buffer", "count", "ack",    "nav",       "backoff",
    "delay",   "sounding",    "cca",       "txed",   "acked", "bursts", "shortfall", "refuse"};

const std::array<const char*, SIM_TX_STATS> sim_tx_stats_names = {
    "successes", "acked",        "fail_ptcs",   "fail_bt", "queued",
    "ttcs_end",  "ack_ttcs_end", "ack_success", "ntd",     "fiq"};

namespace {

// Transmit (70): the command at 4, the PRBS length at 8 and seed at 12;
// the answer counts the frames sent (16) and acknowledged (20), and its
// word at 24 is set when the firmware refuses the command.
constexpr uint16_t TRANSMIT_REQ_ID = 70;
constexpr unsigned TRANSMIT_REQ_MIN_SIZE = 16;
constexpr unsigned TRANSMIT_CNF_SIZE = 28;
constexpr unsigned TRANSMIT_CMD_OFF = 4;
constexpr unsigned TRANSMIT_PRBS_LEN_OFF = 8;
constexpr unsigned TRANSMIT_SEED_OFF = 12;
constexpr unsigned TRANSMIT_TXED_OFF = 16;
constexpr unsigned TRANSMIT_ACKED_OFF = 20;
constexpr unsigned TRANSMIT_INVALID_OFF = 24;
enum : uint32_t { CMD_BURST = 1, CMD_CONTINUOUS = 2, CMD_STOP = 3, CMD_PRBS_BURST = 5, CMD_PRBS = 6 };

// Payload piece (34): the buffer at 8, the 16-bit piece length at 12 and
// its 16-bit offset at 14, the bytes from 16. The answer holds the buffer
// at 8 and its payload's length at 12.
constexpr uint16_t PAYLOAD_REQ_ID = 34;
constexpr unsigned PAYLOAD_ID_OFF = 8;
constexpr unsigned PAYLOAD_LEN_OFF = 12;
constexpr unsigned PAYLOAD_OFFSET_OFF = 14;
constexpr unsigned PAYLOAD_DATA_OFF = 16;
constexpr unsigned PAYLOAD_CNF_SIZE = 20;

// Statistics (53) and the transmit configuration (63): words after the
// status.
constexpr uint16_t TX_STATS_REQ_ID = 53;
constexpr uint16_t TX_CONFIG_REQ_ID = 63;
constexpr unsigned WORDS_OFF = 8;
constexpr unsigned TX_CONFIG_WORDS = 7;

constexpr unsigned ONE_WORD_SIZE = 12;  // request and answer

// The one-word requests and the field each sets, after the firmware's
// range check (status 1 and nothing kept above max).
struct TxSet {
    uint16_t id;
    SimTxField field;
    uint32_t max;
};

constexpr TxSet kSets[] = {
    {33, TX_BUFFER, SIM_TX_BUFFERS - 1},
    {42, TX_NAV, 0xFFFFFFFF},
    {66, TX_COUNT, 0xFFFFFFFF},
    {67, TX_ACK, 1},
    {101, TX_BACKOFF, 0xFFFFFFFF},
    {125, TX_DELAY, 0xFFFFFFFF},
    {126, TX_SOUNDING, 1},
    {127, TX_CCA, 2},
};

// The transmit settings the parameter block holds, by their byte offset
// and bits; the chip variant's frequency offset is a PRCM register's.
struct MibField {
    const char* name;
    uint32_t offset;
    uint32_t mask;
    bool prcm;
};

constexpr MibField kMibFields[] = {
    {"short_gi", 0, 0x00000040, false},
    {"power", 4, 0x0000000F, false},
    {"mode", 4, 0x00001C00, false},
    {"bw40", 4, 0x00002000, false},
    {"lower", 4, 0x00004000, false},
    {"rate", 8, 0xFFFFFFFF, false},
    {"length", 12, 0xFFFFFFFF, false},
    {"format", 16, 0xFFFFFFFF, false},
    {"start", 20, 0xFFFFFFFF, false},
    {"ifs", 84, 0xFFFFFFFF, false},
    {"duration", 264, 0xFFFFFFFF, false},
    {"freq_offset", 296, 0x000000FF, false},
    {"prcm_freq_offset", SIM_FREQ_OFFSET_PRCM, 0x07F00000, true},
};

uint32_t mib_word(const SimFirmware& fw, uint32_t offset) {
    return fw_mem_read(fw, fw.mib_base + offset);
}

uint32_t field_word(const SimFirmware& fw, const MibField& f) {
    return f.prcm ? sim_word(fw.memory.prcm, f.offset) : mib_word(fw, f.offset);
}

uint32_t field_value(const SimFirmware& fw, const MibField& f) {
    return (field_word(fw, f) & f.mask) >> std::countr_zero(f.mask);
}

void set_field_value(SimFirmware* fw, const MibField& f, uint32_t value) {
    const uint32_t word = (field_word(*fw, f) & ~f.mask) | ((value << std::countr_zero(f.mask)) & f.mask);
    if (f.prcm)
        sim_put_word(&fw->memory.prcm, f.offset, word);
    else
        fw_mem_write(fw, fw->mib_base + f.offset, word);
}

const MibField& mib_field(const char* name) {
    return *std::find_if(std::begin(kMibFields), std::end(kMibFields),
                         [&](const MibField& f) { return std::string_view(f.name) == name; });
}

void tx_reset(SimModel* m) {
    SimTx& tx = m->fw.tx;
    tx.engine.fill(0);
    tx.stats.fill(0);
    for (auto& b : tx.buffers)
        b.fill(0);
    tx.lengths.fill(0);
    // Chip memory, so the memory's reset, which comes first, has cleared it.
    for (uint32_t i = 0; i < SIM_GAIN_TABLE_ENTRIES; ++i)
        fw_mem_write(&m->fw, SIM_GAIN_TABLE_ADDR + 4 * i, (i / 8) << 10 | (96 + 8 * (i % 8)));
}

uint32_t rd32(const SimRequest& rq, unsigned off) {
    return hi_rd32(rq.msg.data() + off);
}

// ---- requests ----

void tx_set(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const TxSet* row = &sim_row_of(kSets, rq.id);
    const uint32_t value = rd32(rq, WORDS_OFF);
    const bool valid = value <= row->max;
    if (valid)
        m->fw.tx.engine[row->field] = value;
    ans->msgs.push_back(sim_cnf(rq.id, ONE_WORD_SIZE, valid ? 0 : SIM_STATUS_REFUSED));
}

// A piece at offset 0 begins a new payload; later ones extend it.
void tx_payload(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    SimTx& tx = m->fw.tx;
    const uint32_t id = rd32(rq, PAYLOAD_ID_OFF);
    const uint32_t count = hi_rd16(rq.msg.data() + PAYLOAD_LEN_OFF);
    const uint32_t offset = hi_rd16(rq.msg.data() + PAYLOAD_OFFSET_OFF);
    const bool valid = id < SIM_TX_BUFFERS && PAYLOAD_DATA_OFF + count <= rq.msg.size() &&
                       offset + count <= SIM_TX_BUFFER_SIZE;
    std::vector<uint8_t> c = sim_cnf(rq.id, PAYLOAD_CNF_SIZE, valid ? 0 : SIM_STATUS_REFUSED);
    if (valid) {
        std::copy_n(rq.msg.begin() + PAYLOAD_DATA_OFF, count, tx.buffers[id].begin() + offset);
        tx.lengths[id] = offset == 0 ? count : std::max(tx.lengths[id], offset + count);
        hi_wr32(c.data() + WORDS_OFF, id);
        hi_wr32(c.data() + WORDS_OFF + 4, tx.lengths[id]);
    }
    ans->msgs.push_back(std::move(c));
}

// A counted burst is done by the time it is answered: count packets less
// the shortfall, all acknowledged when acknowledgements are expected.
void burst(SimTx* tx, uint32_t* txed, uint32_t* acked) {
    const uint32_t asked = tx->engine[TX_COUNT];
    const uint32_t shortfall = tx->engine[TX_SHORTFALL];
    *txed = asked > shortfall ? asked - shortfall : 0;
    *acked = tx->engine[TX_ACK] != 0 ? *txed : 0;
    uint32_t* s = tx->stats.data();
    s[0] += *txed;  // successes
    s[1] += *acked;
    s[4] += asked;  // queued
    s[5] += *txed;  // Ttcs end
    s[6] += *acked;
    s[7] += *acked;
    ++tx->engine[TX_BURSTS];
}

// One transmission at a time: a start while one runs is refused, and a
// stop always ends whatever runs.
void tx_transmit(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    SimTx& tx = m->fw.tx;
    const uint32_t cmd = rd32(rq, TRANSMIT_CMD_OFF);
    uint32_t status = 0, txed = 0, acked = 0, invalid = 0;
    const bool start = cmd == CMD_BURST || cmd == CMD_PRBS_BURST || cmd == CMD_CONTINUOUS || cmd == CMD_PRBS;
    if (cmd != CMD_STOP && !start) {
        status = SIM_STATUS_REFUSED;
        invalid = 1;
    } else if (tx.engine[TX_REFUSE] != 0 || (start && tx.engine[TX_RUNNING] != 0)) {
        invalid = 1;
    } else if (cmd == CMD_STOP) {
        tx.engine[TX_RUNNING] = 0;
    } else {
        const bool prbs = cmd == CMD_PRBS_BURST || cmd == CMD_PRBS;
        tx.engine[TX_PRBS_LENGTH] = prbs ? rd32(rq, TRANSMIT_PRBS_LEN_OFF) : 0;
        tx.engine[TX_PRBS_SEED] = prbs ? rd32(rq, TRANSMIT_SEED_OFF) : 0;
        if (cmd == CMD_BURST || cmd == CMD_PRBS_BURST)
            burst(&tx, &txed, &acked);
        else
            tx.engine[TX_RUNNING] = cmd;
    }
    tx.engine[TX_TXED] = txed;
    tx.engine[TX_ACKED] = acked;
    std::vector<uint8_t> c = sim_cnf(rq.id, TRANSMIT_CNF_SIZE, status);
    hi_wr32(c.data() + TRANSMIT_TXED_OFF, txed);
    hi_wr32(c.data() + TRANSMIT_ACKED_OFF, acked);
    hi_wr32(c.data() + TRANSMIT_INVALID_OFF, invalid);
    ans->msgs.push_back(std::move(c));
}

void tx_stats(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    std::vector<uint8_t> c = sim_cnf(rq.id, WORDS_OFF + 4 * SIM_TX_STATS, 0);
    for (unsigned i = 0; i < SIM_TX_STATS; ++i)
        hi_wr32(c.data() + WORDS_OFF + 4 * i, m->fw.tx.stats[i]);
    ans->msgs.push_back(std::move(c));
}

// What the firmware transmits with: the guard-interval word and the
// transmit control word whole, the rate and length, and three of their
// bits on their own.
void tx_config(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const SimFirmware& fw = m->fw;
    const uint32_t words[TX_CONFIG_WORDS] = {mib_word(fw, 0),
                                             mib_word(fw, 4),
                                             field_value(fw, mib_field("rate")),
                                             field_value(fw, mib_field("length")),
                                             field_value(fw, mib_field("bw40")),
                                             field_value(fw, mib_field("lower")),
                                             field_value(fw, mib_field("short_gi"))};
    std::vector<uint8_t> c = sim_cnf(rq.id, WORDS_OFF + 4 * TX_CONFIG_WORDS, 0);
    for (unsigned i = 0; i < TX_CONFIG_WORDS; ++i)
        hi_wr32(c.data() + WORDS_OFF + 4 * i, words[i]);
    ans->msgs.push_back(std::move(c));
}

constexpr SimHandlerEntry kOwn[] = {
    {PAYLOAD_REQ_ID, PAYLOAD_DATA_OFF, tx_payload, SIM_NUMBERED},
    {TX_STATS_REQ_ID, WORDS_OFF, tx_stats, SIM_NUMBERED},
    {TX_CONFIG_REQ_ID, WORDS_OFF, tx_config, SIM_NUMBERED},
    {TRANSMIT_REQ_ID, TRANSMIT_REQ_MIN_SIZE, tx_transmit, SIM_NUMBERED},
};

constexpr auto kRequests = sim_request_rows(
    kSets, [](const TxSet&) { return ONE_WORD_SIZE; }, tx_set, kOwn);

// ---- control keys ----

bool set_engine(SimCtl& c) {
    return ctl_set_field(c, sim_tx_field_names, c.s->model.fw.tx.engine.data());
}

void engine_lines(const Sim& s, std::vector<std::string>* out) {
    ctl_field_lines("tx", sim_tx_field_names, s.model.fw.tx.engine.data(), out);
}

bool set_stats(SimCtl& c) {
    return ctl_set_field(c, sim_tx_stats_names, c.s->model.fw.tx.stats.data());
}

void stats_lines(const Sim& s, std::vector<std::string>* out) {
    ctl_field_lines("txstats", sim_tx_stats_names, s.model.fw.tx.stats.data(), out);
}

// The settings as the block holds them; setting one writes its bits into
// the block and leaves the rest of the word.
bool set_mib(SimCtl& c) {
    uint32_t value;
    if (!ctl_want_args(c, 4, 4))
        return false;
    const MibField* f = std::find_if(std::begin(kMibFields), std::end(kMibFields),
                                     [&](const MibField& r) { return c.tok[2] == r.name; });
    if (f == std::end(kMibFields))
        return ctl_fail(c, "unknown field '%.*s'", SIM_SV(c.tok[2]));
    if (!ctl_num(c, c.tok[3], f->mask >> std::countr_zero(f->mask), &value))
        return false;
    set_field_value(&c.s->model.fw, *f, value);
    return true;
}

void mib_lines(const Sim& s, std::vector<std::string>* out) {
    for (const MibField& f : kMibFields)
        out->push_back(std::string("txmib.") + f.name + "=" + std::to_string(field_value(s.model.fw, f)));
}

// Buffer ID's payload in hex, or OFF LEN bytes of the buffer.
bool get_buffer(SimCtl& c) {
    uint32_t id, off = 0, len;
    if (!ctl_want_args(c, 3, 5) || !ctl_num(c, c.tok[2], SIM_TX_BUFFERS - 1, &id))
        return false;
    const SimTx& tx = c.s->model.fw.tx;
    len = tx.lengths[id];
    if (c.tok.size() > 3 && (!ctl_opt_num(c, 3, SIM_TX_BUFFER_SIZE, 0, &off) ||
                             !ctl_opt_num(c, 4, SIM_TX_BUFFER_SIZE - off, SIM_TX_BUFFER_SIZE - off, &len)))
        return false;
    c.out->push_back(len == 0 ? std::string("none") : sim_hex(tx.buffers[id].data() + off, len));
    return true;
}

bool set_buffer(SimCtl& c) {
    uint32_t id;
    std::vector<uint8_t> bytes;
    if (!ctl_want_args(c, 4, 4) || !ctl_num(c, c.tok[2], SIM_TX_BUFFERS - 1, &id))
        return false;
    if (!sim_parse_hex(c.tok[3], &bytes) || bytes.size() > SIM_TX_BUFFER_SIZE)
        return ctl_fail(c, "bad hex '%.*s'", SIM_SV(c.tok[3]));
    SimTx& tx = c.s->model.fw.tx;
    std::copy(bytes.begin(), bytes.end(), tx.buffers[id].begin());
    tx.lengths[id] = static_cast<uint32_t>(bytes.size());
    return true;
}

void buffer_lines(const Sim& s, std::vector<std::string>* out) {
    out->push_back(ctl_word_list("txbuf.len", s.model.fw.tx.lengths, "%u"));
}

// A gain-table entry, written into chip memory as the chip holds it.
constexpr uint32_t GAIN_INDEXES = 1024;
constexpr uint32_t GAIN_MAX = 0x3FF;

bool set_gain(SimCtl& c) {
    uint32_t index, analogue, digital;
    if (!ctl_want_args(c, 5, 5) || !ctl_num(c, c.tok[2], GAIN_INDEXES - 1, &index) ||
        !ctl_num(c, c.tok[3], GAIN_MAX, &analogue) || !ctl_num(c, c.tok[4], GAIN_MAX, &digital))
        return false;
    fw_mem_write(&c.s->model.fw, SIM_GAIN_TABLE_ADDR + 4 * index, analogue << 10 | digital);
    return true;
}

bool get_gain(SimCtl& c) {
    uint32_t index;
    if (!ctl_want_args(c, 3, 3) || !ctl_num(c, c.tok[2], GAIN_INDEXES - 1, &index))
        return false;
    const uint32_t word = fw_mem_read(c.s->model.fw, SIM_GAIN_TABLE_ADDR + 4 * index);
    c.out->push_back(std::to_string(word >> 10 & GAIN_MAX) + " " + std::to_string(word & GAIN_MAX));
    return true;
}

constexpr SimKey kKeys[] = {
    {.name = "tx", .set_words = set_engine, .set_usage = "FIELD VALUE", .state_lines = engine_lines},
    {.name = "txstats", .set_words = set_stats, .set_usage = "FIELD VALUE", .state_lines = stats_lines},
    {.name = "txmib", .set_words = set_mib, .set_usage = "FIELD VALUE", .state_lines = mib_lines},
    {.name = "txbuf",
     .set_words = set_buffer,
     .set_usage = "ID HEX",
     .get_words = get_buffer,
     .get_usage = "ID [OFF [LEN]]",
     .state_lines = buffer_lines},
    {.name = "gain",
     .set_words = set_gain,
     .set_usage = "INDEX ANALOGUE DIGITAL",
     .get_words = get_gain,
     .get_usage = "INDEX"},
};

}  // namespace

constexpr SimPart sim_tx_part = {"transmit", tx_reset, kRequests, kKeys};
