#pragma once

// Records read and written through one table of their fields each, without
// building a document: the writer walks the table, the reader follows the
// parser's events with a stack of the objects and lists it is inside.
// Adding a key to a record is one row in its table.

#include "core/base/Date.h"
#include "core/base/JsonReader.h"
#include "core/base/JsonWriter.h"
#include "core/base/Uuid.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cadro::json {

class Decoder;
struct Field;

/// How a value of one C++ type is read.
struct Reading {
    enum class Shape { scalar, list, object };
    Shape shape = Shape::scalar;
    /// Told about a value of the wrong kind, after its key: "must be text".
    const char* expected = "";
    /// Told about a list of this type holding a wrong element: "must hold text".
    const char* asElement = "";
    /// Scalars: reads `value` into `target`; the problem, or nullptr.
    const char* (*scalar)(void* target, Scalar& value) = nullptr;
    /// Lists and objects: readies `target` for what follows.
    void (*clear)(void* target, const Decoder& decoder) = nullptr;
    /// Lists of scalars: adds one, or returns the problem.
    const char* (*addScalar)(void* list, Scalar& value) = nullptr;
    /// Lists of objects: adds an element to fill, readied as `clear` would,
    /// or takes the last back.
    const Reading* element = nullptr;
    void* (*append)(void* list, const Decoder& decoder) = nullptr;
    void (*dropLast)(void* list) = nullptr;
    /// Objects.
    std::span<const Field> fields;
    /// Objects whose keys are names of the caller's choice: adds one entry,
    /// or returns the problem.
    const char* (*addEntry)(void* map, std::string_view key, Scalar& value) = nullptr;
};

/// Flags of a field.
enum : unsigned {
    optional = 0,
    /// A document without the key is wrong; null is a wrong value.
    required = 1,
    /// An empty list is left out when writing.
    leftOutWhenEmpty = 2,
    /// A value that does not read is ignored, and so is a list's element
    /// that does not: the key only remembers things worth keeping.
    forgiving = 4,
};

/// One key of a record. Keys are written in the order of the table; absent
/// optionals are left out, and read as absent when null.
struct Field {
    std::string_view key;
    unsigned flags = optional;
    const Reading* reading = nullptr;
    /// The member to read into (an optional made present first).
    void* (*target)(void* record) = nullptr;
    /// Whether the writer leaves the key out; nullptr: never.
    bool (*leftOut)(const void* record) = nullptr;
    void (*write)(Writer& out, const void* record) = nullptr;
};

/// A record type's table: specialise with
/// `static std::span<const Field> fields()` and, to give members a start
/// value other than their default, `static void start(Record&, const Decoder&)`.
template <typename Record>
struct Schema;

template <typename T>
concept HasSchema = requires {
    Schema<T>::fields();
};

template <typename Record>
concept HasStart = requires(Record& r, const Decoder& d) {
    Schema<Record>::start(r, d);
};

template <typename T>
struct ReadingOf;

// ---- scalars ---------------------------------------------------------------

/// A scalar's reading: `read` returns the problem, or nullptr.
Reading scalarReading(const char* expected, const char* asElement,
                      const char* (*read)(void* target, Scalar& value));

template <>
struct ReadingOf<std::string> {
    static const Reading& get();
};
template <>
struct ReadingOf<std::int64_t> {
    static const Reading& get();
};
template <>
struct ReadingOf<bool> {
    static const Reading& get();
};
template <>
struct ReadingOf<Date> {
    static const Reading& get();
};
template <>
struct ReadingOf<Uuid> {
    static const Reading& get();
};

inline void writeValue(Writer& out, const std::string& text) {
    out.value(std::string_view(text));
}
inline void writeValue(Writer& out, std::int64_t number) {
    out.value(number);
}
inline void writeValue(Writer& out, int number) {
    out.value(number);
}
inline void writeValue(Writer& out, bool flag) {
    out.value(flag);
}
inline void writeValue(Writer& out, Date date) {
    out.value(date.secondsSinceReference);
}
inline void writeValue(Writer& out, const Uuid& id) {
    out.value(id.toString());
}

// ---- lists -----------------------------------------------------------------

template <typename List, typename T>
const Reading& listReading() {
    static const Reading reading = [] {
        Reading r;
        r.shape = Reading::Shape::list;
        r.expected = "must be a list";
        r.clear = [](void* list, const Decoder&) { static_cast<List*>(list)->clear(); };
        if constexpr (HasSchema<T>) {
            r.element = &ReadingOf<T>::get();
            r.append = [](void* list, const Decoder& decoder) -> void* {
                // Made fresh, so only the start values are left to set.
                auto& element = static_cast<List*>(list)->emplace_back();
                if constexpr (HasStart<T>)
                    Schema<T>::start(element, decoder);
                (void)decoder;
                return &element;
            };
            r.dropLast = [](void* list) { static_cast<List*>(list)->pop_back(); };
        } else {
            r.asElement = ReadingOf<T>::get().asElement;
            r.addScalar = [](void* list, Scalar& value) -> const char* {
                T element{};
                if (const char* problem = ReadingOf<T>::get().scalar(&element, value))
                    return problem;
                static_cast<List*>(list)->insert(static_cast<List*>(list)->end(),
                                                 std::move(element));
                return nullptr;
            };
        }
        return r;
    }();
    return reading;
}

template <typename T>
struct ReadingOf<std::vector<T>> {
    static const Reading& get() { return listReading<std::vector<T>, T>(); }
};
template <typename T>
struct ReadingOf<std::set<T>> {
    static const Reading& get() { return listReading<std::set<T>, T>(); }
};

template <typename T>
void writeValue(Writer& out, const std::vector<T>& list);
template <typename T>
void writeValue(Writer& out, const std::set<T>& list);
template <HasSchema Record>
void writeValue(Writer& out, const Record& record);

template <typename List>
void writeList(Writer& out, const List& list) {
    out.beginArray();
    for (const auto& element : list)
        writeValue(out, element);
    out.endArray();
}
template <typename T>
void writeValue(Writer& out, const std::vector<T>& list) {
    writeList(out, list);
}
template <typename T>
void writeValue(Writer& out, const std::set<T>& list) {
    writeList(out, list);
}

// ---- maps by name ----------------------------------------------------------

template <typename T>
struct ReadingOf<std::map<std::string, T>> {
    static const Reading& get() {
        static const Reading reading = [] {
            Reading r;
            r.shape = Reading::Shape::object;
            r.expected = "must be an object";
            r.clear = [](void* map, const Decoder&) {
                static_cast<std::map<std::string, T>*>(map)->clear();
            };
            r.addEntry = [](void* map, std::string_view key, Scalar& value) -> const char* {
                T element{};
                if (const char* problem = ReadingOf<T>::get().scalar(&element, value))
                    return problem;
                (*static_cast<std::map<std::string, T>*>(map))[std::string(key)] =
                    std::move(element);
                return nullptr;
            };
            return r;
        }();
        return reading;
    }
};

template <typename T>
void writeValue(Writer& out, const std::map<std::string, T>& map) {
    out.beginObject();
    for (const auto& [name, value] : map) {
        out.key(name);
        writeValue(out, value);
    }
    out.endObject();
}

// ---- records ---------------------------------------------------------------

template <HasSchema Record>
struct ReadingOf<Record> {
    static const Reading& get() {
        static const Reading reading = [] {
            Reading r;
            r.shape = Reading::Shape::object;
            r.expected = "must be an object";
            r.fields = Schema<Record>::fields();
            r.clear = [](void* target, const Decoder& decoder) {
                auto& record = *static_cast<Record*>(target);
                record = Record{};
                if constexpr (HasStart<Record>)
                    Schema<Record>::start(record, decoder);
                (void)decoder;
            };
            return r;
        }();
        return reading;
    }
};

/// The fields of `record` without the braces, for documents that add keys.
template <HasSchema Record>
void writeFields(Writer& out, const Record& record) {
    for (const Field& field : Schema<Record>::fields()) {
        if (!field.leftOut || !field.leftOut(&record)) {
            out.key(field.key);
            field.write(out, &record);
        }
    }
}

template <HasSchema Record>
void writeValue(Writer& out, const Record& record) {
    out.beginObject();
    writeFields(out, record);
    out.endObject();
}

template <typename M>
struct MemberOf;
template <typename R, typename T>
struct MemberOf<T R::*> {
    using Record = R;
    using Type = T;
};

template <typename T>
struct Unwrapped {
    using Type = T;
};
template <typename T>
struct Unwrapped<std::optional<T>> {
    using Type = T;
};

/// A table row for `Member`, read as its type reads unless `reading` says
/// otherwise.
template <auto Member>
Field field(std::string_view key, unsigned flags = optional, const Reading* reading = nullptr) {
    using Record = typename MemberOf<decltype(Member)>::Record;
    using T = typename MemberOf<decltype(Member)>::Type;
    using Value = typename Unwrapped<T>::Type;
    Field f;
    f.key = key;
    f.flags = flags;
    f.reading = reading;
    if constexpr (requires { ReadingOf<Value>::get(); }) {
        if (!reading)
            f.reading = &ReadingOf<Value>::get();
    }
    f.target = [](void* record) -> void* {
        auto& member = static_cast<Record*>(record)->*Member;
        if constexpr (std::is_same_v<T, Value>)
            return &member;
        else
            return &member.emplace();
    };
    if constexpr (!std::is_same_v<T, Value>) {
        f.leftOut = [](const void* record) {
            return !(static_cast<const Record*>(record)->*Member).has_value();
        };
    } else if constexpr (requires(const T& list) { list.empty(); }) {
        if (flags & leftOutWhenEmpty) {
            f.leftOut = [](const void* record) {
                return (static_cast<const Record*>(record)->*Member).empty();
            };
        }
    }
    f.write = [](Writer& out, const void* record) {
        const auto& member = static_cast<const Record*>(record)->*Member;
        if constexpr (std::is_same_v<T, Value>)
            writeValue(out, member);
        else
            writeValue(out, *member);
    };
    return f;
}

// A member reached through members of members; optionals on the way are made
// present when reading, and leave the key out when writing.
template <typename T>
T& present(T& value) {
    return value;
}
template <typename T>
T& present(std::optional<T>& value) {
    return value ? *value : value.emplace();
}
template <typename T>
const T* existing(const T& value) {
    return &value;
}
template <typename T>
const T* existing(const std::optional<T>& value) {
    return value ? &*value : nullptr;
}
template <auto Member, auto... Rest>
auto& reach(auto& object) {
    auto& member = present(object.*Member);
    if constexpr (sizeof...(Rest) == 0)
        return member;
    else
        return reach<Rest...>(member);
}
template <auto Member, auto... Rest>
const auto* find(const auto& object) {
    const auto* member = existing(object.*Member);
    if constexpr (sizeof...(Rest) == 0) {
        return member;
    } else {
        using Found = decltype(find<Rest...>(*member));
        return member ? find<Rest...>(*member) : Found{nullptr};
    }
}

/// A table row for a member of a member ("marks.session.at" as one key).
/// Lists and maps that are empty are left out.
template <auto First, auto... Rest>
Field pathField(std::string_view key, unsigned flags = optional) {
    using Record = typename MemberOf<decltype(First)>::Record;
    using T = std::remove_cvref_t<decltype(reach<First, Rest...>(std::declval<Record&>()))>;
    Field f;
    f.key = key;
    f.flags = flags;
    f.reading = &ReadingOf<T>::get();
    f.target = [](void* record) -> void* {
        return &reach<First, Rest...>(*static_cast<Record*>(record));
    };
    f.leftOut = [](const void* record) {
        const T* value = find<First, Rest...>(*static_cast<const Record*>(record));
        if constexpr (requires { value->begin(); } && !std::is_same_v<T, std::string>)
            return !value || value->empty();
        else
            return !value;
    };
    f.write = [](Writer& out, const void* record) {
        writeValue(out, *find<First, Rest...>(*static_cast<const Record*>(record)));
    };
    return f;
}

/// Reads a document into `root` by its reading. Throws DecodeError naming
/// the first problem with its place ("todos[2].schedule: \"times\" is
/// missing"); unknown keys are skipped.
class Decoder final : public Events {
  public:
    Decoder(void* root, const Reading& reading, Date defaultDate);

    /// Stands in for dates a record leaves out.
    Date defaultDate() const { return defaultDate_; }

    void scalar(Scalar& value) override;
    void beginObject() override;
    void key(std::string_view name) override;
    void endObject() override;
    void beginArray() override;
    void endArray() override;

  private:
    struct Frame {
        void* target;
        const Reading* reading;
        /// The key this container is the value of; empty for list elements.
        std::string_view name;
        bool forgiving = false;
        /// Objects: the field whose value comes next, and the fields seen.
        const Field* field = nullptr;
        std::size_t nextField = 0;
        std::uint64_t seen = 0;
        /// Lists: elements so far; whether the current one was added and is bad.
        std::size_t index = 0;
        bool appended = false;
        bool bad = false;
    };

    void begin(bool isObject);
    void end();
    void valueDone();
    void elementDone(Frame& list);
    std::string path(std::size_t frames) const;
    std::string keyProblem(std::size_t frames, std::string_view key,
                           std::string_view problem) const;
    void fail(const std::string& message, bool openedContainer);

    void* root_;
    const Reading& rootReading_;
    Date defaultDate_;
    std::vector<Frame> frames_;
    bool started_ = false;
    bool skipNext_ = false;
    std::size_t skipping_ = 0;
    // The key of a map's entry whose value comes next.
    std::string entryKey_;
};

/// Reads `bytes` into `root` (see Decoder).
template <HasSchema Record>
void decode(std::string_view bytes, Record& root, Date defaultDate) {
    Decoder decoder(&root, ReadingOf<Record>::get(), defaultDate);
    read(bytes, decoder);
}

}  // namespace cadro::json
