// The layout of a memory range write.
#include "memory_request.h"

void rqm_encode_memory_range(RqmReqBuilder& Req, uint32_t Address, const uint8_t* pData, uint32_t Count) {
    const uint32_t lead = Address & 3;
    Req.start(HI_WRITE_MEMORY_REQ_ID, MEM_DATA_OFF + ((lead + Count + 3) & ~3u));
    Req.put32(MEM_ADDR_OFF, Address);
    Req.put16(MEM_COUNT_OFF, static_cast<uint16_t>(lead + Count));
    Req.put16(MEM_FLAGS_OFF, MEM_FLAGS_BYTES);
    Req.put_bytes(MEM_DATA_OFF + lead, pData, Count);
}
