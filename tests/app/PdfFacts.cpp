#include "tests/app/PdfFacts.h"

#include <cstdlib>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "base/CodePage.h"
#include "tests/support/TestTools.h"

namespace pim::test {

TPdfFacts::TPdfFacts(const std::string& bytes) {
    static const std::regex header(R"(^(\d+) 0 obj\r?\n)");
    std::size_t at = 0;
    while ((at = bytes.find(" 0 obj", at)) != std::string::npos) {
        std::size_t start = bytes.rfind('\n', at);
        start = start == std::string::npos ? 0 : start + 1;
        std::smatch m;
        const std::string line = bytes.substr(start, bytes.find('\n', at) + 1 - start);
        if (!std::regex_search(line, m, header)) {
            at += 6;
            continue;
        }
        TPdfObjectText object;
        const std::size_t body = start + line.size();
        const std::size_t end = bytes.find("endobj", body);
        const std::size_t stream = bytes.find("stream\r\n", body);
        if (stream != std::string::npos && stream < end) {
            object.Dictionary = bytes.substr(body, stream - body);
            object.HasStream = true;
            const std::size_t length = std::stoul(Value(object.Dictionary, "Length"));
            object.Stream = bytes.substr(stream + 8, length);
            at = bytes.find("endobj", stream + 8 + length);
        } else {
            object.Dictionary = bytes.substr(body, end - body);
            at = end;
        }
        objects_.emplace_back(std::stoi(m[1]), std::move(object));
    }
    const std::size_t trailer = bytes.rfind("trailer");
    if (trailer == std::string::npos) throw std::runtime_error("no trailer");
    root_ = Reference(bytes.substr(trailer), "Root");
    info_ = Reference(bytes.substr(trailer), "Info");
}

TPdfFacts TPdfFacts::FromFile(const std::string& path) { return TPdfFacts(ReadFileBytes(path)); }

const TPdfObjectText& TPdfFacts::Object(int number) const {
    for (const auto& [n, object] : objects_)
        if (n == number) return object;
    throw std::runtime_error("no object " + std::to_string(number));
}

std::string TPdfFacts::Value(const std::string& dictionary, const std::string& key) {
    const std::string tag = "/" + key + " ";
    std::size_t at = 0;
    while ((at = dictionary.find(tag, at)) != std::string::npos) {
        if (at == 0 || dictionary[at - 1] == '\n') {
            const std::size_t start = at + tag.size();
            const std::size_t end = dictionary.find_first_of("\r\n", start);
            return dictionary.substr(start, end - start);
        }
        at += tag.size();
    }
    return {};
}

int TPdfFacts::Reference(const std::string& dictionary, const std::string& key) {
    const std::string value = Value(dictionary, key);
    return value.empty() ? -1 : std::atoi(value.c_str());
}

std::string TPdfFacts::Info(const std::string& key) const { return Value(Object(info_).Dictionary, key); }

std::vector<int> TPdfFacts::Pages() const {
    const std::string kids = Value(Object(Reference(Catalog(), "Pages")).Dictionary, "Kids");
    std::vector<int> pages;
    static const std::regex reference(R"((\d+) 0 R)");
    for (auto it = std::sregex_iterator(kids.begin(), kids.end(), reference); it != std::sregex_iterator(); ++it)
        pages.push_back(std::stoi((*it)[1]));
    return pages;
}

std::pair<int, int> TPdfFacts::PageSize(int page) const {
    std::istringstream box(Value(Object(page).Dictionary, "MediaBox"));
    char bracket;
    double x0, y0, x1, y1;
    box >> bracket >> x0 >> y0 >> x1 >> y1;
    return {static_cast<int>(x1 - x0), static_cast<int>(y1 - y0)};
}

std::vector<int> TPdfFacts::PageImages(int page) const {
    const std::string& dict = Object(page).Dictionary;
    const std::size_t xObjects = dict.find("/XObject <<");
    std::vector<int> images;
    if (xObjects == std::string::npos) return images;
    const std::string rest = dict.substr(xObjects + 11, dict.find(">>", xObjects) - xObjects - 11);
    static const std::regex entry(R"(/\S+ (\d+) 0 R)");
    for (auto it = std::sregex_iterator(rest.begin(), rest.end(), entry); it != std::sregex_iterator(); ++it)
        images.push_back(std::stoi((*it)[1]));
    return images;
}

std::vector<std::string> TPdfFacts::OutlineTitles() const {
    std::vector<std::string> titles;
    const int outlines = Reference(Catalog(), "Outlines");
    if (outlines < 0) return titles;
    for (int n = Reference(Object(outlines).Dictionary, "First"); n > 0; n = Reference(Object(n).Dictionary, "Next"))
        titles.push_back(PdfTextToUtf8(Value(Object(n).Dictionary, "Title")));
    return titles;
}

std::vector<TPdfFacts::TOutlineNode> TPdfFacts::Outline() const {
    const int outlines = Reference(Catalog(), "Outlines");
    return outlines < 0 ? std::vector<TOutlineNode>{} : OutlineUnder(outlines);
}

std::vector<TPdfFacts::TOutlineNode> TPdfFacts::OutlineUnder(int parent) const {
    std::vector<TOutlineNode> nodes;
    for (int n = Reference(Object(parent).Dictionary, "First"); n > 0; n = Reference(Object(n).Dictionary, "Next")) {
        TOutlineNode node;
        node.Title = PdfTextToUtf8(Value(Object(n).Dictionary, "Title"));
        const std::string dest = Value(Object(n).Dictionary, "Dest");  // "[n 0 R /XYZ ...]"
        if (dest.size() > 1 && dest[0] == '[') node.Page = std::atoi(dest.c_str() + 1);
        node.Children = OutlineUnder(n);
        nodes.push_back(std::move(node));
    }
    return nodes;
}

std::string PdfTextToUtf8(const std::string& value) {
    if (value.size() >= 2 && value.front() == '<' && value.back() == '>') {
        std::string hex = value.substr(1, value.size() - 2);
        if (hex.rfind("FEFF", 0) == 0) hex = hex.substr(4);
        std::u16string utf16;
        for (std::size_t i = 0; i + 4 <= hex.size(); i += 4)
            utf16 += static_cast<char16_t>(std::stoul(hex.substr(i, 4), nullptr, 16));
        return Utf16ToUtf8(utf16);
    }
    if (value.size() >= 2 && value.front() == '(' && value.back() == ')') {
        std::string bytes;
        for (std::size_t i = 1; i + 1 < value.size(); ++i) {
            if (value[i] == '\\' && i + 2 < value.size()) ++i;
            bytes += value[i];
        }
        return AnsiToUtf8(bytes);
    }
    return value;
}

}  // namespace pim::test
