#include "imagelist/NaturalOrder.h"

#include <cstring>

namespace pim {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

unsigned char Fold(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// Spaces and punctuation 0, digits 1, letters (and every byte of a
// character beyond ASCII) 2.
int ClassOf(unsigned char folded) {
    if (folded >= '0' && folded <= '9') return 1;
    if ((folded >= 'a' && folded <= 'z') || folded >= 0x80) return 2;
    return 0;
}

// The digit run starting at `at`: where its significant digits begin and
// where it ends.
void DigitRun(std::string_view s, std::size_t at, std::size_t& first, std::size_t& end) {
    first = at;
    while (first < s.size() && s[first] == '0') ++first;
    end = first;
    while (end < s.size() && IsDigit(s[end])) ++end;
}

}  // namespace

int NaturalCompare(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    int zeros = 0;  // first difference in leading zeros, the last resort
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            std::size_t firstA, endA, firstB, endB;
            DigitRun(a, i, firstA, endA);
            DigitRun(b, j, firstB, endB);
            // More significant digits is the larger number; no overflow
            // however long the run.
            const std::size_t lenA = endA - firstA, lenB = endB - firstB;
            if (lenA != lenB) return lenA < lenB ? -1 : 1;
            if (const int c = std::memcmp(a.data() + firstA, b.data() + firstB, lenA); c != 0) return c < 0 ? -1 : 1;
            if (zeros == 0 && firstA - i != firstB - j) zeros = firstA - i < firstB - j ? -1 : 1;
            i = endA;
            j = endB;
            continue;
        }
        const unsigned char ca = Fold(a[i]), cb = Fold(b[j]);
        if (ca != cb) {
            const int classA = ClassOf(ca), classB = ClassOf(cb);
            if (classA != classB) return classA < classB ? -1 : 1;
            return ca < cb ? -1 : 1;
        }
        ++i;
        ++j;
    }
    const std::size_t restA = a.size() - i, restB = b.size() - j;
    if (restA != restB) return restA < restB ? -1 : 1;
    return zeros;
}

int NameCompare(std::string_view a, std::string_view b) {
    if (const int c = NaturalCompare(a, b); c != 0) return c;
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

}  // namespace pim
