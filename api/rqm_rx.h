// The receive side of the API: the receive filter, acknowledgement delay,
// NAV, monitor mode and PHY-statistics capture; reception started and
// stopped with its frame counters; the receive status, the received data,
// channel-state information, the statistics and the last captured frame
// with its frame information; and the last frame's RSSI and RCPI.
#pragma once

#include <cstdint>

#include "common/rqm_context.h"

// The last captured frame's information as the firmware lays it out (116
// bytes, little-endian), read field by field into this record.
inline constexpr uint32_t RX_FRAME_INFO_SIZE = 116;
inline constexpr uint32_t RX_FRAME_INFO_UNREAD_SIZE = 88;
struct RxFrameInfo {
    uint32_t Tsf;
    uint16_t FrameLength;
    uint8_t Rate;
    uint8_t Byte7;  // not interpreted
    uint32_t StartStatus0;
    uint32_t EndStatus0;
    uint32_t EndStatus1;
    uint32_t PhyErrorStatus;
    uint32_t BufferAddress;
    uint8_t Unread[RX_FRAME_INFO_UNREAD_SIZE];  // not interpreted
};

// The 56 bytes after the frame data.
inline constexpr uint32_t RX_FRAME_TRAILER_SIZE = 56;
struct RxFrameTrailer {
    uint32_t PacketIdLessOne;
    uint8_t Unread[RX_FRAME_TRAILER_SIZE - 4];
};

inline constexpr uint32_t RX_FRAME_DATA_SIZE = 1024;

// Start status 0.
inline constexpr uint32_t RX_SS0_MODE_MASK = 0x7;
inline constexpr uint32_t RX_SS0_SMOOTHING = 1u << 3;
inline constexpr uint32_t RX_SS0_NOT_SOUNDING = 1u << 4;
inline constexpr uint32_t RX_SS0_AMPDU = 1u << 5;
inline constexpr uint32_t RX_SS0_LDPC = 1u << 8;
inline constexpr uint32_t RX_SS0_SHORT_GI = 1u << 9;
inline constexpr uint32_t RX_SS0_BW_40 = 1u << 12;
inline constexpr uint32_t RX_SS0_UPPER = 1u << 13;
enum RxMode : uint32_t {
    RX_MODE_DSSS_SHORT = 0,
    RX_MODE_DSSS_LONG = 1,
    RX_MODE_OFDM = 2,
    RX_MODE_OFDM_N_SHORT = 4,
    RX_MODE_OFDM_N_LONG = 5,
};
inline constexpr uint32_t rx_mode(uint32_t StartStatus0) {
    return StartStatus0 & RX_SS0_MODE_MASK;
}
inline constexpr bool rx_mode_is_dsss(uint32_t Mode) {
    return Mode <= RX_MODE_DSSS_LONG;
}

// End status 0: the raw CFO (low half, two's complement) and the raw SNR,
// of which a DSSS frame fills only the low 10 bits.
inline constexpr uint32_t rx_raw_snr(uint32_t EndStatus0) {
    return EndStatus0 >> 16;
}
inline constexpr uint32_t rx_raw_dsss_snr(uint32_t EndStatus0) {
    return (EndStatus0 >> 16) & 0x3FF;
}

// End status 1: RSSI in dBm, the raw EVM, and the RCPI on the 802.11
// scale of half dB above -110 dBm.
inline constexpr int8_t rx_rssi_dbm(uint32_t EndStatus1) {
    return static_cast<int8_t>(EndStatus1 & 0xFF);
}
inline constexpr uint32_t rx_raw_evm(uint32_t EndStatus1) {
    return (EndStatus1 >> 8) & 0xFFFF;
}
inline constexpr uint32_t rx_raw_rcpi(uint32_t EndStatus1) {
    return EndStatus1 >> 24;
}
inline constexpr double rx_rcpi_dbm(uint32_t EndStatus1) {
    return static_cast<double>(rx_raw_rcpi(EndStatus1)) / 2.0 - 110.0;
}

// What a receive-data answer (79) begins with: its header and three words.
inline constexpr uint32_t RX_DATA_HEAD_SIZE = 20;
struct RxDataHead {
    uint16_t MsgLen;
    uint16_t MsgId;
    uint32_t Status;
    uint32_t Word[3];
};
// The data buffer RQM_GetRx fills holds this much.
inline constexpr uint32_t RX_DATA_BUFFER_SIZE = 8192;
inline constexpr uint32_t RX_CSI_SIZE = 448;

// Reception: command 1 starts it, 2 stops it; the stop's first three
// outputs are the total, error and CRC-error frame counts.
inline constexpr uint32_t RX_CMD_START = 1;
inline constexpr uint32_t RX_CMD_STOP = 2;
int RQM_ReceivePackets_Extended(RqmApiContext* pRqmApiContext, uint32_t Command, uint32_t* pOut1,
                                uint32_t* pOut2, uint32_t* pOut3, uint32_t* pOut4);
int RQM_ReceivePackets(RqmApiContext* pRqmApiContext, uint32_t Command, uint32_t* pOut1, uint32_t* pOut2,
                       uint32_t* pOut3);
int RQM_ReceivePackets_Start(RqmApiContext* pRqmApiContext);
int RQM_ReceivePackets_Stop(RqmApiContext* pRqmApiContext, uint32_t* pTotal, uint32_t* pErrors,
                            uint32_t* pCrcErrors);

int RQM_GetRxStatus(RqmApiContext* pRqmApiContext, uint32_t* pOut1, uint32_t* pOut2, uint32_t* pOut3,
                    uint32_t* pOut4, uint32_t* pOut5, uint32_t* pOut6, uint32_t* pOut7);
// The types of received data and channel-state information: 1, 2 or 4;
// another gives 9 before anything is sent.
inline constexpr bool rx_type_known(uint32_t Type) {
    return Type == 1 || Type == 2 || Type == 4;
}
// pData holds RX_DATA_BUFFER_SIZE bytes; the length is that of the data
// the answer carries.
int RQM_GetRx(RqmApiContext* pRqmApiContext, uint32_t Type, RxDataHead* pHead, uint8_t* pData,
              uint32_t* pDataLen);
int RQM_DownloadCSI(RqmApiContext* pRqmApiContext, uint8_t* pCsi, uint32_t Type);
int RQM_GetRxStatistics_Extended(RqmApiContext* pRqmApiContext, uint32_t* pOut1, uint32_t* pOut2,
                                 uint32_t* pOut3, uint32_t* pOut4);
int RQM_GetRxStatistics(RqmApiContext* pRqmApiContext, uint32_t* pOut1, uint32_t* pOut2, uint32_t* pOut3);
// pData holds RX_FRAME_DATA_SIZE bytes.
int RQM_GetRxFrame_Extended(RqmApiContext* pRqmApiContext, RxFrameInfo* pInfo, uint8_t* pData,
                            RxFrameTrailer* pTrailer);
int RQM_GetRxFrame(RqmApiContext* pRqmApiContext, RxFrameInfo* pInfo, uint8_t* pData);
// RSSI and RCPI in dBm of the last frame fetched since reception started;
// 1 when there is none.
int RQM_GetLastRxMeasurements(RqmApiContext* pRqmApiContext, float* pRssiRcpi);

// The one-word settings of reception; a value past its limit gives 9
// before anything is sent.
inline constexpr uint32_t RQM_RX_ACK_DELAY_MAX = 1023;
inline constexpr uint32_t RQM_RX_NAV_MAX = 1023;
inline constexpr uint32_t RQM_RX_NAV_TYPE_MAX = 3;
inline constexpr uint32_t RQM_RX_MONITOR_FIRST_MAX = 0x5556;
inline constexpr uint32_t RQM_RX_MONITOR_SECOND_MAX = 7;
inline constexpr uint32_t RQM_RX_CAPTURE_TYPE_MAX = 2;
int RQM_EnableRxFilterChecking(RqmApiContext* pRqmApiContext, uint32_t Value);
int RQM_RxFilterStoreFramesOfType(RqmApiContext* pRqmApiContext, uint32_t Value);
int RQM_SetRxAckDelay(RqmApiContext* pRqmApiContext, uint32_t Delay);
int RQM_SetRxNav(RqmApiContext* pRqmApiContext, uint32_t Nav);
int RQM_SetRxNavType(RqmApiContext* pRqmApiContext, uint32_t NavType);
// The flag is 0 or 1.
int RQM_RxSetMonitorMode(RqmApiContext* pRqmApiContext, uint32_t First, uint32_t Second, uint32_t Flag);
int RQM_Configure_RxCapturePhyStats(RqmApiContext* pRqmApiContext, uint32_t Type);
