#include "core/demo/ScreenshotTour.h"

#include <system_error>

namespace cadro {

namespace fs = std::filesystem;

ScreenshotTour::ScreenshotTour(fs::path directory, std::vector<TourScene> scenes, TourStage& stage)
    : directory_(std::move(directory)), scenes_(std::move(scenes)), stage_(stage) {}

void ScreenshotTour::run(Completion completion) {
    completion_ = std::move(completion);
    std::error_code ec;
    fs::create_directories(directory_, ec);
    if (ec || !fs::is_directory(directory_)) {
        problems_.push_back("cannot create the folder " + directory_.string() +
                            (ec ? ": " + ec.message() : ""));
    }
    if (scenes_.empty()) {
        finish();
        return;
    }
    stage_.runAfter(kSettleMilliseconds, [this] { show(0); });
}

void ScreenshotTour::show(std::size_t index) {
    if (index >= scenes_.size()) {
        finish();
        return;
    }
    scenes_[index].prepare();
    stage_.runAfter(kSettleMilliseconds, [this, index] {
        const std::string& name = scenes_[index].name;
        if (auto problem = stage_.capture(shotFile(directory_, name)))
            problems_.push_back("scene \"" + name + "\": " + *problem);
        show(index + 1);
    });
}

void ScreenshotTour::finish() {
    finished_ = true;
    completion_(problems_);
}

fs::path ScreenshotTour::shotFile(const fs::path& directory, const std::string& sceneName) {
    return directory / ("shot-" + sceneName + ".png");
}

std::vector<TourScene> ScreenshotTour::standardScenes(TourStage& stage, ThreadStore& store,
                                                      UIState& ui, const TodoPrefill& newTodo) {
    auto tab = [&stage, &ui](SettingsTab shown) {
        return [&stage, &ui, shown] {
            ui.setSelectedTab(shown);
            stage.openSettingsWindow();
        };
    };
    return {
        {"welcome", [&stage] { stage.showWelcome(); }},
        {"active",
         [&stage, &ui] {
             stage.closeWelcome();
             ui.setSelectedTab(SettingsTab::active);
             stage.openSettingsWindow();
         }},
        {"parked", tab(SettingsTab::parked)},
        {"snoozed", tab(SettingsTab::snoozed)},
        {"todo", tab(SettingsTab::todo)},
        {"braindump", tab(SettingsTab::brainDump)},
        {"shortcuts", tab(SettingsTab::shortcuts)},
        {"add-thread",
         [&ui] {
             ui.setSelectedTab(SettingsTab::active);
             ui.addThreadPrefill =
                 ThreadPrefill{"Write novel",
                               "Finish chapter 7",
                               {"Rename the main character", "Send the draft to my editor"},
                               "#F0ABFC"};
             ui.setSheet(SettingsSheet::add());
         }},
        {"add-todo",
         [&stage, &ui, newTodo] {
             ui.setSheet(std::nullopt);
             ui.setSelectedTab(SettingsTab::todo);
             ui.addTodoPrefill = newTodo;
             stage.runAfter(kSheetDelayMilliseconds,
                            [&ui] { ui.setSheet(SettingsSheet::addTodo()); });
         }},
        {"maintenance",
         [&store, &ui] {
             ui.setSheet(std::nullopt);
             ui.setSelectedTab(SettingsTab::active);
             store.setPreferences({.todoChancePercent = 0});  // no to-do may come up on the way
             advanceToHygiene(store);
         }},
    };
}

Date ScreenshotTour::demoMoment(const Calendar& calendar) {
    return calendar.compose(2026, 3, 10, 10, 0, 0).value_or(Date{});
}

void advanceToHygiene(ThreadStore& store) {
    const std::size_t presses = store.state().active.size() + 1;
    for (std::size_t i = 0; i < presses; ++i) {
        if (!store.state().currentTodoID && store.state().currentIsHygiene())
            return;
        store.next();
    }
}

}  // namespace cadro
