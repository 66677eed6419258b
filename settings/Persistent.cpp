#include "settings/Persistent.h"

#include <utility>

namespace pim {

TPersistentProperties& TPersistentProperties::Boolean(std::string name, std::function<bool()> get,
                                                      std::function<void(bool)> set) {
    return Add({std::move(name), TPropertyType::ptBoolean, [get = std::move(get)] { return TPropertyValue(get()); },
                [set = std::move(set)](const TPropertyValue& v) { set(std::get<bool>(v)); }});
}

TPersistentProperties& TPersistentProperties::Integer(std::string name, std::function<int()> get,
                                                      std::function<void(int)> set) {
    return Add({std::move(name), TPropertyType::ptInteger, [get = std::move(get)] { return TPropertyValue(get()); },
                [set = std::move(set)](const TPropertyValue& v) { set(std::get<int>(v)); }});
}

TPersistentProperties& TPersistentProperties::String(std::string name, std::function<std::string()> get,
                                                     std::function<void(const std::string&)> set) {
    return Add({std::move(name), TPropertyType::ptString, [get = std::move(get)] { return TPropertyValue(get()); },
                [set = std::move(set)](const TPropertyValue& v) { set(std::get<std::string>(v)); }});
}

TPersistentProperties& TPersistentProperties::Add(TPublishedProperty property) {
    items_.push_back(std::move(property));
    return *this;
}

const TPublishedProperty* TPersistentProperties::Find(std::string_view name) const {
    for (const auto& item : items_)
        if (item.Name == name) return &item;
    return nullptr;
}

}  // namespace pim
