#pragma once

#include "core/store/Records.h"
#include "core/store/ThreadColor.h"

namespace cadro {

/// The fill of a thread's stripe in the thread rows and the now strip, for the
/// GUI to paint.
struct StripeFill {
    enum class Kind {
        /// The brand's pink-to-violet vertical gradient.
        verticalGradient,
        /// `color`, fully opaque.
        solid,
        /// The system's secondary label colour at `opacity`.
        secondaryLabel,
    };

    Kind kind = Kind::verticalGradient;
    RgbColor color;
    double opacity = 1.0;

    friend bool operator==(const StripeFill&, const StripeFill&) = default;
};

namespace ThreadTint {

/// The hygiene thread always has the gradient; another thread its own colour
/// when it parses, else a faint grey (secondary label colour at 25 %).
StripeFill stripe(const Strand& thread);

}  // namespace ThreadTint
}  // namespace cadro
