#include "documents/modes/email_walker.h"

#include <string_view>

#include "documents/modes/scan.h"

namespace lumo::tool::modes {

void EmailWalker::line(char* p, size_t n) {
    const bool empty = is_blank_line(p, n);
    if (++line_number_ == 1) {
        size_t colon = 0;
        while (colon < n && p[colon] > ' ' && p[colon] < 127 && p[colon] != ':') ++colon;
        in_header_ = (colon > 0 && colon < n && p[colon] == ':') || starts_with(p, n, 0, "From ");
    } else if (!in_header_ && previous_blank_ && starts_with(p, n, 0, "From ")) {
        in_header_ = true;  // the next message of a mailbox
    }
    previous_blank_ = empty;
    if (in_header_) {
        if (empty) {
            in_header_ = false;
            return;
        }
        if (p[0] == ' ' || p[0] == '\t') {
            if (header_skipped_) blank(p, 0, n);
            return;
        }
        size_t colon = 0;
        while (colon < n && p[colon] > ' ' && p[colon] < 127 && p[colon] != ':') ++colon;
        if (colon > 0 && colon < n && p[colon] == ':') {
            header_skipped_ = !equal_ci(std::string_view(p, colon), "Subject");
            blank(p, 0, header_skipped_ ? n : colon + 1);
            return;
        }
        if (starts_with(p, n, 0, "From ")) {
            header_skipped_ = true;
            blank(p, 0, n);
            return;
        }
        in_header_ = false;  // a body that follows without its empty line
    }
    size_t first = 0;
    while (first < n && is_blank(p[first])) ++first;
    if (first < n && p[first] == '>') blank(p, 0, n);
}

}  // namespace lumo::tool::modes
