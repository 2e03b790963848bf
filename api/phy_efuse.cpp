// Efuse elements and antifuse bits. Efuse is one-time programmable, so
// every request names its element twice (the type and the complement of
// its low byte), and the firmware refuses the request when they disagree.
#include <cstdio>
#include <cstring>
#include <iterator>

#include "rqm_api.h"
#include "rqm_request.h"

namespace {

constexpr uint16_t HI_EFUSE_READ_REQ_ID = 43;
constexpr uint16_t HI_EFUSE_WRITE_REQ_ID = 44;
constexpr uint16_t HI_ANTIFUSE_READ_REQ_ID = 676;

// Efuse read (43): the answer carries the status, the write slots and the
// data asked for.
constexpr uint32_t EFUSE_READ_REQ_LEN = 12;
constexpr uint32_t EFUSE_READ_CHECK_OFF = 11;
constexpr uint32_t EFUSE_READ_CNF_SLOTS_OFF = 10;
constexpr uint32_t EFUSE_READ_CNF_DATA_OFF = 12;
constexpr uint32_t EFUSE_READ_CNF_MAX = EFUSE_READ_CNF_DATA_OFF + EFUSE_MAX_BYTES;

// Efuse write (44): six data bytes whatever the element, zeros to the end.
// Refused as written before, the answer shows what the element holds.
constexpr uint32_t EFUSE_WRITE_REQ_LEN = 96;
constexpr uint32_t EFUSE_WRITE_FORCE_OFF = 10;
constexpr uint32_t EFUSE_WRITE_CHECK_OFF = 12;
constexpr uint32_t EFUSE_WRITE_DATA_OFF = 13;
constexpr uint32_t EFUSE_WRITE_CNF_SIZE = 96;
constexpr uint32_t EFUSE_WRITE_CNF_STORED_OFF = 11;
constexpr uint32_t EFUSE_WRITE_CNF_STORED_NEED = EFUSE_WRITE_CNF_STORED_OFF + EFUSE_WRITE_DATA_BYTES;

// Both: the element type, and for the user area where its bits lie.
constexpr uint32_t EFUSE_TYPE_OFF = 4;
constexpr uint32_t EFUSE_START_BIT_OFF = 6;
constexpr uint32_t EFUSE_LENGTH_BITS_OFF = 8;

// Antifuse read (676): ten words after the status.
constexpr uint32_t ANTIFUSE_REQ_LEN = 8;
constexpr uint32_t ANTIFUSE_CNF_SIZE = 48;
constexpr uint32_t ANTIFUSE_CNF_WORDS_OFF = 8;
constexpr uint32_t ANTIFUSE_CNF_NEED = ANTIFUSE_CNF_WORDS_OFF + 4 * ANTIFUSE_WORDS;
static_assert(ANTIFUSE_CNF_NEED == ANTIFUSE_CNF_SIZE);

// The bytes of each element's value: what a read must bring of the bytes
// it makes room for (the room may be larger: the trim is one byte, the
// output-power calibration 21 bits). The user area's are its bits, and a
// type the firmware does not know has no value but the room asked for.
uint32_t element_bytes(const EfuseElement& e) {
    static constexpr uint8_t VALUE_BYTES[] = {0, 16, 1, 3, 6, 0, 3};  // by EfuseElementType
    uint32_t n = e.LengthBytes;
    if (e.Type == EFUSE_USER_AREA)
        n = (e.LengthBits + 7u) / 8u;
    else if (e.Type < std::size(VALUE_BYTES))
        n = VALUE_BYTES[e.Type];
    return n < e.LengthBytes ? n : e.LengthBytes;
}

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

void encode_efuse_read(RqmReqBuilder& Req, const EfuseElement& e) {
    Req.start(HI_EFUSE_READ_REQ_ID, EFUSE_READ_REQ_LEN);
    put_element(Req, e);
    Req.put8(EFUSE_READ_CHECK_OFF, complement(e.Type));
}

void encode_efuse_write(RqmReqBuilder& Req, const EfuseElement& e, const uint8_t* pData) {
    Req.start(HI_EFUSE_WRITE_REQ_ID, EFUSE_WRITE_REQ_LEN);
    put_element(Req, e);
    Req.put8(EFUSE_WRITE_FORCE_OFF, e.Force);
    Req.put8(EFUSE_WRITE_CHECK_OFF, complement(e.Type));
    Req.put_bytes(EFUSE_WRITE_DATA_OFF, pData, EFUSE_WRITE_DATA_BYTES);
}

void set_from_firmware(bool* pbFromFirmware, bool bValue) {
    if (pbFromFirmware != nullptr)
        *pbFromFirmware = bValue;
}

}  // namespace

int RQM_Read_Efuse_Element(RqmApiContext* ctx, const EfuseElement* pElement, EfuseReadResult* pResult,
                           bool* pbFromFirmware) {
    set_from_firmware(pbFromFirmware, false);
    if (ctx == nullptr)
        return RQM_NO_CONTEXT;
    // The answer is read into a buffer that holds no more data than this.
    if (pElement == nullptr || pResult == nullptr || pElement->LengthBytes > EFUSE_MAX_BYTES)
        return RQM_INVALID_PARAMETER;
    RqmRequest<EFUSE_READ_REQ_LEN> req;
    encode_efuse_read(req, *pElement);
    RqmCnf<EFUSE_READ_CNF_MAX> cnf;
    const uint32_t room = EFUSE_READ_CNF_DATA_OFF + pElement->LengthBytes;
    const int result =
        rqm_exchange(ctx, req, cnf.Bytes.data(), room, EFUSE_READ_CNF_DATA_OFF + element_bytes(*pElement));
    if (result != RQM_SUCCESS)
        return result;
    const RqmCnfReader answer(cnf.Bytes.data(), room);
    set_from_firmware(pbFromFirmware, true);
    memset(pResult->Data, 0, pElement->LengthBytes);
    answer.copy(EFUSE_READ_CNF_DATA_OFF, pResult->Data, pElement->LengthBytes);
    pResult->Status = answer.get32(HI_MSG_STATUS_OFF);
    pResult->WriteSlots = answer.get8(EFUSE_READ_CNF_SLOTS_OFF);
    const int status = static_cast<int>(pResult->Status);
    // An element never written is no fault; the callers say so their way.
    if (status != EFUSE_STATUS_CODE__NODATA_ERR)
        RW_EFUSE_ERROR_CHECK(ctx, pResult->Status);
    return status;
}

int RQM_Write_Efuse_Element(RqmApiContext* ctx, const EfuseElement* pElement, const uint8_t* pData,
                            bool* pbFromFirmware) {
    set_from_firmware(pbFromFirmware, false);
    if (ctx == nullptr)
        return RQM_NO_CONTEXT;
    if (pElement == nullptr || pData == nullptr)
        return RQM_INVALID_PARAMETER;
    RqmRequest<EFUSE_WRITE_REQ_LEN> req;
    encode_efuse_write(req, *pElement, pData);
    RqmCnf<EFUSE_WRITE_CNF_SIZE> cnf;
    const int result = rqm_exchange(ctx, req, cnf, STATUS_CNF_NEED);
    if (result != RQM_SUCCESS)
        return result;
    const RqmCnfReader answer = cnf.reader();
    const uint32_t status = answer.get32(HI_MSG_STATUS_OFF);
    // Refused as written before, the answer must show all that is stored.
    if (status == EFUSE_STATUS_CODE__HAVEWRITE_ERR &&
        answer.whole(EFUSE_WRITE_CNF_STORED_NEED) != RQM_SUCCESS)
        return RQM_NO_CONFIRMATION;
    set_from_firmware(pbFromFirmware, true);
    RW_EFUSE_ERROR_CHECK(ctx, status);
    if (status == EFUSE_STATUS_CODE__HAVEWRITE_ERR) {
        uint8_t stored[EFUSE_WRITE_DATA_BYTES] = {};
        answer.copy(EFUSE_WRITE_CNF_STORED_OFF, stored, sizeof stored);
        printf("MAC Address has been written before! Data is : ");
        printf("%02x:%02x:%02x:%02x:%02x:%02x\n", stored[0], stored[1], stored[2], stored[3], stored[4],
               stored[5]);
        puts("You can use cmd 'rqm write_efuse MAC_F [mac_addr]' to force writting!");
    }
    return static_cast<int>(status);
}

int RQM_GetAntiFuseBits(RqmApiContext* ctx, uint32_t* pBits) {
    if (ctx == nullptr)
        return RQM_NO_CONTEXT;
    if (pBits == nullptr)
        return RQM_INVALID_PARAMETER;
    RqmRequest<ANTIFUSE_REQ_LEN> req(HI_ANTIFUSE_READ_REQ_ID);
    RqmCnf<ANTIFUSE_CNF_SIZE> cnf;
    const int result = rqm_exchange(ctx, req, cnf, ANTIFUSE_CNF_NEED);
    if (result != RQM_SUCCESS)
        return result;
    const RqmCnfReader answer = cnf.reader();
    for (uint32_t i = 0; i < ANTIFUSE_WORDS; ++i)
        pBits[i] = answer.get32(ANTIFUSE_CNF_WORDS_OFF + 4 * i);
    return reported(ctx, answer.status(), "RQM_GetAntiFuseBits");
}
