#include "core/settings/ThreadTint.h"

namespace cadro::ThreadTint {

StripeFill stripe(const Strand& thread) {
    if (thread.isHygiene)
        return {StripeFill::Kind::verticalGradient, {}, 1.0};
    if (thread.colorHex) {
        if (auto color = ThreadColor::fromHex(*thread.colorHex)) {
            return {StripeFill::Kind::solid, *color, 1.0};
        }
    }
    return {StripeFill::Kind::secondaryLabel, {}, 0.25};
}

}  // namespace cadro::ThreadTint
