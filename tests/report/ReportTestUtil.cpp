#include "tests/report/ReportTestUtil.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace pim::test {

namespace {

std::string Quoted(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// stdout of the command, or nothing when it fails.
std::string Run(const std::string& command, bool* ok) {
    *ok = false;
#ifdef _WIN32
    (void)command;
    return {};
#else
    std::string output;
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) return {};
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    *ok = pclose(pipe) == 0;
    return output;
#endif
}

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
    bool ok;
    std::string json = Run("qpdf --json=2 " + Quoted(path), &ok);
    return ok ? StripWhiteSpace(json) : std::string();
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
    bool ok;
    Run("pdftoppm -r 72 -singlefile -f " + std::to_string(page) + " -l " + std::to_string(page) + " " +
            Quoted(pdf) + " " + Quoted(stem),
        &ok);
    return ok ? stem + ".ppm" : std::string();
}

unsigned TPpm::Rgb(int x, int y) const {
    const std::size_t at = (static_cast<std::size_t>(y) * Width + x) * 3;
    return (Pixels[at] << 16) | (Pixels[at + 1] << 8) | Pixels[at + 2];
}

TPpm ReadPpm(const std::string& path) {
    TPpm ppm;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> ppm.Width >> ppm.Height >> maxValue;
    in.get();
    if (magic != "P6" || maxValue != 255) return {};
    ppm.Pixels.resize(static_cast<std::size_t>(ppm.Width) * ppm.Height * 3);
    in.read(reinterpret_cast<char*>(ppm.Pixels.data()), static_cast<std::streamsize>(ppm.Pixels.size()));
    return ppm;
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
