#pragma once

#include "core/autostart/LaunchAtLogin.h"
#include "core/base/Defaults.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cadro {

/// Where this run keeps its data and settings: the user's own, or a
/// throw-away demo sandbox that never touches them.
struct AppEnvironment {
    /// The defaults domain of demo runs; wiped at every demo start and quit.
    static constexpr std::string_view kDemoDomain = "com.cadro.demo";

    /// Fill the store with sample data right after start.
    bool seedsSampleData = false;
    /// Where the store keeps its file; nullopt means the store's own default.
    std::optional<std::filesystem::path> dataDirectory;
    /// Where this machine's own files go (the undo history); nullopt means
    /// the user's state folder.
    std::optional<std::filesystem::path> stateDirectory;
    /// Used by the shortcut settings, the update checker and the settings window.
    std::shared_ptr<Defaults> defaults;
    /// Where the login item is written.
    std::filesystem::path launchAgentsDirectory;
    /// The demo sandbox; present only in demo mode.
    std::optional<std::filesystem::path> sandbox;
    /// The folder after "--capture", when screenshots were asked for.
    std::optional<std::filesystem::path> captureDirectory;
    /// The user's store file that a sandbox starts from: screenshots of the
    /// user's own data are taken of a copy, since the tour changes the store.
    std::optional<std::filesystem::path> storeCopiedFrom;

    /// The user's own data, standard defaults and login items folder.
    static AppEnvironment live(DefaultsProvider& provider,
                               const EnvironmentLookup& lookup = processEnvironment);
    /// A fresh sandbox "CadroDemo-<UUID>" in the temporary folder, holding
    /// "data" and "LaunchAgents"; the demo defaults domain is wiped first and
    /// then used. Nothing is created on disk here.
    static AppEnvironment demo(bool seeded, DefaultsProvider& provider);
    /// From the process arguments (whole-argument matches anywhere):
    /// "--demo-empty" wins over "--demo"; neither is live, or with "--capture"
    /// a sandbox holding a copy of the user's store.
    static AppEnvironment current(const std::vector<std::string>& arguments,
                                  DefaultsProvider& provider,
                                  const EnvironmentLookup& lookup = processEnvironment);

    /// The argument after the first "--capture", or nullopt when there is none.
    static std::optional<std::filesystem::path> requestedDirectory(
        const std::vector<std::string>& arguments);

    /// The defaults key that records that the welcome window has been shown.
    static constexpr std::string_view kWelcomeShownKey = "welcome.shown";

    /// True on the first start, when the welcome window is due; it records
    /// that at once, so a crash while the window shows does not show it
    /// again. A start that takes screenshots neither shows it nor records it.
    bool claimWelcome() const;

    /// Copies `storeCopiedFrom` into the sandbox's data folder; call before the
    /// store is loaded. A copy that fails leaves the sandbox empty.
    void copyStoreIntoSandbox() const;

    /// At quit: removes the sandbox and the demo defaults domain. Does nothing
    /// in the live environment. Errors are ignored.
    void discardDemoData(DefaultsProvider& provider) const;
    /// Removes the sandbox alone: a demo that steps aside for a newer one
    /// leaves the demo defaults domain, which the newer one now uses.
    void removeSandbox() const;
};

}  // namespace cadro
