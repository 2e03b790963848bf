// rqmcli keeps the choices later runs need in the tool-state record: read
// from the record fetched before the command (when the driver keeps one),
// written into it for the push after a command that succeeded. This is
// the record's owner in the front end: its fetch and push around the
// command, its defaults, and every word a handler reads or writes, as the
// operations of the program's profile (cli_variant.h). rqmcli-hf takes the
// SDD-version operations from here as well.
#pragma once

#include <cstdint>

#include "common/driver_data.h"

// 1 when the last fetch found a driver that keeps tool state (version
// 1.1.2 or later), 0 before any fetch and after one that found an older
// driver. Without it the handlers read nothing back and nothing is pushed.
extern int g_ver_support;

// The defaults a connect gives the driver's record; the words the driver
// alone fills are left as they are.
void driver_data_init(CliDriverData* pData);

void record_run_fetch(const char* word);
void record_run_push(const char* word, int result);
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
void record_tx_started();
bool record_tx_stop_needed();
bool record_tone_restore();
bool record_tone_channel_restore();
bool record_tx_recorded_running();
uint16_t record_sdd_version();
void record_sdd_version_set(uint16_t version);
bool record_chip_variant();
