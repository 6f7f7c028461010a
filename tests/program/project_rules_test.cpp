// The rules of a project run apart from the program: which files look
// binary, which words a file's directives silence.
#include <gtest/gtest.h>

#include <string>

#include "speller/project_config.h"
#include "program/project_files.h"

using lumo::tool::Directives;
using lumo::tool::Finding;
using lumo::tool::looks_binary;
using lumo::tool::TextPosition;

TEST(ProjectRules, BinaryFilesByNulOrSignature) {
    const struct {
        std::string bytes;
        bool binary;
    } cases[] = {
        {"plain text\n", false},
        {std::string("a\0b", 3), true},
        {"\x89PNG\r\n\x1a\n", true},
        {"\xff\xd8\xff\xe0", true},
        {"PK\x03\x04rest", true},
        {"\x1f\x8b\x08", true},
        {"%PDF-1.7", true},
        {"\x7f"
         "ELF",
         true},
        {"PKZIP is a word", false},
        {"caf\xc3\xa9 au lait", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(looks_binary(c.bytes.data(), c.bytes.size()), c.binary) << c.bytes;
}

TEST(ProjectRules, DirectivesSilenceTheirLinesAndWords) {
    Directives d;
    d.scan_text(
        "one zzq\n"                                // 1
        "# lumospell: ignore zzi zzj -->\n"        // 2
        "<!-- lumospell: disable-next-line -->\n"  // 3
        "zzn\n"                                    // 4
        "zzo\n"                                    // 5
        "/* lumospell: disable */\n"               // 6
        "zzd\n"                                    // 7
        "lumospell: enable\n"                      // 8
        "zze\n"                                    // 9
        "lumospell: disable\n"                     // 10
        "zzz\n");                                  // 11: off to the end
    const struct {
        const char* word;
        size_t line, column;
        bool silenced;
    } cases[] = {
        {"zzq", 1, 5, false},      {"zzi", 1, 1, true},     {"zzj", 9, 1, true},
        {"lumospell", 2, 3, true}, {"ignore", 2, 14, true}, {"zzn", 4, 1, true},
        {"zzo", 5, 1, false},      {"zzd", 7, 1, true},     {"enable", 8, 12, true},
        {"zze", 9, 1, false},      {"zzz", 11, 1, true},    {"zzz", 3, 1, false},
    };
    for (const auto& c : cases) {
        Finding f;
        f.word = c.word;
        TextPosition at;
        at.line = c.line;
        at.column = c.column;
        EXPECT_EQ(d.silences(f, at), c.silenced) << c.word << " at " << c.line;
    }
}
