#include "options.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/numbers.h"

namespace {

constexpr size_t MAC_TEXT_LEN = 17;

bool has_place(const CliDest& dest, const CliSettings* pSettings, const CliOptionOut* pOut) {
    if (std::holds_alternative<CliLocal>(dest))
        return pOut != nullptr;
    if (std::holds_alternative<std::monostate>(dest) || std::holds_alternative<int*>(dest))
        return true;
    return pSettings != nullptr;
}

void store_number(const CliDest& dest, CliSettings* pSettings, CliOptionOut* pOut, int64_t value) {
    const auto bits = static_cast<uint32_t>(value);
    if (auto* f16 = std::get_if<uint16_t CliSettings::*>(&dest))
        pSettings->** f16 = static_cast<uint16_t>(bits);
    else if (auto* f32 = std::get_if<uint32_t CliSettings::*>(&dest))
        pSettings->** f32 = bits;
    else if (auto* global = std::get_if<int*>(&dest))
        **global = static_cast<int>(bits);
    else if (std::holds_alternative<CliLocal>(dest))
        pOut->Value = static_cast<int32_t>(bits);
}

int64_t load_number(const CliDest& dest, const CliSettings* pSettings, const CliOptionOut* pOut) {
    if (auto* f16 = std::get_if<uint16_t CliSettings::*>(&dest))
        return pSettings->**f16;
    if (auto* f32 = std::get_if<uint32_t CliSettings::*>(&dest))
        return pSettings->**f32;
    if (auto* global = std::get_if<int*>(&dest))
        return **global;
    if (std::holds_alternative<CliLocal>(dest))
        return pOut->Value;
    return 0;
}

void store_reset(const CliOption& row, CliSettings* pSettings, CliOptionOut* pOut) {
    if (auto* f = std::get_if<float CliSettings::*>(&row.Dest))
        pSettings->** f = static_cast<float>(*row.Reset);
    else
        store_number(row.Dest, pSettings, pOut, static_cast<int64_t>(*row.Reset));
}

template <typename T>
bool contains(std::span<const T> values, T value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

const char* name_of(const CliOption& row, int64_t value) {
    return value >= 0 && static_cast<uint64_t>(value) < row.Names.size() ? row.Names[value] : "";
}

void print_done(const CliOption& row, const char* text, const CliSettings* pSettings,
                const CliOptionOut* pOut) {
    if (text == nullptr)
        return;
    if (!cli_is_format(text)) {
        puts(text);
        return;
    }
    switch (cli_conversion(text)) {
    case 'f':
        printf(text, static_cast<double>(pSettings->*std::get<float CliSettings::*>(row.Dest)));
        break;
    case 's':
        if (row.Kind == CLI_TEXT)
            printf(text, pSettings->*std::get<const char * CliSettings::*>(row.Dest));
        else
            printf(text, name_of(row, load_number(row.Dest, pSettings, pOut)));
        break;
    case 'x':
        printf(text, static_cast<unsigned>(load_number(row.Dest, pSettings, pOut)));
        break;
    default:
        printf(text, static_cast<int>(load_number(row.Dest, pSettings, pOut)));
        break;
    }
}

void print_list(const CliOption& row) {
    if (row.pchListItem == nullptr)
        return;
    int printed = 0;
    auto next = [&] {
        if (row.ListPerLine > 0 && ++printed % row.ListPerLine == 0)
            printf("\n");
    };
    if (!row.Names.empty()) {
        for (size_t i = static_cast<size_t>(row.ListFirst); i < row.Names.size(); ++i) {
            printf(row.pchListItem, static_cast<int>(i), row.Names[i]);
            next();
        }
    } else if (!row.Ints.empty()) {
        for (int32_t v : row.Ints) {
            printf(row.pchListItem, static_cast<int>(v));
            next();
        }
    } else {
        for (float f : row.Floats) {
            printf(row.pchListItem, static_cast<double>(f));
            next();
        }
    }
}

// What stands between the groups is not looked at.
bool parse_mac(const char* text, uint8_t* mac) {
    if (strlen(text) != MAC_TEXT_LEN)
        return false;
    for (int i = 0; i < 6; ++i) {
        const char* group = text + 3 * i;
        if (!isxdigit(static_cast<unsigned char>(group[0])) ||
            !isxdigit(static_cast<unsigned char>(group[1])))
            return false;
        const char digits[3] = {group[0], group[1], '\0'};
        mac[i] = static_cast<uint8_t>(cli_strtoul_hex(digits));
    }
    return true;
}

int64_t aligned(int32_t value, uint32_t align) {
    if (align <= 1 || value <= 0)
        return value;
    return (static_cast<int64_t>(value) + align - 1) / align * align;
}

}  // namespace

void cli_print_mac(const char* pchLabel, const uint8_t* pMac) {
    printf("%s%02X:%02X:%02X:%02X:%02X:%02X\n", pchLabel, pMac[0], pMac[1], pMac[2], pMac[3], pMac[4],
           pMac[5]);
}

const CliOption* cli_find_option(const CliOptionTable& table, int letter) {
    for (const CliOption& row : table.Rows)
        if (row.Letter == letter)
            return &row;
    return nullptr;
}

namespace {

// A line of the table or the row, when it has one.
void put_line(const char* text) {
    if (text != nullptr)
        puts(text);
}

// A number in range, among the row's values where it lists them, stored
// rounded up to the row's alignment; refused when the field's cut leaves 0
// of a value that must not be 0.
bool store_decimal(const CliOption& row, const char* pchArg, CliSettings* pSettings, CliOptionOut* pOut) {
    const int32_t v = cli_atoi(pchArg);
    if (v < row.Min || v > row.Max || (row.bNonzero && v == 0) ||
        (!row.Ints.empty() && !contains(row.Ints, v)))
        return false;
    store_number(row.Dest, pSettings, pOut, aligned(v, row.Align));
    return !(row.bStoredNonzero && load_number(row.Dest, pSettings, pOut) == 0);
}

// One of the row's words, whose own success text (where it has one) takes
// the row's place in *pDone.
bool store_word(const CliOption& row, const char* pchArg, CliSettings* pSettings, CliOptionOut* pOut,
                const char** pDone) {
    auto w = std::find_if(row.Words.begin(), row.Words.end(),
                          [&](const CliWord& word) { return strcmp(word.pchWord, pchArg) == 0; });
    if (w == row.Words.end())
        return false;
    store_number(row.Dest, pSettings, pOut, w->Value);
    if (w->pchDone != nullptr)
        *pDone = w->pchDone;
    return true;
}

// Turns the argument into the row's value and stores it; false when the
// row refuses it. Only a number whose cut leaves 0 is refused after it
// was stored.
bool store_value(const CliOption& row, const char* pchArg, CliSettings* pSettings, CliOptionOut* pOut,
                 const char** pDone) {
    switch (row.Kind) {
    case CLI_DECIMAL:
        return store_decimal(row, pchArg, pSettings, pOut);
    case CLI_BOOLEAN:
        store_number(row.Dest, pSettings, pOut, cli_atoi(pchArg) != 0 ? 1 : 0);
        return true;
    case CLI_HEX:
        if (strncmp(pchArg, "0x", 2) != 0)
            return false;
        store_number(row.Dest, pSettings, pOut, cli_strtoul_hex(pchArg + 2));
        return true;
    case CLI_FLOAT: {
        const float f = cli_atof(pchArg);
        if (!contains(row.Floats, f))
            return false;
        pSettings->*std::get<float CliSettings::*>(row.Dest) = f;
        return true;
    }
    case CLI_WORD:
        return store_word(row, pchArg, pSettings, pOut, pDone);
    case CLI_TEXT:
        pSettings->*std::get<const char * CliSettings::*>(row.Dest) = pchArg;
        return true;
    case CLI_MAC:
        if (!parse_mac(pchArg, pOut->Mac))
            return false;
        pOut->Value = row.Value;
        return true;
    case CLI_SET:
        store_number(row.Dest, pSettings, pOut, row.Value);
        return true;
    case CLI_CUSTOM:
        break;
    }
    return true;
}

// A refused value: the row's reset value stored, its line, and the values
// it takes.
void report_refused(const CliOption& row, CliSettings* pSettings, CliOptionOut* pOut) {
    if (row.Reset.has_value())
        store_reset(row, pSettings, pOut);
    put_line(row.pchRefused);
    print_list(row);
}

// A stored value: the address after its label, or the success text (the
// row's text for 0 when 0 was stored and it has one).
void report_stored(const CliOption& row, const char* done, const CliSettings* pSettings,
                   const CliOptionOut* pOut) {
    if (row.Kind == CLI_MAC) {
        cli_print_mac(done, pOut->Mac);
        return;
    }
    const bool zero =
        row.Kind != CLI_FLOAT && row.Kind != CLI_TEXT && load_number(row.Dest, pSettings, pOut) == 0;
    print_done(row, zero && row.pchDoneZero != nullptr ? row.pchDoneZero : done, pSettings, pOut);
}

}  // namespace

int cli_option_apply(const CliOptionTable& table, int letter, const char* pchArg, CliSettings* pSettings,
                     CliOptionOut* pOut) {
    const CliOption* pRow = cli_find_option(table, letter);
    if (pRow == nullptr) {
        put_line(pchArg == nullptr && table.pchMissing != nullptr ? table.pchMissing : table.pchUnknown);
        return -1;
    }
    const CliOption& row = *pRow;
    if (row.Kind != CLI_SET && pchArg == nullptr) {
        put_line(row.pchMissing != nullptr ? row.pchMissing : table.pchMissing);
        return -1;
    }
    if (!has_place(row.Dest, pSettings, pOut))
        return -1;
    if (row.Kind == CLI_CUSTOM)
        return row.pfnHook(pSettings, pchArg, 0);

    const char* done = row.pchDone;
    int result = 0;
    if (store_value(row, pchArg, pSettings, pOut, &done)) {
        report_stored(row, done, pSettings, pOut);
    } else {
        report_refused(row, pSettings, pOut);
        result = -1;
    }
    return row.pfnHook != nullptr ? row.pfnHook(pSettings, pchArg, result) : result;
}

CliOptionWalk cli_options_begin(int argc, char** argv, const CliOptionTable& table) {
    // 0, not 1: glibc then also forgets a group of short options it was in
    // the middle of, and its permutation of an earlier vector.
    optind = 0;
    if (argc < 1 || argv == nullptr)
        return {0, nullptr, &table, 0, nullptr};
    return {argc - 1, argv + 1, &table, 0, nullptr};
}

bool cli_options_next(CliOptionWalk* pWalk) {
    if (pWalk->argc < 1)
        return false;
    const int c =
        getopt_long(pWalk->argc, pWalk->argv, pWalk->pTable->pchShort, pWalk->pTable->pLong, nullptr);
    if (c == -1)
        return false;
    pWalk->Letter = c;
    // An unknown option or one without its argument never carries a text.
    pWalk->pchArg = c == '?' ? nullptr : optarg;
    return true;
}

namespace {

// The words the options left, each on standard error.
void warn_extra_arguments(const CliOptionWalk& walk) {
    for (int i = optind; i < walk.argc; ++i)
        fprintf(stderr, "%s: ignoring extra argument -- %s\n", walk.argv[0], walk.argv[i]);
}

}  // namespace

int cli_parse_options(int argc, char** argv, const CliOptionTable& table) {
    CliOptionWalk walk = cli_options_begin(argc, argv, table);
    while (cli_options_next(&walk)) {
        if (cli_option_apply(table, walk.Letter, walk.pchArg, &setting, nullptr) != 0) {
            puts("Params set error!");
            return -1;
        }
    }
    warn_extra_arguments(walk);
    return 0;
}
