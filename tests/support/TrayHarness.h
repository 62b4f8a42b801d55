#pragma once

#include "core/base/Defaults.h"
#include "core/menu/Commands.h"
#include "core/menu/StatusMenu.h"
#include "core/shortcuts/ShortcutSettings.h"
#include "support/StoreHarness.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace cadro::testing {

/// Records what the commands asked of the user interface and answers prompts
/// from a script (nothing left = the user cancels).
struct RecordingUi final : CommandUi {
    std::optional<std::string> askForText(const TextRequest& request) override {
        events.push_back("ask: " + request.title);
        requests.push_back(request);
        if (answers.empty())
            return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void openSettingsWindow() override { events.push_back("settings"); }
    void openUrl(const std::string& url) override { events.push_back("open " + url); }
    int showAlert(const AlertContent& alert) override {
        events.push_back("alert: " + alert.message);
        return alertChoice;
    }
    void quit() override { events.push_back("quit"); }

    std::vector<std::string> events;
    std::vector<TextRequest> requests;
    std::deque<std::optional<std::string>> answers;
    int alertChoice = 1;
};

/// A store with the commands, menu and UI state around it, as the tray app wires them.
struct TrayHarness : StoreHarness {
    std::shared_ptr<MemoryDefaults> defaults = std::make_shared<MemoryDefaults>();
    ShortcutSettings shortcuts{defaults};
    UIState ui{defaults};
    RecordingUi recorder;
    Commands commands{store(), ui, clock, *calendar, recorder};

    std::vector<MenuItem> menu() {
        return buildStatusMenu({store(), shortcuts, nullptr, nullptr, *calendar, clock.now()});
    }
};

}  // namespace cadro::testing
