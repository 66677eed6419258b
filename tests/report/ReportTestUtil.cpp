#include "tests/report/ReportTestUtil.h"

#include <fstream>

namespace pim::test {

namespace {

std::string StripWhiteSpace(const std::string& json) {
    std::string out;
    bool inString = false;
    for (std::size_t i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (inString) {
            out += c;
            if (c == '\\' && i + 1 < json.size()) out += json[++i];
            else if (c == '"') inString = false;
        } else if (c == '"') {
            inString = true;
            out += c;
        } else if (c != ' ' && c != '\n' && c != '\r' && c != '\t') {
            out += c;
        }
    }
    return out;
}

// Every text between `key` and the next `end`, in order.
std::vector<std::string> AllAfter(const std::string& s, const std::string& key, char end) {
    std::vector<std::string> found;
    for (auto at = s.find(key); at != std::string::npos; at = s.find(key, at + 1)) {
        const auto from = at + key.size();
        found.push_back(s.substr(from, s.find(end, from) - from));
    }
    return found;
}

}  // namespace

std::string Serialized(TPdfObject& object) {
    TMemoryStream s;
    object.WriteTo(s);
    return std::string(s.View());
}

std::string QpdfJson(const std::string& path) {
    const TCommandResult qpdf = RunCommandStdout("qpdf --json=2 " + ShellQuote(path) + " 2>/dev/null");
    return qpdf.status == 0 ? StripWhiteSpace(qpdf.output) : std::string();
}

std::vector<std::string> QpdfPageSizes(const std::string& json) {
    return AllAfter(json, "\"/MediaBox\":[", ']');
}

std::vector<std::string> QpdfOutlineTitles(const std::string& json) {
    // The document's "outlines" section (the last before the objects) lists
    // the top-level entries in order; each page lists its own as well.
    const auto end = json.find("\"qpdf\":");
    const auto section = json.rfind("\"outlines\":[", end);
    if (section == std::string::npos) return {};
    const std::string outlines = json.substr(section, end - section);
    std::vector<std::string> titles;
    for (const std::string& t : AllAfter(outlines, "\"title\":\"", '"')) titles.push_back(t);
    return titles;
}

std::string RenderPage(const std::string& pdf, int page) {
    const std::string stem = pdf + ".p" + std::to_string(page);
    const TCommandResult render = RunCommandStdout("pdftoppm -r 72 -singlefile -f " + std::to_string(page) + " -l " +
                                                   std::to_string(page) + " " + ShellQuote(pdf) + " " +
                                                   ShellQuote(stem) + " 2>/dev/null");
    return render.status == 0 ? stem + ".ppm" : std::string();
}

bool WritableDespitePermissions(const std::filesystem::path& folder) {
    const auto probe = folder / "probe";
    std::ofstream out(probe);
    if (!out) return false;
    out.close();
    std::filesystem::remove(probe);
    return true;
}

}  // namespace pim::test
