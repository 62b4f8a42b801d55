#include "core/base/JsonFields.h"

#include "core/base/Json.h"

namespace cadro::json {

using Kind = Scalar::Kind;

Reading scalarReading(const char* expected, const char* asElement,
                      const char* (*read)(void* target, Scalar& value)) {
    Reading reading;
    reading.expected = expected;
    reading.asElement = asElement;
    reading.scalar = read;
    return reading;
}

const Reading& ReadingOf<std::string>::get() {
    static const Reading reading = scalarReading(
        "must be text", "must hold text", [](void* target, Scalar& value) -> const char* {
            if (value.kind != Kind::text)
                return "must be text";
            static_cast<std::string*>(target)->assign(value.text);
            return nullptr;
        });
    return reading;
}

const Reading& ReadingOf<std::int64_t>::get() {
    static const Reading reading =
        scalarReading("must be a whole number", "must hold whole numbers",
                      [](void* target, Scalar& value) -> const char* {
                          if (value.kind != Kind::integer)
                              return "must be a whole number";
                          *static_cast<std::int64_t*>(target) = value.integer;
                          return nullptr;
                      });
    return reading;
}

const Reading& ReadingOf<bool>::get() {
    static const Reading reading = scalarReading("must be true or false", "must hold true or false",
                                                 [](void* target, Scalar& value) -> const char* {
                                                     if (value.kind != Kind::boolean)
                                                         return "must be true or false";
                                                     *static_cast<bool*>(target) = value.boolean;
                                                     return nullptr;
                                                 });
    return reading;
}

const Reading& ReadingOf<Date>::get() {
    static const Reading reading =
        scalarReading("must be a number of seconds", "must hold numbers of seconds",
                      [](void* target, Scalar& value) -> const char* {
                          if (value.kind != Kind::integer && value.kind != Kind::number)
                              return "must be a number of seconds";
                          *static_cast<Date*>(target) = Date{value.number};
                          return nullptr;
                      });
    return reading;
}

const Reading& ReadingOf<Uuid>::get() {
    static const Reading reading = scalarReading("must be an id", "must hold ids",
                                                 [](void* target, Scalar& value) -> const char* {
                                                     if (value.kind != Kind::text)
                                                         return "must be an id";
                                                     auto id = Uuid::parse(value.text);
                                                     if (!id)
                                                         return "is not a valid id";
                                                     *static_cast<Uuid*>(target) = *id;
                                                     return nullptr;
                                                 });
    return reading;
}

Decoder::Decoder(void* root, const Reading& reading, Date defaultDate)
    : root_(root), rootReading_(reading), defaultDate_(defaultDate) {
    frames_.reserve(8);
}

std::string Decoder::path(std::size_t frames) const {
    std::string out;
    for (std::size_t i = 1; i < frames; ++i) {
        const Frame& parent = frames_[i - 1];
        if (parent.reading->shape == Reading::Shape::list) {
            out += "[" + std::to_string(parent.index) + "]";
        } else {
            if (!out.empty())
                out += '.';
            out += frames_[i].name;
        }
    }
    return out;
}

std::string Decoder::keyProblem(std::size_t frames, std::string_view key,
                                std::string_view problem) const {
    std::string where = path(frames);
    return (where.empty() ? where : where + ": ") + "\"" + std::string(key) + "\" " +
           std::string(problem);
}

// A problem inside a forgiving list costs only the element it is in: the
// rest of that element is skipped and the element dropped.
void Decoder::fail(const std::string& message, bool openedContainer) {
    for (std::size_t i = frames_.size(); i-- > 0;) {
        if (!frames_[i].forgiving)
            continue;
        skipping_ = frames_.size() - 1 - i + (openedContainer ? 1 : 0);
        frames_.erase(frames_.begin() + static_cast<std::ptrdiff_t>(i) + 1, frames_.end());
        frames_[i].bad = true;
        skipNext_ = false;
        if (skipping_ == 0)
            elementDone(frames_[i]);
        return;
    }
    throw DecodeError(message);
}

void Decoder::elementDone(Frame& list) {
    if (list.bad && list.appended)
        list.reading->dropLast(list.target);
    list.bad = false;
    list.appended = false;
    ++list.index;
}

void Decoder::valueDone() {
    if (!frames_.empty() && frames_.back().reading->shape == Reading::Shape::list)
        elementDone(frames_.back());
}

void Decoder::scalar(Scalar& value) {
    if (skipping_ > 0)
        return;
    if (skipNext_) {
        skipNext_ = false;
        return;
    }
    if (frames_.empty())
        throw DecodeError("document: expected an object");
    Frame& top = frames_.back();
    if (top.reading->addEntry) {
        if (value.kind == Kind::null)
            return;
        if (const char* problem = top.reading->addEntry(top.target, entryKey_, value);
            problem && !top.forgiving)
            fail(keyProblem(frames_.size(), entryKey_, problem), false);
        return;
    }
    if (top.reading->shape == Reading::Shape::object) {
        const Field& field = *top.field;
        if (value.kind == Kind::null && !(field.flags & required))
            return;  // as if absent
        const char* problem = field.reading->scalar
                                  ? field.reading->scalar(field.target(top.target), value)
                                  : field.reading->expected;
        if (problem && !(field.flags & forgiving))
            fail(keyProblem(frames_.size(), field.key, problem), false);
        return;
    }
    if (!top.reading->addScalar) {
        return fail(
            path(frames_.size()) + "[" + std::to_string(top.index) + "]: expected an object",
            false);
    }
    if (top.reading->addScalar(top.target, value))
        return fail(keyProblem(frames_.size() - 1, top.name, top.reading->asElement), false);
    elementDone(top);
}

void Decoder::begin(bool isObject) {
    if (skipping_ > 0) {
        ++skipping_;
        return;
    }
    if (skipNext_) {
        skipNext_ = false;
        skipping_ = 1;
        return;
    }
    const auto shape = isObject ? Reading::Shape::object : Reading::Shape::list;
    if (!started_) {
        started_ = true;
        if (rootReading_.shape != shape)
            throw DecodeError("document: expected an object");
        frames_.push_back({root_, &rootReading_, {}});
        rootReading_.clear(root_, *this);
        return;
    }
    Frame& top = frames_.back();
    Frame frame{nullptr, nullptr, {}};
    if (top.reading->addEntry) {
        // A map's entries are scalars.
        if (top.forgiving) {
            skipping_ = 1;
            return;
        }
        return fail(keyProblem(frames_.size(), entryKey_, "must not hold a list or an object"),
                    true);
    }
    if (top.reading->shape == Reading::Shape::object) {
        const Field& field = *top.field;
        if (field.reading->shape != shape) {
            if (field.flags & forgiving) {
                skipping_ = 1;
                return;
            }
            return fail(keyProblem(frames_.size(), field.key, field.reading->expected), true);
        }
        frame = {field.target(top.target), field.reading, field.key,
                 (field.flags & forgiving) != 0};
        field.reading->clear(frame.target, *this);
    } else {
        if (!top.reading->element || !isObject) {
            if (top.reading->addScalar)
                return fail(keyProblem(frames_.size() - 1, top.name, top.reading->asElement), true);
            return fail(
                path(frames_.size()) + "[" + std::to_string(top.index) + "]: expected an object",
                true);
        }
        top.appended = true;
        frame = {top.reading->append(top.target, *this), top.reading->element, {}};
    }
    frames_.push_back(frame);
}

void Decoder::key(std::string_view name) {
    if (skipping_ > 0)
        return;
    Frame& top = frames_.back();
    if (top.reading->addEntry) {
        entryKey_.assign(name);
        return;
    }
    const auto fields = top.reading->fields;
    // Keys mostly come in the order they are written: look there first.
    for (std::size_t n = 0, i = top.nextField; n < fields.size(); ++n, ++i) {
        if (i == fields.size())
            i = 0;
        if (fields[i].key == name) {
            top.field = &fields[i];
            top.nextField = i + 1;
            top.seen |= std::uint64_t{1} << i;
            return;
        }
    }
    skipNext_ = true;  // not ours
}

void Decoder::end() {
    if (skipping_ > 0) {
        if (--skipping_ == 0)
            valueDone();
        return;
    }
    const Frame& done = frames_.back();
    std::string missing;
    for (std::size_t i = 0; i < done.reading->fields.size(); ++i) {
        const Field& field = done.reading->fields[i];
        if ((field.flags & required) && !(done.seen & (std::uint64_t{1} << i))) {
            missing = keyProblem(frames_.size(), field.key, "is missing");
            break;
        }
    }
    frames_.pop_back();
    if (!missing.empty())
        return fail(missing, false);
    valueDone();
}

void Decoder::beginObject() {
    begin(true);
}
void Decoder::endObject() {
    end();
}
void Decoder::beginArray() {
    begin(false);
}
void Decoder::endArray() {
    end();
}

}  // namespace cadro::json
