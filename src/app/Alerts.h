#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace cadro {

/// What an alert says, free of any widget: a bold message, a smaller
/// informative text and the button titles, first one the default. No buttons
/// means a single "OK".
struct AlertText {
    std::string message;
    std::string informativeText;
    std::vector<std::string> buttons;

    friend bool operator==(const AlertText&, const AlertText&) = default;
};

/// The answer of a manual update check as the alert needs it.
struct UpdateCheckOutcome {
    /// False when the check failed (no connection, bad feed, ...).
    bool succeeded = false;
    /// The newer release's version, when there is one.
    std::optional<std::string> availableVersion;
    /// The running version; empty when it cannot be read.
    std::string installedVersion;
};

/// The alert for the result of "Check for Updates…". With a newer release the
/// first button is "Download".
AlertText updateResultAlert(const UpdateCheckOutcome& outcome);

/// Runs the alert modally after bringing the application to the front.
/// Returns the index of the button that ended it (0 for the first or only
/// button), or nullopt when it was closed some other way.
std::optional<int> runAlert(const AlertText& alert, QWidget* parent = nullptr);

}  // namespace cadro
