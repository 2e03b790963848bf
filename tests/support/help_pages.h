// The help texts both programs print, built from their rows as the
// program prints them, for the whole-run tests.
#pragma once

#include <string>
#include <vector>

struct HelpRow {
    char kind;
    std::vector<const char*> columns;
};

// Rows 1 to 36 of the help table, in order.
inline const HelpRow kHelpRows[] = {
    {'g',
     {"connect\t", "\t\t\t", "before sending any other cmds,send this cmd first to download firmware!", ""}},
    {'g', {"disconnect", "\t\t\t", "send this cmd after all of other cmds!", ""}},
    {'g', {"enable_phy", "\t\t\t", "default is ENABLE,include set mode,channel,pwr level"}},
    {'d', {"reconnect", "\t\t\t", "", ""}},
    {'d', {"soft_reset", "\t\t\t", "", ""}},
    {'d', {"sdd_config", "\t\t\t", "", ""}},
    {'g', {"help\t", "[-options]\t\t", "Show this help msg, add options for details"}},
    {'g', {"tx\t", "[-options]", "[param]\t", "for detail: help tx"}},
    {'g', {"tx_stop\t", "\t\t\t", "stop continuous tx", ""}},
    {'g', {"rx\t", "\t\t\t", "to recieve packets", ""}},
    {'g', {"rx_stop\t", "\t\t\t", "stop recieving packets", ""}},
    {'g', {"tone\t", "[-options]", "[param]\t", "single tone functions,for detail: help tone"}},
    {'g', {"tone_stop", "\t\t\t", "stop single tone operation", ""}},
    {'g', {"phy_mode", "[OFDM_2GHZ/DSSS_2GHZ/2GHZ]", "default is 2GHZ, and 5GHZ is not support yet!"}},
    {'g',
     {"channel\t", "[OFDM_2GHZ/DSSS_2GHZ/2GHZ]", "[channelNum]\t",
      "here phy mode param is only for channel check!"}},
    {'g', {"rate\t", "[-options]", "[param]\t", "for detail: help rate"}},
    {'g', {"get_mac\t", "\t\t\t", "to get the mac addresses right now", ""}},
    {'g', {"set_mac\t", "[-options]", "[param]\t", "set mac address,for detail: help set_mac"}},
    {'g', {"power_level", "[2~120]\t\t\t", "set the tx pwr level"}},
    {'g', {"get_antifuse", "\t\t\t", "get the antifuse bits right now", ""}},
    {'d', {"regulatory", "[1~12]\t\t\t", "use in 5GHZ mode"}},
    {'d', {"read_mem", "[-options]", "[param]\t", "for detail: help memory"}},
    {'d', {"write_mem", "[address]", "[value]\t", "address and value are hex data, should start with '0x'"}},
    {'d', {"read_reg", "\t\t\t", "not support yet", ""}},
    {'d', {"calibration", "\t\t\t", "get calibration values", ""}},
    {'d', {"gain", "\t\t\t\t", "get the analog and digital register values", ""}},
    {'d', {"tx_status", "\t\t\t", "get the txstatus register values", ""}},
    {'d', {"tx_cfg", "\t\t\t\t", "get the current tx frames count", ""}},
    {'g', {"bandwidth", "[40M/20M]\t\t", "auto set to 20M if invalid input detected", ""}},
    {'g', {"subchannel", "[LOWER/UPPER]\t\t", "auto set to UPPER if invalid input detected", ""}},
    {'d',
     {"hw_write_reg", "[address]", "[value]\t", "address and value are hex data, should start with '0x'"}},
    {'d', {"hw_read_reg", "[address]", "\t", "address is hex data, should start with '0x'"}},
    {'d', {"load_reg", "[-options]", "[param]\t", "for detail: help memory"}},
    {'d', {"save_reg", "[-options]", "[param]\t", "for detail: help memory"}},
    {'g',
     {"read_efuse", "[CHIPID/DCXO_TRIM/POUT_CAL/MAC/USER_AREA]", "[param]\t",
      "When reading user_area, please input start_bit and len!"}},
    {'g',
     {"write_efuse", "[CHIPID/DCXO_TRIM/POUT_CAL/MAC/USER_AREA]", "[param]\t",
      "Only support writting MAC address right now !"}},
};

// One row's line of the help table.
inline std::string help_line(const HelpRow& row) {
    std::string line = row.columns[0];
    for (size_t i = 1; i < row.columns.size(); ++i)
        line += std::string("\t") + row.columns[i];
    return line + "\n";
}

// The general help page (or the full list) after the given banner.
inline std::string help_page(bool all, const std::string& banner) {
    std::string page = banner;
    for (const HelpRow& row : kHelpRows)
        page += all || row.kind == 'g' ? help_line(row) : "";
    return page + "\n";
}

// The channel command's own page, which it prints when refused.
inline std::string channel_page(const std::string& banner) {
    for (const HelpRow& row : kHelpRows)
        if (std::string(row.columns[0]) == "channel\t")
            return banner + help_line(row) + "\n";
    return "";
}

struct Opt {
    char letter;
    const char* name;
};

inline const std::vector<Opt> kTxOpts = {
    {'l', "length"},      {'n', "number"},
    {'c', "continuous"},  {'g', "guard_interval"},
    {'u', "subchannel"},  {'w', "bandwidth"},
    {'a', "expect_ack"},  {'b', "backoff"},
    {'d', "delay"},       {'f', "force"},
    {'h', "mac_header"},  {'i', "ifs"},
    {'p', "packet_id"},   {'s', "sounding_frame"},
    {'x', "prbs"},        {'y', "prbs_seed"},
    {'z', "prbs_length"}, {'C', "crc"},
    {'N', "nav"},
};
inline const std::vector<Opt> kToneOpts = {
    {'a', "amplitude_1"}, {'b', "amplitude_2"},  {'d', "pulse_delay"}, {'f', "frequency_1"},
    {'g', "frequency_2"}, {'l', "pulse_length"}, {'m', "tone_mode"},
};
inline const std::vector<Opt> kRateOpts = {{'m', "tx_mode"}, {'r', "tx_rate"}};
inline const std::vector<Opt> kMacOpts = {{'s', "source_addr"}, {'d', "dest_addr"}, {'t', "BSSID"}};
inline const std::vector<Opt> kMemOpts = {
    {'a', "start_addr"}, {'d', "dest_path"}, {'l', "length"}, {'p', "src_path"},
    {'r', "region"},     {'s', "start"},     {'t', "type"},   {'v', "value"},
};

inline std::string option_page(const char* head, const std::vector<Opt>& opts, size_t rows,
                               const char* value = "[value]") {
    std::string page = std::string(head) + "\n";
    for (size_t i = 0; i < rows; ++i)
        page += std::string("\t-") + opts[i].letter + "\t" + value + "\t\t" + opts[i].name + "\n";
    return page;
}
