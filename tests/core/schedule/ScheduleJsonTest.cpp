#include "core/schedule/TodoSchedule.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

TodoSchedule decode(const std::string& text) {
    return json::decodeSchedule(json::parse(text), "schedule");
}

TEST(ScheduleJson, WritesBackWhatItReadsLeavingAbsentPartsOut) {
    const char* texts[] = {
        R"({"startDate":100.5,"times":[{"hour":9,"minute":30}]})",
        R"({"startDate":0.0,"times":[],"repeatRule":{"interval":2,"unit":"week","weekdays":[2,6]}})",
        R"({"startDate":0.0,"times":[],"repeatRule":{"interval":1,"unit":"month","weekdays":[],"dayOfMonth":31}})",
    };
    for (const char* text : texts)
        EXPECT_EQ(json::encodeCompact(json::encode(decode(text))), text);
    // Weekdays are a set.
    EXPECT_EQ(
        decode(
            R"({"startDate":0,"times":[],"repeatRule":{"interval":2,"unit":"week","weekdays":[6,2,6]}})")
            .repeatRule->weekdays,
        (std::set<std::int64_t>{2, 6}));
}

TEST(ScheduleJson, OutOfRangeValuesAreKeptAsRead) {
    TodoSchedule s = decode(
        R"({"startDate":0,"times":[{"hour":25,"minute":75}],"repeatRule":{"interval":0,"unit":"month","weekdays":[9],"dayOfMonth":31}})");
    EXPECT_EQ(s.times[0], (TimeOfDay{25, 75}));
    EXPECT_EQ(s.repeatRule->interval, 0);
    EXPECT_EQ(s.repeatRule->dayOfMonth, 31);
    EXPECT_EQ(decode(json::encodeCompact(json::encode(s))), s);
}

TEST(ScheduleJson, BadShapesFail) {
    for (
        const char* bad : {
            R"({"times":[]})",
            R"({"startDate":0})",
            R"({"startDate":"today","times":[]})",
            R"({"startDate":0,"times":[{"hour":9}]})",
            R"({"startDate":0,"times":[{"hour":9.5,"minute":0}]})",
            R"({"startDate":0,"times":[],"repeatRule":{"interval":1,"unit":"year","weekdays":[]}})",
            R"({"startDate":0,"times":[],"repeatRule":{"interval":1,"unit":"day"}})",
            R"({"startDate":0,"times":[],"repeatRule":{"interval":1,"unit":"day","weekdays":["mo"]}})",
            R"({"startDate":0,"times":[],"repeatRule":[]})",
        }) {
        EXPECT_THROW(decode(bad), json::DecodeError) << bad;
    }
}

}  // namespace
}  // namespace cadro
