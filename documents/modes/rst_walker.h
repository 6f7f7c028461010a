// reStructuredText: the prose without directives, comments, literal and
// doctest blocks, roles, inline literals, field names and adornments.
#pragma once

#include <cstddef>

namespace lumo::tool::modes {

class RstWalker {
public:
    void line(char* p, size_t n);

private:
    long block_indent_ = -1;      // an open block of code: the indent of the line that opened it
    long literal_indent_ = -1;    // the paragraph ended in "::": its indent
    bool keep_block_ = false;     // an admonition's body is prose
    bool ends_at_blank_ = false;  // a doctest block
};

}  // namespace lumo::tool::modes
