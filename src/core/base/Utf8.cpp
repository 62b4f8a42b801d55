#include "core/base/Utf8.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <memory>

namespace cadro {

bool isValidUtf8(std::string_view text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    if (text.size() > static_cast<std::size_t>(INT32_MAX))
        return false;
    int32_t i = 0;
    while (i < length) {
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        if (c < 0)
            return false;
    }
    return true;
}

std::int32_t nextCodePoint(std::string_view text, std::size_t& i) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    auto at = static_cast<int32_t>(i);
    UChar32 c;
    U8_NEXT(bytes, at, static_cast<int32_t>(text.size()), c);
    i = static_cast<std::size_t>(at);
    return c;
}

namespace {

bool isControl(UChar32 c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

}  // namespace

bool hasControlCharacters(std::string_view text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    int32_t i = 0;
    while (i < length) {
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        if (c >= 0 && isControl(c))
            return true;
    }
    return false;
}

std::string withoutControlCharacters(std::string_view text) {
    if (!hasControlCharacters(text))
        return std::string(text);
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    std::string out;
    int32_t i = 0;
    while (i < length) {
        int32_t start = i;
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        if (c >= 0 && isControl(c)) {
            out += "\xEF\xBF\xBD";
        } else {
            out.append(
                text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(i - start)));
        }
    }
    return out;
}

std::string trimWhitespaceAndNewlines(std::string_view text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    int32_t start = 0;
    while (start < length) {
        int32_t next = start;
        UChar32 c;
        U8_NEXT(bytes, next, length, c);
        if (c < 0 || !u_isUWhiteSpace(c))
            break;
        start = next;
    }
    int32_t end = length;
    while (end > start) {
        int32_t previous = end;
        UChar32 c;
        U8_PREV(bytes, 0, previous, c);
        if (c < 0 || !u_isUWhiteSpace(c))
            break;
        end = previous;
    }
    return std::string(
        text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)));
}

std::string prefixCharacters(std::string_view text, std::size_t count) {
    if (text.size() <= count)
        return std::string(text);  // fewer bytes than characters asked
    UErrorCode status = U_ZERO_ERROR;
    // Creating a break iterator is costly; one per thread is reused.
    thread_local std::unique_ptr<icu::BreakIterator> characters(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (!characters)
        return std::string(text.substr(0, count));
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    if (U_FAILURE(status)) {
        utext_close(utext);
        return std::string(text.substr(0, count));
    }
    characters->setText(utext, status);
    int32_t boundary = characters->first();
    for (std::size_t i = 0; i < count && boundary != icu::BreakIterator::DONE; ++i) {
        boundary = characters->next();
    }
    // Detach before closing the UText it still points to.
    characters->setText(icu::UnicodeString());
    utext_close(utext);
    if (boundary == icu::BreakIterator::DONE)
        return std::string(text);
    return std::string(text.substr(0, static_cast<std::size_t>(boundary)));
}

}  // namespace cadro
