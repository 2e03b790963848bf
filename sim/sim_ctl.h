// What the control's commands and the `set`/`get` keys of every part of the
// model share: the command being run, the row a key is, and the parsing
// helpers that give every key the same error texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct Sim;

// One control command being run.
struct SimCtl {
    Sim* s;
    std::string_view line;
    std::vector<std::string_view> tok;  // the command, then its words: for set and get the key at 1
    std::vector<std::string>* out;
    std::string* err;
};

// Views are printed with "%.*s" and this pair.
#define SIM_SV(v) static_cast<int>((v).size()), (v).data()

// Sets the error text; always false, so a check can end with it.
bool ctl_fail(SimCtl& c, const char* f, ...) __attribute__((format(printf, 2, 3)));
// The command has min to max words, itself included.
bool ctl_want_args(SimCtl& c, size_t min, size_t max);
// A number up to max ("bad number" otherwise).
bool ctl_num(SimCtl& c, std::string_view text, uint32_t max, uint32_t* v);
// The number at word i, def when the command is shorter.
bool ctl_opt_num(SimCtl& c, size_t i, uint32_t max, uint32_t def, uint32_t* v);
// A 4-aligned address ("unaligned address" otherwise).
bool ctl_addr(SimCtl& c, std::string_view text, uint32_t* addr);

std::string sim_fmt(const char* f, uint32_t v);

// The forms several keys share, each parsing from word 2 on.
// Free text to the end of the line (up to max bytes, none: empty); text
// that would read as the reply's verdict is refused.
bool ctl_set_text(SimCtl& c, std::string* dst, size_t max);
// ADDR VALUE into a sparse map of 32-bit words (sim_put_word), and ADDR
// out of it. ADDR is 4-aligned, or any number for words that go by number.
bool ctl_set_word(SimCtl& c, std::map<uint32_t, uint32_t>* words, bool by_number = false);
bool ctl_get_word(SimCtl& c, const std::map<uint32_t, uint32_t>& words, bool by_number = false);
// FIELD VALUE into a record of words named by names, and the record's
// state lines KEY.FIELD=VALUE.
bool ctl_set_field(SimCtl& c, std::span<const char* const> names, uint32_t* fields);
void ctl_field_lines(const char* key, std::span<const char* const> names, const uint32_t* fields,
                     std::vector<std::string>* out);
// The state line KEY=W W ...: every word in format, blank-separated.
std::string ctl_word_list(const char* key, std::span<const uint32_t> words, const char* format);

// One key of `set` and `get`, a row of a part's key table.
//
// A number names its getter and, unless it is read-only, its setter: `set`
// takes exactly one value, refuses it outside min..max ("bad number") or,
// for an aligned key, off a multiple of 4 ("unaligned address"), and only
// then calls the setter. `state` lists it as name=value with format, which
// is also what `get` prints.
//
// Any other key parses its own words from tok[2] on: set_words for `set`,
// get_words for `get`; the usage texts are what `help` shows after the key
// (set_usage nullptr: no `set` form worth listing beyond KEY VALUE). A key
// without get_words is read from its state lines, which state_lines adds.
struct SimKey {
    const char* name;
    const char* format = nullptr;
    uint32_t min = 0;
    uint32_t max = 0xFFFFFFFF;
    bool aligned = false;
    uint32_t (*get)(const Sim& s) = nullptr;
    void (*set)(Sim* s, uint32_t v) = nullptr;
    bool (*set_words)(SimCtl& c) = nullptr;
    const char* set_usage = nullptr;
    bool (*get_words)(SimCtl& c) = nullptr;
    const char* get_usage = nullptr;
    void (*state_lines)(const Sim& s, std::vector<std::string>* out) = nullptr;
};

// The commands, each in the file of its concern.
bool ctl_log(SimCtl& c);    // sim_control_log.cpp
bool ctl_sent(SimCtl& c);   // sim_control_log.cpp
bool ctl_send(SimCtl& c);   // sim_control_send.cpp
bool ctl_fault(SimCtl& c);  // sim_control_fault.cpp
