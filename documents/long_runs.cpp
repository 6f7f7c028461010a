#include "documents/long_runs.h"

#include <algorithm>

#include "common/char_class.h"

namespace lumo::tool {

namespace {
bool is_word_byte(char c) { return lumo::common::is_word_char(static_cast<unsigned char>(c)); }
}  // namespace

void LongRuns::take(std::string& view, size_t base, bool cut_in_run, std::vector<Finding>& out) {
    for (size_t i = 0; i < view.size();) {
        if (!is_word_byte(view[i])) {
            if (open_) {
                out.push_back(run_);
                open_ = false;
            }
            ++i;
            continue;
        }
        const size_t start = i;
        while (i < view.size() && is_word_byte(view[i])) ++i;
        const bool continues = open_ && start == 0;
        if (open_ && !continues) {
            out.push_back(run_);
            open_ = false;
        }
        const size_t length = (continues ? run_.length : 0) + (i - start);
        const bool open_at_end = cut_in_run && i == view.size();
        if (length <= LongestWord && !open_at_end && !continues) continue;
        if (!continues) {
            run_ = Finding();
            run_.offset = base + start;
            run_.word = view.substr(start, std::min(i - start, ShownPrefix));
            run_.too_long = true;
        }
        run_.length = length;
        std::fill(view.begin() + static_cast<std::ptrdiff_t>(start),
                  view.begin() + static_cast<std::ptrdiff_t>(i), ' ');
        open_ = open_at_end;
        if (!open_ && length > LongestWord) out.push_back(run_);
    }
}

std::vector<Finding> take_too_long_runs(std::string& view) {
    LongRuns runs;
    std::vector<Finding> out;
    runs.take(view, 0, false, out);
    return out;
}

}  // namespace lumo::tool
