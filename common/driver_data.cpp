#include "common/driver_data.h"

CliDriverData g_driver_data{};

uint16_t driver_data_sdd_version() {
    return g_driver_data.Word[CLI_WORD_SDD_VERSION];
}

bool driver_data_chip_variant() {
    return g_driver_data.Word[CLI_WORD_CHIP_VARIANT] != 0;
}

void driver_data_set_chip_variant() {
    g_driver_data.Word[CLI_WORD_CHIP_VARIANT] = 1;
}
