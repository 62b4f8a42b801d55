#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cadro::json {

/// Writes compact JSON straight into a string, without building a document:
/// text as UTF-8 with invalid sequences replaced by U+FFFD, control
/// characters escaped, numbers in their shortest exact form. The bytes are
/// those nlohmann/json's dump() gives for the same values, so files written
/// before and after read and compare the same.
class Writer {
  public:
    /// `escapeSlashes` writes '/' as "\/", as the store file always has.
    explicit Writer(std::string& out, bool escapeSlashes = false)
        : out_(out), escapeSlashes_(escapeSlashes) {}

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    /// A member's name; its value follows. Names are written as given.
    void key(std::string_view name);

    void value(std::string_view text);
    void value(const char* text) { value(std::string_view(text)); }
    void value(std::int64_t number);
    void value(int number) { value(static_cast<std::int64_t>(number)); }
    /// Not finite numbers are written as null.
    void value(double number);
    void value(bool flag);
    void null();

  private:
    void separate();

    std::string& out_;
    bool escapeSlashes_;
    bool needsComma_ = false;
};

}  // namespace cadro::json
