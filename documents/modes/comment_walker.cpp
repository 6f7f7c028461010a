#include "documents/modes/comment_walker.h"

#include <string>
#include <string_view>

#include "documents/modes/scan.h"
#include "documents/text_modes.h"

namespace lumo::tool::modes {

namespace {

// The end of the file name after "include" at p[i], or 0 when none follows.
size_t include_end(const char* p, size_t n, size_t i) {
    if (starts_with(p, n, i, "_next")) i += 5;
    while (i < n && is_blank(p[i])) ++i;
    if (i >= n || (p[i] != '<' && p[i] != '"')) return 0;
    const size_t close = find_near(p, n, i + 1, p[i] == '<' ? '>' : '"', 256);
    return close < n ? close + 1 : 0;
}

// Doxygen and Javadoc tags ("@param", "\brief") and `code` in a comment;
// after the tags that name something, the name too.
// fenced: inside a fenced code block (```) of comments or docstrings.
void comment_text(char* p, size_t from, size_t to, bool& fenced) {
    size_t first = from;
    while (first < to && p[first] != '\0' &&
           (is_blank(p[first]) || std::strchr("*/!#", p[first]) != nullptr))
        ++first;
    if (starts_with(p, to, first, "```") || starts_with(p, to, first, "~~~")) {
        fenced = !fenced;
        blank(p, from, to);
        return;
    }
    if (fenced || starts_with(p, to, first, ">>>") || starts_with(p, to, first, "... ")) {
        blank(p, from, to);  // a doctest line is code
        return;
    }
    blank_code_spans(p + from, to - from);
    for (size_t i = from; i < to; ++i) {
        // "#include <sys/types.h>" names a file; the prefix skip may have passed its '#'.
        if ((p[i] == '#' || (i == first && i > from && p[i - 1] == '#')) &&
            starts_with(p, to, i + (p[i] == '#'), "include")) {
            const size_t end = include_end(p, to, i + (p[i] == '#') + 7);
            if (end != 0) {
                blank(p, i, end);
                i = end;
                continue;
            }
        }
        // Sphinx fields name something: ":param name:", ":raises ValueError:".
        if (p[i] == ':' && (i == from || is_blank(p[i - 1])) && i + 1 < to && is_alpha(p[i + 1])) {
            const size_t close = find_near(p, to, i + 1, ':', 64);
            if (close < to) {
                blank(p, i, close + 1);
                i = close;
            }
            continue;
        }
        if ((p[i] != '@' && p[i] != '\\') || i + 1 >= to || !is_alpha(p[i + 1])) continue;
        if (i > from && !is_blank(p[i - 1]) && p[i - 1] != '{') continue;
        size_t end = i + 1;
        while (end < to && is_ident(p[end])) ++end;
        const std::string_view tag(p + i + 1, end - i - 1);
        if (one_of(tag, {"param", "tparam", "throws", "throw", "exception", "retval", "see", "ref",
                         "link", "def", "file", "class", "struct", "fn", "var"})) {
            while (end < to && is_blank(p[end])) ++end;
            while (end < to && !is_blank(p[end])) ++end;
        }
        blank(p, i, end);
        i = end;
    }
}

// The end of the escape sequence at p[i] == '\\' in a string literal.
size_t escape_end(const char* p, size_t n, size_t i) {
    if (i + 1 >= n) return n;
    size_t k = i + 2;
    const char c = p[i + 1];
    if (c == 'x') {
        while (k < n && k - i < 10 && is_hex(p[k])) ++k;
    } else if ((c == 'u' || c == 'N') && k < n && p[k] == '{') {
        const size_t close = find_near(p, n, k, '}', 64);
        if (close < n) k = close + 1;
    } else if (c == 'u' || c == 'U') {
        const size_t digits = c == 'u' ? 4 : 8;
        while (k < n && k - i - 2 < digits && is_hex(p[k])) ++k;
    } else if (c >= '0' && c <= '7') {
        while (k < n && k - i < 4 && p[k] >= '0' && p[k] <= '7') ++k;
    }
    return k;
}

// The end of the printf conversion at p[i] == '%', or i if there is none.
size_t printf_end(const char* p, size_t n, size_t i) {
    size_t k = i + 1;
    if (k < n && p[k] == '%') return k + 1;
    if (k < n && p[k] == '(') {  // Python's "%(name)s"
        const size_t close = find_near(p, n, k, ')', 64);
        if (close == n) return i;
        k = close + 1;
    }
    while (k < n && std::strchr("-+#0'", p[k]) != nullptr && p[k] != '\0') ++k;
    while (k < n && (is_digit(p[k]) || p[k] == '*' || p[k] == '.')) ++k;
    for (int m = 0; m < 2 && k < n && std::strchr("hlLqjzt", p[k]) != nullptr && p[k] != '\0'; ++m)
        ++k;
    if (k < n && p[k] != '\0' && std::strchr("diouxXeEfFgGaAcspnvqTwb", p[k]) != nullptr)
        return k + 1;
    return i;
}

}  // namespace

size_t CommentWalker::php_line(char* p, size_t n) {
    php_left_ = false;
    line(p, n);
    return php_left_ ? php_end_ : n;
}

CommentWalker::CommentWalker(SourceLanguage language)
    : language_(language), csharp_(language == SourceLanguage::CSharp) {
    if (language == SourceLanguage::CSharp) language_ = SourceLanguage::CFamily;
    if (language == SourceLanguage::Makefile || language == SourceLanguage::Dockerfile)
        language_ = SourceLanguage::Shell;
}

void CommentWalker::line(char* p, size_t n) {
    if (language_ == SourceLanguage::Ruby && (ruby_block_ || starts_with(p, n, 0, "=begin"))) {
        // Documentation between lines "=begin" and "=end".
        const bool marker = starts_with(p, n, 0, ruby_block_ ? "=end" : "=begin");
        if (marker) {
            ruby_block_ = !ruby_block_;
            blank(p, 0, n);
        } else {
            comment_text(p, 0, n, fenced_);
        }
        return;
    }
    if (!heredoc_end_.empty()) {
        // A here-document's body is text, up to the line of its delimiter.
        size_t first = 0;
        while (first < n && p[first] == '\t') ++first;
        size_t last = n;
        while (last > first && p[last - 1] == '\r') --last;
        if (std::string_view(p + first, last - first) == heredoc_end_) {
            heredoc_end_.clear();
            blank(p, 0, n);
        }
        return;
    }
    size_t i = 0;
    first_ = 0;
    while (first_ < n && is_blank(p[first_])) ++first_;
    const bool in_comment = block_comment_ > 0 || triple_quote_ || !long_close_.empty();
    line_comment_ = false;
    if (triple_quote_) {
        // A docstring's doctest lines, fields and indented code, up to its end.
        const size_t close = find(p, n, 0, std::string(3, string_quote_));
        if (!docstring_code(p, close)) comment_text(p, 0, close, fenced_);
    }
    while (i < n) {
        if (!long_close_.empty()) {
            const size_t close = find(p, n, i, long_close_);
            comment_text(p, i, close, fenced_);
            if (close == n) break;
            blank(p, close, close + long_close_.size());
            i = close + long_close_.size();
            long_close_.clear();
        } else if (block_comment_ > 0) {
            const bool nests = language_ == SourceLanguage::Rust;
            size_t k = i;
            while (k < n) {
                if (k + 1 < n && p[k] == '*' && p[k + 1] == '/') {
                    blank(p, k, k + 2);
                    k += 2;
                    if (--block_comment_ == 0) break;
                } else if (nests && k + 1 < n && p[k] == '/' && p[k + 1] == '*') {
                    blank(p, k, k + 2);
                    k += 2;
                    ++block_comment_;
                } else {
                    ++k;
                }
            }
            comment_text(p, i, k, fenced_);
            i = k;
        } else if (string_quote_ != 0) {
            i = source_string(p, n, i);
        } else {
            i = source_code(p, n, i);
            if (php_left_) {
                php_end_ = i;
                break;
            }
        }
    }
    // Only some strings run on over a line end.
    const SourceLanguage language = language_;
    const bool multi_line = triple_quote_ || raw_hashes_ >= 0 || string_quote_ == '`' ||
                            language == SourceLanguage::Shell || language == SourceLanguage::Ruby ||
                            language == SourceLanguage::Php || language == SourceLanguage::Sql ||
                            language == SourceLanguage::CMake ||
                            (language == SourceLanguage::Rust && string_quote_ == '"');
    if (!multi_line) string_quote_ = 0;
    // A fence left open ends with its comment.
    if (!in_comment && !line_comment_ && block_comment_ == 0 && !triple_quote_ &&
        long_close_.empty())
        fenced_ = false;
}

bool CommentWalker::docstring_code(char* p, size_t n) {
    size_t indent = 0;
    while (indent < n && is_blank(p[indent])) ++indent;
    if (indent == n) {
        after_blank_ = true;
        return false;
    }
    // A block indented four more than the text before it, after a blank
    // line, is code ("Example:" and its lines); so is one after "::".
    const bool code = indent > prose_indent_ &&
                      (in_code_ || (after_blank_ && (indent >= prose_indent_ + 4 || literal_)));
    after_blank_ = false;
    in_code_ = code;
    if (code) {
        blank(p, 0, n);
        return true;
    }
    prose_indent_ = indent;
    size_t last = n;
    while (last > indent && is_blank(p[last - 1])) --last;
    literal_ = last >= indent + 2 && p[last - 1] == ':' && p[last - 2] == ':';
    return false;
}

size_t CommentWalker::source_code(char* p, size_t n, size_t i) {
    const SourceLanguage language = language_;
    const bool python = language == SourceLanguage::Python;
    const bool shell = language == SourceLanguage::Shell;
    const bool lua = language == SourceLanguage::Lua;
    const bool sql = language == SourceLanguage::Sql;
    const bool cmake = language == SourceLanguage::CMake;
    const bool php = language == SourceLanguage::Php;
    // '#' starts a comment anywhere outside a string, or in the shell only
    // where a word may start.
    const bool hash_anywhere =
        python || cmake || language == SourceLanguage::Ruby || language == SourceLanguage::Php;
    const bool hash_comments = hash_anywhere || shell;
    const bool slash_comments = !hash_comments || language == SourceLanguage::Php;
    const bool slash_lines = slash_comments && !lua && !sql;
    const bool block_comments = slash_comments && !lua;
    while (i < n) {
        const char c = p[i];
        const char next = i + 1 < n ? p[i + 1] : '\0';
        if (c == '#' && language == SourceLanguage::CFamily && i == first_) {
            // "#include "file.h"": the name of a file, not a string of text.
            size_t k = i + 1;
            while (k < n && is_blank(p[k])) ++k;
            const size_t end = starts_with(p, n, k, "include")  ? include_end(p, n, k + 7)
                               : starts_with(p, n, k, "import") ? include_end(p, n, k + 6)
                                                                : 0;
            if (end != 0) {
                blank(p, i, end);
                i = end;
                continue;
            }
        }
        if (cmake && c == '#' && next == '[') {
            const size_t end = long_bracket_start(p, n, i, 1);
            if (end != i) return end;
        }
        if (lua && c == '-' && next == '-') {
            const size_t end = long_bracket_start(p, n, i, 2);
            if (end != i) return end;
        }
        if (lua && c == '[') {
            const size_t end = long_bracket_start(p, n, i, 0);
            if (end != i) return end;
        }
        if (php && c == '?' && next == '>') {
            blank(p, i, i + 2);
            php_left_ = true;
            return i + 2;
        }
        const bool hash_line =
            hash_comments && c == '#' &&
            (hash_anywhere || i == 0 || std::strchr(" \t;|&(", p[i - 1]) != nullptr);
        const bool other_line =
            (slash_lines && c == '/' && next == '/') || ((lua || sql) && c == '-' && next == '-');
        if (hash_line || other_line) {
            // In PHP a line comment ends at "?>" too.
            const size_t stop = php ? find(p, n, i, "?>") : n;
            blank(p, i, i + (hash_line ? 1 : 2));
            comment_text(p, i + (hash_line ? 1 : 2), stop, fenced_);
            line_comment_ = true;
            if (stop == n) return n;
            blank(p, stop, stop + 2);
            php_left_ = true;
            return stop + 2;
        }
        if (block_comments && c == '/' && next == '*') {
            blank(p, i, i + 2);
            block_comment_ = 1;
            return i + 2;
        }
        const bool char_literals = language == SourceLanguage::CFamily ||
                                   language == SourceLanguage::Go ||
                                   language == SourceLanguage::Rust;
        if (c == '\'' && char_literals) {
            i = char_literal(p, n, i);
            continue;
        }
        const bool backtick_strings =
            language == SourceLanguage::Go || language == SourceLanguage::JavaScript;
        // SQL's double quotes name columns; only its single quotes hold text.
        if ((c == '"' && !sql) || c == '\'' || (c == '`' && backtick_strings)) {
            string_quote_ = c;
            triple_quote_ =
                python && (starts_with(p, n, i, "\"\"\"") || starts_with(p, n, i, "'''"));
            if (triple_quote_) {
                prose_indent_ = 0;
                while (prose_indent_ < i && is_blank(p[prose_indent_])) ++prose_indent_;
                after_blank_ = literal_ = in_code_ = false;
            }
            const size_t length = triple_quote_ ? 3 : 1;
            blank(p, i, i + length);
            return i + length;
        }
        if (language == SourceLanguage::CFamily && c == '@' && next == '"') {
            // C#'s verbatim string: no escapes, over line ends.
            raw_hashes_ = 0;
            string_quote_ = '"';
            blank(p, i, i + 2);
            return i + 2;
        }
        if (language == SourceLanguage::Rust && c == 'r' && (i == 0 || !is_ident(p[i - 1]))) {
            const size_t end = raw_string_start(p, n, i);
            if (end != i) return end;
        }
        if (shell && c == '<' && starts_with(p, n, i, "<<") && !starts_with(p, n, i, "<<<")) {
            i = heredoc_start(p, n, i);
            continue;
        }
        p[i++] = ' ';
    }
    return n;
}

size_t CommentWalker::long_bracket_start(char* p, size_t n, size_t i, size_t skip) {
    size_t k = i + skip;
    if (k >= n || p[k] != '[') return i;
    size_t level = k + 1;
    while (level < n && p[level] == '=') ++level;
    if (level >= n || p[level] != '[') return i;
    long_close_ = "]" + std::string(level - k - 1, '=') + "]";
    blank(p, i, level + 1);
    return level + 1;
}

size_t CommentWalker::char_literal(char* p, size_t n, size_t i) {
    // 'x' and '\n' are no prose; a quote that closes nothing near (a Rust
    // lifetime, a C++ digit separator) is code.
    const char next = i + 1 < n ? p[i + 1] : '\0';
    const size_t close = find_near(p, n, next == '\\' ? i + 3 : i + 2, '\'', next == '\\' ? 10 : 1);
    const size_t end = close < n ? close + 1 : i + 1;
    blank(p, i, end);
    return end;
}

size_t CommentWalker::raw_string_start(char* p, size_t n, size_t i) {
    size_t k = i + 1;
    while (k < n && p[k] == '#') ++k;
    if (k >= n || p[k] != '"') return i;
    raw_hashes_ = static_cast<int>(k - i - 1);
    string_quote_ = '"';
    blank(p, i, k + 1);
    return k + 1;
}

size_t CommentWalker::heredoc_start(char* p, size_t n, size_t i) {
    size_t k = i + 2;
    if (k < n && p[k] == '-') ++k;
    while (k < n && is_blank(p[k])) ++k;
    if (k < n && (p[k] == '\'' || p[k] == '"')) ++k;
    size_t end = k;
    while (end < n && is_ident(p[end])) ++end;
    if (end > k) heredoc_end_.assign(p + k, end - k);
    blank(p, i, end < n && (p[end] == '\'' || p[end] == '"') ? end + 1 : end);
    return end;
}

size_t CommentWalker::source_string(char* p, size_t n, size_t i) {
    const SourceLanguage language = language_;
    const char quote = string_quote_;
    // The shell's single quotes have no escapes, but printf formats in
    // them do ("%s\n"); a backslash before the closing quote stays.
    const bool shell_single = language == SourceLanguage::Shell && quote == '\'';
    const bool escapes = raw_hashes_ < 0 && !(language == SourceLanguage::Go && quote == '`');
    while (i < n) {
        const char c = p[i];
        const char next = i + 1 < n ? p[i + 1] : '\0';
        if (escapes && c == '\\' && !(shell_single && !is_alnum(next))) {
            const size_t end = escape_end(p, n, i);
            blank(p, i, end);
            i = end;
            continue;
        }
        if (c == quote && language == SourceLanguage::Sql && next == quote) {
            blank(p, i, i + 2);  // '' stands for one quote
            i += 2;
            continue;
        }
        if (c == quote) {
            const size_t end = closing_quote(p, n, i);
            if (end != i) return end;
            ++i;
            continue;
        }
        if (c == '%') {
            const size_t end = printf_end(p, n, i);
            if (end > i) {
                blank(p, i, end);
                i = end;
                continue;
            }
        }
        // Interpolations are code: "${name}" and "$name" in the shell,
        // "{name}" in Python and C# ($"{x}", and String.Format's "{0}"),
        // "${expression}" in JavaScript templates.
        const bool dollar =
            ((language == SourceLanguage::Shell || language == SourceLanguage::Php ||
              language == SourceLanguage::CMake) &&
             quote == '"') ||
            (language == SourceLanguage::JavaScript && quote == '`');
        const bool ruby_hash =
            language == SourceLanguage::Ruby && quote == '"' && c == '#' && next == '{';
        const bool brace = c == '{' && (language == SourceLanguage::Python || csharp_);
        if ((c == '$' && dollar) || brace || ruby_hash) {
            i = interpolation(p, n, i);
            continue;
        }
        ++i;
    }
    return n;
}

size_t CommentWalker::closing_quote(char* p, size_t n, size_t i) {
    const auto close = [this] {
        string_quote_ = 0;
        triple_quote_ = false;
        raw_hashes_ = -1;
    };
    if (triple_quote_) {
        if (!starts_with(p, n, i, std::string(3, string_quote_))) return i;
        blank(p, i, i + 3);
        close();
        return i + 3;
    }
    size_t end = i + 1;
    if (raw_hashes_ > 0) {
        while (end < n && p[end] == '#' && static_cast<int>(end - i - 1) < raw_hashes_) ++end;
        if (static_cast<int>(end - i - 1) < raw_hashes_) return i;
    }
    blank(p, i, end);
    close();
    return end;
}

size_t CommentWalker::interpolation(char* p, size_t n, size_t i) {
    const char next = i + 1 < n ? p[i + 1] : '\0';
    size_t end = i + 1;
    if (p[i] == '{') {
        const size_t found = next == '{' ? n : find_near(p, n, i + 1, '}', 64);
        end = found < n ? found + 1 : i + (next == '{' ? 2 : 1);
    } else if (next == '{' || next == '(') {
        const size_t found = find_near(p, n, i + 2, next == '{' ? '}' : ')', 256);
        end = found < n ? found + 1 : i + 2;
    } else {
        while (end < n && is_ident(p[end])) ++end;
    }
    blank(p, i, end);
    return end;
}

}  // namespace lumo::tool::modes
