#include "documents/long_runs.h"

#include <gtest/gtest.h>

using namespace lumo::tool;

namespace {
std::string run(size_t n, char c = 'a') { return std::string(n, c); }
}  // namespace

// Runs are found by reading one byte in every 256: each length round that
// step, at each end of a view and going on from one view into the next.
TEST(LongRuns, EveryRunTooLongToBeAWordWhereverItLies) {
    const struct {
        std::vector<std::string> views;                // all but the last cut inside a run
        std::vector<std::pair<size_t, size_t>> found;  // offset, length
    } cases[] = {
        {{run(255)}, {}},
        {{" " + run(256) + " b"}, {{1, 256}}},
        {{run(300) + " ok " + run(40, 'c') + " " + run(600, 'b')}, {{0, 300}, {345, 600}}},
        {{"w " + run(511) + "-" + run(2, '_')}, {{2, 514}}},
        {{"ab " + run(100), run(200) + " end"}, {{3, 300}}},
        {{"ab " + run(400), " next " + run(300)}, {{3, 400}, {409, 300}}},
    };
    for (const auto& c : cases) {
        LongRuns runs;
        std::vector<Finding> found;
        size_t base = 0;
        for (size_t v = 0; v < c.views.size(); ++v) {
            std::string view = c.views[v];
            runs.take(view, base, v + 1 < c.views.size(), found);
            for (const Finding& f : found) {
                // A reported run is blanked out of the view it ends in.
                const size_t end = f.offset + f.length;
                if (end > base && end <= base + view.size()) {
                    EXPECT_EQ(view[end - base - 1], ' ');
                }
            }
            base += view.size();
        }
        ASSERT_EQ(found.size(), c.found.size()) << c.views[0].substr(0, 8);
        for (size_t k = 0; k < found.size(); ++k) {
            EXPECT_EQ(found[k].offset, c.found[k].first);
            EXPECT_EQ(found[k].length, c.found[k].second);
            EXPECT_TRUE(found[k].too_long);
        }
    }
}
