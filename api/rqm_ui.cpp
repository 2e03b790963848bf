#include <cstdio>

#include "rqm_api.h"

void RqmApiDefaultFn_RxIndMsgsCb(void*, uint8_t*) {}

void RqmApiDefaultFn_UIPutsCb(void*, const char* pText) {
    printf("%s", pText);
}

void RqmApiDefaultFn_UIPutsErrorCb(void*, const char* pText) {
    printf("%s", pText);
}
