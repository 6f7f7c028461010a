#include "documents/modes/value_walker.h"

#include <string>
#include <string_view>

#include "documents/modes/scan.h"
#include "documents/text_modes.h"

namespace lumo::tool::modes {

namespace {

// The end of the quoted string opened at p[i], past its closing quote (n
// when it runs to the end of the line); escapes only in double quotes.
size_t string_end(const char* p, size_t n, size_t i) {
    const char quote = p[i];
    for (size_t k = i + 1; k < n; ++k) {
        if (p[k] == '\\' && quote == '"') {
            ++k;
        } else if (p[k] == quote) {
            return k + 1;
        }
    }
    return n;
}

// Keeps the text of the string p[i, end): quotes and escapes blanked.
void keep_string(char* p, size_t i, size_t end) {
    const char quote = p[i];
    p[i] = ' ';
    for (size_t k = i + 1; k < end; ++k) {
        if (p[k] == quote && k + 1 == end) {
            p[k] = ' ';
        } else if (p[k] == '\\' && quote == '"' && k + 1 < end) {
            const size_t stop = p[k + 1] == 'u' ? k + 6 : k + 2;
            blank(p, k, stop < end ? stop : end - 1);
            k = (stop < end ? stop : end - 1) - 1;
        }
    }
}

size_t skip_blanks(const char* p, size_t n, size_t i) {
    while (i < n && is_blank(p[i])) ++i;
    return i;
}

}  // namespace

void ValueWalker::line(char* p, size_t n) {
    switch (language_) {
        case SourceLanguage::Yaml: yaml_line(p, n); break;
        case SourceLanguage::Toml: toml_line(p, n); break;
        default: json_line(p, n); break;
    }
}

void ValueWalker::json_line(char* p, size_t n) {
    size_t i = 0;
    while (i < n) {
        if (p[i] != '"') {
            p[i++] = ' ';
            continue;
        }
        const size_t end = string_end(p, n, i);
        if (skip_blanks(p, n, end) < n && p[skip_blanks(p, n, end)] == ':')
            blank(p, i, end);  // a key
        else
            keep_string(p, i, end);
        i = end;
    }
}

void ValueWalker::yaml_line(char* p, size_t n) {
    const size_t indent = skip_blanks(p, n, 0);
    if (block_indent_ >= 0) {
        // A block scalar's lines are all text, while they are indented more.
        if (indent == n || static_cast<long>(indent) > block_indent_) return;
        block_indent_ = -1;
    }
    if (starts_with(p, n, indent, "---") || starts_with(p, n, indent, "...") ||
        starts_with(p, n, indent, "%")) {
        blank(p, 0, n);
        return;
    }
    size_t i = indent;
    while (i + 1 < n && p[i] == '-' && is_blank(p[i + 1])) {
        p[i] = ' ';
        i = skip_blanks(p, n, i + 1);
    }
    if (i == n || p[i] == '#') return;  // a comment is text
    // The key: quoted, or plain up to ": " or a final ':'.
    size_t colon = n;
    if (p[i] == '"' || p[i] == '\'') {
        const size_t end = string_end(p, n, i);
        if (end < n && p[end] == ':') colon = end;
    } else {
        for (size_t k = i; k < n; ++k) {
            if (p[k] == '#' && k > i && is_blank(p[k - 1])) break;
            if (p[k] == ':' && (k + 1 == n || is_blank(p[k + 1]))) {
                colon = k;
                break;
            }
        }
    }
    if (colon < n) {
        blank(p, i, colon + 1);
        i = skip_blanks(p, n, colon + 1);
    }
    // Tags, anchors and aliases are names.
    while (i < n && (p[i] == '&' || p[i] == '*' || p[i] == '!')) {
        size_t end = i;
        while (end < n && !is_blank(p[end])) ++end;
        blank(p, i, end);
        i = skip_blanks(p, n, end);
    }
    if (i < n && (p[i] == '|' || p[i] == '>')) {
        size_t end = i;
        while (end < n && !is_blank(p[end]) && p[end] != '#') ++end;
        blank(p, i, end);
        block_indent_ = static_cast<long>(indent);
        return;
    }
    if (i < n && (p[i] == '"' || p[i] == '\'')) keep_string(p, i, string_end(p, n, i));
}

void ValueWalker::toml_line(char* p, size_t n) {
    size_t i = 0;
    if (multi_quote_ != 0) {
        const std::string_view close(multi_quote_ == '"' ? "\"\"\"" : "'''");
        const size_t end = find(p, n, 0, close);
        if (end == n) return;
        blank(p, end, end + 3);
        multi_quote_ = 0;
        toml_value(p, n, end + 3);
        return;
    }
    i = skip_blanks(p, n, 0);
    if (i < n && p[i] == '[') {
        // A table header, maybe followed by a comment.
        const size_t comment = find(p, n, i, "#");
        blank(p, i, comment);
        return;
    }
    // A key ends at '=' outside quotes; a line without one goes on a value.
    size_t k = i;
    while (k < n && p[k] != '=' && p[k] != '#') {
        if (p[k] == '"' || p[k] == '\'')
            k = string_end(p, n, k);
        else
            ++k;
    }
    if (k < n && p[k] == '=') {
        blank(p, i, k + 1);
        i = k + 1;
    }
    toml_value(p, n, i);
}

void ValueWalker::toml_value(char* p, size_t n, size_t i) {
    while (i < n) {
        const char c = p[i];
        if (c == '#') return;  // a comment is text
        if (c != '"' && c != '\'') {
            p[i++] = ' ';
            continue;
        }
        if (starts_with(p, n, i, std::string(3, c))) {
            const size_t end = find(p, n, i + 3, std::string(3, c));
            blank(p, i, i + 3);
            if (end == n) {
                multi_quote_ = c;
                return;
            }
            blank(p, end, end + 3);
            i = end + 3;
            continue;
        }
        const size_t end = string_end(p, n, i);
        keep_string(p, i, end);
        i = end;
    }
}

}  // namespace lumo::tool::modes
