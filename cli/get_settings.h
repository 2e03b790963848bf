// The settings record every command handler fills and reads, and the small
// INI reader that gives it its values from the settings file. The tool only
// reads the file; engineers edit it by hand on the board.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

inline constexpr const char CLI_SETTINGS_FILE[] = "./settings.ini";

// The typed readers' value buffer: a longer value is cut to 19 characters
// before trimming rather than overrunning.
inline constexpr size_t CLI_PROFILE_VALUE_SIZE = 20;
// A settings file is read only when it is a regular file of at most this
// many bytes, a size no real one reaches.
inline constexpr uint32_t CLI_SETTINGS_MAX = 64 * 1024;
// A longer key in the file matches no key at all, so that it cannot pose as
// its own first 31 characters.
inline constexpr size_t CLI_PROFILE_KEY_MAX = 31;

// Keyed fields carry their key's name; numbers wider than a field keep
// their low bits.
struct CliSettings {
    uint16_t phy_mode;  // index into PhyMode
    uint16_t channel;
    uint16_t regulatory_class;
    float power_dbm;
    uint16_t tone_mode;    // index into ToneMode
    uint32_t frequency_1;  // Hz
    float amplitude_1;
    uint16_t pulse_length;
    uint32_t frequency_2;  // Hz
    float amplitude_2;
    uint16_t pulse_delay;
    uint16_t continuous;  // 0: a counted burst of `number` packets
    uint16_t number;
    uint16_t packet_length;
    uint16_t rate;  // rate code within `mode`
    uint16_t mode;  // index into TxMode
    uint16_t backoff;
    uint16_t expect_ack;
    uint16_t IFS;
    uint16_t Tx_delay;
    uint16_t Tx_NAV;
    uint16_t PRBS;
    uint16_t PRBS_seed;
    uint16_t PRBS_length;
    uint16_t frame_buf;  // packet id of the payload
    uint16_t MAC_header;
    uint16_t CRC;
    uint16_t sounding_frame;
    uint16_t Tx_stop;
    uint16_t Rx_begin;
    uint16_t Rx_stop;
    uint32_t mem_addr;
    uint32_t mem_length;
    uint32_t mem_region;    // 0 to 2
    const char* src_path;   // points into argv, owns nothing
    const char* dest_path;  // points into argv, owns nothing
    uint32_t mem_type;      // 1 HIF, 2 AHB, 3 APB
    uint32_t mem_value;
    uint16_t mem_r_start;        // run flag of the RAM-read thread
    uint16_t Tx_bandwidth;       // 0 20 MHz, 2 40 MHz, 0xFFFF leave the firmware's
    uint16_t Tx_subchannel;      // 1 upper, 0 lower, 0xFFFF leave the firmware's
    uint16_t Tx_guard_interval;  // 0 long, 1 short, 0xFFFF leave the firmware's
    uint8_t freq_offset;
};

extern CliSettings setting;

void InitSettings(CliSettings* pSettings);
// Every keyed field from the file, or its key's default. 0, also when there
// is no file; -1 after a line that says why when the file is there but is
// not read (not a regular file, or larger than CLI_SETTINGS_MAX): every
// field then has its default.
int GetSettings(const char* pchFile, CliSettings* pSettings);

// The text of a settings file (Length bytes, not terminated; null: no
// file). The readers below read the file at pchFile into one, each anew.
struct CliProfileText {
    const char* pText;
    uint32_t Length;
};

// GetSettings over a text already read.
void cli_settings_from_text(CliProfileText Text, CliSettings* pSettings);
// GetProfileString over a text already read.
int cli_profile_string(CliProfileText Text, const char* pchSection, const char* pchKey,
                       std::span<char> szValue);

// 0 with the trimmed value text in szValue, -1 when the file cannot be
// read or the key is not in the first occurrence of its section.
int GetProfileString(const char* pchFile, const char* pchSection, const char* pchKey,
                     std::span<char> szValue);
// An empty value is found and reads as 0, 0.0 or (hex, also when shorter
// than its "0x") 0; only a missing key gives the default.
int GetProfileInt(const char* pchFile, const char* pchSection, const char* pchKey, int iDefault);
float GetProfileFloat(const char* pchFile, const char* pchSection, const char* pchKey, float fDefault);
uint32_t GetProfileHex(const char* pchFile, const char* pchSection, const char* pchKey, float fDefault);

// Output and input must be distinct, non-null buffers; anything else stops
// the program. Output too short for the result is cut, then trimmed.
void l_trim(std::span<char> szOutput, const char* szInput);
void r_trim(std::span<char> szOutput, const char* szInput);
void a_trim(std::span<char> szOutput, const char* szInput);
