// The firmware's PHY and output-power model: what the PHY configuration
// and output-power requests set, and the readings they answer with. Each
// kind of state is a record of words named so that the control presets any
// of them without a key of its own.
#pragma once

#include <array>
#include <cstdint>

struct SimPart;

// PHY state: what the configuration requests last set (the two reset
// flags, the receiver calibration's two flags, the FEC triple, the four
// calibration words), the RF IP resets counted, and the readings: RSSI
// word, noise level (the estimator's reset clears it), PHY version word
// and the calibration's output word.
enum SimPhyField {
    PHY_CHANNEL,
    PHY_BANDWIDTH,
    PHY_SUBCHANNEL,
    PHY_FEC_LOW,
    PHY_FEC_MID,
    PHY_FEC_HIGH,
    PHY_MODE,
    PHY_STATE,
    PHY_ENABLE,
    PHY_RESET_A,
    PHY_RESET_B,
    PHY_CAL_RX_A,
    PHY_CAL_RX_B,
    PHY_IQ_IMB,
    PHY_IQ_OFF,
    PHY_CAL_CONTROL,
    PHY_MODEM,
    PHY_RF_RESETS,
    PHY_RSSI,
    PHY_NOISE,
    PHY_VERSION,
    PHY_CAL_1,
    PHY_CAL_2,
    PHY_CAL_3,
    PHY_CAL_4,
    PHY_CAL_OUT,
    PHY_FIELDS
};
extern const std::array<const char*, PHY_FIELDS> sim_phy_field_names;

// The automatic power setting (raw pair and dBm x 16 as sent), the
// power-control loop's flags and the armed measurement.
enum SimPowerField { PWR_AUTO_A, PWR_AUTO_B, PWR_AUTO_DBM, PWR_LOOP_A, PWR_LOOP_B, PWR_MEASURE, PWR_FIELDS };
extern const std::array<const char*, PWR_FIELDS> sim_power_field_names;

// One power index: its raw pair and its dBm x 16 as sent.
enum SimPowerEntry { PWR_RAW_A, PWR_RAW_B, PWR_DBM, PWR_ENTRY_FIELDS };
inline constexpr unsigned SIM_POWER_INDEXES = 16;

// The PA detector's words from +8 (the longer reading has all seven, the
// shorter the first five), the transmit AGC status's and the ADC
// correction's.
inline constexpr unsigned SIM_READING_WORDS = 7;
extern const std::array<const char*, SIM_READING_WORDS> sim_pa_det_field_names;
extern const std::array<const char*, SIM_READING_WORDS> sim_agc_field_names;
extern const std::array<const char*, 2> sim_adc_field_names;

inline constexpr unsigned SIM_CAL_BLOCK_SIZE = 256;
inline constexpr uint32_t SIM_DEFAULT_PHY_VERSION = 0x02010007;
// The gain-table index the PA detector reads at start (the table itself is
// chip memory, sim_fw_tx.h).
inline constexpr uint32_t SIM_DEFAULT_GAIN_INDEX = 12;

struct SimPhy {
    std::array<uint32_t, PHY_FIELDS> state;
    std::array<uint32_t, PWR_FIELDS> power;
    std::array<std::array<uint32_t, PWR_ENTRY_FIELDS>, SIM_POWER_INDEXES> table;
    std::array<uint32_t, SIM_READING_WORDS> pa_det;
    std::array<uint32_t, SIM_READING_WORDS> agc;
    std::array<uint32_t, 2> adc;  // thousandths, and a word
    std::array<uint8_t, SIM_CAL_BLOCK_SIZE> cal_block;
};

extern const SimPart sim_phy_part;
