// Writes the ranker's index for a main dictionary and a frequency file, so
// that opening the ranker needs no trie building.
// Usage: lumorank_make_index MAIN_DICT FREQUENCY OUTPUT
#include <cstdio>
#include <string>

#include "ranker.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s MAIN_DICT FREQUENCY OUTPUT\n", argv[0]);
        return 2;
    }
    lumo::ranker::Ranker ranker;
    const std::string frequency = argv[2];
    const auto status = ranker.open(argv[1], &frequency);
    if (status != lumo::ranker::OpenStatus::Ok) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0],
                     status == lumo::ranker::OpenStatus::MainDict ? argv[1] : argv[2]);
        return 1;
    }
    if (!ranker.write_index(argv[3])) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[3]);
        return 1;
    }
    return 0;
}
