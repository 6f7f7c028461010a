// Word-list files: plain text, one word per line (CR LF when written).
#pragma once

#include <cstdint>
#include <cstdio>

#include "common/save_names.h"
#include "files.h"
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
// A failing one leaves its reason as the thread's last system error.
struct SaveFileOps {
    std::FILE* (*create)(const char* path);  // a new file, never through a link
    bool (*write)(std::FILE* file, const void* bytes, size_t len);
    bool (*close)(std::FILE* file);
    void (*abandon)(std::FILE* file);  // closes after a failed write
    bool (*exists)(const char* path);  // the name itself, links not followed
    bool (*remove)(const char* path);
    bool (*rename)(const char* from, const char* to);  // never replaces
    lumo::platform::LockHandle (*lock)(const char* path, bool exclusive);
    void (*unlock)(lumo::platform::LockHandle lock);
};

// How long a save or load waits for another program's save to finish.
constexpr unsigned SaveLockWaitMs = 10000;

// Words of 1023 bytes or more may come back from a file in pieces.
constexpr size_t SavableWordLimit = LoadPieceBytes - 1;

const SaveFileOps& system_save_file_ops();

using SavePaths = lumo::common::SavePaths;

// Forms "<drive><dir>~~$LUMOSP$.TMP" and "<drive><dir><base>.BAK" from the
// dictionary's path; the second byte of a double-byte character is never
// taken for a separator.
SavePaths save_paths_for(const char* path, const lumo::platform::LeadByteSet& lead);

// The names this platform's saves use.  On Windows those above; elsewhere
// '/' is the only separator and, never being a trail byte, is found byte by
// byte (a UTF-8 folder name is no Shift-JIS text).
SavePaths platform_save_paths(const char* path, const lumo::platform::LeadByteSet& lead);

// Takes the lock of the folder that the dictionary at path (or the file a
// link there leads to) lives in: shared for a load, exclusive for a save.
lumo::platform::LockHandle lock_user_dictionary(const char* path,
                                                const lumo::platform::LeadByteSet& lead,
                                                bool exclusive, const SaveFileOps& ops);

// Writes every word with tag WordTagUser back to path through the
// temporary file and the backup, holding the folder's lock, together with
// the words that the file holds by now (saved by another program since it
// was loaded).  A link at path stays; the file it leads to is saved.
// Returns 0 or SpellErrUdrSave, with the reason as the last system error.
uint16_t SaveUserDictionary(const char* path, const WordTable& table,
                            const lumo::platform::LeadByteSet& lead,
                            const SaveFileOps& ops = system_save_file_ops());

}  // namespace lumo::engine
