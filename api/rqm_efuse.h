// The chip's one-time-programmable elements: efuse elements read and
// written one at a time, each request guarded by the complement of its
// element type, and the antifuse bits.
#pragma once

#include <cstddef>
#include <cstdint>

struct RqmApiContext;

enum EfuseElementType : uint16_t {
    EFUSE_CHIPID = 1,
    EFUSE_DCXO_TRIM = 2,
    EFUSE_POUT_CAL = 3,
    EFUSE_MAC = 4,
    EFUSE_USER_AREA = 5,  // addressed by bit
    EFUSE_POUT_CAL_BT = 6,
};

// What the firmware says of an efuse request. The values overlap the
// result codes, so the efuse functions also tell which of the two they
// return.
enum EfuseStatusCode : int {
    EFUSE_STATUS_CODE__SUCCESS = 0,
    EFUSE_STATUS_CODE__DEFAULT = 1,
    EFUSE_STATUS_CODE__CS_ERR = 2,
    EFUSE_STATUS_CODE__PARSE_ERR = 3,
    EFUSE_STATUS_CODE__RW_ERR = 4,
    EFUSE_STATUS_CODE__DI_ERR = 5,
    EFUSE_STATUS_CODE__NODATA_ERR = 6,
    EFUSE_STATUS_CODE__HAVEWRITE_ERR = 7,
    EFUSE_STATUS_CODE__NOTMATCH_ERR = 8,
    EFUSE_STATUS_CODE__NOTSUPPORTNOW = 9,
    EFUSE_STATUS_CODE__INVALID_PARAMS = 10,
};

// A read answer carries at most this many data bytes; a write always six.
inline constexpr uint16_t EFUSE_MAX_BYTES = 84;
inline constexpr uint32_t EFUSE_WRITE_DATA_BYTES = 6;
inline constexpr uint16_t EFUSE_USER_AREA_BITS = 658;
inline constexpr uint32_t ANTIFUSE_WORDS = 10;

struct EfuseElement {
    uint16_t Type;         // EfuseElementType
    uint16_t StartBit;     // USER_AREA only
    uint16_t LengthBits;   // USER_AREA only
    uint16_t LengthBytes;  // data bytes a read returns, at most EFUSE_MAX_BYTES
    uint8_t Force;         // writes only: 1 writes over an element written before
};

// What a read fills in: the status, the write slots as the firmware counts
// them, then the data, without gaps.
struct EfuseReadResult {
    uint32_t Status;
    uint8_t WriteSlots;
    uint8_t Data[EFUSE_MAX_BYTES];
};
static_assert(offsetof(EfuseReadResult, WriteSlots) == 4 && offsetof(EfuseReadResult, Data) == 5);

// Each returns the firmware's efuse status when the firmware answered, else
// a result code (transport, driver refusal, bad argument). pbFromFirmware,
// when given, tells the two apart: a driver's Res 6 is not "no data".
// A read fills pResult only from an answer that carries the element's
// value whole (the chip id's 16 bytes, the trim's one, a calibration's
// three, the address's six, the user area's bits); the bytes past it that
// the answer lacks read 0. A write sends exactly six data bytes; refused
// as written before, its answer must show six stored bytes.
int RQM_Read_Efuse_Element(RqmApiContext* pRqmApiContext, const EfuseElement* pElement,
                           EfuseReadResult* pResult, bool* pbFromFirmware = nullptr);
int RQM_Write_Efuse_Element(RqmApiContext* pRqmApiContext, const EfuseElement* pElement, const uint8_t* pData,
                            bool* pbFromFirmware = nullptr);
// The ten antifuse words, whatever the answer's status; the status, or the
// transport's code (1 too for an answer without all ten).
int RQM_GetAntiFuseBits(RqmApiContext* pRqmApiContext, uint32_t* pBits);
