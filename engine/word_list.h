// Word-list files: plain text, one word per line (CR LF when written).
#pragma once

#include <cstdint>
#include <cstdio>

#include "common/save_names.h"
#include "lead_bytes.h"
#include "word_store.h"
#include "word_table.h"

namespace lumo::engine {

constexpr unsigned long LoadWordLimit = 540000;
constexpr int LoadPieceBytes = 1023;
constexpr size_t StoreSpareBytes = 1000;
// How much of a word-list file one read takes.
constexpr size_t LoadBlockBytes = 64 * 1024;

// Loads a word-list file into a fresh store and offers every word to the
// table with ModeInsert and the given tag.  Returns 0, or 1 when the file
// cannot be had (no status, no memory, cannot be opened).  A store that
// was there before is moved into retired, since the table may point into it.
int LoadWordList(const char* path, uint8_t tag, WordTable& table, WordStore& store,
                 WordStore& retired);

// Splits one piece (at most 1023 bytes, NUL-terminated) into words in
// place, copying each into the store and offering it to the table.
// Returns the number of words, empty ones included.
unsigned long split_piece(char* piece, uint8_t tag, WordTable& table, WordStore& store);

// The file operations a save uses; tests replace them to make steps fail.
struct SaveFileOps {
    std::FILE* (*create)(const char* path);
    bool (*write)(std::FILE* file, const void* bytes, size_t len);
    bool (*close)(std::FILE* file);
    void (*abandon)(std::FILE* file);  // closes after a failed write
    bool (*exists)(const char* path);
    bool (*remove)(const char* path);
    bool (*rename)(const char* from, const char* to);  // never replaces
};

const SaveFileOps& system_save_file_ops();

using SavePaths = lumo::common::SavePaths;

// Forms "<drive><dir>~~$LUMOSP$.TMP" and "<drive><dir><base>.BAK" from the
// dictionary's path; the second byte of a double-byte character is never
// taken for a separator.
SavePaths save_paths_for(const char* path, const lumo::platform::LeadByteSet& lead);

// Writes every word with tag WordTagUser back to path through the
// temporary file and the backup.  Returns 0 or SpellErrUdrSave.
uint16_t SaveUserDictionary(const char* path, const WordTable& table,
                            const lumo::platform::LeadByteSet& lead,
                            const SaveFileOps& ops = system_save_file_ops());

}  // namespace lumo::engine
