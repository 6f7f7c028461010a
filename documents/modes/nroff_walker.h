// nroff and troff (man and mdoc pages): requests, escapes, macro
// definitions and examples are blanked; the text of text macros stays.
#pragma once

#include <cstddef>

namespace lumo::tool::modes {

class NroffWalker {
public:
    void line(char* p, size_t n);

private:
    bool in_definition_ = false;  // .de or .ig until ".."
    bool in_example_ = false;     // .EX until .EE, .Bd until .Ed
};

}  // namespace lumo::tool::modes
