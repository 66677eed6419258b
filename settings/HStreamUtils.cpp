#include "settings/HStreamUtils.h"

#include <cstdint>
#include <functional>
#include <utility>

namespace pim {

namespace {

constexpr std::string_view kSignature = "PSC1";
constexpr int kMaxDepth = 64;  // nesting a damaged snapshot may claim

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// ---- writing --------------------------------------------------------------

void PutShortName(std::string& out, const std::string& name) {
    if (name.size() > 255) throw Exception("WriteComponent --the name " + name + " is too long.");
    out.push_back(static_cast<char>(name.size()));
    out += name;
}

void PutUInt32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void PutComponent(std::string& out, TPersistentComponent& component, int depth) {
    if (depth > kMaxDepth) throw Exception("WriteComponent --the components are nested too deeply.");
    const std::string className = component.PersistentClassName();
    if (className.empty()) throw Exception("WriteComponent --a component has no class name.");
    PutShortName(out, className);
    PutShortName(out, component.PersistentName());
    for (const auto& property : component.PublishedProperties()) {
        if (property.Name.empty()) continue;
        const TPropertyValue value = property.Get();
        PutShortName(out, property.Name);
        out.push_back(static_cast<char>(TypeOf(value)));
        if (const bool* b = std::get_if<bool>(&value)) {
            out.push_back(*b ? 1 : 0);
        } else if (const int* i = std::get_if<int>(&value)) {
            PutUInt32(out, static_cast<std::uint32_t>(*i));
        } else {
            const auto& s = std::get<std::string>(value);
            PutUInt32(out, static_cast<std::uint32_t>(s.size()));
            out += s;
        }
    }
    out.push_back(0);  // end of the properties
    for (TPersistentComponent* child : component.PersistentChildren()) PutComponent(out, *child, depth + 1);
    out.push_back(0);  // end of the children
}

// ---- reading --------------------------------------------------------------

struct TSnapshot {
    std::string className;
    std::string name;
    std::vector<std::pair<std::string, TPropertyValue>> properties;
    std::vector<TSnapshot> children;
};

class TReader {
public:
    explicit TReader(std::string_view bytes) : bytes_(bytes) {}

    TSnapshot Snapshot() {
        if (Take(kSignature.size()) != kSignature) Fail();
        TSnapshot root;
        if (!Component(root, 0)) Fail();
        if (!bytes_.empty()) Fail();
        return root;
    }

private:
    [[noreturn]] static void Fail() { throw EReadError("Invalid stream format"); }

    std::string_view Take(std::size_t count) {
        if (count > bytes_.size()) Fail();
        const std::string_view part = bytes_.substr(0, count);
        bytes_.remove_prefix(count);
        return part;
    }
    std::uint8_t Byte() { return static_cast<std::uint8_t>(Take(1)[0]); }
    std::uint32_t UInt32() {
        std::uint32_t value = 0;
        const std::string_view b = Take(4);
        for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<std::uint8_t>(b[static_cast<std::size_t>(i)]);
        return value;
    }
    std::string ShortName() { return std::string(Take(Byte())); }

    // False at the end of a list (an empty class name).
    bool Component(TSnapshot& out, int depth) {
        if (depth > kMaxDepth) Fail();
        out.className = ShortName();
        if (out.className.empty()) return false;
        out.name = ShortName();
        for (std::string property = ShortName(); !property.empty(); property = ShortName())
            out.properties.emplace_back(std::move(property), Value());
        for (TSnapshot child; Component(child, depth + 1); child = {}) out.children.push_back(std::move(child));
        return true;
    }

    TPropertyValue Value() {
        switch (static_cast<TPropertyType>(Byte())) {
            case TPropertyType::ptBoolean: {
                const std::uint8_t b = Byte();
                if (b > 1) Fail();
                return b == 1;
            }
            case TPropertyType::ptInteger: return static_cast<int>(UInt32());
            case TPropertyType::ptString: return std::string(Take(UInt32()));
        }
        Fail();
    }

    std::string_view bytes_;
};

// One component of the control's tree paired with its part of the snapshot.
struct TMatch {
    TPersistentComponent* component;
    const TSnapshot* snapshot;
    TPersistentProperties properties;
};

// Pairs the snapshot with the control's tree, depth first, checking classes,
// children and properties before anything is changed.
void Match(const TSnapshot& snapshot, TPersistentComponent& component, std::vector<TMatch>& out) {
    if (snapshot.className != component.PersistentClassName())
        throw EReadError("Invalid stream format: " + snapshot.className + " is not " + component.PersistentClassName());
    TPersistentProperties properties = component.PublishedProperties();
    for (const auto& [name, value] : snapshot.properties) {
        const TPublishedProperty* property = properties.Find(name);
        if (!property) throw EReadError("Property " + name + " does not exist");
        if (property->Type != TypeOf(value)) throw EReadError("Invalid property value: " + name);
    }
    out.push_back({&component, &snapshot, std::move(properties)});
    const auto children = component.PersistentChildren();
    if (children.size() != snapshot.children.size())
        throw EReadError("Invalid stream format: " + snapshot.name + " holds other components");
    for (std::size_t i = 0; i < children.size(); ++i) Match(snapshot.children[i], *children[i], out);
}

void CollectTree(TPersistentComponent& component, std::vector<TPersistentComponent*>& out) {
    out.push_back(&component);
    for (TPersistentComponent* child : component.PersistentChildren()) CollectTree(*child, out);
}

}  // namespace

std::vector<std::string> BytesToHexLines(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < bytes.size(); start += HexBytesPerLine) {
        std::string line;
        for (const char c : bytes.substr(start, HexBytesPerLine)) {
            const auto b = static_cast<unsigned char>(c);
            line.push_back(kDigits[b >> 4]);
            line.push_back(kDigits[b & 0xF]);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

void AppendHexLineBytes(std::string_view line, std::string& bytes) {
    for (std::size_t i = 0; i + 1 < line.size(); i += 2) {
        const int high = HexDigit(line[i]);
        const int low = HexDigit(line[i + 1]);
        bytes.push_back(high < 0 || low < 0 ? '\0' : static_cast<char>(high * 16 + low));
    }
}

std::string StreamBytes(TStream& stream) {
    stream.SetPosition(0);
    TMemoryStream copy;
    copy.CopyFrom(stream);
    return std::string(copy.View());
}

void WriteComponentSnapshot(TStream& stream, TPersistentComponent& component) {
    std::string bytes(kSignature);
    PutComponent(bytes, component, 0);
    stream.Write(bytes);
}

void ReadComponentSnapshot(std::string_view bytes, TPersistentComponent& control) {
    std::vector<TPersistentComponent*> tree;
    CollectTree(control, tree);
    std::vector<std::string> names;
    // The matches outlive the try block: the undo steps point into them.
    std::vector<TMatch> matches;
    std::vector<std::function<void()>> undo;
    std::size_t cleared = 0;
    try {
        for (; cleared < tree.size(); ++cleared) {
            names.push_back(tree[cleared]->PersistentName());
            tree[cleared]->SetPersistentName("");
        }
        const TSnapshot snapshot = TReader(bytes).Snapshot();
        Match(snapshot, control, matches);
        for (const auto& match : matches) {
            for (const auto& [name, value] : match.snapshot->properties) {
                const TPublishedProperty* property = match.properties.Find(name);
                undo.push_back([property, old = property->Get()] { property->Set(old); });
                property->Set(value);
            }
        }
        for (const auto& match : matches) match.component->SetPersistentName(match.snapshot->name);
    } catch (...) {
        // The old values and names go back; a setter that refuses its own old
        // value cannot be helped, and must not hide the first failure.
        for (auto it = undo.rbegin(); it != undo.rend(); ++it) {
            try {
                (*it)();
            } catch (...) {
            }
        }
        // Stored names already given could clash with the old ones: clear first.
        for (std::size_t pass = 0; pass < 2; ++pass) {
            for (std::size_t i = 0; i < cleared; ++i) {
                try {
                    tree[i]->SetPersistentName(pass == 0 ? std::string() : names[i]);
                } catch (...) {
                }
            }
        }
        throw;
    }
}

}  // namespace pim
