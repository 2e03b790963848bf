// The rate command of rqmcli-hf also writes the transmit mode, the rate's
// code and the 40 MHz sub-channel bits straight into the chip's transmit
// block; its two sister routines start and stop a forced transmission
// there.
#include "api/rqm_api.h"
#include "cli/get_settings.h"
#include "cli/main.h"
#include "hf/hf.h"

namespace {

constexpr uint32_t GN_TX_CONTROL_ADDR = 0x0AB98008;
constexpr uint32_t GN_MODE_RATE_ADDR = 0x0AB98010;
constexpr uint32_t GN_TX_FLAGS_ADDR = 0x0AB98014;
constexpr uint32_t GN_RATE_ADDR = 0x0AB98018;

constexpr uint32_t GN_TX_START = 0x003F1F05;
constexpr uint32_t GN_TX_STOP = 0x003FFA00;
constexpr uint32_t GN_TX_FLAG_SET = 0x42;
constexpr uint32_t GN_TX_FLAG_CLEAR = 0x02;
constexpr uint32_t GN_RATE_BASE = 0x0FFF0000;

constexpr uint8_t GN_FIRST_OFDM_MODE = 2;  // 0 and 1 are 802.11b
constexpr uint32_t GN_40_UPPER = 0x0800;   // sub-channel setting nonzero
constexpr uint32_t GN_40_LOWER = 0x1800;
// The rate codes are the power rows of the first 16 rates.
constexpr uint8_t GN_CODED_RATES = 16;

int write(uint32_t Address, uint32_t Value) {
    return RQM_WriteMemory(cli_api(), Address, Value) == RQM_SUCCESS ? 0 : -1;
}

}  // namespace

int gn_mode_rate_force(uint8_t Mode, uint8_t Rate, uint8_t Bandwidth) {
    if (Mode < GN_FIRST_OFDM_MODE)
        return 0;
    const uint32_t code = Rate < GN_CODED_RATES ? static_cast<uint32_t>(PwrRegNum[Rate]) : 0;
    uint32_t bandwidthBits = 0;
    if (Bandwidth == RQM_CHANNEL_BANDWIDTH_40MHZ)
        bandwidthBits = setting.Tx_subchannel != 0 ? GN_40_UPPER : GN_40_LOWER;
    if (write(GN_MODE_RATE_ADDR, (uint32_t{Mode} << 8) | code | bandwidthBits) != 0)
        return -1;
    return write(GN_RATE_ADDR, GN_RATE_BASE | Rate);
}

int gn_mode_tx_force(int Flag) {
    if (write(GN_TX_FLAGS_ADDR, Flag != 0 ? GN_TX_FLAG_SET : GN_TX_FLAG_CLEAR) != 0)
        return -1;
    return write(GN_TX_CONTROL_ADDR, GN_TX_START);
}

int gn_mode_tx_stop_force() {
    return write(GN_TX_CONTROL_ADDR, GN_TX_STOP);
}
