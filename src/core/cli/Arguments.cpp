#include "core/cli/Arguments.h"

#include "core/cli/CommandLineValues.h"
#include "core/cli/DidYouMean.h"

#include <algorithm>

namespace cadro::cli {
namespace {

// "--name" is an option; anything else (even "- item" or "-5") is a value.
bool isOption(const std::string& arg) {
    return arg.size() > 2 && arg.rfind("--", 0) == 0;
}

}  // namespace

bool Arguments::flag(const std::string& name) {
    auto it = std::find(args_.begin(), args_.end(), name);
    if (it == args_.end())
        return false;
    args_.erase(it);
    if (std::find(args_.begin(), args_.end(), name) != args_.end()) {
        throw UsageError(name + " is given twice");
    }
    return true;
}

std::optional<std::string> Arguments::option(const std::string& name) {
    auto values = options(name);
    if (values.size() > 1)
        throw UsageError(name + " is given twice");
    if (values.empty())
        return std::nullopt;
    return values.front();
}

std::vector<std::string> Arguments::options(const std::string& name) {
    std::vector<std::string> values;
    for (std::size_t i = 0; i < args_.size();) {
        if (args_[i] != name) {
            ++i;
            continue;
        }
        if (i + 1 >= args_.size())
            throw UsageError(name + " needs a value");
        values.push_back(args_[i + 1]);
        args_.erase(args_.begin() + static_cast<std::ptrdiff_t>(i),
                    args_.begin() + static_cast<std::ptrdiff_t>(i + 2));
    }
    return values;
}

std::vector<std::string> Arguments::optionWithCount(const std::string& name) {
    auto it = std::find(args_.begin(), args_.end(), name);
    if (it == args_.end())
        return {};
    auto values = std::next(it);
    if (values == args_.end())
        throw UsageError(name + " needs a value");
    // "--every 2 week" or "--every week".
    auto end = std::next(values, wholeNumber(*values) ? 2 : 1);
    if (end > args_.end())
        throw UsageError(name + " needs a unit after the number");
    std::vector<std::string> taken(values, end);
    args_.erase(it, end);
    if (std::find(args_.begin(), args_.end(), name) != args_.end()) {
        throw UsageError(name + " is given twice");
    }
    return taken;
}

std::optional<std::string> Arguments::optionalPositional() {
    for (auto it = args_.begin(); it != args_.end(); ++it) {
        if (*it == "--") {
            if (std::next(it) == args_.end())
                return std::nullopt;
            std::string value = *std::next(it);
            args_.erase(it, std::next(it, 2));
            return value;
        }
        if (!isOption(*it)) {
            std::string value = *it;
            args_.erase(it);
            return value;
        }
    }
    return std::nullopt;
}

std::string Arguments::positional(const std::string& what) {
    auto value = optionalPositional();
    if (!value)
        throw UsageError(what + " is missing");
    return *value;
}

void Arguments::done() const {
    if (args_.empty())
        return;
    const std::string& extra = args_.front();
    throw UsageError(isOption(extra)
                         ? "unknown option \"" + extra + "\"" + didYouMean(extra, knownOptions)
                         : "unexpected argument \"" + extra + "\"");
}

}  // namespace cadro::cli
