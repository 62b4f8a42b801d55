#include "core/base/Json.h"
#include "core/base/JsonWriter.h"
#include "core/store/StoreFormat.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>

namespace cadro {
namespace {

using namespace std::string_literals;

template <typename T>
std::string written(const T& value) {
    std::string out;
    json::Writer writer(out, true);
    writer.value(value);
    return out;
}

class Draw {
  public:
    explicit Draw(std::uint64_t seed) : rng_(seed) {}

    std::size_t below(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_);
    }
    bool coin() { return below(2) == 0; }

    // Bytes with a bias to what needs care: quotes, slashes, controls,
    // multi-byte characters and broken sequences.
    std::string text() {
        static const std::string ascii = "aZ \"\\/\n\t\x01\x1f\x7f";
        static const char* multiByte[] = {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                          "\xEF\xBF\xBF", "\xC2\x80"};
        static const char* broken[] = {"\xFF",    "\xC3",     "\xE2\x82",     "\xF0\x9F\x98",
                                       "\x80",    "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                                       "\xE0\x80"};
        std::string out;
        for (std::size_t n = below(12); n > 0; --n) {
            if (below(4) == 0)
                out += broken[below(std::size(broken))];
            else if (below(8) == 0)
                out += static_cast<char>(below(256));
            else if (coin())
                out += ascii[below(ascii.size())];
            else
                out += multiByte[below(std::size(multiByte))];
        }
        return out;
    }

    double number() {
        switch (below(4)) {
            case 0:
                return static_cast<double>(below(1'000'000'000));
            case 1:
                return 786'000'000 + std::uniform_real_distribution<double>(0, 1e8)(rng_);
            case 2:
                return std::uniform_real_distribution<double>(-1e-6, 1e-6)(rng_);
            default: {
                double d = std::bit_cast<double>(static_cast<std::uint64_t>(rng_()));
                return std::isfinite(d) ? d : 0.5;
            }
        }
    }

    std::int64_t integer() {
        return coin() ? static_cast<std::int64_t>(below(100)) - 50
                      : static_cast<std::int64_t>(rng_());
    }

  private:
    std::mt19937_64 rng_;
};

// The reference is nlohmann/json's dump of the same value, with slashes
// escaped.
TEST(StoreFormat, TextAndNumbersAreWrittenAsNlohmannWroteThem) {
    Draw draw(7);
    for (int i = 0; i < 5000; ++i) {
        const std::string text = draw.text();
        ASSERT_EQ(written(std::string_view(text)), json::encodeCompact(text))
            << ::testing::PrintToString(text);
        const double number = draw.number();
        ASSERT_EQ(written(number), json::encodeCompact(number)) << number;
        const std::int64_t integer = draw.integer();
        ASSERT_EQ(written(integer), json::encodeCompact(integer));
    }
    EXPECT_EQ(written(-0.0), json::encodeCompact(-0.0));
    EXPECT_EQ(written(std::nan("")), json::encodeCompact(std::nan("")));
}

// A file with every key, each optional one also left out somewhere, in the
// form the previous writer wrote; with these and the schedules below, every
// field reads back as written. Whole numbers at both ends of their range.
const char* const kEveryKey =
    "{\"active\":[{\"id\":\"00000000-0000-4000-8000-00000000000A\",\"title\":\"A \\\"q\\\" \\/ "
    "\\\\ \\u0001\\u001f\177 caf\303\251 \360\237\230\200\",\"step\":\"s\\/t\",\"nextSteps\":["
    "\"n\",\"tw\303\266\"],\"colorHex\":\"#112233\",\"priority\":-9223372036854775808,\"focusTa"
    "rget\":\"f\",\"createdAt\":5.25,\"lastSlot\":9223372036854775807,\"isHygiene\":false}],\"p"
    "arked\":[{\"id\":\"00000000-0000-4000-8000-00000000000D\",\"title\":\"M\",\"step\":\"\",\""
    "nextSteps\":[],\"createdAt\":1.0,\"isHygiene\":true}],\"snoozed\":[{\"id\":\"00000000-0000"
    "-4000-8000-00000000000B\",\"title\":\"S\",\"step\":\"\",\"nextSteps\":[],\"createdAt\":-0."
    "001,\"snoozedUntil\":9000000000.0,\"isHygiene\":false}],\"todos\":[{\"id\":\"00000000-0000"
    "-4000-8000-00000000000C\",\"title\":\"T\",\"estimatedMinutes\":7,\"snoozedUntil\":1e+21,\""
    "createdAt\":786000000.1234568,\"schedule\":{\"startDate\":100.5,\"times\":[{\"hour\":9,\"m"
    "inute\":30},{\"hour\":17,\"minute\":0}],\"repeatRule\":{\"interval\":2,\"unit\":\"month\","
    "\"weekdays\":[2,6],\"dayOfMonth\":31}},\"lastFiredAt\":6.0},{\"id\":\"00000000-0000-4000-8"
    "000-00000000000E\",\"title\":\"U\",\"createdAt\":1e-07,\"schedule\":{\"startDate\":0.0,\"t"
    "imes\":[]}}],\"slot\":4,\"currentID\":\"00000000-0000-4000-8000-00000000000A\",\"currentTo"
    "doID\":\"00000000-0000-4000-8000-00000000000C\",\"interruptedTodoID\":\"00000000-0000-4000"
    "-8000-00000000000C\",\"defaultSnoozeMinutes\":15,\"todoChancePercent\":20,\"brainDump\":\""
    "b\\n\\t\\r\",\"brainDumpFilePath\":\"\\/b.md\",\"sessionOpen\":false,\"pendingScheduledTod"
    "oIDs\":[\"00000000-0000-4000-8000-00000000000E\"],\"requests\":[{\"id\":\"R\",\"exit\":255"
    ",\"out\":\"o\",\"err\":\"e\"}]}";

TEST(StoreFormat, AFileWithEveryKeyIsWrittenBackByteForByte) {
    EXPECT_EQ(encodeStoreFile(decodeStoreFile(kEveryKey, Date{})), kEveryKey);
    // With the marks merging copies from two machines goes by.
    const std::string marked =
        R"({"active":[{"id":"00000000-0000-4000-8000-00000000000A","title":"A","step":"","nextSteps":[],"createdAt":1.0,"isHygiene":false,"changedAt":7.5,"changedOn":"A"}],"parked":[],"snoozed":[],"todos":[{"id":"00000000-0000-4000-8000-00000000000C","title":"t","createdAt":0.0,"changedAt":8.0,"changedOn":"B"}],"slot":0,"defaultSnoozeMinutes":60,"todoChancePercent":5,"brainDump":"","sessionOpen":true,"deleted":[{"id":"00000000-0000-4000-8000-00000000000D","at":2.0,"on":"A"}],"machines":{"A":7.5,"B":8.0},"sessionChangedAt":3.0,"sessionChangedOn":"A","brainDumpChangedAt":4.0,"brainDumpChangedOn":"B","ringChangedAt":5.0})";
    const PersistedState state = decodeStoreFile(marked, Date{});
    EXPECT_EQ(state.marks.records.size(), 2u);
    EXPECT_FALSE(state.active.at(0).changed);
    EXPECT_EQ(encodeStoreFile(state), marked);
}

// A to-do with `schedule` in an otherwise empty, canonical store file.
std::string withSchedule(const std::string& schedule) {
    return R"({"active":[],"parked":[],"snoozed":[],"todos":[{"id":"00000000-0000-4000-8000-00000000000C","title":"t","createdAt":0.0,"schedule":)" +
           schedule +
           R"(}],"slot":0,"defaultSnoozeMinutes":60,"todoChancePercent":5,"brainDump":"","sessionOpen":true})";
}

TEST(StoreFormat, SchedulesAreWrittenBackAsReadLeavingAbsentPartsOut) {
    // Without a day of the month, and with values out of range: as read.
    const char* const schedules[] = {
        R"({"startDate":0.0,"times":[],"repeatRule":{"interval":2,"unit":"week","weekdays":[2,6]}})",
        R"({"startDate":0.0,"times":[{"hour":25,"minute":75}],"repeatRule":{"interval":0,"unit":"month","weekdays":[9],"dayOfMonth":31}})"};
    for (const char* text : schedules)
        EXPECT_EQ(encodeStoreFile(decodeStoreFile(withSchedule(text), Date{})), withSchedule(text));
    // Weekdays are a set.
    const std::string repeated =
        R"({"startDate":0,"times":[],"repeatRule":{"interval":2,"unit":"week","weekdays":[6,2,6]}})";
    EXPECT_EQ(
        decodeStoreFile(withSchedule(repeated), Date{}).todos.at(0).schedule->repeatRule->weekdays,
        (std::set<std::int64_t>{2, 6}));
}

// The first problem is named with its place; keys nobody knows are skipped
// whatever they hold.
TEST(StoreFormat, ProblemsAreNamedWithTheirPlace) {
    const std::string id = R"("id":"0A1B2C3D-4E5F-4A6B-8C7D-8E9FA0B1C2D3")";
    const std::pair<std::string, std::string> cases[] = {
        {R"({"parked":[]})", R"("active" is missing)"},
        {R"({"active":[],"parked":[],"slot":1.5})", R"("slot" must be a whole number)"},
        {R"({"active":[{)" + id + R"(,"title":"t"},7],"parked":[]})",
         "active[1]: expected an object"},
        {R"({"active":[{)" + id + R"(,"title":"t","nextSteps":["a",{}]}],"parked":[]})",
         R"(active[0]: "nextSteps" must hold text)"},
        {withSchedule(R"({"startDate":0,"times":[{"hour":9}]})"),
         R"(todos[0].schedule.times[0]: "minute" is missing)"},
        {withSchedule(
             R"({"startDate":0,"times":[],"repeatRule":{"interval":1,"unit":"year","weekdays":[]}})"),
         R"(todos[0].schedule.repeatRule: "unit" must be "day", "week" or "month")"},
        {withSchedule(R"({"startDate":"today","times":[]})"),
         R"(todos[0].schedule: "startDate" must be a number of seconds)"},
        {withSchedule(R"({"startDate":0,"times":[],"repeatRule":[]})"),
         R"(todos[0].schedule: "repeatRule" must be an object)"},
        {R"({"active":[],"parked":[],"pendingScheduledTodoIDs":["x"]})",
         R"("pendingScheduledTodoIDs" must hold ids)"},
        {"[]", "document: expected an object"},
        {"{\"active\":[],\n\"parked\":[]]", "not valid JSON: "},
        {"{\"active\":[],\"parked\":[],\"brainDump\":\"\xFF\"}", "not valid JSON: "},
        {"{\"active\":[],\"parked\":[]}\0 "s, "not valid JSON: "},
        {R"({"active":[],"parked":[],"createdAt":1e999})", "not valid JSON: "},
    };
    for (const auto& [bytes, problem] : cases) {
        try {
            decodeStoreFile(bytes, Date{});
            ADD_FAILURE() << "read: " << bytes;
        } catch (const json::DecodeError& error) {
            EXPECT_TRUE(std::string(error.what()).starts_with(problem)) << error.what();
        }
    }
    const auto state = decodeStoreFile(
        "\xEF\xBB\xBF"
        R"({"x":{"active":[1,{"y":[[]]}]},"active":[],"parked":[],"z":null,"slot":3})",
        Date{});
    EXPECT_EQ(state.slot, 3);
}

}  // namespace
}  // namespace cadro
