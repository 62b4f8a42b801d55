#pragma once

#include "core/base/Date.h"
#include "core/store/ThreadStore.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cadro {

class Calendar;

/// One of the estimate choices offered for a to-do.
struct Estimate {
    std::int64_t minutes;
    std::string_view label;
};

inline constexpr std::array<Estimate, 5> kEstimates{{
    {5, "5 min"},
    {15, "15 min"},
    {30, "30 min"},
    {60, "1 hr"},
    {120, "2 hr"},
}};

/// The label of the choice with exactly these minutes, else "<n> min".
std::string estimateLabel(std::int64_t minutes);

/// Everything a to-do row shows, worked out once.
struct TodoRowText {
    std::string title;
    /// The to-do is the one that is up now.
    bool isUp = false;
    /// "Until tomorrow, 9:00 AM" while it is snoozed into the future.
    std::optional<std::string> until;
    /// The schedule's short label, "Daily · 18:00".
    std::optional<std::string> schedule;
    /// The estimate's label, "15 min".
    std::optional<std::string> estimate;
    /// What assistive technology reads after the title: the schedule or the
    /// "Until" text and the estimate, joined by ", ".
    std::string description;

    friend bool operator==(const TodoRowText&, const TodoRowText&) = default;
};

TodoRowText describeTodoRow(const ThreadStore& store, const Todo& todo, const Calendar& calendar,
                            Date now);

}  // namespace cadro
