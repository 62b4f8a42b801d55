#include "core/base/Defaults.h"

namespace cadro {
namespace {

template <typename T>
std::optional<T> as(const DefaultsValue* value) {
    if (value == nullptr)
        return std::nullopt;
    if (const T* typed = std::get_if<T>(value))
        return *typed;
    return std::nullopt;
}

}  // namespace

MemoryDefaults::MemoryDefaults()
    : MemoryDefaults(std::make_shared<DefaultsDomains>(),
                     std::string(MemoryDefaultsProvider::kStandardDomain)) {}

MemoryDefaults::MemoryDefaults(std::shared_ptr<DefaultsDomains> domains, std::string domain)
    : domains_(std::move(domains)), domain_(std::move(domain)) {}

const DefaultsValue* MemoryDefaults::find(std::string_view key) const {
    auto domain = domains_->find(domain_);
    if (domain == domains_->end())
        return nullptr;
    auto entry = domain->second.find(key);
    return entry == domain->second.end() ? nullptr : &entry->second;
}

void MemoryDefaults::set(std::string_view key, DefaultsValue value) {
    (*domains_)[domain_].insert_or_assign(std::string(key), std::move(value));
}

std::optional<bool> MemoryDefaults::getBool(std::string_view key) const {
    return as<bool>(find(key));
}

std::optional<std::string> MemoryDefaults::getString(std::string_view key) const {
    return as<std::string>(find(key));
}

std::optional<std::string> MemoryDefaults::getData(std::string_view key) const {
    auto data = as<DefaultsData>(find(key));
    if (!data)
        return std::nullopt;
    return std::move(data->bytes);
}

std::optional<Date> MemoryDefaults::getDate(std::string_view key) const {
    return as<Date>(find(key));
}

void MemoryDefaults::setBool(std::string_view key, bool value) {
    set(key, value);
}

void MemoryDefaults::setString(std::string_view key, std::string value) {
    set(key, std::move(value));
}

void MemoryDefaults::setData(std::string_view key, std::string bytes) {
    set(key, DefaultsData{std::move(bytes)});
}

void MemoryDefaults::setDate(std::string_view key, Date value) {
    set(key, value);
}

void MemoryDefaults::remove(std::string_view key) {
    auto domain = domains_->find(domain_);
    if (domain == domains_->end())
        return;
    auto entry = domain->second.find(key);
    if (entry != domain->second.end())
        domain->second.erase(entry);
}

void MemoryDefaults::removePersistentDomain(std::string_view name) {
    auto domain = domains_->find(name);
    if (domain != domains_->end())
        domains_->erase(domain);
}

std::shared_ptr<Defaults> MemoryDefaultsProvider::standard() {
    return std::make_shared<MemoryDefaults>(domains_, std::string(kStandardDomain));
}

std::shared_ptr<Defaults> MemoryDefaultsProvider::suite(std::string_view name) {
    return std::make_shared<MemoryDefaults>(domains_, std::string(name));
}

}  // namespace cadro
