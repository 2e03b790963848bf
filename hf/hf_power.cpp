#include "hf/hf.h"

float hf_user_power_to_dbm(uint16_t Entry) {
    return static_cast<float>((Entry >> 4) - 3);
}
