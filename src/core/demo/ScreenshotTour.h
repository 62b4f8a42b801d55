#pragma once

#include "core/base/Calendar.h"
#include "core/base/Date.h"
#include "core/settings/UIState.h"
#include "core/store/ThreadStore.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace cadro {

/// What the tour needs from the windowing side of the application.
class TourStage {
  public:
    virtual ~TourStage() = default;
    /// Shows the welcome window, placed for capture.
    virtual void showWelcome() = 0;
    /// Closes the welcome window for good.
    virtual void closeWelcome() = 0;
    /// Opens the settings window on the selected tab, placed for capture.
    virtual void openSettingsWindow() = 0;
    /// Writes the front window into `file` as a PNG; a problem when it cannot.
    virtual std::optional<std::string> capture(const std::filesystem::path& file) = 0;
    /// Runs `action` on the main thread after `milliseconds`.
    virtual void runAfter(int milliseconds, std::function<void()> action) = 0;
};

/// One picture: its name names the file, `prepare` sets up what it shows.
struct TourScene {
    std::string name;
    std::function<void()> prepare;
};

/// Shows a fixed series of windows one after another and photographs each into
/// "<directory>/shot-<scene>.png", unattended, then calls the completion with
/// every problem it met (none when all went well).
class ScreenshotTour {
  public:
    /// Time for windows to appear before the first scene, and for each scene
    /// to settle before its picture.
    static constexpr int kSettleMilliseconds = 1200;
    /// The add-to-do sheet opens this long after its tab was chosen.
    static constexpr int kSheetDelayMilliseconds = 400;

    using Completion = std::function<void(const std::vector<std::string>& problems)>;

    ScreenshotTour(std::filesystem::path directory, std::vector<TourScene> scenes,
                   TourStage& stage);

    /// Creates the folder with its parents, then walks through the scenes.
    void run(Completion completion);
    /// True once the completion has been called.
    bool isFinished() const { return finished_; }

    static std::filesystem::path shotFile(const std::filesystem::path& directory,
                                          const std::string& sceneName);

    /// The ten scenes: the welcome window, each settings tab, the add-thread
    /// and add-to-do sheets filled in, and the cycle moved on to maintenance.
    static std::vector<TourScene> standardScenes(TourStage& stage, ThreadStore& store, UIState& ui,
                                                 const TodoPrefill& newTodo);

    /// The moment a tour of the sample data is set in, so that its dates and
    /// words such as "tomorrow" are the same whenever it runs: a Tuesday in
    /// March at 10:00 on the local wall clock.
    static Date demoMoment(const Calendar& calendar);

  private:
    void show(std::size_t index);
    void finish();

    std::filesystem::path directory_;
    std::vector<TourScene> scenes_;
    TourStage& stage_;
    Completion completion_;
    std::vector<std::string> problems_;
    bool finished_ = false;
};

/// Presses Next until the hygiene thread is up with no to-do, at most once per
/// active thread and once more, so a cycle that never reaches it still ends.
void advanceToHygiene(ThreadStore& store);

}  // namespace cadro
