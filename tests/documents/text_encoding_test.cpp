#include "documents/text_encoding.h"

#include <gtest/gtest.h>

using namespace lumo::tool;

namespace {
// "テスト" in each encoding.
const std::string SjisTest = "\x83\x65\x83\x58\x83\x67";
const std::string EucTest = "\xA5\xC6\xA5\xB9\xA5\xC8";
const std::string Utf8Test = "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88";
}  // namespace

TEST(TextEncoding, DetectsEachFileFromItsBytesAlsoFedByteByByte) {
    const struct {
        std::string bytes;
        FileEncoding expected;
    } cases[] = {
        {"plain ascii", FileEncoding::Utf8},
        {"caf\xC3\xA9 " + Utf8Test, FileEncoding::Utf8},
        {SjisTest + "case", FileEncoding::ShiftJis},
        {"cut " + SjisTest + "\x83", FileEncoding::ShiftJis},  // a truncated file
        {EucTest + "case", FileEncoding::EucJp},
        {"na\xEFve r\xE9seau", FileEncoding::Latin1},  // valid Shift-JIS, but no kana
        {"caf\xE9\n", FileEncoding::Latin1},
        {"\xC0\xAF overlong", FileEncoding::Latin1},
        {"\xED\xA0\x80 surrogate", FileEncoding::Latin1},
        // Long ASCII runs between characters, before and after one.
        {std::string(21, 'a') + SjisTest + std::string(19, 'b'), FileEncoding::ShiftJis},
        {std::string(21, 'a') + "\xE9" + std::string(19, 'b'), FileEncoding::Latin1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(detect_encoding(c.bytes), c.expected);
        EncodingDetector detector;
        for (char b : c.bytes) detector.feed(std::string_view(&b, 1));
        EXPECT_EQ(detector.decide(), c.expected);
    }
}

TEST(TextEncoding, ParsesTheNamesUsersAndLocalesGive) {
    const struct {
        const char* name;
        bool known;
        std::optional<FileEncoding> expected;
    } cases[] = {
        {"UTF-8", true, FileEncoding::Utf8},
        {"shift_jis", true, FileEncoding::ShiftJis},
        {"CP932", true, FileEncoding::ShiftJis},
        {"Windows-31J", true, FileEncoding::ShiftJis},
        {"csShiftJIS", true, FileEncoding::ShiftJis},
        {"euc-jp", true, FileEncoding::EucJp},
        {"ISO-8859-1", true, FileEncoding::Latin1},
        {"auto", true, std::nullopt},
        {"koi8-r", false, std::nullopt},
    };
    for (const auto& c : cases) {
        std::optional<FileEncoding> got = FileEncoding::Latin1;
        EXPECT_EQ(parse_encoding_name(c.name, got), c.known) << c.name;
        if (c.known) {
            EXPECT_EQ(got, c.expected) << c.name;
        }
    }
    EXPECT_EQ(encoding_of_codeset("ANSI_X3.4-1968"), FileEncoding::Utf8);
    EXPECT_EQ(encoding_of_codeset("KOI8-R"), std::nullopt);
}

TEST(TextEncoding, CheckerViewBlanksEveryByteOfNonAsciiCharacters) {
    const struct {
        std::string text;
        FileEncoding encoding;
        std::string expected;
    } cases[] = {
        {SjisTest + "case", FileEncoding::ShiftJis, "      case"},
        {"ab\x83", FileEncoding::ShiftJis, "ab "},    // a lead byte cut off
        {"x\x83\n", FileEncoding::ShiftJis, "x \n"},  // never eats a line end
        {EucTest + "case", FileEncoding::EucJp, "      case"},
        {"\x83\xBF"
         "beta \x84\x40x",
         FileEncoding::ShiftJis, std::string(10, ' ')},  // Greek, Cyrillic
        {"na\xC3\xAFve " + Utf8Test + "ok", FileEncoding::Utf8, std::string(16, ' ') + "ok"},
        {"bad\x80 word", FileEncoding::Utf8, "bad  word"},  // read as Latin-1: no letter
        {"bad\xFF word", FileEncoding::Utf8, "     word"},  // read as Latin-1: a letter
        {"na\xEFve \xABq\xBB", FileEncoding::Latin1, "       q "},
        // ASCII is passed over eight bytes at a time, up to the run that
        // holds the next other byte.
        {std::string(13, 'x') + " longword\xC3\xAFs ok", FileEncoding::Utf8,
         std::string(13, 'x') + std::string(12, ' ') + " ok"},
        {std::string(40, 'w') + " plain", FileEncoding::Utf8, std::string(40, 'w') + " plain"},
        {"ab cd-ef\xC3\xA9", FileEncoding::Utf8, "ab" + std::string(8, ' ')},
    };
    for (const auto& c : cases) {
        std::string view = c.text;
        make_checker_view(view, c.encoding);
        EXPECT_EQ(view, c.expected) << c.text;
    }
}

TEST(TextEncoding, CompletePrefixKeepsACutCharacterForTheNextBlock) {
    const struct {
        std::string text;
        FileEncoding encoding;
        size_t expected;
    } cases[] = {
        {"ab\xE3\x83", FileEncoding::Utf8, 2}, {"ab\xE3\x83\x86", FileEncoding::Utf8, 5},
        {"ab\x83", FileEncoding::ShiftJis, 2}, {"ab\x83\x65", FileEncoding::ShiftJis, 4},
        {"a\x8F\xA1", FileEncoding::EucJp, 1}, {"a\xE9", FileEncoding::Latin1, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(complete_prefix(c.text, c.encoding), c.expected) << c.text;
}

TEST(TextEncoding, PositionsCountCharactersOfTheEncoding) {
    const std::string text = "ab\n" + SjisTest + "x\n\ny";
    PositionCounter counter(text, FileEncoding::ShiftJis);
    const struct {
        size_t offset, line, column;
    } cases[] = {{0, 1, 1}, {1, 1, 2}, {3, 2, 1}, {9, 2, 4}, {11, 3, 1}, {12, 4, 1}};
    for (const auto& c : cases) {
        const TextPosition at = counter.at(c.offset);
        EXPECT_EQ(at.line, c.line) << c.offset;
        EXPECT_EQ(at.column, c.column) << c.offset;
    }
    // Several lines passed at once; a long ASCII line, and a character
    // that an offset falls inside.
    const std::string longer = "a\nb\nc\n" + std::string(30, 'd') + Utf8Test + "e\n";
    PositionCounter utf8(longer, FileEncoding::Utf8);
    const struct {
        size_t offset, line, column;
    } more[] = {{5, 3, 2},   {20, 4, 15}, {37, 4, 32}, {37, 4, 32},
                {45, 4, 34}, {46, 4, 35}, {47, 5, 1}};
    for (const auto& c : more) {
        const TextPosition at = utf8.at(c.offset);
        EXPECT_EQ(at.line, c.line) << c.offset;
        EXPECT_EQ(at.column, c.column) << c.offset;
    }
}

TEST(TextEncoding, OutputIsConvertedToTheLocalesCodeset) {
    const struct {
        FileEncoding from;
        const char* codeset;
        std::string text, expected;
    } cases[] = {
        {FileEncoding::ShiftJis, "UTF-8", SjisTest + "case", Utf8Test + "case"},
        {FileEncoding::EucJp, "SHIFT_JIS", EucTest, SjisTest},
        {FileEncoding::Utf8, "ISO-8859-1", "caf\xC3\xA9 " + Utf8Test, "caf\xE9 ???"},
        {FileEncoding::Utf8, "ANSI_X3.4-1968", "caf\xC3\xA9", "caf\xC3\xA9"},
        {FileEncoding::Utf8, "UTF-8", "bad\xFF", "bad\xFF"},
        {FileEncoding::Latin1, "NO-SUCH-CODESET", "caf\xE9", "caf?"},
    };
    for (const auto& c : cases) {
        OutputConverter converter(c.from, c.codeset);
        EXPECT_EQ(converter.convert(c.text), c.expected) << c.codeset;
    }
}

TEST(TextEncoding, Utf16IsDecodedToUtf8AlsoFedByteByByte) {
    using namespace std::string_literals;
    const struct {
        std::string bytes;
        std::string expected;
    } cases[] = {
        {"\xFF\xFEh\0i\0"s, "hi"},
        {"\xFE\xFF\0h\0i"s, "hi"},
        {"\xFF\xFE\xE9\0\x3D\xD8\x00\xDE"s, "\xC3\xA9\xF0\x9F\x98\x80"},  // é, then a pair
        {"\xFF\xFE\x3D\xD8x\0"s, "\xEF\xBF\xBDx"},                        // unpaired high
        {"\xFF\xFE\x00\xDCx"s, "\xEF\xBF\xBD\xEF\xBF\xBD"},               // lone low, odd end
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        const Utf16Order order = utf16_order(c.bytes);
        ASSERT_NE(order, Utf16Order::None);
        std::string whole, piecewise;
        Utf16Decoder all(order), bytewise(order);
        all.feed(c.bytes, whole);
        all.finish(whole);
        for (char b : c.bytes) bytewise.feed(std::string_view(&b, 1), piecewise);
        bytewise.finish(piecewise);
        EXPECT_EQ(whole, c.expected);
        EXPECT_EQ(piecewise, c.expected);
    }
    EXPECT_EQ(utf16_order("h\0i\0"s), Utf16Order::None);
}
