#pragma once

#include <string>

namespace cadro {

/// What became of an action. The front ends only present it: the command
/// line as its exit status and a line on stderr, the tray as a beep or a
/// message.
enum class Outcome {
    done,
    /// There was nothing to act on (the menu beeps).
    nothingToDo,
    /// The person was asked and answered with Cancel: nothing changed, and
    /// nothing needs saying.
    cancelled,
    /// The request cannot be carried out as given; the message says why.
    refused,
};

struct ActionResult {
    Outcome outcome = Outcome::done;
    std::string message;

    static ActionResult done() { return {}; }
    static ActionResult nothingToDo(std::string why) {
        return {Outcome::nothingToDo, std::move(why)};
    }
    static ActionResult cancelled() { return {Outcome::cancelled, {}}; }
    static ActionResult refused(std::string why) { return {Outcome::refused, std::move(why)}; }
    bool isDone() const { return outcome == Outcome::done; }
};

}  // namespace cadro
