// What a component offers for settings snapshots: its class, its name, the
// components inside it and a list of its published properties, each with a
// name, a type, a getter and a setter. This is deliberately small: three value
// types, no references between components. A control builds its list on
// request, e.g.
//
//   TPersistentProperties TCheckBox::PublishedProperties() {
//       return TPersistentProperties()
//           .String("Caption", [this] { return Caption(); }, [this](const std::string& v) { SetCaption(v); })
//           .Boolean("Checked", [this] { return Checked(); }, [this](bool v) { SetChecked(v); });
//   }
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pim {

// The order of the alternatives is the order of TPropertyType.
using TPropertyValue = std::variant<bool, int, std::string>;
enum class TPropertyType { ptBoolean, ptInteger, ptString };

inline TPropertyType TypeOf(const TPropertyValue& value) { return static_cast<TPropertyType>(value.index()); }

struct TPublishedProperty {
    std::string Name;  // "Checked", "EditLabel.Caption", "Font.Size", ...
    TPropertyType Type = TPropertyType::ptString;
    std::function<TPropertyValue()> Get;
    // May raise when the control refuses the value.
    std::function<void(const TPropertyValue&)> Set;
};

class TPersistentProperties {
public:
    TPersistentProperties& Boolean(std::string name, std::function<bool()> get, std::function<void(bool)> set);
    TPersistentProperties& Integer(std::string name, std::function<int()> get, std::function<void(int)> set);
    TPersistentProperties& String(std::string name, std::function<std::string()> get,
                                  std::function<void(const std::string&)> set);
    TPersistentProperties& Add(TPublishedProperty property);

    const TPublishedProperty* Find(std::string_view name) const;
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::vector<TPublishedProperty> items_;
};

class TPersistentComponent {
public:
    virtual ~TPersistentComponent() = default;

    virtual std::string PersistentClassName() const = 0;
    virtual std::string PersistentName() const = 0;
    // May raise, e.g. when the owner already has a component of that name.
    virtual void SetPersistentName(const std::string& name) = 0;
    virtual TPersistentProperties PublishedProperties() = 0;
    // The controls inside this one, in their order (borrowed).
    virtual std::vector<TPersistentComponent*> PersistentChildren() { return {}; }
    // A whole form is never stored as a snapshot.
    virtual bool IsForm() const { return false; }
};

}  // namespace pim
