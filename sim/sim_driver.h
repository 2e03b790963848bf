// The driver half of the stand-in: whether a tool is connected, what the
// driver keeps for the tool, and the requests it answers without the
// firmware.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/sim_boot.h"
#include "sim/sim_msg.h"

struct SimModel;
struct SimRequest;
struct SimAnswer;
struct SimPart;

inline constexpr uint32_t SIM_DEFAULT_DRIVER_VERSION = 0x02000100;
inline constexpr uint32_t SIM_DEFAULT_MIN_TOOL_VERSION = 0x02000000;
inline constexpr char SIM_DEFAULT_SDD_PATH[] = "/lib/firmware/rqm/rqm_sdd.sdd";

// One kind of download (image or SDD): the chunks of the one in progress
// and the last one that completed.
struct SimDownload {
    bool active;                // a chunk started one and its last has not come
    bool broken;                // a chunk did not join up; the end reports it
    bool name;                  // its chunks carry a file name
    std::vector<uint8_t> part;  // the bytes so far
    bool have_done;
    bool done_name;
    std::vector<uint8_t> done;  // the last completed one
};

struct SimDriver {
    bool connected;
    bool wifi_on;   // the chip's ordinary Wi-Fi mode holds it: connects are refused
    bool boot_ind;  // a connect reports the boot loader before the startup
    std::array<std::map<uint32_t, uint32_t>, SIM_REG_SPACES> reg_spaces;  // HIF, AHB, APB; sparse
    SimDownload fw_download;
    SimDownload sdd_download;
    std::array<uint8_t, SIM_RECORD_SIZE> record;  // tool-state record, opaque to the driver
    // The values the earlier tool keeps one by one, by id; a store of their
    // own, apart from the record.
    std::array<uint32_t, CLI_PARAM_IDS> params;
    std::string sdd_path;
    // What the driver was started with, kept by a reset: the SDD path
    // (empty: the default path, where no file is looked for), and whether
    // the file there is the stand-in's own, written afresh with its SDD at
    // every reset; another file becomes the SDD in use as it stands.
    std::string start_sdd_path;
    bool start_sdd_own = false;
    // The length word of the path answer when a test makes it lie; the
    // answer still carries the path itself.
    bool sdd_path_len_forced;
    uint32_t sdd_path_len;
    std::vector<uint8_t> sdd;  // the SDD in use
    // The SDD in use follows the file at sdd_path at every element query,
    // as a driver that reads the file each time would.
    bool sdd_live;
    // The last SDD that came whole in message 54: everything after its
    // header (data, trailer, the three bytes after it).
    bool have_sdd54;
    std::vector<uint8_t> sdd54;
    uint32_t version;           // the driver's own version word
    uint32_t min_tool_version;  // connect requests below it are refused
    // The data length the fetch answer claims. The answer carries the whole
    // record whatever it says, so a test can make it lie either way.
    uint32_t cli_len;
};

// Back to the driver as it starts: no tool connected, nothing kept for
// one, and the SDD of its start in use (sim_boot.h).
void drv_reset(SimDriver* d);

std::vector<uint8_t> drv_boot_ind(uint32_t state, uint32_t res);

// The driver's part (sim_driver_rows.cpp): the requests it answers itself,
// and its keys.
extern const SimPart sim_driver_part;

// Request handlers, rows of the driver's part.
void drv_api_context(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void drv_connect(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void drv_disconnect(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void drv_reconnect(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void drv_reboot(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void drv_cli_fetch(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void drv_cli_push(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void drv_read_reg_type(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void drv_write_reg_type(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void drv_download(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void drv_sdd_path(SimModel* m, const SimRequest& rq, SimAnswer* ans);
void drv_sdd_element(SimModel* m, const SimRequest& rq, SimAnswer* ans);

// The regular file at the driver's SDD path, up to SIM_SDD_FILE_MAX bytes
// (sim_read_file).
inline constexpr size_t SIM_SDD_FILE_MAX = 65536;
RqmFileStatus drv_read_sdd_file(const SimDriver& d, std::vector<uint8_t>* bytes);

// The first element with the id, whole inside the SDD: the offset of its
// data and its length.
bool drv_find_sdd_element(const std::vector<uint8_t>& sdd, uint8_t id, size_t* data_off, uint8_t* len);

// The register space of a bus type (1 HIF, 2 AHB, 3 APB), or nullptr.
std::map<uint32_t, uint32_t>* drv_reg_space(SimDriver* d, uint32_t type);
// HIF registers go by number, so any address names one; AHB and APB
// registers are words at 4-aligned addresses.
bool drv_reg_address_ok(uint32_t type, uint32_t addr);
