// The driver's rows: the requests it answers itself, and its `set`/`get`
// keys (its state, the SDD it holds, the record it keeps for the tool, its
// register spaces and the downloads it took).
#include <cstring>

#include "sim/sim_control.h"
#include "sim/sim_core.h"
#include "sim/sim_model.h"
#include "sim/sim_util.h"

namespace {

// The header-only messages the tool's target sends itself bypass its send
// window and carry no number; the driver answers them with BOOT indications.
constexpr SimHandlerEntry kRequests[] = {
    // Each of the two takes a shorter form too, told apart by the handler.
    {SIM_CLI_FETCH_REQ_ID, CLI_PARAM_FETCH_REQ_SIZE, drv_cli_fetch, SIM_NUMBERED},
    {SIM_CLI_PUSH_REQ_ID, CLI_PARAM_PUSH_REQ_SIZE, drv_cli_push, SIM_NUMBERED},
    {SIM_READ_REG_TYPE_REQ_ID, READ_REG_TYPE_REQ_SIZE, drv_read_reg_type, SIM_NUMBERED},
    {SIM_WRITE_REG_TYPE_REQ_ID, WRITE_REG_TYPE_REQ_SIZE, drv_write_reg_type, SIM_NUMBERED},
    {SIM_API_CONTEXT_REQ_ID, 8, drv_api_context, SIM_NUMBERED},
    {SIM_SDD_PATH_REQ_ID, SDD_PATH_REQ_SIZE, drv_sdd_path, SIM_NUMBERED},
    {SIM_SDD_ELEMENT_REQ_ID, SDD_ELEMENT_REQ_SIZE, drv_sdd_element, SIM_NUMBERED},
    {SIM_CONNECT_REQ_ID, CONNECT_REQ_OLD_SIZE, drv_connect, SIM_NUMBERED},
    {HI_DISCONNECT_REQ_ID, HI_MSG_HEADER_SIZE, drv_disconnect, SIM_UNNUMBERED},
    {HI_RECONNECT_REQ_ID, HI_MSG_HEADER_SIZE, drv_reconnect, SIM_UNNUMBERED},
    {HI_SDD_DOWNLOAD_REQ_ID, DOWNLOAD_HEAD, drv_download, SIM_UNNUMBERED},
    {HI_FW_DOWNLOAD_REQ_ID, DOWNLOAD_HEAD, drv_download, SIM_UNNUMBERED},
    {HI_REBOOT_REQ_ID, HI_MSG_HEADER_SIZE, drv_reboot, SIM_UNNUMBERED},
};

void driver_reset(SimModel* m) {
    drv_reset(&m->drv);
}

// ---- control keys ----

SimDriver& driver(SimCtl& c) {
    return c.s->model.drv;
}

bool set_sdd_path(SimCtl& c) {
    return ctl_set_text(c, &driver(c).sdd_path, SIM_SDD_PATH_MAX);
}

void sdd_path_lines(const Sim& s, std::vector<std::string>* out) {
    out->push_back("sddpath=" + s.model.drv.sdd_path);
}

// `auto` lets the length word tell the truth again.
bool set_sdd_path_len(SimCtl& c) {
    if (!ctl_want_args(c, 3, 3))
        return false;
    SimDriver& d = driver(c);
    if (c.tok[2] == "auto") {
        d.sdd_path_len_forced = false;
        return true;
    }
    uint32_t v;
    if (!ctl_num(c, c.tok[2], 0xFFFFFFFF, &v))
        return false;
    d.sdd_path_len_forced = true;
    d.sdd_path_len = v;
    return true;
}

void sdd_path_len_lines(const Sim& s, std::vector<std::string>* out) {
    const SimDriver& d = s.model.drv;
    out->push_back(d.sdd_path_len_forced ? "sddpath_len=" + sim_fmt("%u", d.sdd_path_len)
                                         : std::string("sddpath_len=auto"));
}

// Without bytes the driver has no SDD in use.
bool set_sdd(SimCtl& c) {
    std::vector<uint8_t> bytes;
    if (!ctl_want_args(c, 2, 3))
        return false;
    if (c.tok.size() == 3 && !sim_parse_hex(c.tok[2], &bytes))
        return ctl_fail(c, "bad hex");
    driver(c).sdd = std::move(bytes);
    return true;
}

bool get_sdd(SimCtl& c) {
    if (!ctl_want_args(c, 2, 2))
        return false;
    const std::vector<uint8_t>& sdd = driver(c).sdd;
    c.out->push_back(sdd.empty() ? std::string("none") : sim_hex(sdd));
    return true;
}

bool set_record(SimCtl& c) {
    std::vector<uint8_t> bytes;
    if (!ctl_want_args(c, 3, 3))
        return false;
    if (!sim_parse_hex(c.tok[2], &bytes) || bytes.size() != SIM_RECORD_SIZE)
        return ctl_fail(c, "record must be %u bytes of hex", SIM_RECORD_SIZE);
    memcpy(driver(c).record.data(), bytes.data(), SIM_RECORD_SIZE);
    return true;
}

void record_lines(const Sim& s, std::vector<std::string>* out) {
    out->push_back("record=" + sim_hex(s.model.drv.record.data(), s.model.drv.record.size()));
}

// The values kept one by one, by the names of their ids.
constexpr const char* kParamNames[CLI_PARAM_IDS] = {"rate_index", "forced", "unused",    "channel",
                                                    "mode",       "rate",   "bandwidth", "subchannel"};

bool set_param(SimCtl& c) {
    return ctl_set_field(c, kParamNames, driver(c).params.data());
}

void param_lines(const Sim& s, std::vector<std::string>* out) {
    ctl_field_lines("param", kParamNames, s.model.drv.params.data(), out);
}

// One word of the record, as the tool reads it: 16 bits, little-endian.
bool word_index(SimCtl& c, uint32_t* word) {
    return ctl_num(c, c.tok[2], SIM_RECORD_SIZE / 2 - 1, word);
}

bool set_record_word(SimCtl& c) {
    uint32_t word, value;
    if (!ctl_want_args(c, 4, 4) || !word_index(c, &word) || !ctl_num(c, c.tok[3], 0xFFFF, &value))
        return false;
    hi_wr16(driver(c).record.data() + 2 * word, static_cast<uint16_t>(value));
    return true;
}

bool get_record_word(SimCtl& c) {
    uint32_t word;
    if (!ctl_want_args(c, 3, 3) || !word_index(c, &word))
        return false;
    c.out->push_back(sim_fmt("%u", hi_rd16(driver(c).record.data() + 2 * word)));
    return true;
}

// Where the whole elements of an SDD end: a tail that runs past the end
// is left behind them.
size_t sdd_whole_end(const std::vector<uint8_t>& sdd) {
    size_t off = 0;
    while (off + 2 <= sdd.size() && off + 2 + sdd[off + 1] <= sdd.size())
        off += 2 + sdd[off + 1];
    return off;
}

// One element of the SDD in use: its data take the place of the first
// element with the id, or follow the last whole element, so a test gives
// it any length, short ones included; `none` takes it out.
bool set_sdd_element(SimCtl& c) {
    uint32_t id;
    std::vector<uint8_t> data;
    if (!ctl_want_args(c, 4, 4) || !ctl_num(c, c.tok[2], 0xFF, &id))
        return false;
    const bool remove = c.tok[3] == "none";
    if (!remove && (!sim_parse_hex(c.tok[3], &data) || data.size() > 0xFF))
        return ctl_fail(c, "element data must be up to 255 bytes of hex, or none");
    std::vector<uint8_t>& sdd = driver(c).sdd;
    size_t off = 0;
    uint8_t len = 0;
    size_t at = sdd_whole_end(sdd);
    if (drv_find_sdd_element(sdd, static_cast<uint8_t>(id), &off, &len)) {
        at = off - 2;
        sdd.erase(sdd.begin() + static_cast<std::ptrdiff_t>(at),
                  sdd.begin() + static_cast<std::ptrdiff_t>(off + len));
    }
    if (remove)
        return true;
    data.insert(data.begin(), {static_cast<uint8_t>(id), static_cast<uint8_t>(data.size())});
    sdd.insert(sdd.begin() + static_cast<std::ptrdiff_t>(at), data.begin(), data.end());
    return true;
}

bool get_sdd_element(SimCtl& c) {
    uint32_t id;
    if (!ctl_want_args(c, 3, 3) || !ctl_num(c, c.tok[2], 0xFF, &id))
        return false;
    const std::vector<uint8_t>& sdd = driver(c).sdd;
    size_t off = 0;
    uint8_t len = 0;
    c.out->push_back(drv_find_sdd_element(sdd, static_cast<uint8_t>(id), &off, &len)
                         ? sim_hex(sdd.data() + off, len)
                         : std::string("none"));
    return true;
}

// The bus spaces of requests 1014 and 1015, by the type the key stands for;
// a HIF register by its number.
template <uint32_t type>
bool set_space(SimCtl& c) {
    return ctl_set_word(c, drv_reg_space(&driver(c), type), type == SIM_REG_TYPE_HIF);
}

template <uint32_t type>
bool get_space(SimCtl& c) {
    return ctl_get_word(c, *drv_reg_space(&driver(c), type), type == SIM_REG_TYPE_HIF);
}

bool get_download(SimCtl& c) {
    if (!ctl_want_args(c, 3, 3))
        return false;
    const SimDriver& drv = driver(c);
    if (c.tok[2] == "sdd54") {
        c.out->push_back(drv.have_sdd54 ? "bytes " + sim_hex(drv.sdd54) : std::string("none"));
        return true;
    }
    if (c.tok[2] != "fw" && c.tok[2] != "sdd")
        return ctl_fail(c, "unknown download '%.*s'", SIM_SV(c.tok[2]));
    const SimDownload& d = c.tok[2] == "fw" ? drv.fw_download : drv.sdd_download;
    if (!d.have_done)
        c.out->push_back("none");
    else if (d.done_name)
        c.out->push_back("name " +
                         std::string(reinterpret_cast<const char*>(d.done.data()),
                                     strnlen(reinterpret_cast<const char*>(d.done.data()), d.done.size())));
    else
        c.out->push_back("bytes " + sim_hex(d.done));
    return true;
}

constexpr SimKey kKeys[] = {
    {.name = "connected",
     .format = "%u",
     .max = 1,
     .get = [](const Sim& s) -> uint32_t { return s.model.drv.connected; },
     .set = [](Sim* s, uint32_t v) { s->model.drv.connected = v != 0; }},
    {.name = "version",
     .format = "0x%08x",
     .get = [](const Sim& s) -> uint32_t { return s.model.drv.version; },
     .set = [](Sim* s, uint32_t v) { s->model.drv.version = v; }},
    {.name = "minversion",
     .format = "0x%08x",
     .get = [](const Sim& s) -> uint32_t { return s.model.drv.min_tool_version; },
     .set = [](Sim* s, uint32_t v) { s->model.drv.min_tool_version = v; }},
    {.name = "cli_len",
     .format = "%u",
     .get = [](const Sim& s) -> uint32_t { return s.model.drv.cli_len; },
     .set = [](Sim* s, uint32_t v) { s->model.drv.cli_len = v; }},
    {.name = "wifi",
     .format = "%u",
     .max = 1,
     .get = [](const Sim& s) -> uint32_t { return s.model.drv.wifi_on; },
     .set = [](Sim* s, uint32_t v) { s->model.drv.wifi_on = v != 0; }},
    {.name = "bootind",
     .format = "%u",
     .max = 1,
     .get = [](const Sim& s) -> uint32_t { return s.model.drv.boot_ind; },
     .set = [](Sim* s, uint32_t v) { s->model.drv.boot_ind = v != 0; }},
    {.name = "sddlive",
     .format = "%u",
     .max = 1,
     .get = [](const Sim& s) -> uint32_t { return s.model.drv.sdd_live; },
     .set = [](Sim* s, uint32_t v) { s->model.drv.sdd_live = v != 0; }},
    {.name = "sddpath", .set_words = set_sdd_path, .set_usage = "TEXT", .state_lines = sdd_path_lines},
    {.name = "sddpath_len",
     .set_words = set_sdd_path_len,
     .set_usage = "N|auto",
     .state_lines = sdd_path_len_lines},
    {.name = "sdd", .set_words = set_sdd, .set_usage = "[HEX]", .get_words = get_sdd, .get_usage = ""},
    {.name = "record", .set_words = set_record, .set_usage = "HEX", .state_lines = record_lines},
    {.name = "param", .set_words = set_param, .set_usage = "FIELD VALUE", .state_lines = param_lines},
    {.name = "recword",
     .set_words = set_record_word,
     .set_usage = "WORD VALUE",
     .get_words = get_record_word,
     .get_usage = "WORD"},
    {.name = "sddelem",
     .set_words = set_sdd_element,
     .set_usage = "ID HEX|none",
     .get_words = get_sdd_element,
     .get_usage = "ID"},
    {.name = "hif",
     .set_words = set_space<SIM_REG_TYPE_HIF>,
     .set_usage = "ADDR VALUE",
     .get_words = get_space<SIM_REG_TYPE_HIF>,
     .get_usage = "ADDR"},
    {.name = "ahb",
     .set_words = set_space<SIM_REG_TYPE_AHB>,
     .set_usage = "ADDR VALUE",
     .get_words = get_space<SIM_REG_TYPE_AHB>,
     .get_usage = "ADDR"},
    {.name = "apb",
     .set_words = set_space<SIM_REG_TYPE_APB>,
     .set_usage = "ADDR VALUE",
     .get_words = get_space<SIM_REG_TYPE_APB>,
     .get_usage = "ADDR"},
    {.name = "download", .get_words = get_download, .get_usage = "fw|sdd|sdd54"},
};

}  // namespace

constexpr SimPart sim_driver_part = {"driver", driver_reset, kRequests, kKeys};
