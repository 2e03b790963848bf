#include "get_settings.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <variant>

#include "cli/cli_variant.h"
#include "cli/numbers.h"
#include "common/file_read.h"

CliSettings setting{};

namespace {

// fgets takes a longer line in pieces of 99 characters, and each piece is
// examined as a line of its own; files written by hand never come near it.
constexpr int LINE_SIZE = 100;

enum ProfileKind { PROFILE_INT, PROFILE_FLOAT, PROFILE_HEX };

using SettingField = std::variant<uint16_t CliSettings::*, uint32_t CliSettings::*, float CliSettings::*>;

struct SettingKey {
    const char* pchSection;
    const char* pchKey;
    ProfileKind eKind;
    double dDefault;
    SettingField field;
    bool bProgramDefault = false;  // the program's variant profile gives the default
};

// The key is the field's name, so the two cannot drift apart.
#define SETTING_KEY(section, name, kind, dflt, ...)                               \
    SettingKey {                                                                  \
        section, #name, kind, dflt, &CliSettings::name __VA_OPT__(, ) __VA_ARGS__ \
    }

// In the record's order, which is also the order GetSettings reads them in.
constexpr std::array SETTING_KEYS{
    SETTING_KEY("phy_control", phy_mode, PROFILE_INT, 2),
    SETTING_KEY("phy_control", channel, PROFILE_INT, 7),
    SETTING_KEY("phy_control", regulatory_class, PROFILE_INT, 0),
    SETTING_KEY("phy_control", power_dbm, PROFILE_FLOAT, 10.0),
    SETTING_KEY("phy_control", tone_mode, PROFILE_INT, 1),
    SETTING_KEY("phy_control", frequency_1, PROFILE_INT, 5000000),
    SETTING_KEY("phy_control", amplitude_1, PROFILE_FLOAT, 0.0),
    SETTING_KEY("phy_control", pulse_length, PROFILE_INT, 0),
    SETTING_KEY("phy_control", frequency_2, PROFILE_INT, 5000000),
    SETTING_KEY("phy_control", amplitude_2, PROFILE_FLOAT, 0.0),
    SETTING_KEY("phy_control", pulse_delay, PROFILE_INT, 0),
    SETTING_KEY("Tx", continuous, PROFILE_INT, 1),
    SETTING_KEY("Tx", number, PROFILE_INT, 100),
    SETTING_KEY("Tx", packet_length, PROFILE_INT, 500),
    SETTING_KEY("Tx", rate, PROFILE_INT, 0),
    SETTING_KEY("Tx", mode, PROFILE_INT, 1),
    SETTING_KEY("Tx", backoff, PROFILE_INT, 0),
    SETTING_KEY("Tx", expect_ack, PROFILE_INT, 1),
    SETTING_KEY("Tx", IFS, PROFILE_INT, 0),
    SETTING_KEY("Tx", Tx_delay, PROFILE_INT, 0),
    SETTING_KEY("Tx", Tx_NAV, PROFILE_INT, 0),
    SETTING_KEY("Tx", PRBS, PROFILE_INT, 0),
    SETTING_KEY("Tx", PRBS_seed, PROFILE_INT, 0),
    SETTING_KEY("Tx", PRBS_length, PROFILE_INT, 0),
    SETTING_KEY("Tx", frame_buf, PROFILE_INT, 1),
    SETTING_KEY("Tx", MAC_header, PROFILE_INT, 0),
    SETTING_KEY("Tx", CRC, PROFILE_INT, 0),
    SETTING_KEY("Tx", sounding_frame, PROFILE_INT, 0),
    SETTING_KEY("Tx", Tx_stop, PROFILE_INT, 0),
    SETTING_KEY("Rx", Rx_begin, PROFILE_INT, 0),
    SETTING_KEY("Rx", Rx_stop, PROFILE_INT, 0),
    SETTING_KEY("memory", mem_addr, PROFILE_HEX, 0x89000000),
    SETTING_KEY("memory", mem_length, PROFILE_INT, 4),
    SETTING_KEY("memory", mem_region, PROFILE_INT, 0),
    SETTING_KEY("memory", mem_type, PROFILE_INT, 0),
    SETTING_KEY("memory", mem_value, PROFILE_INT, 0),
    SETTING_KEY("memory", mem_r_start, PROFILE_INT, 0),
    SETTING_KEY("Tx", Tx_bandwidth, PROFILE_INT, 0),
    SETTING_KEY("Tx", Tx_subchannel, PROFILE_INT, 1, true),
    SETTING_KEY("Tx", Tx_guard_interval, PROFILE_INT, 0),
};
#undef SETTING_KEY

static_assert(SETTING_KEYS.size() == 40);

// Float readings go to float fields only, hex ones to 32-bit fields only.
constexpr bool kinds_fit_fields() {
    for (const SettingKey& k : SETTING_KEYS) {
        const bool floatField = std::holds_alternative<float CliSettings::*>(k.field);
        if (floatField != (k.eKind == PROFILE_FLOAT))
            return false;
        if (k.eKind == PROFILE_HEX && !std::holds_alternative<uint32_t CliSettings::*>(k.field))
            return false;
    }
    return true;
}
static_assert(kinds_fit_fields());

double key_default(const SettingKey& k) {
    return k.bProgramDefault ? g_cli_variant.TxSubchannelDefault : k.dDefault;
}

// Integer readings keep the low bits the field has room for.
void store_field(CliSettings* pSettings, const SettingField& field, uint32_t uValue, float fValue) {
    std::visit(
        [&](auto member) {
            using Field = std::remove_reference_t<decltype(pSettings->*member)>;
            if constexpr (std::is_same_v<Field, float>)
                pSettings->*member = fValue;
            else
                pSettings->*member = static_cast<Field>(uValue);
        },
        field);
}

bool is_space(char c) {
    return isspace(static_cast<unsigned char>(c)) != 0;
}

// Stops the program in every build type: a bad trim buffer is a caller's
// bug, and going on would write through it.
void check_trim_args(std::span<char> szOutput, const char* szInput) {
    if (szOutput.data() != nullptr && !szOutput.empty() && szInput != nullptr && szOutput.data() != szInput)
        return;
    fprintf(stderr, "%s:%d: Assertion `output and input are distinct, non-null buffers' failed.\n", __FILE__,
            __LINE__);
    abort();
}

void copy_cut(std::span<char> szOutput, const char* pchText, size_t nLength) {
    nLength = std::min(nLength, szOutput.size() - 1);
    memmove(szOutput.data(), pchText, nLength);
    szOutput[nLength] = '\0';
}

void strip_trailing(std::span<char> szText) {
    size_t n = strlen(szText.data());
    while (n > 0 && is_space(szText[n - 1]))
        --n;
    szText[n] = '\0';
}

// The key ends where the file format always ended it: at "=", blank, tab,
// "|" or "^".
bool key_matches(const char* pchLine, const char* pchKey) {
    size_t n = strcspn(pchLine, "=|^ \t");
    return n > 0 && n <= CLI_PROFILE_KEY_MAX && n == strlen(pchKey) && memcmp(pchLine, pchKey, n) == 0;
}

// All blanks stay as they are: trimming them away would leave nothing.
void read_value(const char* pchText, std::span<char> szValue) {
    copy_cut(szValue, pchText, strcspn(pchText, "\n"));
    std::array<char, LINE_SIZE> trimmed;
    a_trim(trimmed, szValue.data());
    if (trimmed[0] != '\0')
        memcpy(szValue.data(), trimmed.data(), strlen(trimmed.data()) + 1);
}

}  // namespace

void l_trim(std::span<char> szOutput, const char* szInput) {
    check_trim_args(szOutput, szInput);
    while (is_space(*szInput))
        ++szInput;
    copy_cut(szOutput, szInput, strlen(szInput));
}

void r_trim(std::span<char> szOutput, const char* szInput) {
    check_trim_args(szOutput, szInput);
    copy_cut(szOutput, szInput, strlen(szInput));
    strip_trailing(szOutput);
}

void a_trim(std::span<char> szOutput, const char* szInput) {
    l_trim(szOutput, szInput);
    strip_trailing(szOutput);
}

namespace {

// The file taken as fgets takes it: pieces of at most LINE_SIZE - 1
// characters, each ending after a line feed or where the text ends, each
// terminated. A NUL inside a piece ends it for every reader after.
class Pieces {
public:
    explicit Pieces(CliProfileText Text) : p_(Text.pText), left_(Text.pText != nullptr ? Text.Length : 0) {}
    bool next(std::array<char, LINE_SIZE>* piece) {
        if (left_ == 0)
            return false;
        size_t n = std::min<size_t>(left_, LINE_SIZE - 1);
        if (const void* lf = memchr(p_, '\n', n))
            n = static_cast<size_t>(static_cast<const char*>(lf) - p_) + 1;
        memcpy(piece->data(), p_, n);
        (*piece)[n] = '\0';
        p_ += n;
        left_ -= static_cast<uint32_t>(n);
        return true;
    }

private:
    const char* p_;
    uint32_t left_;
};

// The settings file's text, read once: nothing when it does not open or
// is refused.
struct LoadedText {
    uint8_t* pBuffer = nullptr;
    uint32_t Length = 0;
    RqmFileStatus Status = RQM_FILE_NO_OPEN;
    explicit LoadedText(const char* pchFile) {
        Status = rqm_load_file(pchFile, 0, CLI_SETTINGS_MAX, &pBuffer, &Length);
    }
    ~LoadedText() { free(pBuffer); }
    LoadedText(const LoadedText&) = delete;
    LoadedText& operator=(const LoadedText&) = delete;
    // The buffer is there only when the file was read.
    CliProfileText text() const { return {reinterpret_cast<const char*>(pBuffer), Length}; }
};

int profile_int(CliProfileText Text, const char* pchSection, const char* pchKey, int iDefault) {
    std::array<char, CLI_PROFILE_VALUE_SIZE> value;
    if (cli_profile_string(Text, pchSection, pchKey, value) != 0)
        return iDefault;
    return cli_atoi(value.data());
}

float profile_float(CliProfileText Text, const char* pchSection, const char* pchKey, float fDefault) {
    std::array<char, CLI_PROFILE_VALUE_SIZE> value;
    if (cli_profile_string(Text, pchSection, pchKey, value) != 0)
        return fDefault;
    return cli_atof(value.data());
}

// The value is written with "0x", which is skipped unread; without it the
// first two digits go.
uint32_t profile_hex(CliProfileText Text, const char* pchSection, const char* pchKey, float fDefault) {
    std::array<char, CLI_PROFILE_VALUE_SIZE> value;
    if (cli_profile_string(Text, pchSection, pchKey, value) != 0) {
        if (!(fDefault >= 0.0f))
            return 0;
        return fDefault >= 4294967296.0f ? UINT32_MAX : static_cast<uint32_t>(fDefault);
    }
    if (strlen(value.data()) < 2)
        return 0;
    return cli_strtoul_hex(value.data() + 2);
}

}  // namespace

int cli_profile_string(CliProfileText Text, const char* pchSection, const char* pchKey,
                       std::span<char> szValue) {
    if (Text.pText == nullptr || pchSection == nullptr || pchKey == nullptr || szValue.empty())
        return -1;
    std::array<char, LINE_SIZE> header;
    if (snprintf(header.data(), header.size(), "[%s]", pchSection) >= LINE_SIZE)
        return -1;  // no line of the file could hold it
    size_t headerLength = strlen(header.data());
    Pieces pieces(Text);
    std::array<char, LINE_SIZE> piece;
    std::array<char, LINE_SIZE> line;
    bool inSection = false;
    while (pieces.next(&piece)) {
        l_trim(line, piece.data());
        const char* text = line.data();
        if (*text == '\0')
            continue;
        if (!inSection) {
            // Text after the closing bracket is allowed; "[ Tx]" or "[tx]" is
            // another section.
            inSection = strncmp(text, header.data(), headerLength) == 0;
            continue;
        }
        if (*text == '#')
            continue;
        if (*text == '[')
            return -1;  // only the first occurrence of a section counts
        const char* equals = strchr(text, '=');
        if (equals == nullptr || !key_matches(text, pchKey))
            continue;
        read_value(equals + 1, szValue);
        return 0;
    }
    return -1;
}

int GetProfileString(const char* pchFile, const char* pchSection, const char* pchKey,
                     std::span<char> szValue) {
    const LoadedText file(pchFile);
    return cli_profile_string(file.text(), pchSection, pchKey, szValue);
}

int GetProfileInt(const char* pchFile, const char* pchSection, const char* pchKey, int iDefault) {
    const LoadedText file(pchFile);
    return profile_int(file.text(), pchSection, pchKey, iDefault);
}

float GetProfileFloat(const char* pchFile, const char* pchSection, const char* pchKey, float fDefault) {
    const LoadedText file(pchFile);
    return profile_float(file.text(), pchSection, pchKey, fDefault);
}

uint32_t GetProfileHex(const char* pchFile, const char* pchSection, const char* pchKey, float fDefault) {
    const LoadedText file(pchFile);
    return profile_hex(file.text(), pchSection, pchKey, fDefault);
}

void InitSettings(CliSettings* pSettings) {
    if (pSettings == nullptr)
        return;
    *pSettings = CliSettings{};
    for (const SettingKey& k : SETTING_KEYS) {
        double d = key_default(k);
        store_field(pSettings, k.field, static_cast<uint32_t>(d), static_cast<float>(d));
    }
    // GetSettings, which main always runs next, gives it the key's default 1.
    pSettings->expect_ack = 0;
}

void cli_settings_from_text(CliProfileText Text, CliSettings* pSettings) {
    if (pSettings == nullptr)
        return;
    for (const SettingKey& k : SETTING_KEYS) {
        double d = key_default(k);
        switch (k.eKind) {
        case PROFILE_INT: {
            int i = profile_int(Text, k.pchSection, k.pchKey, static_cast<int>(d));
            store_field(pSettings, k.field, static_cast<uint32_t>(i), 0.0f);
            break;
        }
        case PROFILE_FLOAT:
            store_field(pSettings, k.field, 0,
                        profile_float(Text, k.pchSection, k.pchKey, static_cast<float>(d)));
            break;
        case PROFILE_HEX:
            store_field(pSettings, k.field, profile_hex(Text, k.pchSection, k.pchKey, static_cast<float>(d)),
                        0.0f);
            break;
        }
    }
}

// The file is read once for all the keys. One that is missing or does not
// open leaves every key its default; one that opens but is no regular file,
// or is larger than any real one, is refused with a line that says so.
int GetSettings(const char* pchFile, CliSettings* pSettings) {
    if (pSettings == nullptr)
        return -1;
    const LoadedText file(pchFile);
    cli_settings_from_text(file.text(), pSettings);
    if (file.Status == RQM_FILE_OK || file.Status == RQM_FILE_NO_OPEN)
        return 0;
    rqm_put_file_refusal(pchFile, file.Status, CLI_SETTINGS_MAX);
    return -1;
}
