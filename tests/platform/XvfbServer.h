#pragma once

#include <QString>

namespace cadro::testing {

/// The display of the Xvfb server the test program started; empty when it
/// could not be started.
QString xvfbDisplay();

}  // namespace cadro::testing
