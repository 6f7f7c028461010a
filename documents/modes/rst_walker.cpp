#include "documents/modes/rst_walker.h"

#include <string>
#include <string_view>

#include "documents/modes/scan.h"

namespace lumo::tool::modes {

namespace {

bool is_adornment(const char* p, size_t n) {
    size_t last = n;
    while (last > 0 && is_blank(p[last - 1])) --last;
    if (last < 3 || is_alnum(p[0]) || is_blank(p[0])) return false;
    for (size_t k = 1; k < last; ++k)
        if (p[k] != p[0]) return false;
    return true;
}

// Inline markup: :role:`text`, ``literal``, `interpreted`, |substitution|.
void inline_markup(char* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (p[i] == ':' && (i == 0 || is_blank(p[i - 1]) || p[i - 1] == '(')) {
            size_t end = i + 1;
            while (end < n && (is_ident(p[end]) || p[end] == ':' || p[end] == '-')) ++end;
            if (end < n && p[end] == '`' && end > i + 2 && p[end - 1] == ':') blank(p, i, end);
        } else if (p[i] == '|' && i + 1 < n && !is_blank(p[i + 1])) {
            const size_t close = find_near(p, n, i + 1, '|', 64);
            if (close < n) blank(p, i, close + 1);
        }
    }
    blank_code_spans(p, n);
}

}  // namespace

void RstWalker::line(char* p, size_t n) {
    size_t indent = 0;
    while (indent < n && is_blank(p[indent])) ++indent;
    const bool blank_line = indent == n;
    if (block_indent_ >= 0 && blank_line && ends_at_blank_) block_indent_ = -1;
    if (block_indent_ >= 0) {
        if (blank_line) return;
        if (static_cast<long>(indent) > block_indent_ ||
            (ends_at_blank_ && static_cast<long>(indent) == block_indent_)) {
            if (keep_block_)
                inline_markup(p, n);
            else
                blank(p, 0, n);
            return;
        }
        block_indent_ = -1;
    }
    if (blank_line) {
        if (literal_indent_ >= 0) {
            block_indent_ = literal_indent_;
            keep_block_ = false;
            ends_at_blank_ = false;
        }
        literal_indent_ = -1;
        return;
    }
    const long opener_indent = static_cast<long>(indent);
    literal_indent_ = -1;
    ends_at_blank_ = false;
    if (starts_with(p, n, indent, "..") && (indent + 2 == n || is_blank(p[indent + 2]))) {
        // A directive, comment or target, and its indented body.
        const std::string_view rest(p + indent, n - indent);
        keep_block_ = false;
        for (const char* name : {"note", "warning", "tip", "important", "attention", "caution",
                                 "danger", "error", "hint", "seealso", "admonition"})
            keep_block_ = keep_block_ || rest.rfind(std::string(".. ") + name + "::", 0) == 0;
        blank(p, 0, n);
        block_indent_ = opener_indent;
        return;
    }
    if (starts_with(p, n, indent, ">>>")) {
        blank(p, 0, n);
        // The doctest's output lines follow at the same indent, up to a blank line.
        block_indent_ = opener_indent;
        keep_block_ = false;
        ends_at_blank_ = true;
        return;
    }
    if (is_adornment(p + indent, n - indent)) {
        blank(p, 0, n);
        return;
    }
    size_t last = n;
    while (last > indent && is_blank(p[last - 1])) --last;
    if (last - indent >= 2 && p[last - 1] == ':' && p[last - 2] == ':') {
        // "text::" ends in one colon; a lone "::" or " ::" goes.
        const bool lone = last - indent == 2 || is_blank(p[last - 3]);
        blank(p, lone ? last - 2 : last - 1, last);
        literal_indent_ = opener_indent;
    }
    if (p[indent] == ':') {
        // A field list's name: ":param name:".
        const size_t close = find_near(p, n, indent + 1, ':', 128);
        if (close < n) blank(p, indent, close + 1);
    }
    inline_markup(p, n);
}

}  // namespace lumo::tool::modes
