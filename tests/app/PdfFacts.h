// Reads back the PDF files this program writes (uncompressed, one key per
// line, as its writer lays them out) so tests can check what a run put in:
// pages and their sizes, image streams, bookmarks, document information.
// Not a general PDF parser.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace pim::test {

struct TPdfObjectText {
    std::string Dictionary;  // the text between "n 0 obj" and "stream"/"endobj"
    std::string Stream;      // the stream's bytes, exactly /Length of them
    bool HasStream = false;
};

class TPdfFacts {
public:
    explicit TPdfFacts(const std::string& bytes);
    static TPdfFacts FromFile(const std::string& path);

    const TPdfObjectText& Object(int number) const;
    int ObjectCount() const { return static_cast<int>(objects_.size()); }
    // The rest of the line after "/key " in a dictionary text, "" when absent.
    static std::string Value(const std::string& dictionary, const std::string& key);
    // n of "/key n 0 R"; -1 when absent.
    static int Reference(const std::string& dictionary, const std::string& key);

    const std::string& Catalog() const { return Object(root_).Dictionary; }
    std::string Info(const std::string& key) const;  // the raw value text
    std::vector<int> Pages() const;                  // page objects in order
    std::pair<int, int> PageSize(int page) const;    // from the MediaBox
    // The image XObjects drawn on the page, in resource order.
    std::vector<int> PageImages(int page) const;
    // Bookmark titles in outline order, in UTF-8.
    std::vector<std::string> OutlineTitles() const;
    // The whole outline: each entry's title (UTF-8), the page object its
    // destination names (-1 without one) and its children.
    struct TOutlineNode {
        std::string Title;
        int Page = -1;
        std::vector<TOutlineNode> Children;
    };
    std::vector<TOutlineNode> Outline() const;

private:
    std::vector<TOutlineNode> OutlineUnder(int parent) const;
    std::vector<std::pair<int, TPdfObjectText>> objects_;
    int root_ = -1;
    int info_ = -1;
};

// A PDF text string as UTF-8: "(...)" holds Shift_JIS bytes, "<FEFF...>"
// UTF-16BE after the byte-order mark.
std::string PdfTextToUtf8(const std::string& value);

}  // namespace pim::test
