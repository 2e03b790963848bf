#include "sim/sim_fw_efuse.h"

#include <algorithm>
#include <cstring>

#include "sim/sim_core.h"
#include "sim/sim_model.h"
#include "sim/sim_util.h"

const std::array<uint8_t, SIM_EFUSE_MAX_DATA> sim_default_chip_id = {
    0x23, 0x01, 0x51, 0x4D, 0x00, 0x00, 0x00, 0x17, 0x5A, 0x3C, 0x96, 0x0F, 0x00, 0x00, 0x00, 0x01};

unsigned sim_efuse_size(uint32_t type) {
    // CHIPID, DCXO_TRIM, POUT_CAL, MAC, USER_AREA, POUT_CAL_BT
    static constexpr unsigned kSizes[SIM_EFUSE_TYPES] = {16, 1, 3, 6, 0, 3};
    return type >= 1 && type <= SIM_EFUSE_TYPES ? kSizes[type - 1] : 0;
}

namespace {

// Both requests: the type, and the user area's bits.
constexpr unsigned EFUSE_TYPE_OFF = 4;  // 16-bit
constexpr unsigned EFUSE_START_BIT_OFF = 6;
constexpr unsigned EFUSE_LENGTH_BITS_OFF = 8;
// Read (43): the complement at 11; the answer's slot count at 10, the data
// from 12.
constexpr unsigned EFUSE_READ_REQ_SIZE = 12;
constexpr unsigned EFUSE_READ_CHECK_OFF = 11;
constexpr unsigned EFUSE_CNF_SLOTS_OFF = 10;
constexpr unsigned EFUSE_CNF_DATA_OFF = 12;
// Write (44): the force flag at 10, the complement at 12, six data bytes
// from 13; a refusal as written before shows six stored bytes from 11,
// whatever the element's size.
constexpr unsigned EFUSE_WRITE_FORCE_OFF = 10;
constexpr unsigned EFUSE_WRITE_CHECK_OFF = 12;
constexpr unsigned EFUSE_WRITE_DATA_OFF = 13;
constexpr unsigned EFUSE_WRITE_DATA_BYTES = 6;
constexpr unsigned EFUSE_WRITE_REQ_MIN = EFUSE_WRITE_DATA_OFF + EFUSE_WRITE_DATA_BYTES;
constexpr unsigned EFUSE_CNF_STORED_OFF = 11;
// Antifuse (676): the words from 8.
constexpr unsigned ANTIFUSE_CNF_SIZE = 48;
constexpr unsigned ANTIFUSE_CNF_WORDS_OFF = 8;

bool is_element(uint32_t type) {
    return sim_efuse_size(type) != 0;
}

void efuse_reset(SimModel* m) {
    SimEfuse& e = m->fw.efuse;
    for (SimEfuseElement& el : e.elements)
        el = {.written = false, .data = {}, .slots = SIM_EFUSE_DEFAULT_SLOTS};
    SimEfuseElement& chip = e.elements[SIM_EFUSE_CHIPID - 1];
    chip = {.written = true, .data = sim_default_chip_id, .slots = SIM_EFUSE_CHIPID_SLOTS};
    e.user.fill(0);
    e.antifuse.fill(0);
}

bool check_ok(const SimRequest& rq, unsigned check_off) {
    return rq.msg[check_off] == static_cast<uint8_t>(~rq.msg[EFUSE_TYPE_OFF]);
}

// ---- requests ----

// The answer holds exactly the bytes of what was asked: the element's
// size, or the user area's bits rounded up to bytes, refused or not (as
// zeros then). A type it does not know has no size: the answer ends after
// the slot count.
void fw_efuse_read(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint16_t type = hi_rd16(rq.msg.data() + EFUSE_TYPE_OFF);
    uint32_t status = 0;
    std::array<uint8_t, SIM_EFUSE_USER_BYTES> data{};
    uint8_t slots = 0;
    const unsigned bits = hi_rd16(rq.msg.data() + EFUSE_LENGTH_BITS_OFF);
    const unsigned n =
        type == SIM_EFUSE_USER_AREA ? std::min((bits + 7) / 8, SIM_EFUSE_USER_BYTES) : sim_efuse_size(type);
    if (!check_ok(rq, EFUSE_READ_CHECK_OFF)) {
        status = SIM_EFUSE_CS_ERR;
    } else if (type == SIM_EFUSE_USER_AREA) {
        const unsigned start = hi_rd16(rq.msg.data() + EFUSE_START_BIT_OFF);
        if (bits == 0 || start + bits > SIM_EFUSE_USER_BITS) {
            status = SIM_EFUSE_INVALID_PARAMS;
        } else {
            const auto& user = m->fw.efuse.user;
            for (unsigned i = 0; i < bits; ++i) {
                const unsigned b = start + i;
                if (user[b / 8] >> (b % 8) & 1)
                    data[i / 8] |= static_cast<uint8_t>(1u << (i % 8));
            }
        }
    } else if (!is_element(type)) {
        status = SIM_EFUSE_INVALID_PARAMS;
    } else {
        const SimEfuseElement& el = m->fw.efuse.elements[type - 1];
        slots = el.slots;
        status = el.written ? 0 : SIM_EFUSE_NODATA;
        if (el.written)
            std::copy_n(el.data.begin(), n, data.begin());
    }
    std::vector<uint8_t> c = sim_cnf(rq.id, EFUSE_CNF_DATA_OFF + n, status);
    c[EFUSE_CNF_SLOTS_OFF] = slots;
    std::copy_n(data.begin(), n, c.begin() + EFUSE_CNF_DATA_OFF);
    ans->msgs.push_back(std::move(c));
}

// A written element takes another write only when forced, and any write
// takes a free slot; the chip id and the user area are not the tool's to
// write.
void fw_efuse_write(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint16_t type = hi_rd16(rq.msg.data() + EFUSE_TYPE_OFF);
    const unsigned n = sim_efuse_size(type);
    std::vector<uint8_t> c;
    if (!check_ok(rq, EFUSE_WRITE_CHECK_OFF)) {
        c = sim_cnf(rq.id, EFUSE_CNF_DATA_OFF + n, SIM_EFUSE_CS_ERR);
    } else if (type == SIM_EFUSE_CHIPID || type == SIM_EFUSE_USER_AREA) {
        c = sim_cnf(rq.id, EFUSE_CNF_DATA_OFF + n, SIM_EFUSE_NOTSUPPORT);
    } else if (!is_element(type)) {
        c = sim_cnf(rq.id, EFUSE_CNF_DATA_OFF, SIM_EFUSE_INVALID_PARAMS);
    } else {
        SimEfuseElement& el = m->fw.efuse.elements[type - 1];
        const bool force = rq.msg[EFUSE_WRITE_FORCE_OFF] != 0;
        if (el.written && !force) {
            // The element's bytes, zeros after a shorter one's.
            c = sim_cnf(rq.id,
                        std::max(EFUSE_CNF_DATA_OFF + n, EFUSE_CNF_STORED_OFF + EFUSE_WRITE_DATA_BYTES),
                        SIM_EFUSE_HAVEWRITE);
            std::copy_n(el.data.begin(), EFUSE_WRITE_DATA_BYTES, c.begin() + EFUSE_CNF_STORED_OFF);
        } else if (el.slots == 0) {
            c = sim_cnf(rq.id, EFUSE_CNF_DATA_OFF + n, SIM_EFUSE_RW_ERR);
        } else {
            el.data.fill(0);
            std::copy_n(rq.msg.begin() + EFUSE_WRITE_DATA_OFF, n, el.data.begin());
            el.written = true;
            el.slots--;
            c = sim_cnf(rq.id, EFUSE_CNF_DATA_OFF + n, 0);
        }
    }
    ans->msgs.push_back(std::move(c));
}

void fw_antifuse_read(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    std::vector<uint8_t> c = sim_cnf(rq.id, ANTIFUSE_CNF_SIZE, 0);
    for (unsigned i = 0; i < SIM_ANTIFUSE_WORDS; ++i)
        hi_wr32(c.data() + ANTIFUSE_CNF_WORDS_OFF + 4 * i, m->fw.efuse.antifuse[i]);
    ans->msgs.push_back(std::move(c));
}

constexpr SimHandlerEntry kRequests[] = {
    {SIM_EFUSE_READ_REQ_ID, EFUSE_READ_REQ_SIZE, fw_efuse_read, SIM_NUMBERED},
    {SIM_EFUSE_WRITE_REQ_ID, EFUSE_WRITE_REQ_MIN, fw_efuse_write, SIM_NUMBERED},
    {SIM_ANTIFUSE_READ_REQ_ID, 8, fw_antifuse_read, SIM_NUMBERED},
};

// ---- control keys ----

SimEfuse& efuse(SimCtl& c) {
    return c.s->model.fw.efuse;
}

// TYPE at word 2: an element type, the user area's excluded.
bool element_type(SimCtl& c, uint32_t* type) {
    if (!ctl_num(c, c.tok[2], SIM_EFUSE_TYPES, type))
        return false;
    if (!is_element(*type))
        return ctl_fail(c, "bad element type '%.*s'", SIM_SV(c.tok[2]));
    return true;
}

// TYPE HEX (exactly the element's size) writes it, TYPE none erases it;
// the slots stay as they are.
bool set_element(SimCtl& c) {
    uint32_t type;
    std::vector<uint8_t> bytes;
    if (!ctl_want_args(c, 4, 4) || !element_type(c, &type))
        return false;
    SimEfuseElement& el = efuse(c).elements[type - 1];
    if (c.tok[3] == "none") {
        el.written = false;
        el.data.fill(0);
        return true;
    }
    if (!sim_parse_hex(c.tok[3], &bytes) || bytes.size() != sim_efuse_size(type))
        return ctl_fail(c, "element %u takes %u bytes of hex", type, sim_efuse_size(type));
    el.data.fill(0);
    std::copy(bytes.begin(), bytes.end(), el.data.begin());
    el.written = true;
    return true;
}

std::string element_text(const SimEfuseElement& el, uint32_t type) {
    return el.written ? sim_hex(el.data.data(), sim_efuse_size(type)) : "none";
}

bool get_element(SimCtl& c) {
    uint32_t type;
    if (!ctl_want_args(c, 3, 3) || !element_type(c, &type))
        return false;
    c.out->push_back(element_text(efuse(c).elements[type - 1], type));
    return true;
}

void element_lines(const Sim& s, std::vector<std::string>* out) {
    for (uint32_t type = 1; type <= SIM_EFUSE_TYPES; ++type)
        if (is_element(type))
            out->push_back(sim_fmt("efuse.%u=", type) +
                           element_text(s.model.fw.efuse.elements[type - 1], type));
}

bool set_slots(SimCtl& c) {
    uint32_t type, slots;
    if (!ctl_want_args(c, 4, 4) || !element_type(c, &type) || !ctl_num(c, c.tok[3], 0xFF, &slots))
        return false;
    efuse(c).elements[type - 1].slots = static_cast<uint8_t>(slots);
    return true;
}

// By type 1 to 6; the user area's is always 0.
void slot_lines(const Sim& s, std::vector<std::string>* out) {
    std::string line = "efuse_slots=";
    for (uint32_t type = 1; type <= SIM_EFUSE_TYPES; ++type)
        line += (type > 1 ? " " : "") +
                sim_fmt("%u", is_element(type) ? s.model.fw.efuse.elements[type - 1].slots : 0);
    out->push_back(line);
}

bool set_user(SimCtl& c) {
    uint32_t off;
    std::vector<uint8_t> bytes;
    if (!ctl_want_args(c, 4, 4) || !ctl_num(c, c.tok[2], SIM_EFUSE_USER_BYTES - 1, &off))
        return false;
    if (!sim_parse_hex(c.tok[3], &bytes) || bytes.size() > SIM_EFUSE_USER_BYTES - off)
        return ctl_fail(c, "bad user area bytes '%.*s'", SIM_SV(c.tok[3].substr(0, 32)));
    std::copy(bytes.begin(), bytes.end(), efuse(c).user.begin() + off);
    return true;
}

// All bytes from OFF (default 0), or LEN of them.
bool get_user(SimCtl& c) {
    uint32_t off, len;
    if (!ctl_want_args(c, 2, 4) || !ctl_opt_num(c, 2, SIM_EFUSE_USER_BYTES - 1, 0, &off) ||
        !ctl_opt_num(c, 3, SIM_EFUSE_USER_BYTES - off, SIM_EFUSE_USER_BYTES - off, &len))
        return false;
    c.out->push_back(sim_hex(efuse(c).user.data() + off, len));
    return true;
}

bool set_antifuse(SimCtl& c) {
    uint32_t index, value;
    if (!ctl_want_args(c, 4, 4) || !ctl_num(c, c.tok[2], SIM_ANTIFUSE_WORDS - 1, &index) ||
        !ctl_num(c, c.tok[3], 0xFFFFFFFF, &value))
        return false;
    efuse(c).antifuse[index] = value;
    return true;
}

void antifuse_lines(const Sim& s, std::vector<std::string>* out) {
    out->push_back(ctl_word_list("antifuse", s.model.fw.efuse.antifuse, "0x%08x"));
}

constexpr SimKey kKeys[] = {
    {.name = "efuse",
     .set_words = set_element,
     .set_usage = "TYPE HEX|none",
     .get_words = get_element,
     .get_usage = "TYPE",
     .state_lines = element_lines},
    {.name = "efuse_slots", .set_words = set_slots, .set_usage = "TYPE N", .state_lines = slot_lines},
    {.name = "efuse_user",
     .set_words = set_user,
     .set_usage = "OFF HEX",
     .get_words = get_user,
     .get_usage = "[OFF [LEN]]"},
    {.name = "antifuse",
     .set_words = set_antifuse,
     .set_usage = "INDEX VALUE",
     .state_lines = antifuse_lines},
};

}  // namespace

constexpr SimPart sim_efuse_part = {"efuse", efuse_reset, kRequests, kKeys};
