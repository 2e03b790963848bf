// Rows run against the stand-in: presets written as one text, the
// stand-in's values afterwards as "key=value" pairs, the requests of a run
// as one line, and the commands called in this process with the API open
// on the stand-in.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cli/get_settings.h"
#include "cli/main.h"
#include "common/driver_data.h"
#include "tests/support/rows.h"
#include "tests/support/sim_fixture.h"

// The driver's own requests: start-up, record fetch and push, connect,
// disconnect, reconnect.
inline const std::vector<unsigned> kDriverIds = {993, 994, 1016, 1018, 1019, 1020};

// The requests the stand-in got, a blank between them, those with an id in
// skip left out: "id:" and the words from 4 in hex, a comma between, then
// the bytes that make no whole word ("1017:00e3"). Only the id where there
// is nothing after the head.
inline std::string wire_text(const HiLog& wire, const std::vector<unsigned>& skip) {
    std::string out;
    char hex[16];
    for (const HiMsg& m : wire.with()) {
        bool skipped = false;
        for (unsigned id : skip)
            skipped = skipped || m.id() == id;
        if (skipped)
            continue;
        out += (out.empty() ? "" : " ") + std::to_string(m.id());
        const size_t whole = 4 + (m.bytes.size() - 4) / 4 * 4;
        std::string body;
        for (size_t off = 4; off < whole; off += 4) {
            snprintf(hex, sizeof hex, body.empty() ? "%x" : ",%x", m.u32(off));
            body += hex;
        }
        body += whole < m.bytes.size() && !body.empty() ? "," : "";
        for (size_t off = whole; off < m.bytes.size(); ++off) {
            snprintf(hex, sizeof hex, "%02x", m.bytes[off]);
            body += hex;
        }
        out += body.empty() ? "" : ":" + body;
    }
    return out;
}

// Gain index 3 of the PA detector with its gain-table entry, and what the
// commands that read them print.
inline const std::string kGainPresets = "set padet index 3;set gain 3 17 34";
inline const std::string kGain =
    "Transmit gain register value:\ndigital:\t34\nanalogue:\t17\nindex:\t\t3\n\n";

// A settings file of this text, or none for an empty one.
inline SettingsFile settings_of(const std::string& text) {
    return text.empty() ? SettingsFile() : SettingsFile(text);
}

class SimRows : public WithSim {
protected:
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
