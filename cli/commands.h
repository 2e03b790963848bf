// The command table: every word a program may dispatch, with its handler.
// It is constant data, so that each program's list of words (its variant
// profile) is checked against it when that program is compiled.
#pragma once

#include <span>
#include <string_view>

typedef int (*CommandHandler)(int argc, char** argv);

struct CommandEntry {
    const char* pchName;
    CommandHandler pfnHandler;
    const char* pchHelp;
};

// Command handlers.
int proc_connect(int argc, char** argv);
int proc_disconnect(int argc, char** argv);
int proc_enable_phy(int argc, char** argv);
int proc_phy_mode(int argc, char** argv);
int proc_channel(int argc, char** argv);
int proc_rate(int argc, char** argv);
int proc_tx(int argc, char** argv);
int proc_tx_stop(int argc, char** argv);
int proc_rx(int argc, char** argv);
int proc_rx_stop(int argc, char** argv);
int proc_tone(int argc, char** argv);
int proc_tone_stop(int argc, char** argv);
int proc_power_level(int argc, char** argv);
int proc_bandwidth(int argc, char** argv);
int proc_subchannel(int argc, char** argv);
int proc_read_mem(int argc, char** argv);
int proc_write_mem(int argc, char** argv);
int proc_set_mac(int argc, char** argv);
int proc_get_mac(int argc, char** argv);
int proc_read_efuse(int argc, char** argv);
int proc_write_efuse(int argc, char** argv);
int proc_get_sdd_power(int argc, char** argv);
int proc_set_sdd_power(int argc, char** argv);
int proc_get_sdd_file(int argc, char** argv);
int proc_get_sdd_freq_offset(int argc, char** argv);
int proc_set_sdd_freq_offset(int argc, char** argv);
int proc_get_freq_offset(int argc, char** argv);
int proc_set_freq_offset(int argc, char** argv);
int proc_reconnect(int argc, char** argv);
int proc_soft_reset(int argc, char** argv);
int proc_sdd_config(int argc, char** argv);
int proc_regulatory(int argc, char** argv);
int proc_get_antifuse(int argc, char** argv);
int proc_calibration(int argc, char** argv);
int proc_gain(int argc, char** argv);
int proc_tx_status(int argc, char** argv);
int proc_tx_cfg(int argc, char** argv);
int proc_hw_write_reg(int argc, char** argv);
int proc_hw_read_reg(int argc, char** argv);
int proc_load_reg(int argc, char** argv);
int proc_save_reg(int argc, char** argv);
int proc_read_reg(int argc, char** argv);
int proc_write_reg(int argc, char** argv);
int proc_set_cca(int argc, char** argv);
int proc_set_channel_fec(int argc, char** argv);

int Help_Handler(int argc, char** argv);

inline constexpr int COMMAND_COUNT = 46;

// Row order decides which command a shortened word selects.
inline constexpr CommandEntry command[COMMAND_COUNT + 1] = {
    {"connect", proc_connect, "start rqm mode"},
    {"disconnect", proc_disconnect, "exit rqm mode"},
    {"enable_phy", proc_enable_phy, "enable phy"},
    {"phy_mode", proc_phy_mode, "phy mode: 2GHZ/OFDM_2GHZ/DSSS_2GHZ/5GHZ/OFDM_5GHZ"},
    {"channel", proc_channel, "Power calibration"},
    {"rate", proc_rate, "rqm rate -m [x] -r [y]"},
    {"tx", proc_tx, "start tx"},
    {"tx_stop", proc_tx_stop, "stop tx"},
    {"rx", proc_rx, "start rx"},
    {"rx_stop", proc_rx_stop, "stpo rx"},
    {"tone", proc_tone, "single tone test"},
    {"tone_stop", proc_tone_stop, "stop single tone test"},
    {"power_level", proc_power_level, "set power level: [2~120]"},
    {"bandwidth", proc_bandwidth, "set bandwidth: 20M/40M"},
    {"subchannel", proc_subchannel, "set subchannel: LOWER/UPPER"},
    {"read_mem", proc_read_mem, "read memory"},
    {"write_mem", proc_write_mem, "write memory"},
    {"help", Help_Handler, "help"},
    {"set_mac", proc_set_mac, "rqm set_mac -d XX:XX:XX:XX:XX:XX -s XX:XX:XX:XX:XX:XX -t XX:XX:XX:XX:XX:XX"},
    {"get_mac", proc_get_mac, "get mac addr"},
    {"read_efuse", proc_read_efuse, "read efuse:CHIPID/MAC/POUTCAL/DCXO_TRIM"},
    {"write_efuse", proc_write_efuse, "write efuse:CHIPID/MAC/POUTCAL/DCXO_TRIM"},
    {"get_sdd_power", proc_get_sdd_power, "get sdd user power"},
    {"set_sdd_power", proc_set_sdd_power, "set sdd user power"},
    {"get_sdd_file", proc_get_sdd_file, "show sdd data (hex)"},
    {"get_sdd_freq_offset", proc_get_sdd_freq_offset, "get sdd freq_offset"},
    {"set_sdd_freq_offset", proc_set_sdd_freq_offset, "set sdd freq_offset"},
    {"get_freq_offset", proc_get_freq_offset, "get freq_offset"},
    {"set_freq_offset", proc_set_freq_offset, "set freq_offset"},
    {"reconnect", proc_reconnect, "reconnect"},
    {"soft_reset", proc_soft_reset, "soft reset"},
    {"sdd_config", proc_sdd_config, "config sdd"},
    {"regulatory", proc_regulatory, "regulatory"},
    {"get_antifuse", proc_get_antifuse, "get antifuse"},
    {"calibration", proc_calibration, "calibration"},
    {"gain", proc_gain, "get gain"},
    {"tx_status", proc_tx_status, "get tx status"},
    {"tx_cfg", proc_tx_cfg, "get tx config"},
    {"hw_write_reg", proc_hw_write_reg, "hw write reg"},
    {"hw_read_reg", proc_hw_read_reg, "hw read reg"},
    {"load_reg", proc_load_reg, "load reg"},
    {"save_reg", proc_save_reg, "save reg"},
    {"read_reg", proc_read_reg, "read reg"},
    {"write_reg", proc_write_reg, "write reg"},
    {"set_cca", proc_set_cca, "set_cca [val] //vat=0 1 2"},
    {"set_channel_fec", proc_set_channel_fec, "set_channel_fec [low] [mid] [high]"},
    {nullptr, nullptr, nullptr},
};

// Whether every word names a row of the table.
constexpr bool command_words_known(std::span<const char* const> words) {
    for (const char* w : words) {
        bool found = false;
        for (int row = 0; row < COMMAND_COUNT; ++row)
            if (std::string_view(command[row].pchName) == w)
                found = true;
        if (!found)
            return false;
    }
    return true;
}
