// What of a document is prose: markup, TeX commands, man-page requests,
// mail headers and source code are blanked before checking, byte for byte,
// so that every reported position is that of the original text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lumo::tool {

enum class TextMode { Text, Markdown, Html, Tex, Email, Nroff, Comment };

// The languages of comment mode; each keeps its comments and string literals.
enum class SourceLanguage { CFamily, JavaScript, Go, Rust, Python, Shell };

struct ModeChoice {
    TextMode mode = TextMode::Text;
    SourceLanguage language = SourceLanguage::CFamily;
};

// "text", "markdown" ("md"), "html" ("xml", "sgml"), "tex" ("latex"),
// "email" ("mail"), "nroff" ("man", "troff"), "comment" (C family), and
// comment mode for one language: "c", "cpp", "javascript" ("js"), "go",
// "rust", "python", "shell" ("sh").  False for an unknown name.
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
    explicit ProseFilter(ModeChoice choice) : choice_(choice) {}

    // text: one or more whole lines (the last may lack its line end when
    // the document ends there).  Line ends are kept; every other byte that
    // is not prose becomes a blank.
    void mask(std::string& text);
    void mask(char* data, size_t size);

    ModeChoice choice() const { return choice_; }

private:
    void mask_line(char* line, size_t size);
    void markdown_line(char* p, size_t n);
    void html_span(char* p, size_t n, size_t from);
    void tex_line(char* p, size_t n);
    void email_line(char* p, size_t n);
    void nroff_line(char* p, size_t n);
    void comment_line(char* p, size_t n);
    size_t source_code(char* p, size_t n, size_t i);
    size_t source_string(char* p, size_t n, size_t i);

    ModeChoice choice_;
    size_t line_number_ = 0;

    // Markdown
    char fence_char_ = 0;
    size_t fence_length_ = 0;
    bool previous_blank_ = true;
    bool indented_code_ = false;
    bool in_list_ = false;

    // HTML (and the tags and comments of Markdown)
    bool html_comment_ = false;
    bool in_tag_ = false;
    char tag_quote_ = 0;
    std::string raw_element_;      // "script" or "style" when its text runs
    std::string opening_element_;  // the element of the tag under way

    // TeX
    char math_ = 0;                // '$' inline, 'D' $$display$$, '(' \( \), '[' \[ \]
    std::string environment_end_;  // "\end{verbatim}" while skipping one
    int arguments_to_skip_ = 0;
    int argument_depth_ = 0;

    // E-mail
    bool in_header_ = false;
    bool header_skipped_ = false;

    // nroff
    bool in_definition_ = false;  // .de or .ig until ".."
    bool in_example_ = false;     // .EX until .EE, .Bd until .Ed

    // Comment mode
    int block_comment_ = 0;  // depth (Rust nests them)
    char string_quote_ = 0;  // '"', '\'', '`', or 0 in code
    bool triple_quote_ = false;
    int raw_hashes_ = -1;  // Rust raw string: the '#'s that close it
    std::string heredoc_end_;
};

}  // namespace lumo::tool
