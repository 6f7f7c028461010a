// A word list of arbitrary bytes loaded as a main dictionary, and through
// the table image made of it: the same table, slot for slot.
#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "table_image.h"
#include "word_list.h"

using namespace lumo::engine;

namespace {

// Static: each table is 3.6 MB.
WordTable loaded;
WordTable mapped;

// The walk over all slots is the target's own bookkeeping: no coverage
// feedback.
#if defined(__clang__)
__attribute__((no_sanitize("coverage")))
#endif
bool same_slots(const WordTable& a, const WordTable& b) {
    if (a.count() != b.count()) return false;
    for (uint32_t slot = 0; slot < WordTableSlots; ++slot) {
        const char* x = a.word_at(slot);
        const char* y = b.word_at(slot);
        if ((x == nullptr) != (y == nullptr) || a.tag_at(slot) != b.tag_at(slot)) return false;
        if (x != nullptr && std::strcmp(x, y) != 0) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = lumo::fuzz::scratch_file("main.dic");
    FUZZ_CHECK(lumo::fuzz::write_bytes(path, data, size), "cannot write the input");
    loaded.clear();
    WordStore store, retired;
    FUZZ_CHECK(LoadWordList(path.c_str(), WordTagMain, loaded, store, retired) == 0,
               "an existing file did not load");
    // An empty word list has no image to make.
    if (!make_table_image(path.c_str())) return 0;
    mapped.clear();
    FUZZ_CHECK(adopt_table_image(path.c_str(), mapped) == ImageUse::Adopted,
               "a fresh image was passed over");
    FUZZ_CHECK(same_slots(loaded, mapped), "the image differs from the word list");
    mapped.clear();
    std::remove(table_image_path(path.c_str()).c_str());
    return 0;
}
