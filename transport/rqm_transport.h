// What a program that hosts the test API takes from the transport, and all
// it may: the driver channel, and the bus configuration a start can carry.
// The rest of transport/ is internal and not installed.
//
// The channel comes before any context can talk: a host opens it once
// with adapter_connect() before RQM_Start or a one-call starter, and closes
// it with adapter_disconnect() after RQM_Stop, as rqmcli does in every run.
// Without it every request fails ("adapter_sendmsg socket is not ready!").
// Who is at the other end is chosen when the program is linked, by the
// peer library it links (rqm::peer_kernel: the Wi-Fi driver on the board;
// rqm::peer_sim: rqmsim on this machine, at the port in RQMSIM_PORT;
// rqm::peer_unix: the same rqmsim over a Unix datagram socket, for a
// program run under qemu's user mode).
#pragma once

#include <cstdint>

// Opens the channel: 0, or nonzero after a line naming the step that
// failed (socket, bind, buffer). One channel per process.
int adapter_connect();
// Closes the channel once no context runs on it any more; a closed channel
// stays closed.
void adapter_disconnect();

// The host-interface bus configuration that RQM_Start and
// RQM_Start_SpiSdioHifAdvanced hand the driver before the firmware starts.
struct SbusConfig {
    uint32_t DriveStrength;  // only the low byte is used
    uint32_t Mode;           // 0 or 1
    uint32_t Param1;
    uint32_t Param2;
};
