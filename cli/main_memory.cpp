// The memory and register commands: chip memory read and written by
// address, registers by bus type, and register files loaded and saved.
#include <array>
#include <cstdio>
#include <cstring>

#include "api/rqm_api.h"
#include "cli/cli_variant.h"
#include "cli/numbers.h"
#include "cli/read_ram_thread.h"
#include "common/hi_bytes.h"
#include "main.h"

namespace {

// -r moves the start address to the region's start; the parameter block's
// is the firmware's.
int region_chosen(CliSettings* pSettings, const char*, int iResult) {
    static constexpr uint32_t REGION_START[] = {0x89000000, 0x8ABB801C};
    if (iResult != 0)
        return iResult;
    if (pSettings->mem_region < std::size(REGION_START))
        pSettings->mem_addr = REGION_START[pSettings->mem_region];
    else if (cli_api() != nullptr)
        pSettings->mem_addr = cli_api()->MibBaseAddress;
    return iResult;
}

constexpr CliWord MEMORY_TYPES[] = {
    {"HIF", 1, nullptr}, {"hif", 1, nullptr}, {"AHB", 2, nullptr},
    {"ahb", 2, nullptr}, {"APB", 3, nullptr}, {"apb", 3, nullptr},
};

constexpr char NO_FILE[] = "No file input!";
constexpr char LENGTH_REFUSED[] = "Memory length should be 0 to 1024!";
constexpr char ADDRESS_NOT_HEX[] = "Address should be hex data, begin with '0x'!";
constexpr char NO_SOURCE[] = "Please input \"-p [path]\"";

// The read buffers hold what -l admits: the most that read_reg's read by
// bus type brings.
constexpr uint32_t MEM_LENGTH_MAX = RQM_REG_TYPE_MAX_BYTES;
constexpr uint32_t ROW_WORDS = 8;
// read_mem over the RF access path.
constexpr uint32_t READ_MEM_RF_PARAM = 3;

constexpr std::array MEM_ROWS{
    CliOption{.Letter = 'a',
              .pchLong = "start_addr",
              .Kind = CLI_HEX,
              .Dest = &CliSettings::mem_addr,
              .pchDone = "Memory start address set to 0x%08x!\n",
              .pchRefused = ADDRESS_NOT_HEX},
    CliOption{.Letter = 'd',
              .pchLong = "dest_path",
              .Kind = CLI_TEXT,
              .Dest = &CliSettings::dest_path,
              .pchDone = "Dest file path is: %s!\n",
              .pchMissing = NO_FILE},
    CliOption{.Letter = 'l',
              .pchLong = "length",
              .Dest = &CliSettings::mem_length,
              .Min = 0,
              .Max = MEM_LENGTH_MAX,
              .Align = 4,
              .pchDone = "Memory length set to:%d!\n",
              .pchRefused = LENGTH_REFUSED,
              .Reset = 4},
    CliOption{.Letter = 'p',
              .pchLong = "src_path",
              .Kind = CLI_TEXT,
              .Dest = &CliSettings::src_path,
              .pchDone = "File path is: %s!\n",
              .pchMissing = NO_FILE},
    CliOption{.Letter = 'r',
              .pchLong = "region",
              .Dest = &CliSettings::mem_region,
              .Min = 0,
              .Max = 2,
              .pchDone = "Memory region is:%d!\n",
              .pchRefused = "Memory region should be 0 to 2!",
              .Reset = 0,
              .pfnHook = region_chosen},
    // -s takes no argument, but its long form --start does, and ignores it.
    CliOption{.Letter = 's',
              .pchLong = "start",
              .ShortArg = CLI_ARG_NONE,
              .Kind = CLI_SET,
              .Dest = &CliSettings::mem_r_start,
              .Value = 1,
              .pchDone = "We will start reading thread!"},
    CliOption{.Letter = 't',
              .pchLong = "type",
              .Kind = CLI_WORD,
              .Dest = &CliSettings::mem_type,
              .Words = MEMORY_TYPES,
              .pchDone = "Memory type set to:%d!\n",
              .pchRefused = "Memory type should be HIF/AHB/APB!",
              .Reset = 0},
    CliOption{.Letter = 'v',
              .pchLong = "value",
              .Kind = CLI_HEX,
              .Dest = &CliSettings::mem_value,
              .pchDone = "Memory value set to 0x%08x!\n",
              .pchRefused = "Value should be hex data, begin with '0x'!"},
};
static_assert(cli_rows_valid(MEM_ROWS));
constexpr auto MEM_GETOPT = cli_getopt_tables(MEM_ROWS);
constexpr const option* long_mem_options = MEM_GETOPT.Long.data();

}  // namespace

const CliOptionTable mem_options = {MEM_ROWS, MEM_GETOPT.Short.data(), long_mem_options, nullptr, nullptr};

int Memory_Settings_Interpret(char option, const char* pchArg) {
    return cli_option_apply(mem_options, option, pchArg, &setting, nullptr);
}

namespace {

// A length the settings file gave is not range-checked by -l.
bool length_fits() {
    if (setting.mem_length <= MEM_LENGTH_MAX)
        return true;
    puts(LENGTH_REFUSED);
    return false;
}

// A "0x" word read as hex; anything else is refused with its line.
bool hex_word(const char* pchText, const char* pchRefused, uint32_t* pValue) {
    if (strncmp(pchText, "0x", 2) != 0) {
        puts(pchRefused);
        return false;
    }
    *pValue = cli_strtoul_hex(pchText + 2);
    return true;
}

// The address of write_mem, hw_write_reg and hw_read_reg, aligned down to a
// word with a warning.
bool word_address(const char* pchText, uint32_t* pAddress) {
    if (!hex_word(pchText, ADDRESS_NOT_HEX, pAddress))
        return false;
    if ((*pAddress & 3) != 0) {
        puts("WARNING:Address should be multiple of 4 !");
        *pAddress &= ~3u;
    }
    return true;
}

// write_mem and hw_write_reg: the address and data words, printed.
bool address_and_data(int argc, char** argv, uint32_t* pAddress, uint32_t* pData) {
    if (argc != 4) {
        puts("\nInvalid param!!");
        return false;
    }
    if (!word_address(argv[2], pAddress) ||
        !hex_word(argv[3], "Data should be hex data, begin with '0x'!", pData))
        return false;
    printf("Write address set to \t0x%08x!\nWrite data is \t\t0x%08x!\n", *pAddress, *pData);
    return true;
}

// load_reg and save_reg: their options, of which the source path is needed.
bool source_given(int argc, char** argv) {
    if (cli_parse_options(argc, argv, mem_options) != 0)
        return false;
    if (setting.src_path != nullptr)
        return true;
    puts(NO_SOURCE);
    return false;
}

void print_words(uint32_t Address, const uint32_t* pWords, uint32_t Count) {
    printf("0x%08x:", Address);
    for (uint32_t i = 0; i < Count; ++i)
        printf(" 0x%08x", pWords[i]);
    printf("\n");
}

}  // namespace

int proc_read_mem(int argc, char** argv) {
    if (cli_parse_options(argc, argv, mem_options) != 0 || !length_fits())
        return -1;
    const uint32_t length = setting.mem_length;
    std::array<uint32_t, MEM_LENGTH_MAX / 4> words{};
    switch (setting.mem_region) {
    case 0:
    case 2: {
        std::array<uint8_t, MEM_LENGTH_MAX> bytes{};
        if (RQM_ReadMemory(cli_api(), setting.mem_addr, bytes.data(), length) != RQM_SUCCESS)
            return -1;
        for (size_t i = 0; i < words.size(); ++i)
            words[i] = hi_rd32(bytes.data() + 4 * i);
        break;
    }
    case 1:
        if (RQM_ReadMemoryRfAccess(cli_api(), setting.mem_addr, words.data(), length, READ_MEM_RF_PARAM) !=
            RQM_SUCCESS)
            return -1;
        break;
    default:
        return -1;
    }
    puts("\nRead memory:");
    puts(g_cli_variant.pchReadMemHeader);
    const uint32_t rows = length / (4 * ROW_WORDS);
    for (uint32_t r = 0; r < rows; ++r)
        print_words(setting.mem_addr + 4 * ROW_WORDS * r, &words[ROW_WORDS * r], ROW_WORDS);
    if (const uint32_t rest = (length / 4) % ROW_WORDS; rest != 0)
        print_words(setting.mem_addr + 4 * ROW_WORDS * rows, &words[ROW_WORDS * rows], rest);
    printf("\n");
    return 0;
}

int proc_write_mem(int argc, char** argv) {
    uint32_t address = 0, data = 0;
    if (!address_and_data(argc, argv, &address, &data))
        return -1;
    return RQM_WriteMemory(cli_api(), address, data) == RQM_SUCCESS ? 0 : -1;
}

int proc_hw_write_reg(int argc, char** argv) {
    uint32_t address = 0, data = 0;
    if (!address_and_data(argc, argv, &address, &data))
        return -1;
    return RQM_HwWriteReg(cli_api(), address, data) == RQM_SUCCESS ? 0 : -1;
}

int proc_hw_read_reg(int argc, char** argv) {
    if (argc != 3) {
        puts("\nInvalid param!!");
        return -1;
    }
    uint32_t address = 0;
    if (!word_address(argv[2], &address))
        return -1;
    printf("Read address set to \t0x%08x!\n", address);
    uint32_t value = 0;
    if (RQM_HwReadReg(cli_api(), address, &value) != RQM_SUCCESS)
        return -1;
    printf("Read data is \t0x%08x!\n", value);
    return 0;
}

int proc_load_reg(int argc, char** argv) {
    if (!source_given(argc, argv))
        return -1;
    int result = -1;
    if (setting.mem_region == 0 || setting.mem_region == 2)
        result = RQM_BlockRegInit(cli_api(), setting.src_path);
    else if (setting.mem_region == 1)
        result = RQM_BlockRegInitRfAccess(cli_api(), setting.src_path);
    if (result != RQM_SUCCESS)
        return -1;
    puts("Load registers OK!");
    return 0;
}

int proc_save_reg(int argc, char** argv) {
    if (!source_given(argc, argv))
        return -1;
    int result = -1;
    if (setting.mem_region == 0 || setting.mem_region == 2)
        result = RQM_DumpRegistersToFile(cli_api(), setting.src_path, setting.dest_path);
    else if (setting.mem_region == 1)
        // The length option doubles as the RF access parameter here.
        result = RQM_DumpRegistersToFileRfAccess(cli_api(), setting.src_path, setting.dest_path,
                                                 setting.mem_length);
    if (result != RQM_SUCCESS)
        return -1;
    puts("Save registers OK!");
    return 0;
}

int read_reg_run(int argc, char** argv, const char* pchDumpPath, FILE* pInput) {
    if (cli_parse_options(argc, argv, mem_options) != 0)
        return -1;
    if (setting.mem_r_start == 0) {
        if (!length_fits())
            return -1;
        // Zeroed: bytes the driver does not send must not reach the file
        // as whatever the memory held.
        std::array<uint8_t, MEM_LENGTH_MAX> buffer{};
        if (RQM_ReadRegType(cli_api(), setting.mem_type, setting.mem_addr, setting.mem_length,
                            buffer.data()) != RQM_SUCCESS)
            return -1;
        FILE* file = fopen(pchDumpPath, "a+");
        if (file == nullptr) {
            printf("openfile [%s] error!\n", pchDumpPath);
            return -1;
        }
        printf("openfile [%s] success!\n", pchDumpPath);
        fseek(file, 0, SEEK_END);
        const size_t count = fwrite(buffer.data(), setting.mem_length, 1, file);
        printf("write cnt: %d \n", static_cast<int>(count));
        const bool closed = fclose(file) == 0;
        return closed && (count == 1 || setting.mem_length == 0) ? 0 : -1;
    }
    if (start_read_thread_to(pchDumpPath) != 0)
        return -1;
    // The end of the input stops the thread as a 'q' does: nothing else
    // could ever stop it.
    for (int c = fgetc(pInput); c != EOF && c != 'q'; c = fgetc(pInput))
        printf("read: %c\n", c);
    mem_r_start_store(0);
    void* end = nullptr;
    if (wait_r_thread_end(&end) != 0)
        end = nullptr;
    return end == RAM_DUMP_LOST ? -1 : 0;
}

int proc_read_reg(int argc, char** argv) {
    return read_reg_run(argc, argv, peer_ram_dump_path(), stdin);
}

int proc_write_reg(int argc, char** argv) {
    if (cli_parse_options(argc, argv, mem_options) != 0)
        return -1;
    if (RQM_WriteRegType(cli_api(), setting.mem_type, setting.mem_addr, &setting.mem_value) != RQM_SUCCESS)
        return -1;
    printf("Write data: 0x%08X\n", setting.mem_value);
    return 0;
}
