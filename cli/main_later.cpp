// Commands whose handlers are not in this build yet. They keep their rows
// in the command table, whose order decides what a shortened word selects,
// and fail without a word of their own.
#include "main.h"

static int not_built(int, char**) {
    return -1;
}

int proc_enable_phy(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_phy_mode(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_channel(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_rate(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_tx(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_tx_stop(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_rx(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_rx_stop(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_tone(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_tone_stop(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_power_level(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_bandwidth(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_subchannel(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_read_mem(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_write_mem(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_read_efuse(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_write_efuse(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_get_freq_offset(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_set_freq_offset(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_regulatory(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_get_antifuse(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_calibration(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_gain(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_tx_status(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_tx_cfg(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_hw_write_reg(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_hw_read_reg(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_load_reg(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_save_reg(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_read_reg(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_write_reg(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_set_cca(int argc, char** argv) {
    return not_built(argc, argv);
}
int proc_set_channel_fec(int argc, char** argv) {
    return not_built(argc, argv);
}
