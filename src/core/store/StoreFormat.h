#pragma once

#include "core/base/Date.h"
#include "core/base/DecodeError.h"
#include "core/base/JsonWriter.h"
#include "core/base/Uuid.h"
#include "core/store/PersistedState.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace cadro {

/// The store file's bytes: compact JSON, keys in declaration order, absent
/// optionals left out, slashes escaped.
std::string encodeStoreFile(const PersistedState& state);

/// Reads the store file. Throws json::DecodeError naming the first problem; a
/// missing required key or a wrong type anywhere fails the whole document.
/// `readAt` stands in for records without "createdAt".
PersistedState decodeStoreFile(std::string_view bytes, Date readAt);

/// One thread or to-do in the store file's words, for keeping records
/// outside it; decoding throws json::DecodeError as decodeStoreFile does.
std::string encodeRecord(const Strand& thread);
std::string encodeRecord(const Todo& todo);
void decodeRecord(std::string_view bytes, Strand& thread);
void decodeRecord(std::string_view bytes, Todo& todo);

/// The schedule's keys as the store file writes them, for documents that
/// show one and add keys of their own.
void writeScheduleFields(json::Writer& out, const TodoSchedule& schedule);

}  // namespace cadro
