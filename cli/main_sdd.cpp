// The SDD commands: the user power table and the crystal frequency offset
// of the chip's SDD file, and a dump of the file.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "api/rqm_api.h"
#include "api/rqm_sdd.h"
#include "cli/cli_variant.h"
#include "cli/numbers.h"
#include "main.h"

const char* const modulation[SDD_USER_POWER_ENTRIES] = {
    "DSSS",      "CCK",       "BPSK_1_2",  "BPSK_3_4",  "QPSK_1_2",  "QPSK_3_4",
    "16QAM_1_2", "16QAM_3_4", "64QAM_2_3", "64QAM_3_4", "64QAM_5_6", nullptr,
};

const char* const modulationShow[SDD_USER_POWER_ENTRIES] = {
    "DSSS         1,2     ", "CCK          5.5,11  ", "BPSK_1_2     6,6.5   ", "BPSK_3_4     9       ",
    "QPSK_1_2     12, 13  ", "QPSK_3_4     18, 19.5", "16QAM_1_2    24,26   ", "16QAM_3_4    36,39   ",
    "64QAM_2_3    48,52   ", "64QAM_3_4    54, 58.5", "64QAM_5_6    65      ", "null         null    ",
};

namespace {

// The power groups and the entries each covers.
struct PowerGroup {
    const char* pchInvalid;
    unsigned First, Last;
};
constexpr PowerGroup GROUP_11B = {"Invalid 11b params input!Please check again!", 0, 1};
constexpr PowerGroup GROUP_11GN = {"Invalid 11gn params input!Please check again!", 2, 9};
constexpr PowerGroup GROUP_MCS7 = {"Invalid mcs7 params input!Please check again!", 10, 10};

// Below SDD version 2.5 the table is the old element and holds dBm + 3.
bool old_power_table() {
    return g_cli_variant.Kept.pfnSddVersion() < 25;
}
uint8_t power_element() {
    return old_power_table() ? SDD_ELEMENT_USER_POWER_OLD : SDD_ELEMENT_USER_POWER;
}
double power_offset() {
    return old_power_table() ? 3.0 : 0.0;
}

double entry_to_db(uint16_t entry) {
    return entry == 0 ? 0.0 : entry / 16.0 - power_offset();
}

// Cut toward zero to 16 bits; negative levels are 0.
uint16_t to_level(double value) {
    if (value <= 0)
        return 0;
    return value >= 65535.0 ? 65535 : static_cast<uint16_t>(value);
}

uint16_t entry_to_level(uint16_t entry) {
    return entry == 0 ? 0 : to_level((entry / 16.0 - power_offset()) * 4 + 2);
}

uint16_t level_to_entry(uint16_t level) {
    return to_level(((level - 2) / 4.0 + power_offset()) * 16);
}

uint16_t db_to_level(double db) {
    return to_level(db * 4 + 2);
}

// A level of 0 keeps the file's entries; false when the level is refused.
bool set_group(uint16_t* levels, const PowerGroup& g, int level) {
    if (level == 0)
        return true;
    if (level < 21 || level > 121) {
        puts(g.pchInvalid);
        return false;
    }
    for (unsigned i = g.First; i <= g.Last; ++i)
        levels[i] = static_cast<uint16_t>(level);
    return true;
}

}  // namespace

int proc_get_sdd_power(int argc, char** argv) {
    uint16_t table[SDD_USER_POWER_ENTRIES] = {};
    const int result = RQM_GetSddPower(cli_api(), power_element(), table);
    if (result != RQM_SUCCESS)
        return result;
    puts("sdd user power:");
    const char* last = argv[argc - 1];
    const bool db = strcmp(last, "dB") == 0 || strcmp(last, "-d") == 0;
    if (argc > 2 && (strcmp(argv[2], "all") == 0 || strcmp(argv[2], "-a") == 0)) {
        puts("  modulation   rate       power");
        for (unsigned i = 0; i < SDD_USER_POWER_ENTRIES; ++i)
            if (db)
                printf("  %s : %.1fdB\n", modulationShow[i], entry_to_db(table[i]));
            else
                printf("  %s : %d\n", modulationShow[i], entry_to_level(table[i]));
    } else if (db) {
        printf("   11b: %.1f dB\n", entry_to_db(table[0]));
        printf("  11gn: %.1f dB\n", entry_to_db(table[2]));
        printf("  MCS7: %.1f dB\n", entry_to_db(table[10]));
    } else {
        printf("  11b:  %d\n", entry_to_level(table[0]));
        printf("  11gn: %d\n", entry_to_level(table[2]));
        printf("  MCS7: %d\n", entry_to_level(table[10]));
    }
    return RQM_SUCCESS;
}

int proc_set_sdd_power(int argc, char** argv) {
    uint16_t levels[SDD_USER_POWER_ENTRIES] = {};
    bool refused = false;
    const char* form = argc > 2 ? argv[2] : nullptr;
    const bool all = form != nullptr && strcmp(form, "all") == 0;
    const bool allDb = form != nullptr && strcmp(form, "all_dB") == 0;
    if (form == nullptr || ((all || allDb) && argc != 6) || (!all && !allDb && argc < 4)) {
        puts(INVALID_PARAMS);
        return -1;
    }
    if (all || allDb) {
        const PowerGroup* groups[3] = {&GROUP_11B, &GROUP_11GN, &GROUP_MCS7};
        // A dB value of NaN or infinity has no level: refused before it is
        // converted.
        double db[3] = {};
        for (int g = 0; allDb && g < 3; ++g) {
            if (!cli_atod_finite(argv[3 + g], &db[g])) {
                puts(INVALID_PARAMS);
                return -1;
            }
        }
        for (int g = 0; g < 3; ++g)
            refused |= !set_group(levels, *groups[g], allDb ? db_to_level(db[g]) : cli_atoi(argv[3 + g]));
    } else if (strcmp(form, "11b") == 0) {
        refused = !set_group(levels, GROUP_11B, cli_atoi(argv[3]));
    } else if (strcmp(form, "11gn") == 0) {
        refused = !set_group(levels, GROUP_11GN, cli_atoi(argv[3]));
    } else if (strcmp(form, "mcs7") == 0) {
        refused = !set_group(levels, GROUP_MCS7, cli_atoi(argv[3]));
    } else {
        int index = -1;
        for (unsigned i = 0; modulation[i] != nullptr; ++i)
            if (strcmp(form, modulation[i]) == 0)
                index = static_cast<int>(i);
        // The range is checked on the number typed, before it is cut to
        // 16 bits: 65556 must not pass as 20.
        const int level = cli_atoi(argv[3]);
        if (index < 0 || level < 20 || level > 122) {
            puts(INVALID_PARAMS);
            return -1;
        }
        levels[index] = static_cast<uint16_t>(level);
        printf("modulation[%d] = %s sdd_power[%d] = %d\n", index, modulation[index], index, level);
    }

    uint16_t entries[SDD_USER_POWER_ENTRIES] = {};
    bool any = false;
    for (unsigned i = 0; i < SDD_USER_POWER_ENTRIES - 1; ++i) {
        if (levels[i] != 0) {
            entries[i] = level_to_entry(levels[i]);
            any = true;
        }
    }
    // Only refused levels and nothing else to write fail the command; levels
    // of 0 keep every entry, and the file is written back unchanged.
    if (!any && refused)
        return -1;
    const int result = RQM_SetSddPower(cli_api(), power_element(), entries);
    if (result != RQM_SUCCESS)
        puts("set user power error");
    return result;
}

int proc_get_sdd_freq_offset(int, char**) {
    return RQM_GetSddFreqOffset(cli_api());
}

int proc_set_sdd_freq_offset(int argc, char** argv) {
    const int value = argc == 3 ? cli_atoi(argv[2]) : -1;
    if (value < 0 || value > SDD_FREQ_OFFSET_MAX) {
        printf("%s:Invalid params input!Please check again!\n", "proc_set_sdd_freq_offset");
        return -1;
    }
    return RQM_SetSddFreqOffset(cli_api(), static_cast<uint16_t>(value));
}

int proc_get_sdd_file(int, char**) {
    char path[SDD_PATH_MAX + 1];
    int result = 0;
    if (!rqm_sdd_path_query(cli_api(), path, &result)) {
        RQM_ErrorCheck(cli_api(), static_cast<uint32_t>(result), "RQM_GetSddPatch");
        return -1;
    }
    printf("sdd_path = %s\n", path);
    // A file that was read is dumped, an empty one too (its length line and
    // an empty line), before the failure line.
    RqmSddFile file;
    const bool read = rqm_read_sdd_file(path, &file);
    if (read)
        RQM_sddShow(file.pBytes, static_cast<int>(file.Size));
    if (!read || file.Size == 0) {
        puts("Failed to read the SDD file!");
        return -1;
    }
    return RQM_SUCCESS;
}
