// Comment mode: only the comments and string literals of source code are
// prose; in them, documentation tags, escapes, printf formats and
// interpolations are blanked too.
#pragma once

#include <cstddef>
#include <string>

namespace lumo::tool {
enum class SourceLanguage;
}

namespace lumo::tool::modes {

class CommentWalker {
public:
    explicit CommentWalker(SourceLanguage language);
    void line(char* p, size_t n);
    // PHP code up to its "?>" (blanked) or the line's end: how much it took.
    size_t php_line(char* p, size_t n);
    bool left_php() const { return php_left_; }

private:
    // Each step starts at p[i] and returns where the line goes on.
    size_t source_code(char* p, size_t n, size_t i);
    size_t source_string(char* p, size_t n, size_t i);
    size_t char_literal(char* p, size_t n, size_t i);
    // Rust's r"..." and r#"..."#; i when p[i] starts none.
    size_t raw_string_start(char* p, size_t n, size_t i);
    size_t heredoc_start(char* p, size_t n, size_t i);
    // The quote at p[i] closes the string; i when it does not.
    size_t closing_quote(char* p, size_t n, size_t i);
    size_t interpolation(char* p, size_t n, size_t i);
    // Lua's --[[ ]] and [[ ]], CMake's #[[ ]] (with any run of '=' between
    // the brackets): where the bracket at p[i] opens one, i when it opens none.
    size_t long_bracket_start(char* p, size_t n, size_t i, size_t skip);
    // Blanks a docstring line that is indented code and says so.
    bool docstring_code(char* p, size_t n);

    SourceLanguage language_;  // the one it is read as
    bool csharp_;
    int block_comment_ = 0;  // depth (Rust nests them)
    char string_quote_ = 0;  // '"', '\'', '`', or 0 in code
    bool triple_quote_ = false;
    int raw_hashes_ = -1;  // Rust raw string: the '#'s that close it
    std::string heredoc_end_;
    std::string long_close_;     // "]]", "]==]"... of an open long bracket
    bool ruby_block_ = false;    // between =begin and =end
    bool fenced_ = false;        // in a fenced code block of comments
    bool line_comment_ = false;  // this line holds a line comment
    size_t first_ = 0;           // where the line's first non-blank is
    bool php_left_ = false;      // a "?>" ended PHP at php_end_
    size_t php_end_ = 0;
    // A docstring's text: the indent of its last line of prose, whether a
    // blank line followed it, whether it ended in "::", whether in code.
    size_t prose_indent_ = 0;
    bool after_blank_ = false, literal_ = false, in_code_ = false;
};

}  // namespace lumo::tool::modes
