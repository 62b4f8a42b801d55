#include "core/status/StatusTitle.h"

#include "core/base/Utf8.h"

namespace cadro {
namespace {

// Titles longer than this are cut (characters as the user sees them).
constexpr std::size_t kTitleCharacters = 60;

}  // namespace

std::string threadStepLabel(const ThreadStore& store, const Strand& thread) {
    if (thread.isHygiene && !store.state().hasOwnThreads())
        return "Add your first thread";
    return trimWhitespaceAndNewlines(thread.step);
}

std::string threadText(const ThreadStore& store, const Strand& thread) {
    std::string label = threadStepLabel(store, thread);
    return label.empty() ? thread.title : thread.title + ": " + label;
}

StatusContent statusContent(const ThreadStore& store) {
    using State = StatusContent::State;
    if (!store.state().sessionOpen)
        return {State::dayClosed, " Cadro: Click to start day", std::nullopt};
    if (const Todo* todo = store.state().currentTodo()) {
        return {State::todo, " \xE2\x98\x90 " + prefixCharacters(todo->title, kTitleCharacters),
                std::nullopt};
    }
    if (const Strand* thread = store.state().current()) {
        return {State::thread, " " + prefixCharacters(threadText(store, *thread), kTitleCharacters),
                thread->colorHex};
    }
    return {State::idle, " Cadro", std::nullopt};
}

std::string panelLabel(const StatusContent& content, const PanelPreferences& preferences) {
    if (!preferences.showsLabel)
        return {};
    const std::string text = trimWhitespaceAndNewlines(content.title);
    // One character gives way to the ellipsis, so the label keeps its length.
    std::string cut = prefixCharacters(text, preferences.labelLength);
    if (cut.size() == text.size())
        return text;
    return prefixCharacters(text, preferences.labelLength - 1) + "\xE2\x80\xA6";
}

}  // namespace cadro
