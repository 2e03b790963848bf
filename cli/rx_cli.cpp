// The receive commands: "rx" starts the receiver with the PHY statistics
// captured, and leaves it running when the run ends; "rx_stop", in a later
// run, stops it and prints the frame counters and what the last frame
// measured.
#include "cli/rx_cli.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "common/hi_bytes.h"
#include "main.h"

int m_status = 0;
uint32_t m_rx_start_status_0 = 0;
uint32_t m_rx_end_status_0 = 0;
uint32_t m_rx_end_status_1 = 0;
uint32_t m_rx_frame_length = 0;
uint32_t m_rx_buf_addr = 0;
uint32_t m_rx_rictrl_val = 0;
uint32_t m_rx_mode = 0;
uint32_t m_rx_sStatus0 = 0;
double m_rx_CFO = 0;
double m_rx_SNR = 0;
double m_rx_RSSI = 0;
double m_rx_EVM = 0;
double m_rx_RCPI = 0;

const char* const RxModeName[RX_MODE_COUNT] = {
    "DSSS_SHORT_PREAMBLE",   "DSSS_LONG_PREAMBLE",   "OFDM_PREAMBLE", nullptr,
    "OFDM_N_SHORT_PREAMBLE", "OFDM_N_LONG_PREAMBLE", nullptr,         nullptr,
};

namespace {

// The PHY statistics the receiver captures for the frame-status step.
constexpr uint32_t RX_CAPTURE_PHY_STATS = 2;
constexpr uint32_t RX_DATA_TYPE = 2;

// The OFDM SNR's correction: 10 log10(32) - 15, less 10 log10(64/48) for
// legacy OFDM or 10 log10(64/52) for the other OFDM modes.
constexpr double SNR_SCALE_DB = 0.0514997831990609;
constexpr double SNR_LEGACY_DB = 1.2493873660829993;
constexpr double SNR_HT_DB = 0.9017663034908803;

// A flag line of an OFDM frame: its label, and what a set and a clear
// bit of start status 0 print.
struct RxFlagRow {
    uint32_t Bit;
    const char* pchLabel;
    const char* pchSet;
    const char* pchClear;
};

constexpr RxFlagRow kFlagRows[] = {
    {RX_SS0_SMOOTHING, "\nSmoothing:\t", "YES!", "NO!"},
    {RX_SS0_NOT_SOUNDING, "Sounding PPDU:\t", "NO!", "YES!"},
    {RX_SS0_AMPDU, "A-MPDU:\t\t", "YES!", "NO!"},
    {RX_SS0_LDPC, "Coding:\t\t", "LDPC", "Convolutional"},
    {RX_SS0_SHORT_GI, "Short GI:\t", "400ns", "800ns"},
    {RX_SS0_BW_40, "Bandwidth:\t", "40M", "20M"},
    {RX_SS0_UPPER, "Subchannel:\t", "UpperChannel", "LowerChannel"},
};

}  // namespace

int proc_rx(int, char**) {
    RqmApiContext* ctx = cli_api();
    if (RQM_Configure_RxCapturePhyStats(ctx, RX_CAPTURE_PHY_STATS) != RQM_SUCCESS)
        return -1;
    return RQM_ReceivePackets(ctx, RX_CMD_START, nullptr, nullptr, nullptr) == RQM_SUCCESS ? 0 : -1;
}

int proc_rx_stop(int, char**) {
    RqmApiContext* ctx = cli_api();
    uint32_t total = 0, errors = 0, crcErrors = 0;
    const int result = RQM_ReceivePackets(ctx, RX_CMD_STOP, &total, &errors, &crcErrors);
    if (result != RQM_SUCCESS || total == 0) {
        puts("No frame Rxed!");
        return result;
    }
    RxDataHead head{};
    std::array<uint8_t, RX_DATA_BUFFER_SIZE> data;
    uint32_t length = 0;
    if (RQM_GetRx(ctx, RX_DATA_TYPE, &head, data.data(), &length) != RQM_SUCCESS)
        return -1;
    if (length == 0)
        return 0;
    process_rx_status(ctx);
    formatPrint(data.data(), length);
    PrintRxStatusMeasurements(total, errors, crcErrors);
    return 0;
}

int process_rx_status(RqmApiContext* ctx) {
    RxFrameInfo info{};
    RxFrameTrailer trailer{};
    m_status = RQM_GetRxFrame_Extended(ctx, &info, nullptr, &trailer);
    if (m_status != RQM_SUCCESS)
        return 0;
    m_rx_start_status_0 = info.StartStatus0;
    m_rx_end_status_0 = info.EndStatus0;
    m_rx_end_status_1 = info.EndStatus1;
    m_rx_frame_length = info.FrameLength;
    m_rx_buf_addr = info.BufferAddress;
    // Chip memory is little-endian; bytes that do not arrive read 0.
    uint8_t ctrl[4] = {};
    m_status = RQM_ReadMemory(ctx, RX_CTRL_ADDR, ctrl, sizeof ctrl);
    if (m_status == RQM_SUCCESS)
        m_rx_rictrl_val = hi_rd32(ctrl);
    m_rx_mode = rx_mode(m_rx_start_status_0);
    if (m_status != RQM_SUCCESS || m_rx_frame_length == 0 || m_rx_buf_addr == 0)
        return 0;
    // RSSI and RCPI as the API keeps them for the frame just fetched; none
    // before a frame of this reception.
    float rssiRcpi[2] = {};
    if (RQM_GetLastRxMeasurements(ctx, rssiRcpi) != RQM_SUCCESS)
        return 0;
    m_rx_sStatus0 = m_rx_start_status_0;
    m_rx_CFO = m_rx_end_status_0 & 0xFFFF;
    m_rx_SNR = rx_raw_snr(m_rx_end_status_0);
    m_rx_RSSI = rssiRcpi[0];
    m_rx_RCPI = rssiRcpi[1];
    m_rx_EVM = rx_raw_evm(m_rx_end_status_1);
    calculate_levels();
    return 1;
}

void calculate_levels() {
    if (m_status != RQM_SUCCESS)
        return;
    // The raw CFO is the low half of end status 0 in two's complement.
    const double c = static_cast<int16_t>(static_cast<uint16_t>(static_cast<int32_t>(m_rx_CFO)));
    if (rx_mode_is_dsss(m_rx_mode)) {
        m_rx_CFO = ((c * std::pow(2.0, -15)) * 11000000) / 2;
        m_rx_CFO = m_rx_CFO * 0.001;
        // A DSSS frame's SNR is in quarters of the unit.
        m_rx_SNR = rx_raw_dsss_snr(m_rx_end_status_0) * 0.25;
        m_rx_EVM = 0;
        return;
    }
    const double d = (m_rx_rictrl_val & RX_CTRL_CFO_DIV4) != 0 ? 4 : 2;
    m_rx_CFO = ((c * std::pow(2.0, -15)) * 20000000) / d;
    m_rx_CFO = m_rx_CFO * 0.001;
    m_rx_EVM = 10 * std::log10(m_rx_EVM * std::pow(2.0, -15));
    const double k = m_rx_mode == RX_MODE_OFDM ? SNR_LEGACY_DB : SNR_HT_DB;
    m_rx_SNR = -((10 * std::log10(m_rx_SNR * std::pow(2.0, -16))) + (SNR_SCALE_DB - k));
}

void formatPrint(const uint8_t*, uint32_t) {}

void PrintRxStatusMeasurements(uint32_t Total, uint32_t Errors, uint32_t CrcErrors) {
    printf("\nRx mode is:\t");
    const char* name = m_rx_mode < RX_MODE_COUNT ? RxModeName[m_rx_mode] : nullptr;
    puts(name != nullptr ? name : "ERROR VALUE!");
    if (!rx_mode_is_dsss(m_rx_mode)) {
        for (const RxFlagRow& row : kFlagRows) {
            printf("%s", row.pchLabel);
            puts((m_rx_sStatus0 & row.Bit) != 0 ? row.pchSet : row.pchClear);
        }
    }
    printf("\nCFO:\t\t%f\n", m_rx_CFO);
    printf("SNR:\t\t%f\n", m_rx_SNR);
    printf("RSSI:\t\t%f\n", m_rx_RSSI);
    printf("EVM:\t\t%f\n", m_rx_EVM);
    printf("RCPI:\t\t%f\n", m_rx_RCPI);
    // The counters are shown as the 16-bit ones the firmware once had.
    printf("\nTotal:\t\t%u\n", Total & 0xFFFF);
    printf("AbortError:\t%u\n", ((Errors & 0xFFFF) - (CrcErrors & 0xFFFF)) & 0xFFFF);
    printf("CRCError:\t%u\n\n", CrcErrors & 0xFFFF);
}
