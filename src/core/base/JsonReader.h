#pragma once

#include <cstdint>
#include <string_view>

namespace cadro::json {

/// One scalar of a document, as read.
struct Scalar {
    enum class Kind { null, boolean, integer, number, text };
    Kind kind = Kind::null;
    bool boolean = false;
    /// Kind::integer: a whole number written without fraction or exponent
    /// that fits 64 bits. Every other number is Kind::number.
    std::int64_t integer = 0;
    /// Kind::integer and Kind::number.
    double number = 0;
    /// Kind::text; valid only while the receiver handles the value.
    std::string_view text;
};

/// Receives the parts of a document in order as they are read. A receiver
/// stops the reading by throwing DecodeError.
class Events {
  public:
    virtual ~Events() = default;
    virtual void scalar(Scalar& value) = 0;
    virtual void beginObject() = 0;
    virtual void key(std::string_view name) = 0;
    virtual void endObject() = 0;
    virtual void beginArray() = 0;
    virtual void endArray() = 0;
};

/// Reads `bytes` as one JSON document (a leading byte-order mark is
/// skipped), reporting each part to `events`. Throws DecodeError naming the
/// line and column of the first syntax error, invalid UTF-8 or number beyond
/// a double; `events` may have seen the parts before it.
void read(std::string_view bytes, Events& events);

}  // namespace cadro::json
