// The rules of a project run apart from the program: which files look
// binary, which words a file's directives silence.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
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
        {std::string("\xff\xfeh\0i\0", 6), false},
        {std::string("\xfe\xff\0h\0i", 6), false},
        {std::string(70000, 'a') + '\0', false},
    };
    for (const auto& c : cases) EXPECT_EQ(looks_binary(c.bytes), c.binary) << c.bytes;
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

// A file is read in 64 KB blocks, each line only to its 4096th byte: a
// directive there or in a line cut between two blocks counts, one past
// that byte does not.
TEST(ProjectRules, DirectivesOfAFileReadInBlocks) {
    std::string text;
    while (text.size() < 65536 - 10) text += "some line\n";
    text += "lumospell: ignore zza\n";                            // cut between blocks
    text += std::string(4090, 'x') + " lumospell: ignore zzb\n";  // past 4096 bytes
    text += std::string(5000, 'y') + "\nlumospell: disable-next-line\nzzc\n";
    char path[] = "/tmp/lumospell-directives-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    Directives d;
    d.scan(fd);
    close(fd);
    unlink(path);
    const size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    Finding f;
    TextPosition at;
    f.word = "zza";
    EXPECT_TRUE(d.silences(f, at));
    f.word = "zzb";
    EXPECT_FALSE(d.silences(f, at));
    f.word = "zzc";
    at.line = lines;
    EXPECT_TRUE(d.silences(f, at));
    at.line = lines - 2;
    EXPECT_FALSE(d.silences(f, at));
}
