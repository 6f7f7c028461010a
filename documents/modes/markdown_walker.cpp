#include "documents/modes/markdown_walker.h"

#include "documents/modes/scan.h"

namespace lumo::tool::modes {

void MarkdownWalker::line(char* p, size_t n) {
    if (html_.open()) {
        html_.span(p, n, 0);
        return;
    }
    size_t indent = 0, first = 0;
    for (; first < n && (p[first] == ' ' || p[first] == '\t'); ++first)
        indent += p[first] == '\t' ? 4 - indent % 4 : 1;
    if (fenced_line(p, n, first, indent)) return;
    if (is_blank_line(p, n)) {
        previous_blank_ = true;
        return;
    }
    if (indent >= (in_list_ ? 8u : 4u) && (previous_blank_ || indented_code_)) {
        indented_code_ = true;
        previous_blank_ = false;
        blank(p, 0, n);
        return;
    }
    indented_code_ = false;
    previous_blank_ = false;
    if (opens_fence(p, n, first, indent)) return;
    note_list_item(p, n, first, indent);
    // A link reference definition: "[label]: address".
    if (indent < 4 && p[first] == '[') {
        const size_t close = find(p, n, first, "]");
        if (close + 1 < n && p[close + 1] == ':') {
            blank(p, 0, n);
            return;
        }
    }
    blank_code_spans(p, n);
    html_.span(p, n, 0);
    blank_link_destinations(p, n);
}

bool MarkdownWalker::fenced_line(char* p, size_t n, size_t first, size_t indent) {
    if (fence_char_ == 0) return false;
    size_t end = first;
    while (end < n && p[end] == fence_char_) ++end;
    if (indent < 4 && end - first >= fence_length_ && is_blank_line(p + end, n - end))
        fence_char_ = 0;
    blank(p, 0, n);
    return true;
}

bool MarkdownWalker::opens_fence(char* p, size_t n, size_t first, size_t indent) {
    const char c = p[first];
    if (indent >= 4 || (c != '`' && c != '~')) return false;
    size_t end = first;
    while (end < n && p[end] == c) ++end;
    if (end - first < 3 || (c == '`' && std::memchr(p + end, '`', n - end) != nullptr))
        return false;
    fence_char_ = c;
    fence_length_ = end - first;
    blank(p, 0, n);
    return true;
}

void MarkdownWalker::note_list_item(const char* p, size_t n, size_t first, size_t indent) {
    const char c = p[first];
    size_t digits = first;
    while (digits < n && is_digit(p[digits])) ++digits;
    const bool bullet = (c == '-' || c == '*' || c == '+') && first + 1 < n && p[first + 1] == ' ';
    const bool numbered = digits > first && digits + 1 < n &&
                          (p[digits] == '.' || p[digits] == ')') && p[digits + 1] == ' ';
    if (bullet || numbered) {
        in_list_ = true;
    } else if (indent == 0) {
        in_list_ = false;
    }
}

// "](address "title")".
void MarkdownWalker::blank_link_destinations(char* p, size_t n) {
    size_t close = 0;
    for (size_t k = 0; k + 1 < n; ++k) {
        if (p[k] != ']' || p[k + 1] != '(') continue;
        if (close <= k + 1) close = find(p, n, k + 2, ")");
        if (close == n) break;
        blank(p, k + 1, close + 1);
        k = close;
    }
}

}  // namespace lumo::tool::modes
