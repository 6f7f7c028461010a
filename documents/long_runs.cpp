#include "documents/long_runs.h"

#include <algorithm>

#include "common/char_class.h"

namespace lumo::tool {

namespace {
bool is_word_byte(char c) { return lumo::common::is_word_char(static_cast<unsigned char>(c)); }
}  // namespace

size_t LongRuns::take_at(std::string& view, size_t i, size_t base, bool cut_in_run,
                         std::vector<Finding>& out) {
    if (!is_word_byte(view[i])) {
        if (open_) {
            out.push_back(run_);
            open_ = false;
        }
        return i + 1;
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
    if (length <= LongestWord && !open_at_end && !continues) return i;
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
    return i;
}

void LongRuns::take(std::string& view, size_t base, bool cut_in_run, std::vector<Finding>& out) {
    const size_t size = view.size();
    size_t i = 0;
    // A run held open goes on at the start, or ends there.
    if (open_ && size > 0) i = take_at(view, 0, base, cut_in_run, out);
    // Past i no run is open, and only a run too long to be a word (or one
    // cut at the end) needs more than a look: such a run from i on covers
    // the byte at i + LongestWord, so one byte in every LongestWord + 1
    // is read, and the run round each word byte among them.
    for (size_t probe = i + LongestWord; probe < size; probe = i + LongestWord) {
        if (!is_word_byte(view[probe])) {
            i = probe + 1;
            continue;
        }
        size_t start = probe;
        while (start > i && is_word_byte(view[start - 1])) --start;
        size_t end = probe + 1;
        while (end < size && is_word_byte(view[end])) ++end;
        i = (end - start > LongestWord || (cut_in_run && end == size))
                ? take_at(view, start, base, cut_in_run, out)
                : end;
    }
    if (!cut_in_run || i >= size || !is_word_byte(view[size - 1])) return;
    size_t start = size - 1;
    while (start > i && is_word_byte(view[start - 1])) --start;
    take_at(view, start, base, cut_in_run, out);
}

std::vector<Finding> take_too_long_runs(std::string& view) {
    LongRuns runs;
    std::vector<Finding> out;
    runs.take(view, 0, false, out);
    return out;
}

}  // namespace lumo::tool
