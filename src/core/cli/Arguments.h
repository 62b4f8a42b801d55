#pragma once

// The arguments of one `cadro` command, taken as the command asks for them.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace cadro::cli {

/// Bad input on the command line; the message says what and where.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/// The arguments after the command name. Options are taken out as they are
/// asked for; done() rejects whatever is left.
class Arguments {
  public:
    explicit Arguments(std::vector<std::string> args) : args_(std::move(args)) {}

    bool flag(const std::string& name);
    /// The value after `name`; throws when the value is missing or the option
    /// is given twice.
    std::optional<std::string> option(const std::string& name);
    /// Every value of a repeatable option, in order.
    std::vector<std::string> options(const std::string& name);
    /// An option followed by an optional count and a word ("--every 2 week" or
    /// "--every week"); empty when absent.
    std::vector<std::string> optionWithCount(const std::string& name);
    /// The first argument that is not an option (ask for options first: their
    /// values look like positional arguments); throws when there is none.
    std::string positional(const std::string& what);
    std::optional<std::string> optionalPositional();
    /// Throws for any argument nobody asked for.
    void done() const;
    /// The options the command takes, offered when an unknown one looks like
    /// a typo of one of them.
    std::vector<std::string_view> knownOptions;

  private:
    std::vector<std::string> args_;
};

}  // namespace cadro::cli
