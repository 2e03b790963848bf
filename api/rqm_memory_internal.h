// What the memory module shares with the rest of the API and its tests,
// outside the public header.
#pragma once

#include <cstdint>

struct RqmApiContext;

// Runs Op with the com-bus mode at 1: the mode is read, switched to 1
// when it is not, and set back after Op. A failed read or switch is the
// result and Op does not run; otherwise Op's failure is the result, and
// the restore's only when Op succeeded. Reports nothing of its own.
typedef int (*RqmComBusOp)(RqmApiContext* pRqmApiContext, void* pArg);
int rqm_com_bus_bracket(RqmApiContext* pRqmApiContext, RqmComBusOp Op, void* pArg);

// ConvertTextDataToRegValueFormat for values that go to the chip: a
// record whose address is not eight hex digits, or whose value is not
// hex digits followed only by separators, fails the conversion rather
// than yield a number made of what came before the stray character.
// Defined with the other converters (util.cpp).
uint32_t* rqm_convert_reg_values_strict(RqmApiContext* pRqmApiContext, const char* pText, uint32_t Length,
                                        uint32_t* pCount);
