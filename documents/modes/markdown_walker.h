// Markdown: code blocks, code spans, link destinations and definitions,
// and the HTML among the text are blanked.
#pragma once

#include <cstddef>

#include "documents/modes/html_walker.h"

namespace lumo::tool::modes {

class MarkdownWalker {
public:
    void line(char* p, size_t n);

private:
    // A line inside a fenced block; false when none is open.
    bool fenced_line(char* p, size_t n, size_t first, size_t indent);
    bool opens_fence(char* p, size_t n, size_t first, size_t indent);
    void note_list_item(const char* p, size_t n, size_t first, size_t indent);
    void blank_link_destinations(char* p, size_t n);

    char fence_char_ = 0;
    size_t fence_length_ = 0;
    bool previous_blank_ = true;
    bool indented_code_ = false;
    bool in_list_ = false;
    HtmlWalker html_{true};
};

}  // namespace lumo::tool::modes
