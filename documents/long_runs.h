// The one rule for a run of word bytes too long to be a word: it is
// blanked out of the checker's view and reported once, shown by its start.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "documents/finding.h"
#include "lumospell/orthbridge.h"

namespace lumo::tool {

constexpr size_t LongestWord = LumoSpellWordSize - 1;
constexpr size_t ShownPrefix = 32;

// Finds the runs in successive views of one text; a run cut at the end of
// one view goes on at the start of the next.
class LongRuns {
public:
    // Blanks every run too long to be a word in view, which starts at
    // offset base of the text, and adds each finished one to out in order.
    // cut_in_run: view ends inside a run that the next view goes on with.
    void take(std::string& view, size_t base, bool cut_in_run, std::vector<Finding>& out);
    // The run held open at the end of the last view, if any.
    bool open() const { return open_; }
    const Finding& run() const { return run_; }
    void close() { open_ = false; }

private:
    // The byte or run at i as one step of a walk through view; returns
    // where the walk goes on.
    size_t take_at(std::string& view, size_t i, size_t base, bool cut_in_run,
                   std::vector<Finding>& out);
    bool open_ = false;
    Finding run_;
};

// The runs of one whole view (a line), blanked, in order.
std::vector<Finding> take_too_long_runs(std::string& view);

}  // namespace lumo::tool
