// What of a document is prose: markup, TeX commands, man-page requests,
// mail headers and source code are blanked before checking, byte for byte,
// so that every reported position is that of the original text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "documents/modes/comment_walker.h"
#include "documents/modes/email_walker.h"
#include "documents/modes/html_walker.h"
#include "documents/modes/markdown_walker.h"
#include "documents/modes/nroff_walker.h"
#include "documents/modes/rst_walker.h"
#include "documents/modes/tex_walker.h"
#include "documents/modes/value_walker.h"

namespace lumo::tool {

enum class TextMode { Text, Markdown, Html, Tex, Email, Nroff, Comment, Data, Rst };

// The languages of comment mode; each keeps its comments and string literals.
// Data mode reads the values of YAML, TOML or JSON (the three last). C# is
// read as the C family but for its interpolated strings, Makefiles and
// Dockerfiles as the shell; each has its own words.
enum class SourceLanguage {
    CFamily,
    CSharp,
    Makefile,
    Dockerfile,
    JavaScript,
    Go,
    Rust,
    Python,
    Shell,
    Ruby,
    Php,
    Lua,
    Sql,
    CMake,
    Yaml,
    Toml,
    Json
};

struct ModeChoice {
    TextMode mode = TextMode::Text;
    SourceLanguage language = SourceLanguage::CFamily;
};

// "text", "markdown" ("md"), "html" ("xml", "sgml"), "tex" ("latex"),
// "email" ("mail"), "nroff" ("man", "troff"), "comment" (C family), and
// comment mode for one language: "c", "cpp", "javascript" ("js"), "go",
// "rust", "python", "shell" ("sh"), "java", "csharp" ("cs"), "typescript"
// ("ts"), "ruby", "php", "lua", "sql", "makefile" ("make"), "dockerfile",
// "cmake"; the values of "yaml", "toml", "json"; "rst"
// (reStructuredText).  False for an unknown name.
bool parse_mode_name(std::string_view name, ModeChoice& choice);

const char* mode_name(TextMode mode);

// The mode a file's name implies (its extension, in any case, or names
// such as Makefile); text for anything else.
ModeChoice mode_for_file_name(std::string_view path);

// Outside plain text, a word that holds or follows a digit is code or a
// reference (x86, 2nd, utf-8), not a misspelling.
inline bool mode_accepts_words_with_digits(TextMode mode) { return mode != TextMode::Text; }

// Blanks what is not prose in one document given as successive pieces of
// whole lines; what is open at the end of a piece (a code block, a
// comment, a tag, a string) carries over to the next.  Linear in the
// length of the text, however long its lines; a construct left open runs
// to the end of the document, except the short ones (a tag, inline math,
// a command's argument), which an empty line ends.
class ProseFilter {
public:
    explicit ProseFilter(ModeChoice choice)
        : choice_(choice), comment_(choice.language), values_(choice.language) {}

    // text: one or more whole lines (the last may lack its line end when
    // the document ends there).  Line ends are kept; every other byte that
    // is not prose becomes a blank.
    void mask(std::string& text);
    void mask(char* data, size_t size);

    ModeChoice choice() const { return choice_; }

private:
    void mask_line(char* line, size_t size);
    // PHP between "<?php" and "?>", HTML around it.
    void php_line(char* line, size_t size);

    ModeChoice choice_;
    bool in_php_ = false;
    // One walker per family; only the one of the mode is used.
    modes::MarkdownWalker markdown_;
    modes::HtmlWalker html_{false};
    modes::TexWalker tex_;
    modes::EmailWalker email_;
    modes::NroffWalker nroff_;
    modes::CommentWalker comment_;
    modes::ValueWalker values_;
    modes::RstWalker rst_;
};

}  // namespace lumo::tool
