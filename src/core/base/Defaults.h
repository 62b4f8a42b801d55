#pragma once

#include "core/base/Date.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace cadro {

/// One persistent domain of the user-defaults store: small typed values under
/// text keys (shortcuts, the selected settings tab, the welcome flag, the time
/// of the last update check).
///
/// Reads are typed strictly: a value stored with another type reads as absent,
/// so a key damaged by hand or by another version gives a clear "nothing
/// stored" rather than a guess.
class Defaults {
  public:
    virtual ~Defaults() = default;

    virtual std::optional<bool> getBool(std::string_view key) const = 0;
    virtual std::optional<std::string> getString(std::string_view key) const = 0;
    /// Raw bytes.
    virtual std::optional<std::string> getData(std::string_view key) const = 0;
    virtual std::optional<Date> getDate(std::string_view key) const = 0;

    virtual void setBool(std::string_view key, bool value) = 0;
    virtual void setString(std::string_view key, std::string value) = 0;
    virtual void setData(std::string_view key, std::string bytes) = 0;
    virtual void setDate(std::string_view key, Date value) = 0;

    /// Removes one key; a missing key is fine.
    virtual void remove(std::string_view key) = 0;
    /// Wipes the whole persistent domain `name` (every key in it), as the demo
    /// does with its own domain at start and at quit.
    virtual void removePersistentDomain(std::string_view name) = 0;
};

/// Opens defaults domains: the application's standard one and named suites.
/// The app implements it on QSettings; tests use MemoryDefaultsProvider.
class DefaultsProvider {
  public:
    virtual ~DefaultsProvider() = default;
    virtual std::shared_ptr<Defaults> standard() = 0;
    /// The suite `name`, or null when it cannot be opened.
    virtual std::shared_ptr<Defaults> suite(std::string_view name) = 0;
};

/// The values a defaults domain can hold in memory.
struct DefaultsData {
    std::string bytes;
    friend bool operator==(const DefaultsData&, const DefaultsData&) = default;
};
using DefaultsValue = std::variant<bool, std::string, DefaultsData, Date>;
using DefaultsDomains =
    std::map<std::string, std::map<std::string, DefaultsValue, std::less<>>, std::less<>>;

/// Defaults kept in memory. Every instance made by the same provider shares one
/// table of domains, so removing a domain through one instance empties it for
/// all, like the real store.
class MemoryDefaults final : public Defaults {
  public:
    /// A standalone standard domain (handy in tests).
    MemoryDefaults();
    MemoryDefaults(std::shared_ptr<DefaultsDomains> domains, std::string domain);

    std::optional<bool> getBool(std::string_view key) const override;
    std::optional<std::string> getString(std::string_view key) const override;
    std::optional<std::string> getData(std::string_view key) const override;
    std::optional<Date> getDate(std::string_view key) const override;

    void setBool(std::string_view key, bool value) override;
    void setString(std::string_view key, std::string value) override;
    void setData(std::string_view key, std::string bytes) override;
    void setDate(std::string_view key, Date value) override;

    void remove(std::string_view key) override;
    void removePersistentDomain(std::string_view name) override;

    const std::string& domain() const { return domain_; }

  private:
    const DefaultsValue* find(std::string_view key) const;
    void set(std::string_view key, DefaultsValue value);

    std::shared_ptr<DefaultsDomains> domains_;
    std::string domain_;
};

/// Hands out MemoryDefaults over one shared table of domains.
class MemoryDefaultsProvider final : public DefaultsProvider {
  public:
    /// The name under which the standard domain is kept.
    static constexpr std::string_view kStandardDomain = "com.cadro";

    std::shared_ptr<Defaults> standard() override;
    std::shared_ptr<Defaults> suite(std::string_view name) override;

    /// The raw table, for tests that look inside.
    const DefaultsDomains& domains() const { return *domains_; }

  private:
    std::shared_ptr<DefaultsDomains> domains_ = std::make_shared<DefaultsDomains>();
};

}  // namespace cadro
