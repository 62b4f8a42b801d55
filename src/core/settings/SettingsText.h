#pragma once

#include "core/store/ThreadStore.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace cadro {

/// The next steps a block of text stands for: one per line (every Unicode
/// line-break kind; CR LF counts once), each trimmed of horizontal white
/// space, empty lines dropped. List markers stay part of the step.
std::vector<std::string> stepsFromText(std::string_view text);

/// "Plan next steps", "1 next step", "<n> next steps".
std::string nextStepsSummary(std::size_t count);

/// Under the active list's empty state, which the built-in thread's row
/// follows: what that row is, by the title it shows.
std::string builtInThreadNote(const Strand& hygiene);

/// The thread the now strip is about: the current thread, unless a to-do is up.
const Strand* nowThread(const ThreadStore& store);

/// The now strip's headline: "☐ " and the to-do's title, the current
/// thread's text, or "Nothing in the cycle".
std::string nowHeadline(const ThreadStore& store);

/// A row is the current one when it is in the active list, the day is open,
/// no to-do is up and the store's current id is the thread's.
bool isCurrentRow(const ThreadStore& store, const Strand& thread, ThreadKind kind);

}  // namespace cadro
