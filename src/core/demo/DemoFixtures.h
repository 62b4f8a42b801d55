#pragma once

#include "core/base/Calendar.h"
#include "core/base/Date.h"
#include "core/settings/UIState.h"
#include "core/store/ThreadStore.h"

namespace cadro::DemoFixtures {

/// Fills an empty store with sample threads, to-dos and a brain dump, and
/// starts the day, using only the store's ordinary operations.
void populate(ThreadStore& store, Date now, const Calendar& calendar);

/// The add-to-do sheet's sample: "Water the plants", 5 minutes, daily at
/// 18:00 from the moment of first use (fixed from then on).
const TodoPrefill& newTodo(Date now);

}  // namespace cadro::DemoFixtures
