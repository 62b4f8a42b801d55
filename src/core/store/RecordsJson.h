#pragma once

// The records' JSON form, for the code that reads and writes documents.
#include "core/base/Json.h"
#include "core/schedule/TodoScheduleJson.h"
#include "core/store/Records.h"

#include <string>

namespace cadro {

namespace json {
OrderedValue encode(const Strand& strand);
OrderedValue encode(const Todo& todo);
/// `readAt` stands in for a missing "createdAt".
Strand decodeStrand(const Value& value, const std::string& path, Date readAt);
Todo decodeTodo(const Value& value, const std::string& path, Date readAt);
}  // namespace json

}  // namespace cadro
