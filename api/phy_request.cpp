// The conversions of the PHY and output-power requests' values.
#include "phy_request.h"

#include <cmath>

bool rqm_dbm_to_fw(float Dbm, uint32_t* pWord) {
    // NaN passes every comparison false: it must be caught before the
    // range test, and before a conversion that has no value for it.
    if (!std::isfinite(Dbm) || Dbm < RQM_DBM_MIN || Dbm > RQM_DBM_MAX)
        return false;
    const auto sixteenths = static_cast<int32_t>(static_cast<double>(Dbm) * 16.0);
    *pWord = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(sixteenths)));
    return true;
}

bool rqm_rssi_from_word(uint32_t Word, double* pRssi) {
    switch (Word >> 28) {
    case 1:
        *pRssi = 10.0 * log10(static_cast<double>(Word & 0x3FFFFFu) * ldexp(1.0, -22));
        return true;
    case 0: {
        const int quarters = static_cast<int>(Word & 0x3FFu) - ((Word & 0x200u) != 0 ? 0x400 : 0);
        *pRssi = quarters * 0.25;
        return true;
    }
    default:
        return false;
    }
}
