#include "common/driver_data.h"
#include "main.h"

void driver_data_init(CliDriverData* pData) {
    // Words 12, 17 and 19 to 24 keep what the driver gave.
    static constexpr struct {
        unsigned word;
        uint16_t value;
    } defaults[] = {
        {CLI_WORD_RATE_INDEX, 16},
        {CLI_WORD_FORCED_MODE, 0},
        {2, 2},
        {CLI_WORD_CHANNEL, 7},
        {CLI_WORD_TX_MODE, 1},
        {CLI_WORD_RATE, 1},
        {CLI_WORD_BANDWIDTH, 0},
        {CLI_WORD_SUBCHANNEL, 1},
        {8, 1},
        {9, 1000},
        {10, 0},
        {11, 0},
        {CLI_WORD_TX_RUNNING, 0},
        {14, 0},
        {CLI_WORD_REG_CLASS, 0},
        {16, 1},
        {CLI_WORD_CHIP_VARIANT, 0},
    };
    for (const auto& d : defaults)
        pData->Word[d.word] = d.value;
}
