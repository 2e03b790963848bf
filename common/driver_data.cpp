#include "common/driver_data.h"

CliDriverData g_driver_data{};
