#include "documents/modes/scan.h"

namespace lumo::tool::modes {

// A search that failed for a length fails for every later run of it,
// which keeps the line linear.
void blank_code_spans(char* p, size_t n) {
    constexpr size_t LongestRun = 32;
    bool failed[LongestRun + 1] = {};
    size_t i = 0;
    while (i < n) {
        if (p[i] != '`') {
            ++i;
            continue;
        }
        size_t run = i;
        while (run < n && p[run] == '`') ++run;
        const size_t length = run - i;
        if (length > LongestRun || failed[length]) {
            i = run;
            continue;
        }
        size_t close = n;
        for (size_t j = run; j < n;) {
            if (p[j] != '`') {
                ++j;
                continue;
            }
            size_t end = j;
            while (end < n && p[end] == '`') ++end;
            if (end - j == length) {
                close = j;
                break;
            }
            j = end;
        }
        if (close == n) {
            failed[length] = true;
            i = run;
            continue;
        }
        blank(p, i, close + length);
        i = close + length;
    }
}

}  // namespace lumo::tool::modes
