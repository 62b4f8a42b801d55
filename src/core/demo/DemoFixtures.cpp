#include "core/demo/DemoFixtures.h"

#include <vector>

namespace cadro::DemoFixtures {
namespace {

struct SampleThread {
    const char* title;
    const char* step;
    std::vector<std::string> nextSteps;
    std::optional<std::string> colorHex;
    std::optional<std::int64_t> priority;
};

const std::vector<SampleThread>& sampleThreads() {
    static const std::vector<SampleThread> threads = {
        {"Website redesign",
         "Write hero copy",
         {"Pick product screenshots", "Ship to staging"},
         "#8B7CF6",
         2},
        {"Q4 planning", "Draft team goals", {"Review with Veda"}, "#0A84FF", std::nullopt},
        {"Podcast episode 12",
         "Edit interview audio",
         {"Write show notes", "Schedule release"},
         "#FF9F0A",
         std::nullopt},
        {"Tax return", "Gather receipts", {"Book accountant call"}, "#30D158", std::nullopt},
        {"Kitchen renovation", "Compare contractor quotes", {}, std::nullopt, std::nullopt},
        {"Learn Japanese", "Lesson 14: counters", {}, "#FF375F", std::nullopt},
        {"Conference talk", "Outline the slides", {}, std::nullopt, std::nullopt},
    };
    return threads;
}

TodoSchedule dailyAtSix(Date start) {
    return TodoSchedule{start, {{18, 0}}, RepeatRule{1, RepeatUnit::day, {}, std::nullopt}};
}

std::optional<Uuid> activeThreadTitled(const ThreadStore& store, const std::string& title) {
    for (const auto& thread : store.state().active) {
        if (thread.title == title)
            return thread.id;
    }
    return std::nullopt;
}

}  // namespace

void populate(ThreadStore& store, Date now, const Calendar& calendar) {
    for (const auto& sample : sampleThreads()) {
        Strand thread;
        thread.id = Uuid::random();
        thread.title = sample.title;
        thread.step = sample.step;
        thread.nextSteps = sample.nextSteps;
        thread.colorHex = sample.colorHex;
        thread.priority = sample.priority;
        thread.createdAt = now;
        store.addThread(std::move(thread));
    }
    if (auto japanese = activeThreadTitled(store, "Learn Japanese"))
        store.park(*japanese);
    if (auto talk = activeThreadTitled(store, "Conference talk")) {
        Date tomorrow = calendar.addDays(now, 1).value_or(now);
        Date wake = calendar
                        .compose(calendar.year(tomorrow), calendar.month(tomorrow),
                                 calendar.day(tomorrow), 9, 0, 0)
                        .value_or(now);
        store.snooze(*talk, wake);
    }
    store.addTodo("Reply to Oren about Friday", 5);
    store.addTodo("Renew passport", 30);
    store.addTodo("Book dentist appointment", 15);
    store.addTodo("Water the plants", 5, dailyAtSix(now));
    store.editBrainDump(
        "- ask Veda whether the Q4 offsite is confirmed\n"
        "- idea: episode on async teams\n"
        "- hero copy: lead with the problem, not the feature\n"
        "- buy printer ink");
    store.startDay();
}

const TodoPrefill& newTodo(Date now) {
    static const TodoPrefill prefill{"Water the plants", 5, dailyAtSix(now)};
    return prefill;
}

}  // namespace cadro::DemoFixtures
