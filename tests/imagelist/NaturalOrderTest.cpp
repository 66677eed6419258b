#include "imagelist/NaturalOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace pim {
namespace {

TEST(NaturalOrder, OrdersAsAFileManager) {
    std::vector<std::string> names = {"photo10.jpg", "Photo2.jpg", "photo1.jpg", "a.jpg", "photo.jpg",
                                      "photo02.jpg", "B.jpg", "photo100.jpg", "写真.jpg", "photo2b.jpg"};
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int c = NaturalCompare(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    const std::vector<std::string> expected = {"a.jpg", "B.jpg", "photo.jpg", "photo1.jpg", "Photo2.jpg",
                                               "photo02.jpg", "photo2b.jpg", "photo10.jpg", "photo100.jpg",
                                               "写真.jpg"};
    EXPECT_EQ(names, expected);
}

TEST(NaturalOrder, ComparesNumbersOfAnyLength) {
    EXPECT_LT(NaturalCompare("x99999999999999999999999", "x100000000000000000000000"), 0);
    EXPECT_GT(NaturalCompare("x100000000000000000000000", "x99999999999999999999999"), 0);
    EXPECT_EQ(NaturalCompare("ABC", "abc"), 0);
    EXPECT_LT(NaturalCompare("v1", "v01"), 0);
    EXPECT_GT(NaturalCompare("v01", "v1"), 0);
    EXPECT_LT(NaturalCompare("", "a"), 0);
    EXPECT_EQ(NaturalCompare("", ""), 0);
    EXPECT_LT(NaturalCompare("a1b2", "a1b10"), 0);
}

// Character for character as Explorer's StrCmpLogicalW: spaces and
// punctuation, then digits, then letters; a shorter name that is a prefix
// first.
TEST(NaturalOrder, PunctuationComesBeforeDigitsAndDigitsBeforeLetters) {
    EXPECT_LT(NaturalCompare("photo.jpg", "photo1.jpg"), 0);
    EXPECT_LT(NaturalCompare("photo_2.jpg", "photo1.jpg"), 0);
    EXPECT_LT(NaturalCompare("photo (2).jpg", "photo.jpg"), 0);
    EXPECT_LT(NaturalCompare("photo9.jpg", "photoa.jpg"), 0);
    EXPECT_LT(NaturalCompare("a~b", "a0"), 0);
    EXPECT_LT(NaturalCompare("zz", "\xc3\xa9"), 0);  // "é" after the ASCII letters
    EXPECT_LT(NaturalCompare("img", "img.jpg"), 0);
    // NameCompare tells every two names apart.
    EXPECT_NE(NameCompare("A.jpg", "a.jpg"), 0);
    EXPECT_EQ(NameCompare("A.jpg", "A.jpg"), 0);
    EXPECT_EQ(NameCompare("A.jpg", "a.jpg"), -NameCompare("a.jpg", "A.jpg"));
}

// As Explorer lists them on Japanese Windows: punctuation, digits by value
// (full-width ones too), Latin letters without regard to case or width,
// kana in gojuon order with hiragana, katakana and half-width katakana
// together, then kanji in JIS X 0208 order.
TEST(NaturalOrder, JapaneseNamesAsExplorerListsThem) {
    const std::vector<std::string> expected = {
        "(1).jpg",      "_memo.txt",    "「表紙」.jpg", "1.jpg",        "２.jpg",       "10.jpg",
        "a.jpg",        "Ｂ.jpg",       "photo2.jpg",   "Photo10.jpg",  "\xc3\xa9.jpg", "あ.jpg",
        "ア.jpg",       "ｱ.jpg",        "いぬ.jpg",     "カタログ.jpg", "ｶﾀﾛｸﾞ.jpg",    "がっこう.jpg",
        "ｽｷｬﾝ001.jpg",  "スキャン002.jpg", "すし.jpg",  "はな.jpg",     "ばら.jpg",     "ぱん.jpg",
        "ﾊﾟﾝ.jpg",      "ヴァイオリン.jpg", "亜.jpg",   "愛.jpg",       "資料２.jpg",   "資料１０.jpg",
        "写真.jpg",     "日本.jpg",     "本.jpg",       "鬱.jpg",
    };
    std::vector<std::string> names(expected.rbegin(), expected.rend());
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return NameCompare(a, b) < 0; });
    EXPECT_EQ(names, expected);
    for (std::size_t i = 0; i < expected.size(); ++i)
        for (std::size_t k = i + 1; k < expected.size(); ++k)
            EXPECT_LT(NameCompare(expected[i], expected[k]), 0) << expected[i] << " before " << expected[k];
    // Width and kind of kana alone never order two names: only the last resort does.
    EXPECT_EQ(NaturalCompare("ｶﾀﾛｸﾞ", "かたろぐ"), 0);
    EXPECT_EQ(NaturalCompare("資料２", "資料2"), 0);
}

}  // namespace
}  // namespace pim
