// make_table_image DICTIONARY: writes DICTIONARY.table, the prepared table
// that opening the dictionary maps instead of reading the word list.
#include <cstdio>

#include "table_image.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_table_image DICTIONARY\n");
        return 2;
    }
    if (!lumo::engine::make_table_image(argv[1])) {
        std::fprintf(stderr, "make_table_image: cannot make the table image of %s\n", argv[1]);
        return 1;
    }
    return 0;
}
