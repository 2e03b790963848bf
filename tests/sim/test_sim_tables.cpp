// The rows every part of the stand-in brings, checked over whatever rows
// there are: request ids and key names unique, each number key's range and
// format as its row says, and the fault switches acting on every request
// row without code of their own. The engine runs in-process, no daemon.
#include <set>
#include <string>
#include <vector>

#include "sim/sim_control.h"
#include "sim/sim_core.h"
#include "tests/sim/sim_test_util.h"

namespace {

// The engine with every datagram it sends kept as its HI message.
class Engine {
public:
    Engine() { sim_init(&s_, 77, keep, this, nullptr); }

    bool ctl(const std::string& line, std::string* err = nullptr, std::vector<std::string>* out = nullptr) {
        std::vector<std::string> lines;
        std::string text;
        const bool ok = sim_control_exec(&s_, line, out != nullptr ? out : &lines, &text);
        if (err != nullptr)
            *err = text;
        return ok;
    }
    std::string get(const std::string& key) {
        std::vector<std::string> out;
        return ctl("get " + key, nullptr, &out) && out.size() == 1 ? out[0] : "?";
    }
    // The answer to one request from port 9.
    std::vector<Bytes> answer(const Bytes& msg) {
        sent_.clear();
        const Bytes dg = datagram(msg, 9);
        sim_on_datagram(&s_, dg.data(), dg.size(), 9, 0);
        return sent_;
    }

private:
    static int keep(void* user, uint32_t, const uint8_t* dg, size_t len) {
        static_cast<Engine*>(user)->sent_.emplace_back(dg + 16, dg + len);
        return 0;
    }
    Sim s_;
    std::vector<Bytes> sent_;
};

TEST(SimTables, RequestIdsAreUniqueAcrossParts) {
    std::set<unsigned> ids;
    for (const SimPart* p : sim_parts())
        for (const SimHandlerEntry& e : p->requests)
            EXPECT_TRUE(ids.insert(e.id).second) << p->name << " repeats request " << e.id;
    EXPECT_FALSE(ids.empty());
}

// A repeated name would leave the later row unreachable.
TEST(SimTables, KeyNamesAreUniqueAndEachRowDoesSomething) {
    std::set<std::string> names;
    for (const SimKey* k : sim_keys()) {
        EXPECT_TRUE(names.insert(k->name).second) << k->name;
        EXPECT_TRUE(k->get != nullptr || k->set_words != nullptr || k->get_words != nullptr ||
                    k->state_lines != nullptr)
            << k->name;
        EXPECT_EQ(k->get != nullptr, k->format != nullptr) << k->name;
        EXPECT_TRUE(k->set == nullptr || k->get != nullptr) << k->name << " is set but never shown";
    }
}

std::vector<const SimKey*> number_keys() {
    std::vector<const SimKey*> keys;
    for (const SimKey* k : sim_keys())
        if (k->get != nullptr)
            keys.push_back(k);
    return keys;
}

class NumberKey : public testing::TestWithParam<const SimKey*> {};

// Both ends of the range go in and come back in the row's format; one past
// either end, and an unaligned value where the row wants alignment, are
// refused with nothing changed. A read-only key refuses any value.
TEST_P(NumberKey, RangeAndFormatAsTheRowSays) {
    const SimKey* k = GetParam();
    Engine e;
    const std::string name = k->name;
    const std::string before = e.get(name);
    std::string err;
    if (k->set == nullptr) {
        EXPECT_FALSE(e.ctl("set " + name + " 0", &err));
        EXPECT_EQ(err, "unknown setting '" + name + "'");
        return;
    }
    for (uint32_t v : {k->min, k->max}) {
        EXPECT_TRUE(e.ctl("set " + name + " " + std::to_string(v), &err)) << err;
        EXPECT_EQ(e.get(name), sim_fmt(k->format, v)) << v;
    }
    EXPECT_TRUE(e.ctl("set " + name + " " + std::to_string(k->min)));
    std::vector<std::string> refused;
    if (k->max < 0xFFFFFFFF)
        refused.push_back(std::to_string(uint64_t{k->max} + 1));
    if (k->min > 0)
        refused.push_back(std::to_string(k->min - 1));
    for (const std::string& v : refused) {
        EXPECT_FALSE(e.ctl("set " + name + " " + v, &err)) << v;
        EXPECT_EQ(err, "bad number '" + v + "'");
    }
    if (k->aligned) {
        EXPECT_FALSE(e.ctl("set " + name + " 6", &err));
        EXPECT_EQ(err, "unaligned address '6'");
    }
    EXPECT_EQ(e.get(name), sim_fmt(k->format, k->min));
    EXPECT_TRUE(e.ctl("reset"));
    EXPECT_EQ(e.get(name), before) << "reset brings the start value back";
}

INSTANTIATE_TEST_SUITE_P(EveryRow, NumberKey, testing::ValuesIn(number_keys()),
                         [](const auto& info) { return std::string(info.param->name); });

// Every request row, and an id no row has, as the shortest request its row
// takes, to a connected driver.
std::vector<unsigned> request_ids() {
    std::vector<unsigned> ids = {0x1FF};
    for (const SimPart* p : sim_parts())
        for (const SimHandlerEntry& e : p->requests)
            ids.push_back(e.id);
    return ids;
}

Bytes shortest_request(unsigned id) {
    const SimHandlerEntry* e = sim_find_handler(static_cast<uint16_t>(id));
    Bytes m(e != nullptr ? e->min_len : 8, 0);
    hi_set_msg_len(m.data(), static_cast<uint16_t>(m.size()));
    hi_set_msg_id(m.data(), static_cast<uint16_t>(id));
    return m;
}

class FaultOnRow : public testing::TestWithParam<unsigned> {};

TEST_P(FaultOnRow, AppliesWithoutCodeOfItsOwn) {
    const std::string fault = "fault " + std::to_string(GetParam()) + " ";
    const Bytes request = shortest_request(GetParam());
    Engine e;
    ASSERT_TRUE(e.ctl("set connected 1") && e.ctl(fault + "refuse 9 1"));
    EXPECT_EQ(e.answer(request), std::vector<Bytes>{padded(boot(1, 9))});
    ASSERT_TRUE(e.ctl("reset") && e.ctl("set connected 1") && e.ctl(fault + "noanswer 0 1"));
    EXPECT_TRUE(e.answer(request).empty());
    // The word at +4 of each message of the answer, whatever the answer is.
    ASSERT_TRUE(e.ctl("reset") && e.ctl("set connected 1") && e.ctl(fault + "status 0xA5A5A5A5 1"));
    for (const Bytes& m : e.answer(request)) {
        ASSERT_GE(m.size(), 8u);
        EXPECT_EQ(hi_rd32(m.data() + 4), 0xA5A5A5A5u);
    }
    EXPECT_EQ(e.get("faults"), "0") << "a fault for one request is used up";
}

INSTANTIATE_TEST_SUITE_P(EveryRow, FaultOnRow, testing::ValuesIn(request_ids()),
                         [](const auto& info) { return std::to_string(info.param); });

}  // namespace
