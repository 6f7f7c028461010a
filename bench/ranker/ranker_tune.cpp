// Tuning the ranker's weights on the ODD rows of the Wikipedia misspellings
// only (the even rows are kept for ranker_compare's held-out figures):
// top-1, top-5 and mean CPU microseconds for each value of a weight.
//
// Usage: ranker_tune [NAME=VALUE...] [--sweep NAME V1,V2,...] [--misses] [--words W1,W2,...]
//   NAME=VALUE sets a weight first (names as in RankWeights, channel ones
//   with "channel." before them); --sweep runs the rows once per value;
//   --misses lists the rows whose correction is not first; --words shows
//   the suggestions for those words instead.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "misspelling_rows.h"
#include "ranker.h"

namespace {

using lumo::bench::lower;
using lumo::bench::Row;
using lumo::bench::thread_us;
using lumo::ranker::RankWeights;

float far_count = 0;

std::map<std::string, float*> weight_names(RankWeights& w) {
    std::map<std::string, float*> m{
        {"per_cost", &w.per_cost},
        {"sound_bonus", &w.sound_bonus},
        {"split_penalty", &w.split_penalty},
        {"split_affix", &w.split_affix},
        {"self_penalty", &w.self_penalty},
        {"stem_penalty", &w.stem_penalty},
        {"prior_unlisted", &w.prior_unlisted},
        {"prior_level0", &w.prior_level[0]},
        {"prior_level1", &w.prior_level[1]},
        {"prior_level2", &w.prior_level[2]},
        {"prior_level3", &w.prior_level[3]},
        {"contraction_bonus", &w.contraction_bonus},
        {"possessive_bonus", &w.possessive_bonus},
        {"irregular_bonus", &w.irregular_bonus},
        {"sound_cap", &w.sound_cap},
        {"sound_share", &w.sound_share},
        {"far_count", &far_count},
        {"channel.substitute", &w.channel.substitute},
        {"channel.vowel", &w.channel.vowel},
        {"channel.neighbour", &w.channel.neighbour},
        {"channel.alike", &w.channel.alike},
        {"channel.extra", &w.channel.extra},
        {"channel.doubled", &w.channel.doubled},
        {"channel.missing", &w.channel.missing},
        {"channel.dropped_double", &w.channel.dropped_double},
        {"channel.dropped_vowel", &w.channel.dropped_vowel},
        {"channel.mark", &w.channel.mark},
        {"channel.exchange", &w.channel.exchange},
        {"channel.first", &w.channel.first},
        {"channel.learned", &w.channel.learned},
        {"channel.learned_below", &w.channel.learned_below},
    };
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string data = LUMOSPELL_DATA_OUTPUT_DIR;
    const std::string frequency = data + "/word-frequency.txt";
    const std::string index = data + "/main.rank";
    lumo::ranker::Ranker ranker;
    if (ranker.open(data + "/main.dic", &frequency, &index) != lumo::ranker::OpenStatus::Ok) {
        std::fprintf(stderr, "cannot open the ranker\n");
        return 1;
    }
    auto names = weight_names(ranker.weights());
    std::string sweep;
    std::vector<float> values{0};
    bool misses = false;
    for (int i = 1; i < argc; ++i) {
        const char* eq = std::strchr(argv[i], '=');
        const std::string name = eq != nullptr ? std::string(argv[i], eq - argv[i]) : "";
        if (std::strcmp(argv[i], "--misses") == 0) {
            misses = true;
        } else if (std::strcmp(argv[i], "--words") == 0 && i + 1 < argc) {
            std::istringstream list(argv[++i]);
            for (std::string w; std::getline(list, w, ',');) {
                std::printf("%s:", w.c_str());
                for (const std::string& s : ranker.suggest(w.data(), w.size(), 10))
                    std::printf(" %s", s.c_str());
                std::printf("\n");
            }
            return 0;
        } else if (std::strcmp(argv[i], "--sweep") == 0 && i + 2 < argc) {
            sweep = argv[++i];
            values.clear();
            std::istringstream list(argv[++i]);
            for (std::string v; std::getline(list, v, ',');) values.push_back(std::stof(v));
        } else if (eq != nullptr && names.count(name) != 0) {
            *names[name] = std::stof(eq + 1);
        } else {
            std::fprintf(stderr, "unknown argument %s\n", argv[i]);
            return 2;
        }
    }
    if (!sweep.empty() && names.count(sweep) == 0) {
        std::fprintf(stderr, "unknown weight %s\n", sweep.c_str());
        return 2;
    }
    std::vector<Row> rows, even;
    lumo::bench::load_rows(
        std::string(LUMOSPELL_DATA_DIR) + "/misspellings/misspellings-wikipedia.tsv", rows, even);
    for (const float v : values) {
        if (!sweep.empty()) *names[sweep] = v;
        ranker.weights().far_count = static_cast<uint32_t>(far_count);
        // The learned edits keep only what beats the built-in costs, which
        // the channel weights set.
        ranker.open_edits(data + "/typo-edits.txt");
        size_t top1 = 0, top5 = 0;
        double cpu = 0;
        for (const Row& row : rows) {
            const double start = thread_us();
            const auto list = ranker.suggest(row.word.data(), row.word.size(), 10);
            cpu += thread_us() - start;
            size_t rank = 0;
            while (rank < list.size() && std::find(row.corrections.begin(), row.corrections.end(),
                                                   lower(list[rank])) == row.corrections.end())
                ++rank;
            top1 += rank == 0 && !list.empty();
            top5 += rank < 5 && rank < list.size();
            if (misses && rank != 0) {
                std::printf("miss %s -> %s (rank %zu):", row.word.c_str(),
                            row.corrections[0].c_str(), rank + 1);
                for (size_t k = 0; k < list.size() && k < 5; ++k)
                    std::printf(" %s", list[k].c_str());
                std::printf("\n");
            }
        }
        const double n = static_cast<double>(rows.size());
        std::printf("%s=%g top1 %.2f%% top5 %.2f%% mean %.1f us (%zu odd rows)\n",
                    sweep.empty() ? "-" : sweep.c_str(), static_cast<double>(v),
                    100.0 * static_cast<double>(top1) / n, 100.0 * static_cast<double>(top5) / n,
                    cpu / n, rows.size());
    }
    return 0;
}
