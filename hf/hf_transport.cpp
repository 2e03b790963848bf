#include <cstdio>

#include "common/rqm_context.h"
#include "hf/hf.h"

void hf_print_connect_facts(RqmApiContext* ctx) {
    printf("FirmwareApiVer:0x%x\n", ctx->FirmwareApiVer);
    printf("FirmwareLabel:%s\n", ctx->FirmwareLabel);
}
