#pragma once

#include "core/menu/AlertContent.h"

#include <optional>

class QWidget;

namespace cadro {

/// Runs the alert modally after bringing the application to the front.
/// Returns the index of the button that ended it (0 for the first or only
/// button), or nullopt when it was closed some other way.
std::optional<int> runAlert(const AlertContent& alert, QWidget* parent = nullptr);

}  // namespace cadro
