// A prepared image of the word table as a main dictionary loads into an
// empty table, kept beside the dictionary so that opening it maps the
// table instead of reading and hashing every word.  An image is used only
// when it was made by this build from the very bytes the dictionary holds
// now; any other is passed over and the word list is read.
#pragma once

#include <cstdint>
#include <string>

#include "word_table.h"

namespace lumo::engine {

// "<dictionary>.table".
std::string table_image_path(const char* dict_path);

enum class ImageUse {
    Adopted,  // the table now holds the image's words
    Missing,  // no image beside the dictionary
    Stale,    // an image that does not fit this dictionary or this build
};

// On an empty table only; anything else is left as it is.
ImageUse adopt_table_image(const char* dict_path, WordTable& table);

// A fingerprint of the dictionary's bytes; false when it cannot be read.
bool dictionary_fingerprint(const char* dict_path, uint64_t* size, uint64_t* hash);

// Writes the image of table, which holds what dict_path loads into an empty
// table and whose bytes had the given fingerprint, through a temporary file
// and a rename.  False when it cannot be written (nothing is left behind).
// words_used: how much of the table's word block the words take.
bool write_table_image(const char* dict_path, const WordTable& table, size_t words_used,
                       uint64_t dict_size, uint64_t dict_hash);

// Loads the dictionary and writes its image; false when either fails or
// the dictionary changed while it was read.
bool make_table_image(const char* dict_path);

}  // namespace lumo::engine
