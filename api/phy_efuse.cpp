// Efuse elements and antifuse bits. Efuse is one-time programmable, so
// every request names its element twice (the type and the complement of
// its low byte), and the firmware refuses the request when they disagree.
#include <cstdio>
#include <cstring>

#include "efuse_request.h"
#include "rqm_api.h"

namespace {

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
    rqm_encode_efuse_read(req, *pElement);
    RqmCnf<EFUSE_READ_CNF_MAX> cnf;
    const uint32_t room = EFUSE_READ_CNF_DATA_OFF + pElement->LengthBytes;
    const int result = rqm_exchange(ctx, req, cnf.Bytes.data(), room,
                                    EFUSE_READ_CNF_DATA_OFF + rqm_efuse_value_bytes(*pElement));
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
    rqm_encode_efuse_write(req, *pElement, pData);
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
