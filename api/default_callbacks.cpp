// The callbacks a context takes when its creator names none: indications
// are dropped, and texts, errors among them, are printed.
#include <cstdio>

#include "rqm_api.h"

void RqmApiDefaultFn_RxIndMsgsCb(void*, uint8_t*) {}

void RqmApiDefaultFn_UIPutsCb(void*, const char* pText) {
    printf("%s", pText);
}

void RqmApiDefaultFn_UIPutsErrorCb(void*, const char* pText) {
    printf("%s", pText);
}
