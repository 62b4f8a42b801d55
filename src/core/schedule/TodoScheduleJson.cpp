#include "core/schedule/TodoScheduleJson.h"

namespace cadro {

std::string_view toString(RepeatUnit unit) {
    switch (unit) {
        case RepeatUnit::day:
            return "day";
        case RepeatUnit::week:
            return "week";
        case RepeatUnit::month:
            return "month";
    }
    return "day";
}

std::optional<RepeatUnit> repeatUnitFromString(std::string_view text) {
    if (text == "day")
        return RepeatUnit::day;
    if (text == "week")
        return RepeatUnit::week;
    if (text == "month")
        return RepeatUnit::month;
    return std::nullopt;
}

namespace json {
namespace {

std::string indexPath(const std::string& path, std::size_t index) {
    return path + "[" + std::to_string(index) + "]";
}

RepeatRule decodeRule(const Value& value, const std::string& path) {
    ObjectReader in(value, path);
    RepeatRule rule;
    rule.interval = in.integer("interval");
    std::string unit = in.string("unit");
    auto parsedUnit = repeatUnitFromString(unit);
    if (!parsedUnit)
        in.fail("unit", "must be \"day\", \"week\" or \"month\"");
    rule.unit = *parsedUnit;
    const Value& weekdays = in.array("weekdays");
    for (std::size_t i = 0; i < weekdays.size(); ++i) {
        auto day = asInteger(weekdays[i]);
        if (!day)
            in.fail("weekdays", "must hold whole numbers");
        rule.weekdays.insert(*day);
    }
    rule.dayOfMonth = in.optionalInteger("dayOfMonth");
    return rule;
}

}  // namespace

OrderedValue encode(const TodoSchedule& schedule) {
    OrderedValue out = OrderedValue::object();
    out["startDate"] = schedule.startDate.secondsSinceReference;
    OrderedValue times = OrderedValue::array();
    for (const auto& time : schedule.times) {
        OrderedValue t = OrderedValue::object();
        t["hour"] = time.hour;
        t["minute"] = time.minute;
        times.push_back(std::move(t));
    }
    out["times"] = std::move(times);
    if (schedule.repeatRule) {
        const RepeatRule& rule = *schedule.repeatRule;
        OrderedValue r = OrderedValue::object();
        r["interval"] = rule.interval;
        r["unit"] = std::string(toString(rule.unit));
        OrderedValue weekdays = OrderedValue::array();
        for (auto day : rule.weekdays)
            weekdays.push_back(day);
        r["weekdays"] = std::move(weekdays);
        if (rule.dayOfMonth)
            r["dayOfMonth"] = *rule.dayOfMonth;
        out["repeatRule"] = std::move(r);
    }
    return out;
}

TodoSchedule decodeSchedule(const Value& value, const std::string& path) {
    ObjectReader in(value, path);
    TodoSchedule schedule;
    schedule.startDate = in.date("startDate");
    const Value& times = in.array("times");
    for (std::size_t i = 0; i < times.size(); ++i) {
        ObjectReader time(times[i], indexPath(in.childPath("times"), i));
        schedule.times.push_back({time.integer("hour"), time.integer("minute")});
    }
    if (const Value* rule = in.optionalObject("repeatRule")) {
        schedule.repeatRule = decodeRule(*rule, in.childPath("repeatRule"));
    }
    return schedule;
}

}  // namespace json
}  // namespace cadro
