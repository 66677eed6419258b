// The typed operations as every store must keep them. Built into the native
// suite (ini files) and the Windows suite (ini functions and registry).
#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "tests/settings/SettingsEnv.h"

namespace pim::test {
namespace {

const std::string kJapanese = Utf8ToAnsi("設定ソ表");  // trail bytes 0x5C included

TEST_P(StoreTest, StringsAndTheirDefaults) {
    TRegFiler& filer = Item("Title", "untitled");
    EXPECT_EQ(filer.ReadString(), "untitled");
    filer.WriteString(kJapanese);
    EXPECT_EQ(Raw("Title"), kJapanese);
    EXPECT_EQ(filer.ReadString(), kJapanese);
    // Blanks and quotes around a value come back as they were written.
    filer.WriteString("  \"both\"  ");
    EXPECT_EQ(filer.ReadString(), "  \"both\"  ");

    EXPECT_EQ(filer.ReadString("", "Title", "d"), "d");
    EXPECT_EQ(filer.ReadString("Sec", "", "d"), "d");
    filer.WriteString("Other", "", "x");
    filer.WriteString("", "Key", "x");
    EXPECT_EQ(filer.ReadString("Other", "Key", "none"), "none");
    filer.DeleteKey("Sec", "Title");
    EXPECT_EQ(Raw("Title"), std::nullopt);

    // No current item: nothing is read or written.
    TRegFiler& none = manager.Filer("no such item");
    EXPECT_EQ(none.Item(), nullptr);
    none.WriteInteger(5);
    EXPECT_EQ(none.ReadInteger(), 0);
    EXPECT_FALSE(none.ReadBool());
    EXPECT_EQ(none.ReadString(), "");
}

TEST_P(StoreTest, BooleansAndIntegers) {
    for (const char* yes : {"yes", "Yes", "yEs", "TRUE", "true", "1"}) {
        EXPECT_TRUE(Item(std::string("B") + yes, yes).ReadBool()) << yes;
    }
    for (const char* no : {"", "no", "2", "y"}) EXPECT_FALSE(Item(std::string("N") + no, no).ReadBool()) << no;

    TRegFiler& flag = Item("Flag", "yes");
    flag.WriteBool(false);
    EXPECT_EQ(Raw("Flag"), "0");
    const std::pair<const char*, bool> cases[] = {{"2", true}, {"0", false}, {"TRUE", false}, {"-1", true}};
    for (const auto& [stored, expected] : cases) {
        flag.WriteString(stored);
        EXPECT_EQ(flag.ReadBool(), expected) << stored;
    }

    TRegFiler& number = Item("Number", "42");
    EXPECT_EQ(number.ReadInteger(), 42);
    number.WriteInteger(-17);
    EXPECT_EQ(Raw("Number"), "-17");
    EXPECT_EQ(number.ReadInteger(), -17);
    for (const char* junk : {"12x", "x", "", "99999999999", "$10"}) {
        number.WriteString(junk);
        EXPECT_EQ(number.ReadInteger(), 0) << junk;
    }
}

TEST_P(StoreTest, FontRoundTrip) {
    TFont font{kJapanese, 11, clWindowText, fsBold | fsStrikeOut, ShiftJisCharset};
    Item("Font").WriteFont(font);
    EXPECT_EQ(Raw("Font_FontName"), kJapanese);
    EXPECT_EQ(Raw("Font_FontSize"), "11");
    EXPECT_EQ(Raw("Font_FontColor"), "clWindowText");
    EXPECT_EQ(Raw("Font_FontStyle"), "9");
    EXPECT_EQ(Raw("Font_FontCharset"), "128");

    TFont read;
    Item("Font").ReadFont(read);
    EXPECT_EQ(read, font);

    font.Color = 0x123456;
    Item("Font").WriteFont(font);
    EXPECT_EQ(Raw("Font_FontColor"), "$00123456");
    manager.Filer().WriteString("Sec", "Font_FontSize", "big");
    manager.Filer().WriteString("Sec", "Font_FontStyle", "bold");
    manager.Filer().WriteString("Sec", "Font_FontCharset", "x");
    read = TFont{};
    Item("Font").ReadFont(read);
    EXPECT_EQ(read.Size, TFont{}.Size);  // a size that is no number keeps the current one
    EXPECT_EQ(read.Style, 0);
    EXPECT_EQ(read.Charset, 0);
    EXPECT_EQ(read.Color, 0x123456);
}

TEST_P(StoreTest, StringListsKeepNoSurplus) {
    TStringList five;
    for (const char* s : {"a", "b", "c", "d", kJapanese.c_str()}) five.Add(s);
    TRegFiler& filer = Item("List");
    filer.WriteStrings(five);
    EXPECT_EQ(Raw("List_Item4"), kJapanese);

    TStringList two;
    two.Add("x");
    two.Add("");
    filer.WriteStrings(two);
    EXPECT_EQ(Raw("List_ItemCount"), "2");
    EXPECT_EQ(Raw("List_Item0"), "x");
    EXPECT_EQ(Raw("List_Item1"), "");
    for (const char* gone : {"List_Item2", "List_Item3", "List_Item4"}) EXPECT_EQ(Raw(gone), std::nullopt) << gone;

    TStringList read;
    read.Add("old");
    filer.ReadStrings(read);
    EXPECT_EQ(read.Text(), "x\r\n\r\n");

    filer.WriteStrings(TStringList());
    for (const char* gone : {"List_ItemCount", "List_Item0", "List_Item1"}) EXPECT_EQ(Raw(gone), std::nullopt) << gone;
    filer.ReadStrings(read);
    EXPECT_EQ(read.Count(), 0);

    // A damaged count reads only what can be there.
    filer.WriteStrings(two);
    filer.WriteString("Sec", "List_ItemCount", "2000000000");
    filer.ReadStrings(read);
    EXPECT_EQ(read.Count(), 3);
}

TEST_P(StoreTest, StreamsAppendAtThePosition) {
    std::string bytes;
    for (int i = 0; i < 33; ++i) bytes.push_back(static_cast<char>(i * 7 + 200));
    TMemoryStream source;
    source.Write(bytes);
    TRegFiler& filer = Item("Data");
    filer.WriteStream(source);

    TMemoryStream target;
    target.Write("head+tail");
    target.SetPosition(4);
    filer.ReadStream(target);
    EXPECT_EQ(target.View(), "head" + bytes);

    TMemoryStream untouched;
    untouched.Write("same");
    Item("Missing").ReadStream(untouched);
    EXPECT_EQ(untouched.View(), "same");
}

TEST_P(StoreTest, IniStreamLines) {
    if (env->IsRegistry()) GTEST_SKIP() << "the registry keeps one binary value";
    std::string bytes(33, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(0xF0 + i);
    TMemoryStream stream;
    stream.Write(bytes);
    TRegFiler& filer = Item("S");
    filer.WriteStream(stream);
    EXPECT_EQ(Raw("S_c"), "2");
    EXPECT_EQ(Raw("S_d0"), "F0F1F2F3F4F5F6F7F8F9FAFBFCFDFEFF000102030405060708090A0B0C0D0E0F");
    EXPECT_EQ(Raw("S_d1"), "10");

    // A pair that is not hexadecimal reads as 0; a lone digit adds nothing.
    filer.WriteString("Sec", "S_d1", "1G7f3");
    TMemoryStream read;
    filer.ReadStream(read);
    EXPECT_EQ(read.View(), bytes.substr(0, 32) + std::string("\0\x7F", 2));

    filer.WriteStream(*std::make_unique<TMemoryStream>());
    for (const char* gone : {"S_c", "S_d0", "S_d1"}) EXPECT_EQ(Raw(gone), std::nullopt) << gone;
}

TEST_P(StoreTest, StoreThatCannotBeOpened) {
    TErrorCapture errors;
    const bool registry = env->IsRegistry();
    if (registry) {
        manager.SetRegDir("");
    } else {
        manager.SetIniFileName("");
    }
    TRegFiler& filer = Item("Value", "yes");
    filer.WriteString("stored");
    EXPECT_EQ(filer.ReadString(), "yes");
    EXPECT_TRUE(filer.ReadBool());
    const std::string expected = registry ? "can not create Registry object." : "can not create Inifile object.";
    EXPECT_EQ(errors.messages, std::vector<std::string>(3, expected));
}

}  // namespace
}  // namespace pim::test
