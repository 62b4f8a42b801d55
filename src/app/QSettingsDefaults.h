#pragma once

#include "core/base/Defaults.h"

#include <QString>

#include <filesystem>
#include <memory>

namespace cadro {

/// A user-defaults domain kept by QSettings in an INI file of its own under
/// $XDG_CONFIG_HOME/Cadro (the standard domain is "Cadro.conf", a suite such
/// as the demo's is "com.cadro.demo.conf").
class QSettingsDefaults final : public Defaults {
  public:
    QSettingsDefaults(std::filesystem::path folder, std::string domain);

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

    static std::filesystem::path fileFor(const std::filesystem::path& folder,
                                         std::string_view domain);

  private:
    std::filesystem::path folder_;
    QString file_;
};

/// Opens QSettingsDefaults domains in one folder.
class QSettingsDefaultsProvider final : public DefaultsProvider {
  public:
    /// $XDG_CONFIG_HOME/Cadro, else ~/.config/Cadro.
    QSettingsDefaultsProvider();
    explicit QSettingsDefaultsProvider(std::filesystem::path folder) : folder_(std::move(folder)) {}
    std::shared_ptr<Defaults> standard() override;
    std::shared_ptr<Defaults> suite(std::string_view name) override;

  private:
    std::filesystem::path folder_;
};

}  // namespace cadro
