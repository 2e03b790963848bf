// What the PHY commands share with the other command families: the PHY
// modes, the regulatory classes with their channels, the channel word and
// its send, the output power by dBm with the gain it gives, and the
// transmitter calibration; and what their files (main_rate, main_channel,
// main_phy) share among themselves.
#pragma once

#include <cstdint>

// PHY modes by number, as RQM_SetPhyMode takes them; 4 is never sent.
inline constexpr int PHY_MODE_COUNT = 5;
extern const char* const PhyMode[PHY_MODE_COUNT];

// Regulatory classes 0 to 12. A class's code goes into the high byte of
// the channel word; its channels are ChannelLengthList[class] entries of
// dot11ChannelList from ChannelOffsetList[class], in the order offered.
inline constexpr int REG_CLASS_COUNT = 13;
inline constexpr int DOT11_CHANNEL_COUNT = 108;
extern const uint16_t RegClassId[REG_CLASS_COUNT];
extern const uint8_t ChannelOffsetList[REG_CLASS_COUNT];
extern const uint8_t ChannelLengthList[REG_CLASS_COUNT];
extern const uint8_t dot11ChannelList[DOT11_CHANNEL_COUNT];

// The channel a command's words name: band 0 to 2 (2.4 GHz) takes 1 to 15
// from pchValue; band 3 (5 GHz) takes the class from pchValue and one of
// its channels from pchSecond. 0 when refused, after a line saying what is
// accepted unless the number is no number at all.
int Channel_Check(const char* pchValue, const char* pchSecond, int band);

// Sends the channel word of the channel in the class; with the tone flag
// the radio is set one channel lower (channel 0 stays 0). 0, or -1 when
// the class is not 0 to 12 (nothing sent) or the request failed.
int set_channel(uint16_t channel, uint16_t regClass, int tone);

// The PHY bring-up: on, transmit mode and rate, the SDD's power for the
// rate, PHY mode, channel, calibration. 0 or -1.
int Enable_Phy();
// The automatic output power in dBm, then the gain it gave. 0 or -1.
int Power_Level(float dbm);
// Prints the transmit gain the firmware chose. 0 or -1.
int Get_Gain();

// What a transmitter calibration measured: the corrections it chose, and
// the leakage ratios in dB at its start and end.
struct TxCalGains {
    int32_t gain, phase, i_ofs, q_ofs;
};
struct TxCalRatios {
    double lo_start, im_start, lo_stop, im_stop;
};
// Runs the calibration with the first word given and fills both records
// from the answer (all zeros without one). The API's result.
int CalibrateTransmitter(int firstWord, TxCalGains* pGains, TxCalRatios* pRatios);

// ---- between the files of the PHY commands ----

// Bad usage: the line, then the command's help row.
void phy_bad_usage(const char* pchLine, int helpRow);

// A bandwidth and the sub-channel set with it, into the settings and kept
// for later runs as the program keeps its choices.
void bandwidth_kept(uint16_t bandwidth, uint16_t subchannel);

// The steps the rate command shares with the PHY's bring-up: the transmit
// mode and rate from the settings, and the power the SDD in use holds for
// the rate (in the element of its version) set as the output power. A step
// that fails calls problem with the site given for it and gives false.
void settings_problem(int site);
bool set_mode_and_rate(int modeSite, int rateSite, void (*problem)(int));
bool set_rate_power(int readSite, int setSite, void (*problem)(int));
