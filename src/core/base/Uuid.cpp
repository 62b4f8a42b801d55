#include "core/base/Uuid.h"

#include "core/base/Hex.h"

#include <sys/random.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace cadro {
namespace {

constexpr std::array<int, 4> kHyphenPositions{8, 13, 18, 23};

void fillRandom(Uuid::Bytes& bytes) {
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        ssize_t got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            // No getrandom (very old kernel): fall back to the C++ source.
            std::random_device device;
            for (auto& b : bytes)
                b = static_cast<std::uint8_t>(device());
            return;
        }
        filled += static_cast<std::size_t>(got);
    }
}

}  // namespace

Uuid Uuid::random() {
    Bytes bytes;
    fillRandom(bytes);
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
    return Uuid(bytes);
}

std::optional<Uuid> Uuid::parse(std::string_view text) {
    // Where each byte's two digits start in the 8-4-4-4-12 form.
    static constexpr std::array<std::uint8_t, 16> kDigitPairs{0,  2,  4,  6,  9,  11, 14, 16,
                                                              19, 21, 24, 26, 28, 30, 32, 34};
    if (text.size() != 36)
        return std::nullopt;
    for (int hyphen : kHyphenPositions) {
        if (text[static_cast<std::size_t>(hyphen)] != '-')
            return std::nullopt;
    }
    Bytes bytes{};
    // Checked once at the end: a bad digit makes its value negative, and so
    // the OR of all values.
    int all = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int high = hexDigitValue(text[kDigitPairs[i]]);
        const int low = hexDigitValue(text[kDigitPairs[i] + 1u]);
        all |= high | low;
        bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    if (all < 0)
        return std::nullopt;
    return Uuid(bytes);
}

std::string Uuid::toString() const {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    // Filled in place: long lists write thousands of these.
    std::string out(36, '-');
    std::size_t at = 0;
    std::size_t hyphen = 0;
    for (const std::uint8_t byte : bytes_) {
        if (hyphen < kHyphenPositions.size() &&
            at == static_cast<std::size_t>(kHyphenPositions[hyphen])) {
            ++at;
            ++hyphen;
        }
        out[at++] = kDigits[byte >> 4];
        out[at++] = kDigits[byte & 0x0F];
    }
    return out;
}

}  // namespace cadro

std::size_t std::hash<cadro::Uuid>::operator()(const cadro::Uuid& id) const noexcept {
    std::uint64_t a = 0, b = 0;
    std::memcpy(&a, id.bytes().data(), 8);
    std::memcpy(&b, id.bytes().data() + 8, 8);
    return static_cast<std::size_t>(a ^ (b * 0x9E3779B97F4A7C15ULL));
}
