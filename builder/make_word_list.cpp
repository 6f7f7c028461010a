// Build step of the Windows build, run on the build machine: the builder's
// core turns a dictionary text into a word list, as LumoSpellMakeDic does.
// Usage: make_word_list SOURCE OUTPUT
#include <cstdio>

#include "build_run.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SOURCE OUTPUT\n", argv[0]);
        return 2;
    }
    return lumo::builder::make_dictionary(nullptr, argv[1], argv[2]) == 1 ? 0 : 1;
}
