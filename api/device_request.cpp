// The layouts of the general device requests.
#include "device_request.h"

#include <cstring>

void rqm_encode_connect(RqmReqBuilder& Req, uint16_t MsgId, bool bWithVersion) {
    Req.start(MsgId, bWithVersion ? CONNECT_REQ_LEN : CONNECT_REQ_SHORT_LEN);
    if (bWithVersion) {
        Req.put32(CONNECT_REQ_VERSION_OFF, CliVersion);
        Req.put32(CONNECT_REQ_PARAM_OFF, CONNECT_REQ_PARAM);
    }
}

void rqm_encode_read_reg_type(RqmReqBuilder& Req, uint32_t Type, uint32_t Address, uint32_t Count) {
    Req.start(HI_READ_REG_TYPE_REQ_ID, REG_TYPE_READ_REQ_LEN);
    Req.put32(REG_TYPE_READ_TYPE_OFF, Type);
    Req.put32(REG_TYPE_READ_ADDR_OFF, Address);
    Req.put32(REG_TYPE_READ_COUNT_OFF, Count);
}

int rqm_decode_read_reg_type(const RqmCnfReader& Cnf, uint32_t Asked, void* pDst) {
    const uint32_t asked = Asked < RQM_REG_TYPE_MAX_BYTES ? Asked : RQM_REG_TYPE_MAX_BYTES;
    uint32_t n = 0;
    if (Cnf.counted(REG_TYPE_READ_CNF_COUNT_OFF, REG_TYPE_READ_CNF_DATA_OFF, asked, &n) != RQM_SUCCESS)
        return RQM_NO_CONFIRMATION;
    const int status = Cnf.status();
    if (status == RQM_SUCCESS && n < asked)
        return RQM_NO_CONFIRMATION;
    Cnf.copy(REG_TYPE_READ_CNF_DATA_OFF, pDst, n);
    return status;
}

void rqm_encode_write_reg_type(RqmReqBuilder& Req, uint32_t Type, uint32_t Address, uint32_t Value) {
    Req.start(HI_WRITE_REG_TYPE_REQ_ID, REG_TYPE_WRITE_REQ_LEN);
    Req.put32(REG_TYPE_WRITE_MARK_OFF, REG_TYPE_WRITE_MARK);
    Req.put32(REG_TYPE_WRITE_TYPE_OFF, Type);
    Req.put32(REG_TYPE_WRITE_ADDR_OFF, Address);
    Req.put32(REG_TYPE_WRITE_VALUE_OFF, Value);
    Req.echo(REG_TYPE_WRITE_TYPE_OFF, REG_TYPE_WRITE_REQ_LEN - REG_TYPE_WRITE_TYPE_OFF);
}

void rqm_encode_sdd_config(RqmReqBuilder& Req, uint16_t Config) {
    Req.start(HI_SDD_CONFIG_REQ_ID, SDD_CONFIG_REQ_LEN);
    Req.put32(SDD_CONFIG_REQ_VALUE_OFF, Config & 0xFFu);
}

void rqm_encode_sleep(RqmReqBuilder& Req, uint32_t Mode, uint64_t Param) {
    Req.start(HI_SLEEP_REQ_ID, SLEEP_REQ_LEN);
    Req.put32(SLEEP_REQ_MODE_OFF, Mode);
    Req.put32(SLEEP_REQ_PARAM_LOW_OFF, static_cast<uint32_t>(Param));
    Req.put32(SLEEP_REQ_PARAM_HIGH_OFF, static_cast<uint32_t>(Param >> 32));
}

void rqm_encode_mac(RqmReqBuilder& Req, uint16_t MsgId, uint32_t Kind, const uint8_t* pMac) {
    Req.start(MsgId, MAC_REQ_LEN);
    Req.put32(MAC_REQ_KIND_OFF, Kind);
    if (pMac != nullptr)
        Req.put_bytes(MAC_REQ_ADDR_OFF, pMac, MAC_ADDR_BYTES);
    // The read's answer carries the address where the write has it: only
    // the kind is repeated there.
    const uint32_t echoEnd = pMac != nullptr ? MAC_REQ_ADDR_OFF + MAC_ADDR_BYTES : MAC_REQ_ADDR_OFF;
    Req.echo(MAC_REQ_KIND_OFF, echoEnd - MAC_REQ_KIND_OFF);
}

int rqm_decode_get_mac(const RqmCnfReader& Cnf, uint8_t* pMac) {
    Cnf.copy(MAC_CNF_ADDR_OFF, pMac, MAC_ADDR_BYTES);
    return Cnf.status();
}

void rqm_encode_hw_test(RqmReqBuilder& Req, uint16_t TestId, uint16_t Param1, uint16_t Param2,
                        uint8_t EncStep) {
    Req.start(HI_HW_TEST_REQ_ID, HW_TEST_REQ_LEN);
    Req.put16(HW_TEST_REQ_ID_OFF, TestId);
    Req.put16(HW_TEST_REQ_PARAM1_OFF, Param1);
    Req.put16(HW_TEST_REQ_PARAM2_OFF, Param2);
    Req.echo(HW_TEST_REQ_ID_OFF, HW_TEST_CNF_RESULT_OFF - HW_TEST_REQ_ID_OFF);
    if (EncStep != 0) {
        Req.put8(HW_TEST_REQ_ENC_STEP_OFF, EncStep);
        Req.put8(HW_TEST_REQ_ENC_VALUE_OFF, HW_TEST_ENC_VALUE);
    }
}

void rqm_encode_ctrl_blocks(RqmReqBuilder& Req, const uint8_t* const pBlocks[CTRL_BLOCK_COUNT]) {
    Req.start(HI_SELF_TEST_WRITE_CB_REQ_ID, CTRL_BLOCK_MSG_LEN);
    for (uint32_t i = 0; i < CTRL_BLOCK_COUNT; ++i)
        if (pBlocks[i] != nullptr)
            Req.put_bytes(CTRL_BLOCKS[i].Offset, pBlocks[i], CTRL_BLOCKS[i].Size);
}

void rqm_decode_ctrl_blocks(const RqmCnfReader& Cnf, uint8_t* const pBlocks[CTRL_BLOCK_COUNT]) {
    for (uint32_t i = 0; i < CTRL_BLOCK_COUNT; ++i) {
        if (pBlocks[i] == nullptr)
            continue;
        memset(pBlocks[i], 0, CTRL_BLOCKS[i].Size);
        Cnf.copy(CTRL_BLOCKS[i].Offset, pBlocks[i], CTRL_BLOCKS[i].Size);
    }
}
