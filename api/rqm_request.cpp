// The request builder, the confirmation reader and the layouts of the
// requests that have one of their own. Nothing here touches the transport,
// so every layout can be checked, and fuzzed, on bytes alone.
#include "rqm_request.h"

#include <cstring>

void RqmReqBuilder::start(uint16_t MsgId, uint32_t MsgLen) {
    memset(pBuf_, 0, Capacity_);
    Len_ = 0;
    EchoOff_ = 0;
    EchoLen_ = 0;
    bRefused_ = MsgLen < HI_MSG_HEADER_SIZE || MsgLen > Capacity_ || MsgLen > HI_MSG_MAX_LEN;
    if (bRefused_)
        return;
    Len_ = MsgLen;
    hi_set_msg_len(pBuf_, static_cast<uint16_t>(MsgLen));
    hi_set_msg_id(pBuf_, MsgId);
}

uint8_t* RqmReqBuilder::claim(uint32_t Off, uint32_t Count) {
    if (Off > Len_ || Count > Len_ - Off) {
        bRefused_ = true;
        return nullptr;
    }
    return pBuf_ + Off;
}

void RqmReqBuilder::put8(uint32_t Off, uint8_t Value) {
    if (uint8_t* p = claim(Off, 1))
        *p = Value;
}

void RqmReqBuilder::put16(uint32_t Off, uint16_t Value) {
    if (uint8_t* p = claim(Off, 2))
        hi_wr16(p, Value);
}

void RqmReqBuilder::put32(uint32_t Off, uint32_t Value) {
    if (uint8_t* p = claim(Off, 4))
        hi_wr32(p, Value);
}

void RqmReqBuilder::put32_be(uint32_t Off, uint32_t Value) {
    if (uint8_t* p = claim(Off, 4)) {
        p[0] = static_cast<uint8_t>(Value >> 24);
        p[1] = static_cast<uint8_t>(Value >> 16);
        p[2] = static_cast<uint8_t>(Value >> 8);
        p[3] = static_cast<uint8_t>(Value);
    }
}

void RqmReqBuilder::put_bytes(uint32_t Off, const void* pSrc, uint32_t Count) {
    uint8_t* p = claim(Off, Count);
    if (p != nullptr && Count != 0)
        memcpy(p, pSrc, Count);
}

void RqmReqBuilder::echo(uint32_t Off, uint32_t Count) {
    if (Count > RQM_ECHO_MAX || claim(Off, Count) == nullptr)
        bRefused_ = true;
    if (bRefused_)
        return;
    EchoOff_ = Off;
    EchoLen_ = Count;
}

RqmCnfReader::RqmCnfReader(const uint8_t* pCnf, uint32_t Room) : p_(pCnf), Got_(0) {
    if (Room >= HI_MSG_HEADER_SIZE) {
        const uint32_t len = hi_msg_len(pCnf);
        Got_ = len < Room ? len : Room;
    }
}

int RqmCnfReader::status_at(uint32_t Off) const {
    return has(Off, 4) ? static_cast<int>(hi_rd32(p_ + Off)) : RQM_NO_CONFIRMATION;
}

uint8_t RqmCnfReader::get8(uint32_t Off) const {
    return has(Off, 1) ? p_[Off] : 0;
}

uint16_t RqmCnfReader::get16(uint32_t Off) const {
    return has(Off, 2) ? hi_rd16(p_ + Off) : 0;
}

uint32_t RqmCnfReader::get32(uint32_t Off) const {
    return has(Off, 4) ? hi_rd32(p_ + Off) : 0;
}

uint32_t RqmCnfReader::copy(uint32_t Off, void* pDst, uint32_t Count) const {
    const uint32_t n = Count < avail(Off) ? Count : avail(Off);
    if (n != 0)
        memcpy(pDst, p_ + Off, n);
    return n;
}

int RqmCnfReader::counted(uint32_t CountOff, uint32_t DataOff, uint32_t Max, uint32_t* pCount) const {
    const uint32_t count = get32(CountOff);
    *pCount = count < Max ? count : Max;
    return has(CountOff, 4) && has(DataOff, *pCount) ? RQM_SUCCESS : RQM_NO_CONFIRMATION;
}

void rqm_encode_words(RqmReqBuilder& Req, uint16_t MsgId, const uint32_t* pWords, uint32_t Count) {
    Req.start(MsgId, WORD_REQ_IN_OFF + 4 * Count);
    for (uint32_t i = 0; i < Count; ++i)
        Req.put32(WORD_REQ_IN_OFF + 4 * i, pWords[i]);
}

void rqm_encode_raw(RqmReqBuilder& Req, uint16_t MsgId, const void* pPayload, uint32_t Length) {
    Req.start(MsgId, RAW_REQ_PAYLOAD_OFF + Length);
    Req.put_bytes(RAW_REQ_PAYLOAD_OFF, pPayload, Length);
}

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

int rqm_decode_api_context(const RqmCnfReader& Cnf, RqmApiContext* ctx) {
    ctx->FwRunning = Cnf.get8(API_CONTEXT_FW_RUNNING_OFF);
    ctx->MibBaseAddress = Cnf.get32(API_CONTEXT_MIB_BASE_OFF);
    ctx->FirmwareApiVer = Cnf.get16(API_CONTEXT_API_VER_OFF);
    return Cnf.status();
}

void rqm_encode_cli_param_fetch(RqmReqBuilder& Req) {
    Req.start(HI_GET_CLI_PARAM_REQ_ID, CLI_PARAM_FETCH_LEN);
    Req.put32(CLI_PARAM_VERSION_OFF, CliVersion);
}

int rqm_decode_cli_record(const RqmCnfReader& Cnf, CliDriverData* pData) {
    uint32_t count = 0;
    if (Cnf.counted(CLI_PARAM_LEN_OFF, CLI_PARAM_RECORD_OFF, CLI_DRIVER_DATA_SIZE, &count) != RQM_SUCCESS)
        return RQM_NO_CONFIRMATION;
    uint8_t record[CLI_DRIVER_DATA_SIZE] = {};
    Cnf.copy(CLI_PARAM_RECORD_OFF, record, count);
    for (uint32_t i = 0; i < CLI_DRIVER_DATA_WORDS; ++i)
        pData->Word[i] = hi_rd16(record + 2 * i);
    return RQM_SUCCESS;
}

void rqm_encode_cli_param_push(RqmReqBuilder& Req, const CliDriverData& Data) {
    Req.start(HI_SET_CLI_PARAM_REQ_ID, CLI_PARAM_PUSH_LEN);
    Req.put32(CLI_PARAM_LEN_OFF, CLI_DRIVER_DATA_SIZE);
    Req.put32(CLI_PARAM_VERSION_OFF, CliVersion);
    for (uint32_t i = 0; i < CLI_DRIVER_DATA_WORDS; ++i)
        Req.put16(CLI_PARAM_RECORD_OFF + 2 * i, Data.Word[i]);
}

int rqm_decode_sdd_path(const RqmCnfReader& Cnf, char* pPath, uint32_t* pLength) {
    *pLength = 0;
    // A length no path can have names none, whatever came after it.
    const uint32_t claimed = Cnf.get32(SDD_PATH_CNF_LEN_OFF);
    if (claimed == 0 || claimed > SDD_PATH_MAX)
        return RQM_SUCCESS;
    uint32_t len = 0;
    if (Cnf.counted(SDD_PATH_CNF_LEN_OFF, SDD_PATH_CNF_PATH_OFF, SDD_PATH_MAX, &len) != RQM_SUCCESS)
        return RQM_NO_CONFIRMATION;
    Cnf.copy(SDD_PATH_CNF_PATH_OFF, pPath, len);
    pPath[len] = '\0';
    *pLength = len;
    return RQM_SUCCESS;
}

void rqm_encode_sdd_element(RqmReqBuilder& Req, uint8_t ElementId) {
    Req.start(HI_GET_SDD_ELEMENT_REQ_ID, SDD_ELEMENT_REQ_LEN);
    Req.put8(SDD_ELEMENT_REQ_ID_OFF, ElementId);
}

int rqm_sdd_element_length(const RqmCnfReader& Cnf, uint32_t* pLength) {
    return Cnf.counted(SDD_ELEMENT_CNF_LEN_OFF, SDD_ELEMENT_CNF_DATA_OFF,
                       SDD_ELEMENT_CNF_SIZE - SDD_ELEMENT_CNF_DATA_OFF, pLength);
}

int rqm_decode_sdd_version(const RqmCnfReader& Cnf, uint8_t* pVersion) {
    uint32_t len = 0;
    if (rqm_sdd_element_length(Cnf, &len) != RQM_SUCCESS)
        return RQM_NO_CONFIRMATION;
    const int status = Cnf.status();
    // A version needs both its bytes; a shorter element is no version, and
    // a stale one must not travel on to the driver's record.
    if (len < 2)
        return status != RQM_SUCCESS ? status : RQM_STEP_FAILED;
    *pVersion = static_cast<uint8_t>(10 * Cnf.get8(SDD_ELEMENT_CNF_DATA_OFF) +
                                     Cnf.get8(SDD_ELEMENT_CNF_DATA_OFF + 1));
    return status;
}

void rqm_encode_sdd_download(RqmReqBuilder& Req, const uint8_t* pData, uint32_t Count, uint8_t Trailer) {
    Req.start(HI_SDD_DOWNLOAD_MSG_ID, Count + SDD_DOWNLOAD_OVERHEAD);
    Req.put_bytes(SDD_DOWNLOAD_DATA_OFF, pData, Count);
    Req.put8(SDD_DOWNLOAD_DATA_OFF + Count, Trailer);
}
