// The receive statistics of "rx_stop": the raw words of the last frame's
// information, turned into the RX mode, its PHY flags and the CFO, SNR,
// RSSI, EVM and RCPI that are printed with the frame counters. Each run is
// a process of its own, so the state starts at zero in every run.
#pragma once

#include <cstdint>

struct RqmApiContext;

// The chip word whose bit 0 selects the OFDM CFO divisor (set: 4, clear: 2).
inline constexpr uint32_t RX_CTRL_ADDR = 0x8ABB8004;
inline constexpr uint32_t RX_CTRL_CFO_DIV4 = 1u << 0;

// Result of the frame-status step's last call (0: it succeeded).
extern int m_status;
extern uint32_t m_rx_start_status_0;
extern uint32_t m_rx_end_status_0;
extern uint32_t m_rx_end_status_1;
extern uint32_t m_rx_frame_length;
extern uint32_t m_rx_buf_addr;
extern uint32_t m_rx_rictrl_val;
extern uint32_t m_rx_mode;
// Start status 0 of the last measured frame, whose flags are printed.
extern uint32_t m_rx_sStatus0;
// The raw values of the last measured frame until calculate_levels, the
// printed measurements after it.
extern double m_rx_CFO;
extern double m_rx_SNR;
extern double m_rx_RSSI;
extern double m_rx_EVM;
extern double m_rx_RCPI;

// The names of RX modes 0 to 7; nullptr where a mode has none.
inline constexpr int RX_MODE_COUNT = 8;
extern const char* const RxModeName[RX_MODE_COUNT];

// Fetches the last frame and the RX control word and measures the frame:
// 1 when it did, else 0 (the measurements are left as they were).
int process_rx_status(RqmApiContext* pRqmApiContext);
// Turns the raw values of the state into the printed ones, in place;
// nothing while m_status holds a failure.
void calculate_levels();
// The received data; nothing of them is shown.
void formatPrint(const uint8_t* pData, uint32_t Length);
void PrintRxStatusMeasurements(uint32_t Total, uint32_t Errors, uint32_t CrcErrors);
