#include "speller/identifier_parts.h"

#include <gtest/gtest.h>

#include <string>

using namespace lumo::tool;

namespace {

std::string cut(const std::string& word) {
    std::string out;
    for (const IdentifierPart& p : identifier_parts(word))
        out += (out.empty() ? "" : "|") + word.substr(p.at, p.length);
    return out;
}

}  // namespace

TEST(IdentifierParts, CutAtHumpsCapitalRunsUnderscoresAndDigits) {
    const struct {
        const char* word;
        const char* parts;
    } cases[] = {
        {"inflateGetDictionary", "inflate|Get|Dictionary"},
        {"HTTPServer", "HTTP|Server"},
        {"POSIX_MAPPED_FILES", "POSIX|MAPPED|FILES"},
        {"utf8_decode", "utf|decode"},
        {"__init__", "init"},
        {"GetCapturedStdout", "Get|Captured|Stdout"},
        {"parseURL", "parse|URL"},
        {"x86", "x"},
        {"lazy-dog", "lazy|dog"},
        {"word", ""},
        {"Word", ""},
        {"WORDS", ""},
        {"don't", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(cut(c.word), c.parts) << c.word;
}

TEST(IdentifierParts, AbbreviationsAndTheShapeOfSuggestions) {
    EXPECT_TRUE(part_is_abbreviation("id"));
    EXPECT_TRUE(part_is_abbreviation("HTTP"));
    EXPECT_FALSE(part_is_abbreviation("POSIX"));
    EXPECT_FALSE(part_is_abbreviation("Http"));
    EXPECT_FALSE(part_is_abbreviation("fox"));
    EXPECT_TRUE(is_hex_run("deadBEEF"));
    EXPECT_TRUE(is_hex_run("deadbeef-cafe-babe-face-feedfacedead"));
    EXPECT_FALSE(is_hex_run("defaced"));
    EXPECT_FALSE(is_hex_run("deadbeefs"));
    EXPECT_FALSE(is_hex_run("decade-facade"));
    EXPECT_FALSE(is_hex_run("deadbeef-"));
    EXPECT_TRUE(is_base64_run("dGhlQnVmZmVyIGlzIHZhbGlk"));
    EXPECT_FALSE(is_base64_run("inflateGetDictionary"));
    EXPECT_FALSE(is_base64_run("HTTPServerRequestHandler"));
    EXPECT_FALSE(is_base64_run("getBufferSizeOfTheX"));
    EXPECT_EQ(shaped_like("Recieve", "getRecieveBuffer", "receive"), "Receive");
    EXPECT_EQ(shaped_like("recieve", "recieve_buffer", "receive"), "receive");
    EXPECT_EQ(shaped_like("RECIEVE", "RECIEVE_BUFFER", "receive"), "RECEIVE");
    EXPECT_EQ(shaped_like("bufer", "bufer_size", "buff er"), "buff_er");
    EXPECT_EQ(shaped_like("Bufer", "getBufer", "buff er"), "BuffEr");
}
