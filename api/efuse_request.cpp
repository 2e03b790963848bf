// The layouts of the efuse requests.
#include "efuse_request.h"

#include <iterator>

namespace {

uint8_t complement(uint16_t Type) {
    return static_cast<uint8_t>(~Type);
}

void put_element(RqmReqBuilder& Req, const EfuseElement& e) {
    Req.put16(EFUSE_TYPE_OFF, e.Type);
    if (e.Type == EFUSE_USER_AREA) {
        Req.put16(EFUSE_START_BIT_OFF, e.StartBit);
        Req.put16(EFUSE_LENGTH_BITS_OFF, e.LengthBits);
    }
}

}  // namespace

void rqm_encode_efuse_read(RqmReqBuilder& Req, const EfuseElement& e) {
    Req.start(HI_EFUSE_READ_REQ_ID, EFUSE_READ_REQ_LEN);
    put_element(Req, e);
    Req.put8(EFUSE_READ_CHECK_OFF, complement(e.Type));
}

uint32_t rqm_efuse_value_bytes(const EfuseElement& e) {
    static constexpr uint8_t VALUE_BYTES[] = {0, 16, 1, 3, 6, 0, 3};  // by EfuseElementType
    uint32_t n = e.LengthBytes;
    if (e.Type == EFUSE_USER_AREA)
        n = (e.LengthBits + 7u) / 8u;
    else if (e.Type < std::size(VALUE_BYTES))
        n = VALUE_BYTES[e.Type];
    return n < e.LengthBytes ? n : e.LengthBytes;
}

void rqm_encode_efuse_write(RqmReqBuilder& Req, const EfuseElement& e, const uint8_t* pData) {
    Req.start(HI_EFUSE_WRITE_REQ_ID, EFUSE_WRITE_REQ_LEN);
    put_element(Req, e);
    Req.put8(EFUSE_WRITE_FORCE_OFF, e.Force);
    Req.put8(EFUSE_WRITE_CHECK_OFF, complement(e.Type));
    Req.put_bytes(EFUSE_WRITE_DATA_OFF, pData, EFUSE_WRITE_DATA_BYTES);
}
