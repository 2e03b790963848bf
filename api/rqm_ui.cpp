#include <cstdio>

#include "rqm_api.h"

void RQM_UI_Printf(RqmApiContext*, const char*, ...) {}

void RQM_UI_ErrPrintf(RqmApiContext*, const char*, ...) {}

void RQM_UI_PrintMemory(RqmApiContext*, const char*, const void*, uint32_t) {}

void RqmApiDefaultFn_RxIndMsgsCb(void*, uint8_t*) {}

void RqmApiDefaultFn_UIPutsCb(void*, const char* pText) {
    printf("%s", pText);
}

void RqmApiDefaultFn_UIPutsErrorCb(void*, const char* pText) {
    printf("%s", pText);
}
