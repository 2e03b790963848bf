// How numbers the user types, on the command line or in the settings file,
// become values. The board's C library has a 32-bit long, so its atoi and
// strtoul stop at 32 bits; these give the same on any host and never
// overflow a signed type on the way.
#pragma once

#include <cstdint>

// atoi: optional white space and sign, then decimal digits up to the first
// other character; 0 without digits. Beyond the 32-bit range it gives
// INT32_MIN or INT32_MAX.
int32_t cli_atoi(const char* pchText);

// strtoul with base 16: optional white space, sign and "0x", then hex
// digits. A negative number wraps, a number too big gives 0xFFFFFFFF.
uint32_t cli_strtoul_hex(const char* pchText);

// atof: the same on the board and on any host.
double cli_atod(const char* pchText);

// atof for a value that is converted further: false, with *pValue left
// alone, when the text reads as an infinity or NaN, which no conversion to
// an integer takes.
bool cli_atod_finite(const char* pchText, double* pValue);

// atof narrowed to float; beyond float's range it gives an infinity, as
// IEEE rounding does.
float cli_atof(const char* pchText);
