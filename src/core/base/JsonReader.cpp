#include "core/base/JsonReader.h"

#include "core/base/Json.h"
#include "core/base/Utf8.h"

// Every x86-64 has SSE2: RapidJSON then scans strings 16 bytes at a time.
#if defined(__SSE2__) && !defined(RAPIDJSON_SSE2)
#define RAPIDJSON_SSE2
#endif
#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include <locale.h>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace cadro::json {
namespace {

bool isValidText(const char* text, std::size_t length) {
    std::size_t i = 0;
    // Mostly ASCII: eight bytes at a time up to the first that is not.
    for (std::uint64_t word; i + 8 <= length; i += 8) {
        std::memcpy(&word, text + i, 8);
        if (word & 0x8080808080808080u)
            break;
    }
    for (; i < length; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return isValidUtf8(std::string_view(text + i, length - i));
    }
    return true;
}

// strtod as JSON means it, whatever the process's locale.
double parseCLocale(const std::string& text) {
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", nullptr);
    return ::strtod_l(text.c_str(), nullptr, c);
}

// Numbers arrive as text so that they are read as nlohmann/json reads them:
// a whole number is an integer when it fits, anything else a double.
class Handler : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, Handler> {
  public:
    explicit Handler(Events& events) : events_(events) {}

    std::string problem;

    bool Null() {
        value_.kind = Scalar::Kind::null;
        events_.scalar(value_);
        return true;
    }
    bool Bool(bool flag) {
        value_.kind = Scalar::Kind::boolean;
        value_.boolean = flag;
        events_.scalar(value_);
        return true;
    }
    bool RawNumber(const char* text, rapidjson::SizeType length, bool) {
        const char* end = text + length;
        const bool whole =
            std::find_if(text, end, [](char c) { return c == '.' || c == 'e' || c == 'E'; }) == end;
        if (whole && std::from_chars(text, end, value_.integer).ec == std::errc()) {
            value_.kind = Scalar::Kind::integer;
            value_.number = static_cast<double>(value_.integer);
        } else {
            value_.kind = Scalar::Kind::number;
            if (std::from_chars(text, end, value_.number).ec != std::errc()) {
                // Out of range: far too small reads as zero, too large fails.
                value_.number = parseCLocale(std::string(text, length));
                if (!std::isfinite(value_.number)) {
                    problem = "number overflow parsing '" + std::string(text, length) + "'";
                    return false;
                }
            }
        }
        events_.scalar(value_);
        return true;
    }
    bool String(const char* text, rapidjson::SizeType length, bool) {
        if (!isValidText(text, length))
            return invalidText();
        value_.kind = Scalar::Kind::text;
        value_.text = std::string_view(text, length);
        events_.scalar(value_);
        return true;
    }
    bool StartObject() {
        events_.beginObject();
        return true;
    }
    bool Key(const char* text, rapidjson::SizeType length, bool) {
        if (!isValidText(text, length))
            return invalidText();
        events_.key(std::string_view(text, length));
        return true;
    }
    bool EndObject(rapidjson::SizeType) {
        events_.endObject();
        return true;
    }
    bool StartArray() {
        events_.beginArray();
        return true;
    }
    bool EndArray(rapidjson::SizeType) {
        events_.endArray();
        return true;
    }

  private:
    bool invalidText() {
        problem = "invalid UTF-8 in a string";
        return false;
    }

    Events& events_;
    Scalar value_;
};

std::string place(std::string_view bytes, std::size_t offset) {
    offset = std::min(offset, bytes.size());
    std::size_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < offset; ++i) {
        if (bytes[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(offset - lineStart + 1);
}

}  // namespace

void read(std::string_view bytes, Events& events) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    // The reader takes a NUL byte for the end; JSON has no place for one.
    if (auto nul = bytes.find('\0'); nul != std::string_view::npos)
        throw DecodeError("not valid JSON: a NUL byte at " + place(bytes, nul));
    // Parsed in place: strings are unescaped inside this copy rather than
    // copied out one by one. The reader's 16-byte scans may look past the
    // final NUL, into the padding.
    constexpr std::size_t kPadding = 16;
    std::string buffer;
    buffer.reserve(bytes.size() + kPadding);
    buffer.append(bytes).append(kPadding, '\0');
    // Iterative: deep nesting costs heap, not stack.
    constexpr unsigned flags = rapidjson::kParseIterativeFlag |
                               rapidjson::kParseNumbersAsStringsFlag | rapidjson::kParseInsituFlag;
    rapidjson::InsituStringStream stream(buffer.data());
    rapidjson::Reader reader;
    Handler handler(events);
    rapidjson::ParseResult result = reader.Parse<flags>(stream, handler);
    if (!result) {
        std::string problem = handler.problem.empty()
                                  ? std::string(rapidjson::GetParseError_En(result.Code()))
                                  : handler.problem;
        if (problem.ends_with('.'))
            problem.pop_back();
        throw DecodeError("not valid JSON: " + problem + " at " + place(bytes, result.Offset()));
    }
}

}  // namespace cadro::json
