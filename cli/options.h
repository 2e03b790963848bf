// Command options as data. One row per option says how getopt_long knows
// it, how its argument becomes a value, what it accepts, where the value
// goes and what is printed; one interpreter applies any row, and the getopt
// tables and the help pages are made from the same rows. A handler adds an
// option by adding a row.
#pragma once

#include <getopt.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <variant>

#include "cli/get_settings.h"

enum CliArg : uint8_t {
    CLI_ARG_NONE = no_argument,
    CLI_ARG_REQUIRED = required_argument,
};

// How the argument text becomes the value. Numbers are read by the helpers
// of cli/numbers.h; a field keeps the low bits it has room for, and what is
// printed is what it stored.
enum CliOptionKind : uint8_t {
    // atoi; accepted when Min <= v <= Max, not 0 with bNonzero, not stored
    // as 0 with bStoredNonzero, and one of Ints when Ints is given. Align
    // rounds the accepted value up.
    CLI_DECIMAL,
    // atoi; always accepted; any nonzero value is stored as 1.
    CLI_BOOLEAN,
    // "0x" (lower-case x), then the hex number strtoul reads after it.
    CLI_HEX,
    // atof narrowed to float; accepted when equal to one of Floats.
    CLI_FLOAT,
    // One of Words, exactly; a word may bring its own success text.
    CLI_WORD,
    // The argument text itself (it points into argv).
    CLI_TEXT,
    // 17 characters with two hex digits at 0, 3, 6, 9, 12 and 15; the
    // bytes go to the handler. The success text is a label put before the
    // address.
    CLI_MAC,
    // Stores Value; an argument, where getopt takes one, is ignored.
    CLI_SET,
    // pfnHook does it all: the value depends on more than its own text.
    CLI_CUSTOM,
};

// A row whose value the handler takes from CliOptionOut instead of a field.
struct CliLocal {};

using CliDest = std::variant<std::monostate, uint16_t CliSettings::*, uint32_t CliSettings::*,
                             float CliSettings::*, const char * CliSettings::*, int*, CliLocal>;

struct CliWord {
    const char* pchWord;
    int32_t Value;
    const char* pchDone;  // nullptr: the row's
};

// What a CliLocal row leaves for its handler.
struct CliOptionOut {
    int32_t Value;   // the row's Value
    uint8_t Mac[6];  // CLI_MAC
};

// Texts that end in a newline are printf formats of the stored value (%s
// prints its name from Names, or the text of a CLI_TEXT row); any other text
// is put as a line.
struct CliOption {
    char Letter;
    const char* pchLong;
    CliArg ShortArg = CLI_ARG_REQUIRED;
    CliArg LongArg = CLI_ARG_REQUIRED;
    CliOptionKind Kind = CLI_DECIMAL;
    CliDest Dest = {};
    int32_t Value = 0;  // stored by CLI_SET; reported by CliLocal rows
    int32_t Min = INT32_MIN;
    int32_t Max = INT32_MAX;
    bool bNonzero = false;
    // A value the field's cut turns into 0 (65536 in 16 bits) is refused
    // like 0 itself.
    bool bStoredNonzero = false;
    uint32_t Align = 0;
    std::span<const int32_t> Ints = {};
    std::span<const float> Floats = {};
    std::span<const CliWord> Words = {};
    std::span<const char* const> Names = {};
    const char* pchDone = nullptr;
    const char* pchDoneZero = nullptr;  // instead of pchDone when 0 was stored
    const char* pchRefused = nullptr;
    std::optional<double> Reset = {};  // stored on refusal
    // After pchRefused, the accepted values: each of Names from ListFirst
    // (with its number), or else of Ints or Floats, printed with
    // pchListItem, a newline after every ListPerLine of them.
    const char* pchListItem = nullptr;
    int ListFirst = 0;
    int ListPerLine = 0;
    const char* pchMissing = nullptr;  // without an argument; nullptr: the table's
    // Runs after the row (for CLI_CUSTOM, instead of it) with its result,
    // and gives the option's result.
    int (*pfnHook)(CliSettings* pSettings, const char* pchArg, int iResult) = nullptr;
};

struct CliOptionTable {
    std::span<const CliOption> Rows;
    const char* pchShort;    // getopt's short options, made from Rows
    const option* pLong;     // getopt_long's table, made from Rows
    const char* pchMissing;  // an option without its argument
    const char* pchUnknown;  // a letter no row has (getopt's '?')
};

// getopt's two tables for N rows, in row order.
template <size_t N>
struct CliGetoptTables {
    std::array<char, 2 * N + 1> Short{};
    std::array<option, N + 1> Long{};
};

template <size_t N>
constexpr CliGetoptTables<N> cli_getopt_tables(const std::array<CliOption, N>& rows) {
    CliGetoptTables<N> t{};
    size_t k = 0;
    for (size_t i = 0; i < N; ++i) {
        t.Short[k++] = rows[i].Letter;
        if (rows[i].ShortArg == CLI_ARG_REQUIRED)
            t.Short[k++] = ':';
        t.Long[i] = option{rows[i].pchLong, rows[i].LongArg, nullptr, rows[i].Letter};
    }
    return t;
}

// The conversion letter of a printf format's first conversion, or 0.
constexpr char cli_conversion(const char* pchFormat) {
    for (std::string_view s = pchFormat; !s.empty(); s.remove_prefix(1)) {
        if (s[0] != '%')
            continue;
        s.remove_prefix(1);
        if (!s.empty() && s[0] == '%')
            continue;
        while (!s.empty() && std::string_view("-+ #0123456789.").find(s[0]) != std::string_view::npos)
            s.remove_prefix(1);
        return s.empty() ? 0 : s[0];
    }
    return 0;
}

constexpr bool cli_is_format(const char* pchText) {
    return pchText != nullptr && !std::string_view(pchText).empty() &&
           std::string_view(pchText).back() == '\n';
}

// Whether each row's texts print what its kind stores, and no letter is
// there twice; checked when the rows are compiled.
template <size_t N>
constexpr bool cli_rows_valid(const std::array<CliOption, N>& rows) {
    for (size_t i = 0; i < N; ++i) {
        const CliOption& r = rows[i];
        for (size_t j = i + 1; j < N; ++j)
            if (rows[j].Letter == r.Letter)
                return false;
        char want = 'd';
        if (r.Kind == CLI_FLOAT)
            want = 'f';
        else if (r.Kind == CLI_TEXT || !r.Names.empty())
            want = 's';
        else if (r.Kind == CLI_HEX)
            want = 'x';
        // A line that is put must not look like a format, and a format must
        // convert what the row stores.
        auto fits = [want](const char* text) {
            if (text == nullptr)
                return true;
            return cli_conversion(text) == (cli_is_format(text) ? want : 0);
        };
        if (!fits(r.pchDone) || !fits(r.pchDoneZero) ||
            (r.pchRefused != nullptr && cli_conversion(r.pchRefused) != 0))
            return false;
        for (const CliWord& w : r.Words)
            if (!fits(w.pchDone))
                return false;
        if (r.pchListItem != nullptr) {
            const char listed = !r.Names.empty() || !r.Ints.empty() ? 'd' : !r.Floats.empty() ? 'f' : 0;
            if (cli_conversion(r.pchListItem) != listed)
                return false;
        }
        if (r.Kind == CLI_MAC && !std::holds_alternative<CliLocal>(r.Dest))
            return false;
        if ((r.Kind == CLI_FLOAT) != std::holds_alternative<float CliSettings::*>(r.Dest))
            return false;
        if ((r.Kind == CLI_TEXT) != std::holds_alternative<const char * CliSettings::*>(r.Dest))
            return false;
        if (r.Kind == CLI_CUSTOM && r.pfnHook == nullptr)
            return false;
    }
    return true;
}

const CliOption* cli_find_option(const CliOptionTable& table, int letter);

// A MAC address after its label, as set_mac and get_mac print it.
void cli_print_mac(const char* pchLabel, const uint8_t* pMac);

// Applies one option with its argument text (nullptr when it has none):
// 0 when accepted and stored, -1 otherwise, after the row's lines. Fields go
// to pSettings, handler-local values to pOut.
int cli_option_apply(const CliOptionTable& table, int letter, const char* pchArg, CliSettings* pSettings,
                     CliOptionOut* pOut);

// getopt_long over the vector without the program name, so the command
// word stands in the program name's place in its diagnostics; the parser
// starts afresh at cli_options_begin.
struct CliOptionWalk {
    int argc;
    char** argv;
    const CliOptionTable* pTable;
    int Letter;
    const char* pchArg;
};

CliOptionWalk cli_options_begin(int argc, char** argv, const CliOptionTable& table);
// The next option into Letter and pchArg; false after the last.
bool cli_options_next(CliOptionWalk* pWalk);

// The usual parse of a command's options: each into `setting` in the order
// given; the first refusal prints "Params set error!" and gives -1; the
// words left are warned about.
int cli_parse_options(int argc, char** argv, const CliOptionTable& table);
