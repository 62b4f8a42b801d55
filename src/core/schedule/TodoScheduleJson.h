#pragma once

// A schedule's JSON form, for the code that reads and writes documents.
#include "core/base/Json.h"
#include "core/schedule/TodoSchedule.h"

#include <string>

namespace cadro {

namespace json {
OrderedValue encode(const TodoSchedule& schedule);
TodoSchedule decodeSchedule(const Value& value, const std::string& path);
}  // namespace json

}  // namespace cadro
