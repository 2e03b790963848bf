// rqmcli keeps the choices later runs need in the tool-state record: read
// from the record fetched before the command (when the driver keeps one),
// written into it for main to push after a command that succeeded. These
// are the operations of its variant profile.
#pragma once

#include <cstdint>

void record_rate_restore();
void record_rate_index(int index);
void record_mode_chosen(uint16_t mode, uint16_t rate);
void record_rate_fallback(int index, uint16_t rate);
void record_rate_channel_again(uint16_t channel);
void record_rate_done();
void record_channel_set(uint16_t channel, uint16_t regClass);
void record_bandwidth_set(uint16_t bandwidth, uint16_t subchannel);
void record_subchannel_set(uint16_t subchannel);
void record_tx_restore();
void record_force_chosen(int force);
void record_tx_stop_force();
