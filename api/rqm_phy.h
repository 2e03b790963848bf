// PHY configuration and output power of the test API.
#pragma once

#include <cstdint>

struct RqmApiContext;

// ---- PHY configuration ----
//
// A value outside the range a function names gives 9 before anything is
// sent.

// The channel bandwidth: 0 (20 MHz), 1 (10 MHz) or 2 (40 MHz).
inline constexpr int RQM_CHANNEL_BANDWIDTH_20MHZ = 0;
inline constexpr int RQM_CHANNEL_BANDWIDTH_10MHZ = 1;
inline constexpr int RQM_CHANNEL_BANDWIDTH_40MHZ = 2;
inline constexpr int RQM_CHANNEL_BANDWIDTH_MAX = RQM_CHANNEL_BANDWIDTH_40MHZ;
int RQM_SetChanBandwidth(RqmApiContext* pRqmApiContext, int Bandwidth);
// The 40 MHz sub-channel: 0 lower, 1 upper.
inline constexpr int RQM_SUB_CHANNEL_LOWER = 0;
inline constexpr int RQM_SUB_CHANNEL_UPPER = 1;
int RQM_SetSubChannel(RqmApiContext* pRqmApiContext, int SubChannel);
inline constexpr int RQM_CHANNEL_FEC_MAX = 127;
int RQM_SetChannelFec(RqmApiContext* pRqmApiContext, int Low, int Mid, int High);  // each 0 to 127
// Never supported: 26 (9 for a band other than 0 and 1).
inline constexpr int RQM_BAND_MAX = 1;
int RQM_SetBand(RqmApiContext* pRqmApiContext, int Band);
int RQM_SetModem(RqmApiContext* pRqmApiContext);
int RQM_SetRFGain(RqmApiContext* pRqmApiContext);
// The regulatory class's code in the high byte, the channel number in the low.
int RQM_SetChannel(RqmApiContext* pRqmApiContext, uint32_t ChannelWord);
int RQM_EnablePhy(RqmApiContext* pRqmApiContext, int Enable);
int RQM_ResetPhy(RqmApiContext* pRqmApiContext, int A, int B);
// The four words go to the firmware's calibration; its output word and its
// 256-byte result block come back (each optional). 0 once a whole answer
// came, whatever its status.
inline constexpr unsigned RQM_CAL_BLOCK_SIZE = 256;
int RQM_CalibrateTransmitter(RqmApiContext* pRqmApiContext, int Word1, int Word2, int Word3, int Word4,
                             uint32_t* pOut, uint8_t* pBlock);
int RQM_CalibrateReceiver(RqmApiContext* pRqmApiContext, uint8_t A, uint8_t B);
inline constexpr int RQM_IQ_TRACKING_MAX = 0xFF;
int RQM_PHY_RX_SetIQImbTracking(RqmApiContext* pRqmApiContext, uint8_t Value);
int RQM_PHY_RF_SetRxIQOffTracking(RqmApiContext* pRqmApiContext, uint8_t Value);
int RQM_PHY_MOD_ResetNoiseLevelEstimator(RqmApiContext* pRqmApiContext);
int RQM_PHY_MOD_GetRSSI(RqmApiContext* pRqmApiContext, double* pRssi);
int RQM_GetPhyVersionInHex(RqmApiContext* pRqmApiContext, uint32_t* pVersion);
// pBuild is optional.
int RQM_GetPhyVersion(RqmApiContext* pRqmApiContext, uint8_t* pMajor, uint8_t* pMinor, uint16_t* pBuild);
inline constexpr int RQM_PHY_MODE_MAX = 3;
int RQM_SetPhyMode(RqmApiContext* pRqmApiContext, int Mode);  // 0 to 3
int RQM_ControlCal(RqmApiContext* pRqmApiContext, uint8_t Value);
inline constexpr int RQM_MODEM_MAX = 3;
int RQM_EnableModem(RqmApiContext* pRqmApiContext, int Value);  // 0 to 3
int RQM_ResetRFIP(RqmApiContext* pRqmApiContext);
// 1 PHY off, 2 PHY on, 3 and 4; a bad state gives 9 without a report.
inline constexpr int RQM_PHY_OP_STATE_MIN = 1;
inline constexpr int RQM_PHY_OP_STATE_MAX = 4;
inline constexpr int RQM_PHY_OP_OFF = 1;
inline constexpr int RQM_PHY_OP_ON = 2;
int RQM_SetPhyOpState(RqmApiContext* pRqmApiContext, int State);

// ---- Output power ----
//
// dBm travel as dBm x 16 in -100.0 to 30.0 dBm; raw values are below 1024;
// a power index is 0 to 15.

inline constexpr unsigned RQM_POWER_INDEXES = 16;
inline constexpr uint32_t RQM_RAW_POWER_LIMIT = 1024;
inline constexpr float RQM_DBM_MIN = -100.0f;
inline constexpr float RQM_DBM_MAX = 30.0f;

int RQM_SetOpPwr_Raw(RqmApiContext* pRqmApiContext, uint32_t A, uint32_t B, uint8_t Index);
int RQM_SetOpPwrAuto_Raw(RqmApiContext* pRqmApiContext, uint32_t A, uint32_t B);
int RQM_GetOpPwr_Raw(RqmApiContext* pRqmApiContext, uint8_t Index, uint32_t* pA, uint32_t* pB);
int RQM_SetOpPwr_Dbm(RqmApiContext* pRqmApiContext, float Dbm, uint8_t Index);
int RQM_SetOpPwrAuto_Dbm(RqmApiContext* pRqmApiContext, float Dbm);
// Past its checks, *pDbm is always written: 0.0 without a whole answer.
int RQM_GetOpPwr_Dbm(RqmApiContext* pRqmApiContext, uint8_t Index, double* pDbm);
// The user power the SDD in use holds for the modulation Row (0 to 11), from
// element 0xE3 or 0xB0 as the caller chooses by the SDD version (rqmcli-hf:
// always 0xE3, in whole dB).
int RQM_GetOpPwrAuto_Dbm(RqmApiContext* pRqmApiContext, int Row, float* pDbm, uint8_t ElementId);
int RQM_SetTxPwrCtrlLoop(RqmApiContext* pRqmApiContext, uint8_t A, uint8_t B);
inline constexpr unsigned RQM_POWER_MEAS_MAX = 14;
int RQM_ArmPowerMeasurment(RqmApiContext* pRqmApiContext, uint8_t Value);  // 0 to 14
// Every output is optional. pWord3 is the gain-table index; the analogue
// and digital gains come only in the chip variant's longer reading, else
// they are left alone.
int RQM_GetRawPADetReading(RqmApiContext* pRqmApiContext, uint32_t* pWord1, uint32_t* pWord2,
                           uint32_t* pWord3, uint32_t* pWord4, uint32_t* pWord5, uint16_t* pAnalogue,
                           uint16_t* pDigital);
int RQM_GetTxAgcStatus(RqmApiContext* pRqmApiContext, uint32_t* pWord1, uint32_t* pWord2, uint8_t* pByte3,
                       uint32_t* pWord4, uint32_t* pWord5, uint8_t* pByte6, uint8_t* pByte7);
int RQM_GetADCCorrectionParameters(RqmApiContext* pRqmApiContext, double* pValue, uint32_t* pWord);

// rqmcli's reading of an SDD user-power entry: 1/16 dB, less 3.0 dB while
// the SDD version (word 17 of the tool-state record) is below 2.5.
float rqm_user_power_to_dbm(uint16_t Entry);
