#include "app/QSettingsDefaults.h"

#include "core/base/AtomicFile.h"
#include "core/base/XdgFolders.h"

#include <QFile>
#include <QSettings>

namespace cadro {
namespace {

QString qkey(std::string_view key) {
    return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

constexpr std::string_view kStandardDomain = "Cadro";

}  // namespace

QSettingsDefaults::QSettingsDefaults(std::filesystem::path folder, std::string domain)
    : folder_(std::move(folder)),
      file_(QString::fromStdString(fileFor(folder_, domain).string())) {}

std::filesystem::path QSettingsDefaults::fileFor(const std::filesystem::path& folder,
                                                 std::string_view domain) {
    return folder / (std::string(domain) + ".conf");
}

// Each call opens the file afresh: QSettings is cheap, and a value written
// by one handle is then seen by every other.
std::optional<bool> QSettingsDefaults::getBool(std::string_view key) const {
    QVariant value = QSettings(file_, QSettings::IniFormat).value(qkey(key));
    if (!value.isValid())
        return std::nullopt;
    QString text = value.toString();
    if (text == "true")
        return true;
    if (text == "false")
        return false;
    return std::nullopt;
}

std::optional<std::string> QSettingsDefaults::getString(std::string_view key) const {
    QVariant value = QSettings(file_, QSettings::IniFormat).value(qkey(key));
    if (!value.isValid())
        return std::nullopt;
    return value.toString().toStdString();
}

std::optional<std::string> QSettingsDefaults::getData(std::string_view key) const {
    QVariant value = QSettings(file_, QSettings::IniFormat).value(qkey(key));
    if (!value.isValid())
        return std::nullopt;
    QByteArray bytes = value.toByteArray();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::optional<Date> QSettingsDefaults::getDate(std::string_view key) const {
    QVariant value = QSettings(file_, QSettings::IniFormat).value(qkey(key));
    bool ok = false;
    double seconds = value.toDouble(&ok);
    if (!value.isValid() || !ok)
        return std::nullopt;
    return Date{seconds};
}

void QSettingsDefaults::setBool(std::string_view key, bool value) {
    createPrivateDirectories(folder_);
    QSettings(file_, QSettings::IniFormat).setValue(qkey(key), value ? "true" : "false");
}

void QSettingsDefaults::setString(std::string_view key, std::string value) {
    createPrivateDirectories(folder_);
    QSettings(file_, QSettings::IniFormat).setValue(qkey(key), QString::fromStdString(value));
}

void QSettingsDefaults::setData(std::string_view key, std::string bytes) {
    createPrivateDirectories(folder_);
    QSettings(file_, QSettings::IniFormat)
        .setValue(qkey(key), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

void QSettingsDefaults::setDate(std::string_view key, Date value) {
    createPrivateDirectories(folder_);
    QSettings(file_, QSettings::IniFormat).setValue(qkey(key), value.secondsSinceReference);
}

void QSettingsDefaults::remove(std::string_view key) {
    QSettings(file_, QSettings::IniFormat).remove(qkey(key));
}

void QSettingsDefaults::removePersistentDomain(std::string_view name) {
    QFile::remove(QString::fromStdString(fileFor(folder_, name).string()));
}

QSettingsDefaultsProvider::QSettingsDefaultsProvider() : folder_(configHome() / "Cadro") {}

std::shared_ptr<Defaults> QSettingsDefaultsProvider::standard() {
    return std::make_shared<QSettingsDefaults>(folder_, std::string(kStandardDomain));
}

std::shared_ptr<Defaults> QSettingsDefaultsProvider::suite(std::string_view name) {
    return std::make_shared<QSettingsDefaults>(folder_, std::string(name));
}

}  // namespace cadro
