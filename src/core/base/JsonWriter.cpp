#include "core/base/JsonWriter.h"

#include <unicode/utf8.h>
#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>

namespace cadro::json {

void Writer::separate() {
    if (needsComma_)
        out_.push_back(',');
    needsComma_ = false;
}

void Writer::beginObject() {
    separate();
    out_.push_back('{');
}

void Writer::endObject() {
    out_.push_back('}');
    needsComma_ = true;
}

void Writer::beginArray() {
    separate();
    out_.push_back('[');
}

void Writer::endArray() {
    out_.push_back(']');
    needsComma_ = true;
}

void Writer::key(std::string_view name) {
    separate();
    out_.push_back('"');
    out_.append(name);
    out_.append("\":", 2);
}

void Writer::value(std::string_view text) {
    separate();
    out_.push_back('"');
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t i = 0;
    while (i < length) {
        // Runs of plain characters are copied in one go.
        std::int32_t run = i;
        while (run < length && bytes[run] >= 0x20 && bytes[run] < 0x80 && bytes[run] != '"' &&
               bytes[run] != '\\' && (bytes[run] != '/' || !escapeSlashes_))
            ++run;
        out_.append(text.data() + i, static_cast<std::size_t>(run - i));
        i = run;
        if (i == length)
            break;
        const std::uint8_t c = bytes[i];
        if (c >= 0x80) {
            const std::int32_t start = i;
            UChar32 codePoint;
            U8_NEXT(bytes, i, length, codePoint);
            // One replacement for each maximal invalid sequence, as dump() does.
            if (codePoint < 0)
                out_.append("\xEF\xBF\xBD");
            else
                out_.append(text.data() + start, static_cast<std::size_t>(i - start));
            continue;
        }
        ++i;
        switch (c) {
            case '"':
                out_.append("\\\"");
                break;
            case '\\':
                out_.append("\\\\");
                break;
            case '/':
                out_.append("\\/");
                break;
            case '\b':
                out_.append("\\b");
                break;
            case '\t':
                out_.append("\\t");
                break;
            case '\n':
                out_.append("\\n");
                break;
            case '\f':
                out_.append("\\f");
                break;
            case '\r':
                out_.append("\\r");
                break;
            default: {
                static constexpr char hex[] = "0123456789abcdef";
                const char escaped[] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 0xF]};
                out_.append(escaped, sizeof escaped);
            }
        }
    }
    out_.push_back('"');
    needsComma_ = true;
}

void Writer::value(std::int64_t number) {
    separate();
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out_.append(digits, static_cast<std::size_t>(end - digits));
    needsComma_ = true;
}

void Writer::value(double number) {
    if (!std::isfinite(number))
        return null();
    separate();
    // nlohmann's own shortest round-trip formatting, so existing files are
    // written back byte for byte.
    char digits[64];
    char* end = nlohmann::detail::to_chars(digits, digits + sizeof digits, number);
    out_.append(digits, static_cast<std::size_t>(end - digits));
    needsComma_ = true;
}

void Writer::value(bool flag) {
    separate();
    out_.append(flag ? "true" : "false");
    needsComma_ = true;
}

void Writer::null() {
    separate();
    out_.append("null");
    needsComma_ = true;
}

}  // namespace cadro::json
