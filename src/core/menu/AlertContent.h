#pragma once

#include <string>
#include <vector>

namespace cadro {

/// An alert, free of any widget: a bold message, a smaller informative text
/// and the button titles, the first one the default and the last one the
/// answer to Escape. No buttons means a single "OK".
struct AlertContent {
    std::string message;
    std::string informativeText;
    std::vector<std::string> buttons;

    friend bool operator==(const AlertContent&, const AlertContent&) = default;
};

}  // namespace cadro
