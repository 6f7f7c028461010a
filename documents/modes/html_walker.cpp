#include "documents/modes/html_walker.h"

#include <algorithm>
#include <string_view>

#include "documents/modes/scan.h"

namespace lumo::tool::modes {

void HtmlWalker::span(char* p, size_t n, size_t i) {
    if (is_blank_line(p, n)) {
        // A tag never holds an empty line: one left open ends here.
        in_tag_ = false;
        tag_quote_ = 0;
        opening_element_.clear();
        return;
    }
    size_t next_gt = 0;  // Markdown: the next '>' of the line, or n
    while (i < n) {
        if (comment_) {
            i = comment_text(p, n, i);
            continue;
        }
        if (in_tag_) {
            i = tag_text(p, n, i);
            continue;
        }
        if (!raw_element_.empty()) {
            i = raw_text(p, n, i);
            if (i == n) return;
        }
        i = markup_at(p, n, i, next_gt);
    }
}

size_t HtmlWalker::comment_text(char* p, size_t n, size_t i) {
    const size_t end = find(p, n, i, "-->");
    if (end == n) {
        blank(p, i, n);
        return n;
    }
    blank(p, i, end + 3);
    comment_ = false;
    return end + 3;
}

size_t HtmlWalker::tag_text(char* p, size_t n, size_t i) {
    for (; i < n; ++i) {
        const char c = p[i];
        p[i] = ' ';
        if (tag_quote_ != 0) {
            if (c == tag_quote_) tag_quote_ = 0;
        } else if (c == '"' || c == '\'') {
            tag_quote_ = c;
        } else if (c == '>') {
            in_tag_ = false;
            raw_element_ = opening_element_;
            opening_element_.clear();
            return i + 1;
        }
    }
    return i;
}

size_t HtmlWalker::raw_text(char* p, size_t n, size_t i) {
    size_t k = i;
    for (;; k += 2) {
        k = find(p, n, k, "</");
        if (k == n) break;
        const size_t length = std::min(raw_element_.size(), n - k - 2);
        if (equal_ci(std::string_view(p + k + 2, length), raw_element_)) break;
    }
    blank(p, i, k);
    if (k < n) raw_element_.clear();
    return k;
}

size_t HtmlWalker::markup_at(char* p, size_t n, size_t i, size_t& next_gt) {
    const char c = p[i];
    if (c == '<') {
        if (starts_with(p, n, i, "<!--")) {
            blank(p, i, i + 4);
            comment_ = true;
            return i + 4;
        }
        if (starts_with(p, n, i, "<![CDATA[")) {
            blank(p, i, i + 9);
            return i + 9;
        }
        const char next = i + 1 < n ? p[i + 1] : '\0';
        if (is_alpha(next) || next == '/' || next == '!' || next == '?') {
            if (markdown_) {
                if (next_gt <= i) next_gt = find(p, n, i, ">");
                if (next_gt == n) return i + 1;
            }
            size_t end = i + 1;
            while (end < n && (is_alnum(p[end]) || p[end] == '-' || p[end] == ':')) ++end;
            const std::string_view element(p + i + 1, end - i - 1);
            if (equal_ci(element, "script") || equal_ci(element, "style")) {
                opening_element_.assign(element);
                for (char& e : opening_element_) e = to_lower(e);
            }
            // The tag's own bytes are blanked from its '<' on.
            in_tag_ = true;
            tag_quote_ = 0;
            return i;
        }
    } else if (c == ']' && starts_with(p, n, i, "]]>")) {
        blank(p, i, i + 3);
        return i + 3;
    } else if (c == '&') {
        size_t end = i + 1;
        if (end < n && p[end] == '#') ++end;
        const size_t name = end;
        while (end < n && end - name < 32 && is_alnum(p[end])) ++end;
        if (end < n && p[end] == ';' && end > name) {
            blank(p, i, end + 1);
            return end + 1;
        }
    }
    return i + 1;
}

}  // namespace lumo::tool::modes
