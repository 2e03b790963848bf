#include "sim/sim_fw_phy.h"

#include <algorithm>

#include "sim/sim_core.h"
#include "sim/sim_model.h"
#include "sim/sim_util.h"

const std::array<const char*, PHY_FIELDS> sim_phy_field_names = {
    "channel", "bandwidth",   "subchannel", "fec_low",   "fec_mid",  "fec_high", "mode",
    "state",   "enable",      "reset_a",    "reset_b",   "cal_rx_a", "cal_rx_b", "iq_imb",
    "iq_off",  "cal_control", "modem",      "rf_resets", "rssi",     "noise",    "version",
    "cal_1",   "cal_2",       "cal_3",      "cal_4",     "cal_out"};
const std::array<const char*, PWR_FIELDS> sim_power_field_names = {"auto_a", "auto_b", "auto_dbm",
                                                                   "loop_a", "loop_b", "measure"};
const std::array<const char*, SIM_READING_WORDS> sim_pa_det_field_names = {"w8",  "w12",      "index",  "w20",
                                                                           "w24", "analogue", "digital"};
const std::array<const char*, SIM_READING_WORDS> sim_agc_field_names = {"w8",  "w12", "w16", "w20",
                                                                        "w24", "w28", "w32"};
const std::array<const char*, 2> sim_adc_field_names = {"milli", "value"};

namespace {

constexpr unsigned WORDS_OFF = 8;  // a request's words, and an answer's after its status
constexpr unsigned ONE_WORD_CNF_SIZE = 12;
constexpr unsigned CAL_TX_REQ_SIZE = 24;
constexpr unsigned CAL_TX_CNF_SIZE = 268;
constexpr unsigned CAL_TX_BLOCK_OFF = 12;
constexpr unsigned RAW_PWR_CNF_SIZE = 20;  // 8: the index, 12 and 16: the raw pair
constexpr unsigned AGC_SIZE = 36;
constexpr unsigned ADC_SIZE = 16;
constexpr uint32_t RAW_POWER_MAX = 1023;
constexpr int64_t DBM16_MIN = -1600;  // -100 dBm
constexpr int64_t DBM16_MAX = 480;    // 30 dBm

// The transmitter calibration a chip on the board reports: gain, phase and
// the I and Q offsets it found, then the carrier and image leakage before
// and after, as a signal word over a leakage word less one each, so that
// the tool prints -25 and -27 dB before, -44 and -47 dB after.
constexpr int32_t kCalWords[] = {3, -2, 14, -9, 100000, 315, 199, 100000, 3, 1};

void phy_reset(SimModel* m) {
    SimPhy& p = m->fw.phy;
    p.state.fill(0);
    p.state[PHY_VERSION] = SIM_DEFAULT_PHY_VERSION;
    p.power.fill(0);
    for (auto& entry : p.table)
        entry.fill(0);
    p.pa_det.fill(0);
    p.pa_det[2] = SIM_DEFAULT_GAIN_INDEX;
    p.agc.fill(0);
    p.adc.fill(0);
    p.cal_block.fill(0);
    for (size_t i = 0; i < std::size(kCalWords); ++i)
        hi_wr32(p.cal_block.data() + 4 * i, static_cast<uint32_t>(kCalWords[i]));
}

uint32_t word_at(const SimRequest& rq, unsigned i) {
    return hi_rd32(rq.msg.data() + WORDS_OFF + 4 * i);
}

// dBm x 16 travels as a 16-bit value sign-extended to the word.
int64_t as_dbm16(uint32_t w) {
    return static_cast<int32_t>(w);
}

// ---- requests ----

// The requests that only set words of state: each of their words goes to
// one field, after the firmware's range check on every word (status 1
// and nothing set when one fails). Their answer is as long as the request.
struct PhySet {
    uint16_t id;
    uint8_t words;
    bool power;     // the word goes to the power record, else the PHY state
    uint8_t first;  // the field of the first word; the others follow it
    int64_t min;
    int64_t max;
    bool dbm;  // the words are dBm x 16
};

constexpr PhySet kSets[] = {
    {102, 1, false, PHY_ENABLE, 0, 1, false},
    {677, 1, false, PHY_BANDWIDTH, 0, 2, false},
    {684, 2, false, PHY_CAL_RX_A, 0, 1, false},
    {690, 1, false, PHY_STATE, 1, 4, false},
    {692, 2, false, PHY_RESET_A, 0, 1, false},
    {694, 1, false, PHY_MODE, 0, 3, false},
    {695, 1, false, PHY_CAL_CONTROL, 0, 1, false},
    {697, 1, false, PHY_SUBCHANNEL, 0, 1, false},
    {698, 3, false, PHY_FEC_LOW, 0, 127, false},
    {705, 1, false, PHY_MODEM, 0, 3, false},
    {750, 1, false, PHY_IQ_IMB, 0, 0xFFFFFFFF, false},
    {751, 1, false, PHY_IQ_OFF, 0, 0xFFFFFFFF, false},
    {757, 1, false, PHY_CHANNEL, 0, 0xFFFF, false},
    {758, 2, true, PWR_AUTO_A, 0, RAW_POWER_MAX, false},
    {762, 2, true, PWR_LOOP_A, 0, 1, false},
    {764, 1, true, PWR_MEASURE, 0, 14, false},
    {767, 1, true, PWR_AUTO_DBM, DBM16_MIN, DBM16_MAX, true},
};

void phy_set(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const PhySet* row = &sim_row_of(kSets, rq.id);
    bool valid = true;
    for (unsigned i = 0; i < row->words; ++i) {
        const uint32_t w = word_at(rq, i);
        const int64_t v = row->dbm ? as_dbm16(w) : w;
        valid = valid && v >= row->min && v <= row->max;
    }
    uint32_t* dst = row->power ? m->fw.phy.power.data() : m->fw.phy.state.data();
    for (unsigned i = 0; valid && i < row->words; ++i)
        dst[row->first + i] = word_at(rq, i);
    ans->msgs.push_back(sim_cnf(rq.id, static_cast<unsigned>(rq.msg.size()), valid ? 0 : SIM_STATUS_REFUSED));
}

void rf_ip_reset(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    ++m->fw.phy.state[PHY_RF_RESETS];
    ans->msgs.push_back(sim_cnf(rq.id, STATUS_CNF_SIZE, 0));
}

void noise_reset(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    m->fw.phy.state[PHY_NOISE] = 0;
    ans->msgs.push_back(sim_cnf(rq.id, STATUS_CNF_SIZE, 0));
}

// A reading of one word at +8.
void answer_word(const SimRequest& rq, SimAnswer* ans, uint32_t status, uint32_t w) {
    std::vector<uint8_t> c = sim_cnf(rq.id, ONE_WORD_CNF_SIZE, status);
    hi_wr32(c.data() + WORDS_OFF, w);
    ans->msgs.push_back(std::move(c));
}

void get_version(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    answer_word(rq, ans, 0, m->fw.phy.state[PHY_VERSION]);
}

void get_rssi(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    answer_word(rq, ans, 0, m->fw.phy.state[PHY_RSSI]);
}

// The four words are kept; the answer is the output word and the block.
void calibrate_tx(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    SimPhy& p = m->fw.phy;
    for (unsigned i = 0; i < 4; ++i)
        p.state[PHY_CAL_1 + i] = word_at(rq, i);
    std::vector<uint8_t> c = sim_cnf(rq.id, CAL_TX_CNF_SIZE, 0);
    hi_wr32(c.data() + WORDS_OFF, p.state[PHY_CAL_OUT]);
    std::copy(p.cal_block.begin(), p.cal_block.end(), c.begin() + CAL_TX_BLOCK_OFF);
    ans->msgs.push_back(std::move(c));
}

void set_raw(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint32_t a = word_at(rq, 0), b = word_at(rq, 1), index = word_at(rq, 2);
    const bool valid = a <= RAW_POWER_MAX && b <= RAW_POWER_MAX && index < SIM_POWER_INDEXES;
    if (valid) {
        m->fw.phy.table[index][PWR_RAW_A] = a;
        m->fw.phy.table[index][PWR_RAW_B] = b;
    }
    ans->msgs.push_back(sim_cnf(rq.id, static_cast<unsigned>(rq.msg.size()), valid ? 0 : SIM_STATUS_REFUSED));
}

void set_dbm(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint32_t dbm = word_at(rq, 0), index = word_at(rq, 1);
    const bool valid = index < SIM_POWER_INDEXES && as_dbm16(dbm) >= DBM16_MIN && as_dbm16(dbm) <= DBM16_MAX;
    if (valid)
        m->fw.phy.table[index][PWR_DBM] = dbm;
    ans->msgs.push_back(sim_cnf(rq.id, static_cast<unsigned>(rq.msg.size()), valid ? 0 : SIM_STATUS_REFUSED));
}

void get_dbm(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint32_t index = word_at(rq, 0);
    const bool valid = index < SIM_POWER_INDEXES;
    answer_word(rq, ans, valid ? 0 : SIM_STATUS_REFUSED, valid ? m->fw.phy.table[index][PWR_DBM] : 0);
}

void get_raw(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint32_t index = word_at(rq, 0);
    const bool valid = index < SIM_POWER_INDEXES;
    std::vector<uint8_t> c = sim_cnf(rq.id, RAW_PWR_CNF_SIZE, valid ? 0 : SIM_STATUS_REFUSED);
    hi_wr32(c.data() + WORDS_OFF, index);
    if (valid) {
        hi_wr32(c.data() + WORDS_OFF + 4, m->fw.phy.table[index][PWR_RAW_A]);
        hi_wr32(c.data() + WORDS_OFF + 8, m->fw.phy.table[index][PWR_RAW_B]);
    }
    ans->msgs.push_back(std::move(c));
}

// The answer is as long as the request, up to the readings' whole
// record, with as many words as fit.
template <size_t N>
void answer_words(const SimRequest& rq, SimAnswer* ans, const std::array<uint32_t, N>& words) {
    const unsigned size = std::min<unsigned>(static_cast<unsigned>(rq.msg.size()), WORDS_OFF + 4 * N);
    std::vector<uint8_t> c = sim_cnf(rq.id, size, 0);
    for (unsigned i = 0; WORDS_OFF + 4 * i + 4 <= size; ++i)
        hi_wr32(c.data() + WORDS_OFF + 4 * i, words[i]);
    ans->msgs.push_back(std::move(c));
}

void get_pa_det(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    answer_words(rq, ans, m->fw.phy.pa_det);
}

void get_agc(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    answer_words(rq, ans, m->fw.phy.agc);
}

void get_adc(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    answer_words(rq, ans, m->fw.phy.adc);
}

constexpr SimHandlerEntry kOwn[] = {
    {685, STATUS_CNF_SIZE, rf_ip_reset, SIM_NUMBERED},
    {693, 12, get_version, SIM_NUMBERED},
    {714, STATUS_CNF_SIZE, noise_reset, SIM_NUMBERED},
    {715, STATUS_CNF_SIZE, get_rssi, SIM_NUMBERED},
    {742, CAL_TX_REQ_SIZE, calibrate_tx, SIM_NUMBERED},
    {760, 20, set_raw, SIM_NUMBERED},
    {761, 16, set_dbm, SIM_NUMBERED},
    {765, 12, get_dbm, SIM_NUMBERED},
    {766, 12, get_raw, SIM_NUMBERED},
    {763, STATUS_CNF_SIZE, get_pa_det, SIM_NUMBERED},
    {756, AGC_SIZE, get_agc, SIM_NUMBERED},
    {696, ADC_SIZE, get_adc, SIM_NUMBERED},
};

constexpr auto kRequests = sim_request_rows(
    kSets, [](const PhySet& s) { return WORDS_OFF + 4 * s.words; }, phy_set, kOwn);

// ---- control keys ----

SimPhy& phy(SimCtl& c) {
    return c.s->model.fw.phy;
}

template <auto SimPhy::*Record, const auto& Names>
bool set_record(SimCtl& c) {
    return ctl_set_field(c, Names, (phy(c).*Record).data());
}

template <auto SimPhy::*Record, const auto& Names>
void record_lines(const char* key, const Sim& s, std::vector<std::string>* out) {
    ctl_field_lines(key, Names, (s.model.fw.phy.*Record).data(), out);
}

// set pwrtable INDEX A B DBM
bool set_table(SimCtl& c) {
    uint32_t index;
    std::array<uint32_t, PWR_ENTRY_FIELDS> v;
    if (!ctl_want_args(c, 6, 6) || !ctl_num(c, c.tok[2], SIM_POWER_INDEXES - 1, &index))
        return false;
    for (unsigned i = 0; i < PWR_ENTRY_FIELDS; ++i)
        if (!ctl_num(c, c.tok[3 + i], 0xFFFFFFFF, &v[i]))
            return false;
    phy(c).table[index] = v;
    return true;
}

void table_lines(const Sim& s, std::vector<std::string>* out) {
    const SimPhy& p = s.model.fw.phy;
    for (unsigned i = 0; i < SIM_POWER_INDEXES; ++i)
        out->push_back("pwrtable." + std::to_string(i) + "=" + sim_fmt("%u", p.table[i][PWR_RAW_A]) + " " +
                       sim_fmt("%u", p.table[i][PWR_RAW_B]) + " " + sim_fmt("%u", p.table[i][PWR_DBM]));
}

bool set_cal_block(SimCtl& c) {
    std::vector<uint8_t> bytes;
    if (!ctl_want_args(c, 3, 3))
        return false;
    if (!sim_parse_hex(c.tok[2], &bytes) || bytes.size() > SIM_CAL_BLOCK_SIZE)
        return ctl_fail(c, "the block is up to %u bytes of hex", SIM_CAL_BLOCK_SIZE);
    phy(c).cal_block.fill(0);
    std::copy(bytes.begin(), bytes.end(), phy(c).cal_block.begin());
    return true;
}

bool get_cal_block(SimCtl& c) {
    if (!ctl_want_args(c, 2, 2))
        return false;
    c.out->push_back(sim_hex(phy(c).cal_block.data(), phy(c).cal_block.size()));
    return true;
}

constexpr SimKey kKeys[] = {
    {.name = "phy",
     .set_words = set_record<&SimPhy::state, sim_phy_field_names>,
     .set_usage = "FIELD VALUE",
     .state_lines =
         [](const Sim& s, std::vector<std::string>* out) {
             record_lines<&SimPhy::state, sim_phy_field_names>("phy", s, out);
         }},
    {.name = "power",
     .set_words = set_record<&SimPhy::power, sim_power_field_names>,
     .set_usage = "FIELD VALUE",
     .state_lines =
         [](const Sim& s, std::vector<std::string>* out) {
             record_lines<&SimPhy::power, sim_power_field_names>("power", s, out);
         }},
    {.name = "pwrtable", .set_words = set_table, .set_usage = "INDEX A B DBM16", .state_lines = table_lines},
    {.name = "padet",
     .set_words = set_record<&SimPhy::pa_det, sim_pa_det_field_names>,
     .set_usage = "FIELD VALUE",
     .state_lines =
         [](const Sim& s, std::vector<std::string>* out) {
             record_lines<&SimPhy::pa_det, sim_pa_det_field_names>("padet", s, out);
         }},
    {.name = "agc",
     .set_words = set_record<&SimPhy::agc, sim_agc_field_names>,
     .set_usage = "FIELD VALUE",
     .state_lines =
         [](const Sim& s, std::vector<std::string>* out) {
             record_lines<&SimPhy::agc, sim_agc_field_names>("agc", s, out);
         }},
    {.name = "adc",
     .set_words = set_record<&SimPhy::adc, sim_adc_field_names>,
     .set_usage = "FIELD VALUE",
     .state_lines =
         [](const Sim& s, std::vector<std::string>* out) {
             record_lines<&SimPhy::adc, sim_adc_field_names>("adc", s, out);
         }},
    {.name = "calblock",
     .set_words = set_cal_block,
     .set_usage = "HEX",
     .get_words = get_cal_block,
     .get_usage = ""},
};

}  // namespace

constexpr SimPart sim_phy_part = {"phy", phy_reset, kRequests, kKeys};
