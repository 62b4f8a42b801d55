#pragma once

#include <stdexcept>

namespace cadro::json {

/// A document that does not have the expected shape. The message names the
/// place, for example "todos[2].schedule.times[0]: \"hour\" is missing".
class DecodeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace cadro::json
