#include "lsp/lsp_documents.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace lumo::tool {
namespace {

constexpr PositionEncoding U16 = PositionEncoding::Utf16;
constexpr PositionEncoding U8 = PositionEncoding::Utf8;

// "é" is two bytes and one unit, "😀" four bytes and two UTF-16 units.
const std::string Sample = "ab\r\nxé😀y\nlast";

TEST(LspDocument, OffsetsOfPositions) {
    const LspDocument doc(Sample);
    struct Case {
        size_t line, character;
        PositionEncoding encoding;
        size_t offset;
    } cases[] = {
        {0, 0, U16, 0},  {0, 2, U16, 2},   {0, 99, U16, 2},   // past the line end: its end
        {1, 1, U16, 5},  {1, 2, U16, 7},   {1, 3, U16, 7},    // inside the pair: its start
        {1, 4, U16, 11}, {1, 5, U16, 12},  {2, 4, U16, 17},
        {9, 0, U16, 17},                                      // past the last line: the end
        {1, 2, U8, 5},   {1, 3, U8, 7},    {1, 5, U8, 7},     // inside a sequence: its start
        {1, 7, U8, 11},  {1, 40, U8, 12},
        {1, SIZE_MAX, U8, 12}, {1, SIZE_MAX - 3, U8, 12}, {1, SIZE_MAX, U16, 12},  // no wrap
    };
    for (const Case& c : cases)
        EXPECT_EQ(doc.offset_of({c.line, c.character}, c.encoding), c.offset)
            << c.line << ":" << c.character;
}

TEST(LspDocument, PositionsOfOffsets) {
    const LspDocument doc(Sample);
    struct Case {
        size_t offset;
        PositionEncoding encoding;
        size_t line, character;
    } cases[] = {
        {0, U16, 0, 0}, {3, U16, 0, 2}, {4, U16, 1, 0},   {11, U16, 1, 4},
        {12, U16, 1, 5}, {99, U16, 2, 4}, {11, U8, 1, 7}, {13, U8, 2, 0},
    };
    for (const Case& c : cases) {
        const LspPosition p = doc.position_of(c.offset, c.encoding);
        EXPECT_EQ(p.line, c.line) << c.offset;
        EXPECT_EQ(p.character, c.character) << c.offset;
    }
}

TEST(LspDocument, CursorAgreesWithPositionOf) {
    const LspDocument doc(Sample);
    // In order, at every character boundary, then backwards and past the end.
    const size_t offsets[] = {0, 1, 2, 3, 4, 5, 7, 11, 12, 13, 17, 5, 2, 99};
    for (const PositionEncoding encoding : {U16, U8}) {
        LineCursor cursor(doc, encoding);
        for (const size_t offset : offsets) {
            const LspPosition want = doc.position_of(offset, encoding);
            const LspPosition got = cursor.advance(offset);
            EXPECT_EQ(got.line, want.line) << offset;
            EXPECT_EQ(got.character, want.character) << offset;
        }
    }
}

TEST(LspDocument, EditsAndLineEnds) {
    struct Case {
        std::string text;
        LspPosition from, to;
        std::string replacement;
        std::string expected;
        size_t lines;
    } cases[] = {
        {"one\ntwo", {0, 1}, {0, 3}, "ld", "old\ntwo", 2},
        {"one\ntwo", {1, 0}, {0, 3}, "", "onetwo", 1},            // reversed range
        {"one", {5, 0}, {7, 2}, "\nend", "one\nend", 2},        // out of range: appended
        {"a\rb\r\nc\n", {0, 0}, {0, 0}, "", "a\rb\r\nc\n", 4},  // lone CR, CRLF, LF
        {"x😀z", {0, 1}, {0, 3}, "y", "xyz", 1},
    };
    for (const Case& c : cases) {
        LspDocument doc(c.text);
        doc.edit(c.from, c.to, c.replacement, U16);
        EXPECT_EQ(doc.text(), c.expected);
        EXPECT_EQ(doc.line_count(), c.lines) << c.expected;
    }
}

TEST(LspDocument, ModesFromLanguages) {
    struct Case {
        const char* language;
        const char* uri;
        TextMode mode;
    } cases[] = {
        {"markdown", "file:///a", TextMode::Markdown}, {"latex", "", TextMode::Tex},
        {"html", "", TextMode::Html},                  {"plaintext", "x.txt", TextMode::Text},
        // A generic language (Emacs without markdown-mode) goes by the file name.
        {"plaintext", "file:///n/x.md", TextMode::Markdown}, {"text", "file:///x.html", TextMode::Html},
        {"python", "", TextMode::Comment},             {"typescript", "", TextMode::Comment},
        {"", "file:///n/readme.md", TextMode::Markdown}, {"unheard-of", "file:///x.tex", TextMode::Tex},
    };
    for (const Case& c : cases) EXPECT_EQ(mode_for_language(c.language, c.uri).mode, c.mode) << c.language;
    EXPECT_EQ(mode_for_language("typescript", "").language, SourceLanguage::JavaScript);
    EXPECT_EQ(mode_for_language("shellscript", "").language, SourceLanguage::Shell);
}

TEST(LspDocument, CountsUnits) {
    EXPECT_EQ(count_units("aé😀", U16), 4u);
    EXPECT_EQ(count_units("aé😀", U8), 7u);
    EXPECT_EQ(count_units("\xF0\x9F", U16), 1u);  // a cut sequence is one character
}

}  // namespace
}  // namespace lumo::tool
