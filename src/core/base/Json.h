#pragma once

#include "core/base/Date.h"
#include "core/base/DecodeError.h"
#include "core/base/Uuid.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cadro::json {

using Value = nlohmann::json;
/// Output keeps keys in the order they were added.
using OrderedValue = nlohmann::ordered_json;

/// Strict, typed access to one JSON object while decoding. Every accessor
/// throws DecodeError for a missing required key or a value of the wrong type;
/// optional accessors return nullopt only when the key is absent.
class ObjectReader {
  public:
    ObjectReader(const Value& value, std::string path);

    const std::string& path() const { return path_; }

    std::string string(std::string_view key) const;
    std::optional<std::string> optionalString(std::string_view key) const;
    std::int64_t integer(std::string_view key) const;
    std::optional<std::int64_t> optionalInteger(std::string_view key) const;
    bool boolean(std::string_view key) const;
    std::optional<bool> optionalBoolean(std::string_view key) const;
    Date date(std::string_view key) const;
    std::optional<Date> optionalDate(std::string_view key) const;
    Uuid uuid(std::string_view key) const;
    std::optional<Uuid> optionalUuid(std::string_view key) const;
    /// The array under `key`; throws when it is missing or not an array.
    const Value& array(std::string_view key) const;
    const Value* optionalArray(std::string_view key) const;
    const Value* optionalObject(std::string_view key) const;

    /// Path of a member, for nested readers: "todos[2]" + "schedule".
    std::string childPath(std::string_view key) const;

    [[noreturn]] void fail(std::string_view key, std::string_view problem) const;

  private:
    const Value* find(std::string_view key) const;
    bool present(std::string_view key) const;
    const Value& require(std::string_view key) const;

    const Value& value_;
    std::string path_;
};

/// Reads a JSON integer (not a real) that fits a signed 64-bit integer.
std::optional<std::int64_t> asInteger(const Value& value);

/// Compact JSON with forward slashes written as \/ and non-ASCII as UTF-8.
/// Text that is not valid UTF-8 is written with U+FFFD in its place, so the
/// document can always be written.
std::string encodeCompact(const OrderedValue& value);

/// Parses bytes as JSON; throws DecodeError with the parser's position.
Value parse(std::string_view bytes);

}  // namespace cadro::json
