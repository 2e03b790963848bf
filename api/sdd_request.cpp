// The layouts of the driver's SDD requests: the path, an element of the
// SDD in use, and the download.
#include "sdd_request.h"

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

bool rqm_decode_user_power_entry(const RqmCnfReader& Cnf, int Row, uint16_t* pEntry) {
    if (Row < 0 || static_cast<uint32_t>(Row) >= SDD_USER_POWER_ENTRIES)
        return false;
    const uint32_t off = 2 * static_cast<uint32_t>(Row);
    // Only a whole table is taken: an element shorter than its last row is
    // no table of this SDD, whichever row the caller asks for.
    uint32_t len = 0;
    if (rqm_sdd_element_length(Cnf, &len) != RQM_SUCCESS || len < SDD_USER_POWER_BYTES)
        return false;
    *pEntry = Cnf.get16(SDD_ELEMENT_CNF_DATA_OFF + off);
    return true;
}
