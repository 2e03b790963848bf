// The efuse commands: read and write efuse elements, and read the antifuse
// bits. Efuse is written once for good, so a typed value is taken only
// when it is exactly what the user meant: hex digits that fit the field,
// nothing cut, nothing guessed.
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "cli/cli_variant.h"
#include "cli/numbers.h"
#include "common/hi_bytes.h"
#include "main.h"

namespace {

constexpr char NO_PARAM[] = "No param input!Please input params!";
constexpr uint32_t ANTIFUSE_SHOWN_WORDS = 8;

// How a read shows the element; a word without a form is not read.
enum EfuseShow : uint8_t { SHOW_NONE, SHOW_BYTES, SHOW_DCXO, SHOW_POUT, SHOW_MAC, SHOW_USER };
enum EfuseWrite : uint8_t { WRITE_UNSUPPORTED, WRITE_DCXO, WRITE_POUT, WRITE_MAC };

struct EfuseWord {
    const char* pchWord;
    uint16_t Type;
    uint16_t ReadBytes;  // asked by a read; the user area's come from its options
    EfuseShow Show;
    bool bSlots;  // a read tells how many writes are left
    EfuseWrite Write;
    uint8_t Force;
    bool bBluetooth;  // only where the program knows the Bluetooth calibration
};

constexpr EfuseWord EFUSE_WORDS[] = {
    {"CHIPID", EFUSE_CHIPID, 16, SHOW_BYTES, true, WRITE_UNSUPPORTED, 0, false},
    {"DCXO_TRIM", EFUSE_DCXO_TRIM, 6, SHOW_DCXO, true, WRITE_DCXO, 0, false},
    {"DCXO_TRIM_F", EFUSE_DCXO_TRIM, 0, SHOW_NONE, false, WRITE_DCXO, 1, false},
    {"POUT_CAL", EFUSE_POUT_CAL, 6, SHOW_POUT, true, WRITE_POUT, 0, false},
    {"POUT_CAL_F", EFUSE_POUT_CAL, 0, SHOW_NONE, false, WRITE_POUT, 1, false},
    {"MAC", EFUSE_MAC, 6, SHOW_MAC, false, WRITE_MAC, 0, false},
    {"MAC_F", EFUSE_MAC, 0, SHOW_NONE, false, WRITE_MAC, 1, false},
    {"USER_AREA", EFUSE_USER_AREA, 0, SHOW_USER, false, WRITE_UNSUPPORTED, 0, false},
    {"POUT_CAL_BT", EFUSE_POUT_CAL_BT, 6, SHOW_POUT, true, WRITE_POUT, 0, true},
};

const EfuseWord* find_word(const char* word) {
    for (const EfuseWord& w : EFUSE_WORDS)
        if (strcmp(w.pchWord, word) == 0 && (!w.bBluetooth || g_cli_variant.bEfusePoutCalBt))
            return &w;
    return nullptr;
}

// The user area's bits; each row leaves its value for the element.
constexpr std::array READ_EFUSE_ROWS{
    CliOption{.Letter = 's',
              .pchLong = "start_bit",
              .Dest = CliLocal{},
              .Min = 0,
              .Max = EFUSE_USER_AREA_BITS - 1,
              .pchRefused = "Read efuse: start_bit should be 0 to 657!"},
    CliOption{.Letter = 'l',
              .pchLong = "length",
              .Dest = CliLocal{},
              .Min = 1,
              .Max = EFUSE_USER_AREA_BITS,
              .pchRefused = "Read efuse: length should be 1 to 658!"},
};
static_assert(cli_rows_valid(READ_EFUSE_ROWS));
constexpr auto READ_EFUSE_GETOPT = cli_getopt_tables(READ_EFUSE_ROWS);
const CliOptionTable read_efuse_options = {READ_EFUSE_ROWS, READ_EFUSE_GETOPT.Short.data(),
                                           READ_EFUSE_GETOPT.Long.data(), nullptr, nullptr};

enum HexCheck { HEX_OK, HEX_NOT_HEX, HEX_TOO_WIDE };

// Hex digits, "0x" allowed before them, and nothing else; the whole value
// must be at most Max.
HexCheck parse_efuse_hex(const char* pchText, uint32_t Max, uint32_t* pValue) {
    const char* p = pchText;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))
        p += 2;
    if (*p == '\0')
        return HEX_NOT_HEX;
    for (const char* q = p; *q != '\0'; ++q)
        if (!isxdigit(static_cast<unsigned char>(*q)))
            return HEX_NOT_HEX;
    *pValue = cli_strtoul_hex(p);  // saturates, so a long number stays too wide
    return *pValue <= Max ? HEX_OK : HEX_TOO_WIDE;
}

int not_hex(const char* pchText) {
    printf("Param %s is not hex data!\n", pchText);
    return -1;
}

// A write first reads the element; one the firmware cannot read is left
// alone.
int read_before_write(uint16_t Type) {
    EfuseElement e{.Type = Type, .StartBit = 0, .LengthBits = 0, .LengthBytes = 6, .Force = 0};
    EfuseReadResult r{};
    bool bFromFirmware = false;
    const int result = RQM_Read_Efuse_Element(cli_api(), &e, &r, &bFromFirmware);
    if (result == EFUSE_STATUS_CODE__SUCCESS || (bFromFirmware && result == EFUSE_STATUS_CODE__NODATA_ERR))
        return 0;
    printf("read efuse error!--%d\n", result);
    return -1;
}

int write_element(const EfuseWord& w, const uint8_t* pData) {
    EfuseElement e{.Type = w.Type, .StartBit = 0, .LengthBits = 0, .LengthBytes = 0, .Force = w.Force};
    return RQM_Write_Efuse_Element(cli_api(), &e, pData);
}

void show_bytes(const uint8_t* pData, uint16_t Count) {
    for (uint16_t i = 0; i < Count; ++i)
        printf("0x%02x ", pData[i]);
    printf("\n");
}

void show(const EfuseWord& w, const EfuseElement& e, const EfuseReadResult& r) {
    const uint8_t* d = r.Data;
    switch (w.Show) {
    case SHOW_MAC:
        printf("%02x:%02x:%02x:%02x:%02x:%02x\n", d[0], d[1], d[2], d[3], d[4], d[5]);
        break;
    case SHOW_POUT: {
        const unsigned low = d[0] & 0x7F;
        const unsigned mid = (d[0] >> 7) | ((d[1] & 0x3F) << 1);
        const unsigned high = (d[1] >> 6) | ((d[2] & 0x1F) << 2);
        printf("pout_cal:\nlow :%02x\nmid :%02x\nhigh:%02x\n", low, mid, high);
        break;
    }
    case SHOW_DCXO:
        printf("DCXO_TRIM: %d\n", d[0]);
        break;
    case SHOW_USER:
        printf("start_bit=%d, length=%d \n", e.StartBit, e.LengthBits);
        show_bytes(d, e.LengthBytes);
        break;
    case SHOW_BYTES:
        show_bytes(d, e.LengthBytes);
        break;
    case SHOW_NONE:
        break;
    }
}

}  // namespace

int Read_Efuse_Settings_Interpret(char option, const char* pchArg, EfuseElement* pElement) {
    CliOptionOut out{};
    if (cli_option_apply(read_efuse_options, option, pchArg, nullptr, &out) != 0)
        return -1;
    if (option == 's')
        pElement->StartBit = static_cast<uint16_t>(out.Value);
    else
        pElement->LengthBits = static_cast<uint16_t>(out.Value);
    return 0;
}

int read_efuse_prepare(int argc, char** argv, EfuseElement* pElement) {
    if (argc < 3) {
        puts(NO_PARAM);
        return -1;
    }
    const EfuseWord* w = find_word(argv[2]);
    if (argc == 3) {
        if (w == nullptr || w->Show == SHOW_NONE) {
            puts(INVALID_PARAMS);
            return -1;
        }
        if (w->Type == EFUSE_USER_AREA) {
            puts("Please input start_bit and len when reading user_area!");
            return -1;
        }
        *pElement = EfuseElement{
            .Type = w->Type, .StartBit = 0, .LengthBits = 0, .LengthBytes = w->ReadBytes, .Force = 0};
        return 0;
    }
    if (strcmp(argv[2], "USER_AREA") != 0) {
        puts(INVALID_PARAMS);
        return -1;
    }
    *pElement =
        EfuseElement{.Type = EFUSE_USER_AREA, .StartBit = 0, .LengthBits = 0, .LengthBytes = 0, .Force = 0};
    // The element word stands in the program name's place.
    CliOptionWalk walk = cli_options_begin(argc - 1, argv + 1, read_efuse_options);
    while (cli_options_next(&walk)) {
        if (Read_Efuse_Settings_Interpret(static_cast<char>(walk.Letter), walk.pchArg, pElement) != 0) {
            puts("Params set error!");
            return -1;
        }
    }
    for (int i = optind; i < walk.argc; ++i)
        fprintf(stderr, "%s %s: ignoring extra argument -- %s\n", argv[1], argv[2], walk.argv[i]);
    if (pElement->LengthBits == 0) {
        puts(INVALID_PARAMS);
        return -1;
    }
    if (pElement->StartBit + pElement->LengthBits > EFUSE_USER_AREA_BITS) {
        puts("Sum of satrt_bit and length can't be larger than 658!");
        return -1;
    }
    pElement->LengthBytes = static_cast<uint16_t>((pElement->LengthBits + 7) / 8);
    return 0;
}

int proc_read_efuse(int argc, char** argv) {
    EfuseElement e{};
    if (read_efuse_prepare(argc, argv, &e) != 0)
        return -1;
    const EfuseWord& w = *find_word(argv[2]);
    EfuseReadResult r{};
    bool bFromFirmware = false;
    const int result = RQM_Read_Efuse_Element(cli_api(), &e, &r, &bFromFirmware);
    if (bFromFirmware && result == EFUSE_STATUS_CODE__NODATA_ERR) {
        printf("[%s] There is no data in the region.\n", argv[2]);
        return 0;
    }
    if (result != EFUSE_STATUS_CODE__SUCCESS)
        return -1;
    if (w.bSlots)
        printf("[%s]:you can write %d times.\n", argv[2], r.WriteSlots - 1);
    show(w, e, r);
    return 0;
}

namespace {

// Each kind of write, after the handler has found the word and counted
// the words: 0, or -1 after its own lines.
int write_dcxo_trim(int, char** argv) {
    const EfuseWord& w = *find_word(argv[2]);
    uint32_t trim = 0;
    const HexCheck check = parse_efuse_hex(argv[3], 0x7F, &trim);
    if (check == HEX_NOT_HEX)
        return not_hex(argv[3]);
    if (check == HEX_TOO_WIDE || trim == 0) {
        printf("[%s],%d exit! reference value:0~127.\n", g_cli_variant.pchDcxoRefusalSite,
               g_cli_variant.DcxoRefusalLine);
        return -1;
    }
    if (read_before_write(w.Type) != 0)
        return -1;
    const uint8_t data[EFUSE_WRITE_DATA_BYTES] = {static_cast<uint8_t>(trim)};
    const int result = write_element(w, data);
    if (result != 0) {
        printf(g_cli_variant.pchEfuseWriteFailed, result);
        return -1;
    }
    return 0;
}

int write_pout_cal(int argc, char** argv) {
    if (argc != 6) {
        puts(INVALID_PARAMS);
        return -1;
    }
    const EfuseWord& w = *find_word(argv[2]);
    // High, mid and low: the words from the last.
    uint32_t value[3] = {};
    for (int i = 0; i < 3; ++i) {
        const char* text = argv[5 - i];
        const HexCheck check = parse_efuse_hex(text, 0x7F, &value[i]);
        if (check == HEX_NOT_HEX)
            return not_hex(text);
        if (check == HEX_TOO_WIDE) {
            printf("Param %s is larger than 0x7f!\n", text);
            return -1;
        }
        printf("value = 0x%02x\n", value[i]);
    }
    const uint32_t high = value[0], mid = value[1], low = value[2];
    if (read_before_write(w.Type) != 0)
        return -1;
    printf("low:0x%02x\t", low);
    printf("mid:0x%02x\t", mid);
    printf("high:0x%02x\n", high);
    uint8_t data[EFUSE_WRITE_DATA_BYTES] = {};
    hi_wr32(data, high << 14 | mid << 7 | low);
    return write_element(w, data) == 0 ? 0 : -1;
}

int write_mac(int argc, char** argv) {
    if (argc == 3) {
        puts(NO_PARAM);
        return -1;
    }
    if (argc > 4) {
        puts("Too much  params!");
        return -1;
    }
    const char* text = argv[3];
    if (strlen(text) != 17) {
        puts("Param length should be 17!");
        return -1;
    }
    uint8_t mac[EFUSE_WRITE_DATA_BYTES] = {};
    for (int i = 0; i < 6; ++i) {
        const char* group = text + 3 * i;
        if (i < 5 && group[2] != ':') {
            puts("There is a param error!");
            return -1;
        }
        // Each group alone: two hex digits, no sign, no blank.
        const char digits[3] = {group[0], group[1], '\0'};
        const char* bad = !isxdigit(static_cast<unsigned char>(digits[0]))   ? digits
                          : !isxdigit(static_cast<unsigned char>(digits[1])) ? digits + 1
                                                                             : nullptr;
        if (bad != nullptr) {
            printf("There is a param error: %s!\n", bad);
            return -1;
        }
        mac[i] = static_cast<uint8_t>(cli_strtoul_hex(digits));
    }
    return write_element(*find_word(argv[2]), mac) == 0 ? 0 : -1;
}

}  // namespace

int proc_write_efuse(int argc, char** argv) {
    if (argc < 3) {
        puts(NO_PARAM);
        return -1;
    }
    const EfuseWord* w = find_word(argv[2]);
    if (w == nullptr) {
        puts(INVALID_PARAMS);
        return -1;
    }
    int ret = 0;
    switch (w->Write) {
    case WRITE_UNSUPPORTED:
        puts("not support yet!");
        return -1;
    case WRITE_DCXO:
        if (argc != 4) {
            puts(INVALID_PARAMS);
            return -1;
        }
        ret = write_dcxo_trim(argc, argv);
        break;
    case WRITE_POUT:
        ret = write_pout_cal(argc, argv);
        break;
    case WRITE_MAC:
        ret = write_mac(argc, argv);
        break;
    }
    if (ret != 0) {
        printf(g_cli_variant.pchEfuseWriteFailed, ret);
        return ret;
    }
    return 0;
}

int proc_get_antifuse(int, char**) {
    uint32_t bits[ANTIFUSE_WORDS] = {};
    if (RQM_GetAntiFuseBits(cli_api(), bits) != RQM_SUCCESS)
        return -1;
    printf("\nRead antifuse bits:\n");
    for (uint32_t i = 0; i < ANTIFUSE_SHOWN_WORDS; ++i)
        printf("\t0x%04x%04x\n", bits[i] >> 16, bits[i] & 0xFFFF);
    printf("\n");
    return 0;
}
