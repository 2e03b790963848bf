// The memory and register commands: chip memory read and written by
// address, registers by bus type, and register files loaded and saved.
#include <array>

#include "api/rqm_api.h"
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

constexpr std::array MEM_ROWS{
    CliOption{.Letter = 'a',
              .pchLong = "start_addr",
              .Kind = CLI_HEX,
              .Dest = &CliSettings::mem_addr,
              .pchDone = "Memory start address set to 0x%08x!\n",
              .pchRefused = "Address should be hex data, begin with '0x'!"},
    CliOption{.Letter = 'd',
              .pchLong = "dest_path",
              .Kind = CLI_TEXT,
              .Dest = &CliSettings::dest_path,
              .pchDone = "Dest file path is: %s!\n",
              .pchMissing = NO_FILE},
    // The read buffers hold 1024 bytes.
    CliOption{.Letter = 'l',
              .pchLong = "length",
              .Dest = &CliSettings::mem_length,
              .Min = 0,
              .Max = 1024,
              .Align = 4,
              .pchDone = "Memory length set to:%d!\n",
              .pchRefused = "Memory length should be 0 to 1024!",
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

// Not in this build yet: they fail without a word of their own.
int proc_read_mem(int, char**) {
    return -1;
}
int proc_write_mem(int, char**) {
    return -1;
}
int proc_hw_write_reg(int, char**) {
    return -1;
}
int proc_hw_read_reg(int, char**) {
    return -1;
}
int proc_load_reg(int, char**) {
    return -1;
}
int proc_save_reg(int, char**) {
    return -1;
}
int proc_read_reg(int, char**) {
    return -1;
}
int proc_write_reg(int, char**) {
    return -1;
}
