#pragma once

#include "core/settings/UIState.h"
#include "core/store/ThreadStore.h"

#include <optional>
#include <string>

namespace cadro {

/// What the status item shows: its title (beginning with one space, which
/// separates it from the icon) and the colour of the icon.
struct StatusContent {
    enum class State { dayClosed, todo, thread, idle };

    State state = State::dayClosed;
    std::string title;
    /// The thread's colour text when the icon is tinted; absent for the plain
    /// (template) icon. A text that does not parse also means the plain icon.
    std::optional<std::string> tintHex;

    friend bool operator==(const StatusContent&, const StatusContent&) = default;
};

/// The status item's content for the store as it is now.
StatusContent statusContent(const ThreadStore& store);

/// The text label the panel shows beside the icon: the title without its
/// leading space, cut to the preferred length with an ellipsis; empty when
/// labels are off.
std::string panelLabel(const StatusContent& content, const PanelPreferences& preferences);

/// "Title: step" for a thread, with "Add your first thread" standing in for
/// the hygiene thread's step while the user has no threads of their own. The
/// step is trimmed; an empty one leaves the title alone. Not shortened.
std::string threadText(const ThreadStore& store, const Strand& thread);

/// The label under a thread: its step, or the first-run hint for the hygiene
/// thread, trimmed of white space and line breaks.
std::string threadStepLabel(const ThreadStore& store, const Strand& thread);

}  // namespace cadro
