#include "numbers.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>

int32_t cli_atoi(const char* pchText) {
    const long long value = strtoll(pchText, nullptr, 10);
    return static_cast<int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

uint32_t cli_strtoul_hex(const char* pchText) {
    while (isspace(static_cast<unsigned char>(*pchText)))
        ++pchText;
    const bool negative = *pchText == '-';
    errno = 0;
    const unsigned long long value = strtoull(pchText, nullptr, 16);
    const unsigned long long magnitude = negative ? 0 - value : value;
    if (errno == ERANGE || magnitude > UINT32_MAX)
        return UINT32_MAX;
    const uint32_t u = static_cast<uint32_t>(magnitude);
    return negative ? 0 - u : u;
}

double cli_atod(const char* pchText) {
    return strtod(pchText, nullptr);
}

bool cli_atod_finite(const char* pchText, double* pValue) {
    const double value = cli_atod(pchText);
    if (!std::isfinite(value))
        return false;
    *pValue = value;
    return true;
}

float cli_atof(const char* pchText) {
    static_assert(std::numeric_limits<float>::is_iec559);
    // Half a unit in the last place above FLT_MAX: from there on, round to
    // nearest gives infinity; below it, FLT_MAX.
    constexpr double OVERFLOW_EDGE = static_cast<double>(FLT_MAX) + 0x1p103;
    const double value = cli_atod(pchText);
    const float sign = value < 0 ? -1.0f : 1.0f;
    if (std::fabs(value) >= OVERFLOW_EDGE)
        return sign * std::numeric_limits<float>::infinity();
    if (std::fabs(value) > FLT_MAX)
        return sign * FLT_MAX;
    return static_cast<float>(value);
}
