// Option tables of the commands that take options. The help pages list
// their rows in this order, so the order is part of the interface.
#include "main.h"

const option long_tx_options[20] = {
    {"length", required_argument, nullptr, 'l'},      {"number", required_argument, nullptr, 'n'},
    {"continuous", required_argument, nullptr, 'c'},  {"guard_interval", required_argument, nullptr, 'g'},
    {"subchannel", required_argument, nullptr, 'u'},  {"bandwidth", required_argument, nullptr, 'w'},
    {"expect_ack", required_argument, nullptr, 'a'},  {"backoff", required_argument, nullptr, 'b'},
    {"delay", required_argument, nullptr, 'd'},       {"force", required_argument, nullptr, 'f'},
    {"mac_header", required_argument, nullptr, 'h'},  {"ifs", required_argument, nullptr, 'i'},
    {"packet_id", required_argument, nullptr, 'p'},   {"sounding_frame", required_argument, nullptr, 's'},
    {"prbs", required_argument, nullptr, 'x'},        {"prbs_seed", required_argument, nullptr, 'y'},
    {"prbs_length", required_argument, nullptr, 'z'}, {"crc", required_argument, nullptr, 'C'},
    {"nav", required_argument, nullptr, 'N'},         {nullptr, 0, nullptr, 0},
};

const option long_tone_options[8] = {
    {"amplitude_1", required_argument, nullptr, 'a'}, {"amplitude_2", required_argument, nullptr, 'b'},
    {"pulse_delay", required_argument, nullptr, 'd'}, {"frequency_1", required_argument, nullptr, 'f'},
    {"frequency_2", required_argument, nullptr, 'g'}, {"pulse_length", required_argument, nullptr, 'l'},
    {"tone_mode", required_argument, nullptr, 'm'},   {nullptr, 0, nullptr, 0},
};

const option long_rate_options[3] = {
    {"tx_mode", required_argument, nullptr, 'm'},
    {"tx_rate", required_argument, nullptr, 'r'},
    {nullptr, 0, nullptr, 0},
};

const option long_mac_options[4] = {
    {"source_addr", required_argument, nullptr, 's'},
    {"dest_addr", required_argument, nullptr, 'd'},
    {"BSSID", required_argument, nullptr, 't'},
    {nullptr, 0, nullptr, 0},
};

// -s takes no argument, but its long form --start does (and ignores it).
const option long_mem_options[9] = {
    {"start_addr", required_argument, nullptr, 'a'},
    {"dest_path", required_argument, nullptr, 'd'},
    {"length", required_argument, nullptr, 'l'},
    {"src_path", required_argument, nullptr, 'p'},
    {"region", required_argument, nullptr, 'r'},
    {"start", required_argument, nullptr, 's'},
    {"type", required_argument, nullptr, 't'},
    {"value", required_argument, nullptr, 'v'},
    {nullptr, 0, nullptr, 0},
};
