#include "documents/text_modes.h"

#include <gtest/gtest.h>

using namespace lumo::tool;

TEST(TextModes, NamesAndFileNamesChooseTheMode) {
    const struct {
        const char* name;
        bool is_file;
        TextMode mode;
        SourceLanguage language;
    } cases[] = {
        {"LaTeX", false, TextMode::Tex, SourceLanguage::CFamily},
        {"xml", false, TextMode::Html, SourceLanguage::CFamily},
        {"python", false, TextMode::Comment, SourceLanguage::Python},
        {"README.md", true, TextMode::Markdown, SourceLanguage::CFamily},
        {"/usr/share/man/man1/ls.1", true, TextMode::Nroff, SourceLanguage::CFamily},
        {"Foo::Bar.3pm", true, TextMode::Nroff, SourceLanguage::CFamily},
        {"INDEX.HTML", true, TextMode::Html, SourceLanguage::CFamily},
        {"src/main.c", true, TextMode::Comment, SourceLanguage::CFamily},
        {"config.h.in", true, TextMode::Comment, SourceLanguage::CFamily},
        {"lib.rs", true, TextMode::Comment, SourceLanguage::Rust},
        {"app.ts", true, TextMode::Comment, SourceLanguage::JavaScript},
        {"Makefile", true, TextMode::Comment, SourceLanguage::Makefile},
        {"notes.txt", true, TextMode::Text, SourceLanguage::CFamily},
        {".profile.d", true, TextMode::Text, SourceLanguage::CFamily},
    };
    for (const auto& c : cases) {
        ModeChoice choice;
        if (c.is_file) {
            choice = mode_for_file_name(c.name);
        } else {
            ASSERT_TRUE(parse_mode_name(c.name, choice)) << c.name;
        }
        EXPECT_EQ(choice.mode, c.mode) << c.name;
        EXPECT_EQ(choice.language, c.language) << c.name;
    }
    ModeChoice choice;
    EXPECT_FALSE(parse_mode_name("texinfo", choice));
    EXPECT_TRUE(mode_accepts_words_with_digits(TextMode::Html));
    EXPECT_FALSE(mode_accepts_words_with_digits(TextMode::Text));
}

// Lines of a few megabytes made of what opens a construct and never
// closes it: each mode still keeps every byte's place and ends (a
// quadratic scan would not, within the test's time).
TEST(TextModes, OpenConstructsOnLongLinesStayLinear) {
    const char* openers[] = {
        "<a ",  "`",    "``x",  "[](",        "<!-", "\\cite[", "\\begin{",   "\\verb|",
        "$",    "\\f[", "\\h'", "\"",         "'",   "/*",      "${",         "{",
        "%(",   "&#",   "--[[", "[==[",       "#[[", "#{",      "\"\"\"",     "@\"",
        "k: |", ".. ",  ":r:`", "a = \'\'\'", ">>>", "<?",      "#include \""};
    const char* modes[] = {"markdown",   "html",   "tex",    "email",      "nroff",
                           "c",          "python", "shell",  "rust",       "go",
                           "javascript", "java",   "csharp", "typescript", "ruby",
                           "php",        "lua",    "sql",    "makefile",   "dockerfile",
                           "cmake",      "yaml",   "toml",   "json",       "rst"};
    for (const char* opener : openers) {
        std::string line;
        while (line.size() < (1u << 19)) line.append(opener).append("x ");
        line.push_back('\n');
        for (const char* name : modes) {
            ModeChoice choice;
            ASSERT_TRUE(parse_mode_name(name, choice));
            std::string text = line;
            ProseFilter(choice).mask(text);
            ASSERT_EQ(text.size(), line.size()) << name << ' ' << opener;
            EXPECT_EQ(text.back(), '\n') << name << ' ' << opener;
        }
    }
}

TEST(TextModes, StateCarriesFromOnePieceToTheNext) {
    const struct {
        const char* mode;
        const char* first;
        const char* second;
        const char* expected;
    } cases[] = {
        {"markdown", "```\n", "code\n", "    \n"},
        {"html", "<a\n", "href=x>text\n", "       text\n"},
        {"tex", "\\begin{verbatim}\n", "code \\end{verbatim} text\n", "                    text\n"},
        {"python", "\"\"\"doc\n", "string\"\"\" + x\n", "string       \n"},
        {"c", "/* open\n", "comment */ code\n", "comment        \n"},
    };
    for (const auto& c : cases) {
        ModeChoice choice;
        ASSERT_TRUE(parse_mode_name(c.mode, choice));
        ProseFilter filter(choice);
        std::string first = c.first, second = c.second;
        filter.mask(first);
        filter.mask(second);
        EXPECT_EQ(second, c.expected) << c.mode;
    }
}
