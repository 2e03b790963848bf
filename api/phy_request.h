// The PHY and output-power requests: their ids, the layouts that are not
// plain words, and the conversions of their values (phy_request.cpp).
// Internal to the API and its tests.
#pragma once

#include <cstdint>

#include "rqm_request.h"
#include "senders_request.h"

// PHY configuration.
inline constexpr uint16_t HI_ENABLE_PHY_REQ_ID = 102;
inline constexpr uint16_t HI_SET_CHAN_BANDWIDTH_REQ_ID = 677;
inline constexpr uint16_t HI_CALIBRATE_RX_REQ_ID = 684;
inline constexpr uint16_t HI_RESET_RF_IP_REQ_ID = 685;
inline constexpr uint16_t HI_SET_PHY_OP_STATE_REQ_ID = 690;
inline constexpr uint16_t HI_RESET_PHY_REQ_ID = 692;
inline constexpr uint16_t HI_GET_PHY_VERSION_REQ_ID = 693;
inline constexpr uint16_t HI_SET_PHY_MODE_REQ_ID = 694;
inline constexpr uint16_t HI_CONTROL_CAL_REQ_ID = 695;
inline constexpr uint16_t HI_SET_SUB_CHANNEL_REQ_ID = 697;
inline constexpr uint16_t HI_SET_CHANNEL_FEC_REQ_ID = 698;
inline constexpr uint16_t HI_ENABLE_MODEM_REQ_ID = 705;
inline constexpr uint16_t HI_RESET_NOISE_EST_REQ_ID = 714;
inline constexpr uint16_t HI_GET_RSSI_REQ_ID = 715;
inline constexpr uint16_t HI_CALIBRATE_TX_REQ_ID = 742;
inline constexpr uint16_t HI_IQ_IMB_TRACKING_REQ_ID = 750;
inline constexpr uint16_t HI_IQ_OFF_TRACKING_REQ_ID = 751;
inline constexpr uint16_t HI_SET_CHANNEL_REQ_ID = 757;

// Output power.
inline constexpr uint16_t HI_GET_ADC_CORRECTION_REQ_ID = 696;
inline constexpr uint16_t HI_GET_TX_AGC_STATUS_REQ_ID = 756;
inline constexpr uint16_t HI_SET_OP_PWR_AUTO_RAW_REQ_ID = 758;
inline constexpr uint16_t HI_SET_OP_PWR_RAW_REQ_ID = 760;
inline constexpr uint16_t HI_SET_OP_PWR_DBM_REQ_ID = 761;
inline constexpr uint16_t HI_SET_TX_PWR_CTRL_LOOP_REQ_ID = 762;
inline constexpr uint16_t HI_GET_PA_DET_REQ_ID = 763;
inline constexpr uint16_t HI_ARM_POWER_MEAS_REQ_ID = 764;
inline constexpr uint16_t HI_GET_OP_PWR_DBM_REQ_ID = 765;
inline constexpr uint16_t HI_GET_OP_PWR_RAW_REQ_ID = 766;
inline constexpr uint16_t HI_SET_OP_PWR_AUTO_DBM_REQ_ID = 767;

// Transmitter calibration (742): four words in; the answer carries an
// output word and a result block.
inline constexpr uint32_t CAL_TX_REQ_LEN = 24;
inline constexpr uint32_t CAL_TX_CNF_SIZE = 268;
inline constexpr uint32_t CAL_TX_CNF_OUT_OFF = 8;
inline constexpr uint32_t CAL_TX_CNF_BLOCK_OFF = 12;

// The readings that are a request of zeros as long as their answer, words
// from +8: the PA detector (763, the longer form on the chip variant), the
// transmit AGC status (756) and the ADC correction (696).
inline constexpr uint32_t FIXED_QUERY_OUT_OFF = 8;
inline constexpr uint32_t PA_DET_LEN = 28;
inline constexpr uint32_t PA_DET_LONG_LEN = 36;
inline constexpr uint32_t TX_AGC_LEN = 36;
inline constexpr uint32_t ADC_CORRECTION_LEN = 16;
inline constexpr uint32_t FIXED_QUERY_MAX_LEN = 36;
inline constexpr uint32_t FIXED_QUERY_MAX_WORDS = (FIXED_QUERY_MAX_LEN - FIXED_QUERY_OUT_OFF) / 4;

// dBm as the firmware takes them: dBm x 16, truncated, in 16 bits
// sign-extended to the word. False, with nothing stored, for a value that
// is not a number or lies outside RQM_DBM_MIN to RQM_DBM_MAX.
bool rqm_dbm_to_fw(float Dbm, uint32_t* pWord);

// The RSSI word: a linear reading with 22 fractional bits (top bits 1), or
// signed quarter dB in bits 0-9 (top bits 0). False for any other form.
bool rqm_rssi_from_word(uint32_t Word, double* pRssi);
