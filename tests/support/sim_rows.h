// Rows run against the stand-in: whole runs of a program, each family's
// rows of one type (RunRow), and the commands called in this process with
// the API open on the stand-in.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/get_settings.h"
#include "cli/main.h"
#include "common/driver_data.h"
#include "tests/support/cli_run.h"
#include "tests/support/rows.h"
#include "tests/support/sim_fixture.h"

// The driver's own requests: start-up, record fetch and push, connect,
// disconnect, reconnect.
inline const std::vector<unsigned> kDriverIds = {993, 994, 1016, 1018, 1019, 1020};

// In a row's expected stdout: any text, the empty one too.
inline const std::string kSkip = "[...]";

// Files of a row's directory: name and what it holds.
using Files = std::vector<std::pair<std::string, std::string>>;

// Whole runs of a program against the stand-in, as a table row. The
// presets go to the stand-in and the files into the row's directory; then
// the program runs once for each part of words ('|' between the runs, a
// blank between the words, "" for an empty word), with the same settings
// file and environment. What the runs give is stated for all of them
// together: stdout and stderr one run after the other, the exit status of
// each, the requests the family looks at (its own comment says which) by
// id and byte for byte, and what the stand-in and the directory hold
// afterwards. '@' in presets, env, words, out, err and after stands for
// the row's directory; kSkip in out for any text. A row names only what
// differs from the usual run: the family's program and settings file,
// nothing printed, nothing sent, exit status 0.
struct RunRow {
    std::string name;
    const char* program = nullptr;                        // nullptr: the family's
    std::string presets = "";                             // control lines, ';' between
    std::optional<SettingsFile> settings = std::nullopt;  // nullopt: the family's
    Files files = {};
    EnvOverrides env = {};
    std::string words = "";
    int exit = 0;
    std::string out = "";  // the banner's build date as normalized() leaves it
    std::string err = "";
    Ids ids = {};
    Msgs sent = {};
    // "key=value", ';' between; with '|' between, after each run in turn.
    std::string after = "";
    Files files_after = {};
};

inline void PrintTo(const RunRow& row, std::ostream* os) {
    *os << row.name;
}

// What the runs of a row gave: each run, and all their requests in order.
struct RowRuns {
    std::vector<CliRun> runs;
    HiLog wire;
};

// The parts of text between separators, empty ones too.
inline std::vector<std::string> parts(const std::string& text, char sep) {
    std::vector<std::string> out(1);
    for (char ch : text) {
        if (ch == sep)
            out.emplace_back();
        else
            out.back().push_back(ch);
    }
    return out;
}

// Whether text is pattern, each kSkip in it standing for any text.
inline bool matches(const std::string& text, const std::string& pattern) {
    std::vector<std::string> pieces;
    size_t from = 0;
    for (size_t at; (at = pattern.find(kSkip, from)) != std::string::npos; from = at + kSkip.size())
        pieces.push_back(pattern.substr(from, at - from));
    pieces.push_back(pattern.substr(from));
    if (pieces.size() == 1)
        return text == pattern;
    const std::string& last = pieces.back();
    if (!text.starts_with(pieces[0]) || !text.ends_with(last) || text.size() < pieces[0].size() + last.size())
        return false;
    size_t pos = pieces[0].size();
    for (size_t i = 1; i + 1 < pieces.size(); ++i) {
        pos = text.find(pieces[i], pos);
        if (pos == std::string::npos)
            return false;
        pos += pieces[i].size();
    }
    return pos <= text.size() - last.size();
}

inline std::string file_text(const std::string& path) {
    std::string text;
    if (FILE* f = fopen(path.c_str(), "rb")) {
        for (int ch; (ch = fgetc(f)) != EOF;)
            text += static_cast<char>(ch);
        fclose(f);
    }
    return text;
}

// Gain index 3 of the PA detector with its gain-table entry, and what the
// commands that read them print.
inline const std::string kGainPresets = "set padet index 3;set gain 3 17 34";
inline const std::string kGain =
    "Transmit gain register value:\ndigital:\t34\nanalogue:\t17\nindex:\t\t3\n\n";

// What the gain and calibration commands print of the stand-in's values
// as it starts.
inline const std::string kStandInGain =
    "Transmit gain register value:\ndigital:\t128\nanalogue:\t1\nindex:\t\t12\n\n";
inline const std::string kStandInCalibration =
    "\nCalibrations:\nlo_start:\t-25\nim_start:\t-27\nlo_stop:\t-44\nim_stop:\t-47\n"
    "gain:\t\t3\nphase:\t\t-2\ni_ofs:\t\t14\nq_ofs:\t\t-9\n\n";

class SimRows : public WithSim {
protected:
    void SetUp() override {
        WithSim::SetUp();
        ASSERT_TRUE(dir_.ok());
    }
    // Control lines, ';' between them.
    void presets(const std::string& lines) {
        for (const std::string& line : split(lines, ';'))
            ctl(line);
    }
    // What the stand-in's get shows afterwards: "key=value", ';' between.
    void expect_state(const std::string& kvs) {
        for (const auto& [key, value] : pairs(kvs))
            EXPECT_EQ(get(key), value) << key;
    }
    // Text with each '@' replaced by the row's directory.
    std::string at_dir(std::string text) const {
        for (size_t p = 0; (p = text.find('@', p)) != std::string::npos; p += dir_.path().size())
            text.replace(p, 1, dir_.path());
        return text;
    }
    static void expect_out(const std::string& out, const std::string& want) {
        if (want.find(kSkip) == std::string::npos) {
            EXPECT_EQ(out, want);
        } else {
            EXPECT_TRUE(matches(out, want)) << "stdout:\n"
                                            << out << "\nwhere " << kSkip << " is any text in\n"
                                            << want;
        }
    }
    // The row's presets and files, then its runs of program (unless the row
    // names another) with the settings file usual to the family unless the
    // row gives one; checks what every run states and leaves the requests
    // to the family.
    RowRuns run_row(const RunRow& row, const char* program, const SettingsFile& usual = Settings::None) {
        presets(at_dir(row.presets));
        for (const auto& [name, text] : row.files)
            EXPECT_TRUE(dir_.write(name.c_str(), text)) << name;
        EnvOverrides env;
        for (const auto& [key, value] : row.env)
            env.emplace_back(key, at_dir(value));
        const std::vector<std::string> runs = parts(at_dir(row.words), '|');
        const std::vector<std::string> after = parts(row.after, '|');
        EXPECT_TRUE(after.size() == 1 || after.size() == runs.size()) << "after: one part, or one a run";
        RowRuns r;
        std::string out, err;
        for (size_t i = 0; i < runs.size(); ++i) {
            std::vector<std::string> words = split(runs[i]);
            for (std::string& w : words)
                w = w == "\"\"" ? "" : w;
            const CliRun& run =
                r.runs.emplace_back(::run_on_sim(sim(), row.program != nullptr ? row.program : program, words,
                                                 row.settings.value_or(usual), 10000, env));
            EXPECT_FALSE(run.timed_out) << runs[i] << ": " << testing::PrintToString(run);
            EXPECT_EQ(run.exit_code, row.exit) << runs[i] << ": " << testing::PrintToString(run);
            out += normalized(run.out);
            err += run.err;
            r.wire += run.wire;
            if (after.size() == runs.size() || i + 1 == runs.size())
                expect_state(at_dir(after[after.size() == runs.size() ? i : 0]));
        }
        expect_out(out, at_dir(row.out));
        EXPECT_EQ(err, at_dir(row.err));
        for (const auto& [name, text] : row.files_after)
            EXPECT_EQ(file_text(dir_.path() + "/" + name), text) << name;
        return r;
    }

    TempDir dir_;
};

// Commands called in this process on the stand-in: the API opened as the
// program opens it, the settings at their defaults, an empty record.
class CliInProcess : public InProcessOn<SimRows> {
protected:
    void TearDown() override {
        g_rqm_config.pRqmApiContext = nullptr;
        InProcessOn<SimRows>::TearDown();
    }
    void start(const std::string& presets = "") {
        open(split(presets, ';'));
        g_rqm_config.pRqmApiContext = ctx_;
        InitSettings(&setting);
        g_driver_data = {};
    }
    HiLog sent() { return HiLog(sim().received()); }
};
