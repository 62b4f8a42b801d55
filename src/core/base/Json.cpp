#include "core/base/Json.h"

#include <limits>

namespace cadro::json {

ObjectReader::ObjectReader(const Value& value, std::string path)
    : value_(value), path_(std::move(path)) {
    if (!value_.is_object()) {
        throw DecodeError((path_.empty() ? std::string("document") : path_) +
                          ": expected an object");
    }
}

std::string ObjectReader::childPath(std::string_view key) const {
    return path_.empty() ? std::string(key) : path_ + "." + std::string(key);
}

void ObjectReader::fail(std::string_view key, std::string_view problem) const {
    throw DecodeError((path_.empty() ? std::string() : path_ + ": ") + "\"" + std::string(key) +
                      "\" " + std::string(problem));
}

const Value* ObjectReader::find(std::string_view key) const {
    auto it = value_.find(key);
    return it == value_.end() ? nullptr : &*it;
}

// Optional keys holding null read as absent, as the other writers of these
// documents treat them.
bool ObjectReader::present(std::string_view key) const {
    const Value* found = find(key);
    return found && !found->is_null();
}

const Value& ObjectReader::require(std::string_view key) const {
    const Value* found = find(key);
    if (!found)
        fail(key, "is missing");
    return *found;
}

std::optional<std::int64_t> asInteger(const Value& value) {
    if (value.is_number_integer() && !value.is_number_unsigned())
        return value.get<std::int64_t>();
    if (value.is_number_unsigned()) {
        auto u = value.get<std::uint64_t>();
        if (u <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return static_cast<std::int64_t>(u);
        }
    }
    return std::nullopt;
}

std::string ObjectReader::string(std::string_view key) const {
    const Value& v = require(key);
    if (!v.is_string())
        fail(key, "must be text");
    return v.get<std::string>();
}

std::optional<std::string> ObjectReader::optionalString(std::string_view key) const {
    if (!present(key))
        return std::nullopt;
    return string(key);
}

std::int64_t ObjectReader::integer(std::string_view key) const {
    auto n = asInteger(require(key));
    if (!n)
        fail(key, "must be a whole number");
    return *n;
}

std::optional<std::int64_t> ObjectReader::optionalInteger(std::string_view key) const {
    if (!present(key))
        return std::nullopt;
    return integer(key);
}

bool ObjectReader::boolean(std::string_view key) const {
    const Value& v = require(key);
    if (!v.is_boolean())
        fail(key, "must be true or false");
    return v.get<bool>();
}

std::optional<bool> ObjectReader::optionalBoolean(std::string_view key) const {
    if (!present(key))
        return std::nullopt;
    return boolean(key);
}

Date ObjectReader::date(std::string_view key) const {
    const Value& v = require(key);
    if (!v.is_number())
        fail(key, "must be a number of seconds");
    return Date{v.get<double>()};
}

std::optional<Date> ObjectReader::optionalDate(std::string_view key) const {
    if (!present(key))
        return std::nullopt;
    return date(key);
}

Uuid ObjectReader::uuid(std::string_view key) const {
    const Value& v = require(key);
    if (!v.is_string())
        fail(key, "must be an id");
    auto id = Uuid::parse(v.get_ref<const std::string&>());
    if (!id)
        fail(key, "is not a valid id");
    return *id;
}

std::optional<Uuid> ObjectReader::optionalUuid(std::string_view key) const {
    if (!present(key))
        return std::nullopt;
    return uuid(key);
}

const Value& ObjectReader::array(std::string_view key) const {
    const Value& v = require(key);
    if (!v.is_array())
        fail(key, "must be a list");
    return v;
}

const Value* ObjectReader::optionalArray(std::string_view key) const {
    if (!present(key))
        return nullptr;
    return &array(key);
}

const Value* ObjectReader::optionalObject(std::string_view key) const {
    if (!present(key))
        return nullptr;
    const Value* v = find(key);
    if (!v->is_object())
        fail(key, "must be an object");
    return v;
}

std::string encodeCompact(const OrderedValue& value) {
    std::string text = value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    // A '/' can only occur inside strings in JSON text, so escaping every one
    // of them is safe.
    std::string escaped;
    escaped.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '/')
            escaped.push_back('\\');
        escaped.push_back(c);
    }
    return escaped;
}

Value parse(std::string_view bytes) {
    try {
        return Value::parse(bytes.begin(), bytes.end());
    } catch (const nlohmann::json::exception& error) {
        // Syntax errors, but also numbers too large for a double.
        throw DecodeError(std::string("not valid JSON: ") + error.what());
    }
}

}  // namespace cadro::json
