// E-mail and mailboxes: the headers but the subject, and quoted lines,
// are blanked.
#pragma once

#include <cstddef>

namespace lumo::tool::modes {

class EmailWalker {
public:
    void line(char* p, size_t n);

private:
    size_t line_number_ = 0;
    bool previous_blank_ = true;
    bool in_header_ = false;
    bool header_skipped_ = false;
};

}  // namespace lumo::tool::modes
