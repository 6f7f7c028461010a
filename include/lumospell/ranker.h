/*
 * LumoRank, the LumoSpell suggestion ranker: for a misspelt word, the
 * dictionary words most likely meant, best first.
 *
 * It reads the same word-list files as the engine (main and user
 * dictionary), learns the words a session adds, ignores or changes, and
 * ranks every known word within two edits of the checked word, words that
 * sound alike and two-word splits by how common the word is and how likely
 * the typo is.  The engine's own suggestions (every known word one edit
 * away, and the stem retry for words ending in "ing", "est", "ed", "er")
 * are always among the candidates: the ranker computes that set itself, so
 * a host hands it only the word.
 *
 * Plain C, usable from C and C++.  A ranker is a handle; one handle is
 * called from one thread at a time.  Strings are NUL-terminated 8-bit text;
 * case is ignored for ASCII letters only, as in the engine.
 */
#ifndef LUMOSPELL_RANKER_H
#define LUMOSPELL_RANKER_H

#include <stdint.h>

#include "call.h"

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#  if defined(LUMORANK_BUILDING)
#    define LUMORANK_API __declspec(dllexport)
#  else
#    define LUMORANK_API __declspec(dllimport)
#  endif
#else
#  define LUMORANK_API __attribute__((visibility("default")))
#endif

/* The exports never throw; C++ callers see that in their declarations. */
#if defined(__cplusplus) && __cplusplus >= 201103L
#  define LUMORANK_NOEXCEPT noexcept
#else
#  define LUMORANK_NOEXCEPT
#endif

typedef struct LumoRanker LumoRanker;

/* Results of the functions that return a code. */
enum {
    LumoRankOk = 0,
    LumoRankErrArgument = 1,   /* a required pointer is NULL, or a word is unusable */
    LumoRankErrMainDict = 2,   /* the main word list cannot be read */
    LumoRankErrUserDict = 3,   /* the user word list cannot be read */
    LumoRankErrFrequency = 4,  /* the frequency file is missing, truncated or foreign */
    LumoRankErrMemory = 5,
    LumoRankErrFull = 6        /* the change-always table holds its 10,000 pairs */
};

/* Longest word that gets suggestions, as in the engine. */
#define LUMORANK_WORD_MAX 40

/* The library's version, "1.0.0". */
LUMORANK_API const char* LUMOSPELL_CALL LumoRankVersion(void) LUMORANK_NOEXCEPT;

/*
 * Opens a ranker over the main word list at mainDictPath and the word
 * frequencies at frequencyPath (data/frequency/word-frequency.txt,
 * share/lumospell/word-frequency.txt in the build and installed trees).
 * frequencyPath may be NULL: every word then ranks as if it were rare and
 * the typo model alone decides.
 *
 * indexPath may name the index that the build makes from the default
 * dictionary (share/lumospell/main.rank); it is read instead of building
 * the ranker's tries (a few milliseconds instead of a few hundred) when it
 * was made from these same two files, byte for byte.  An index that is
 * missing, truncated, damaged, foreign or made from other files is passed
 * over and the tries are built from the word list; LumoRankUsesIndex tells
 * which happened.  NULL means build.
 *
 * On success *ranker receives the handle and LumoRankOk comes back;
 * otherwise *ranker is NULL and the code says which file failed: a
 * frequency file that is missing, truncated (fewer lines than its header
 * names) or foreign (no such header, or a malformed line) is
 * LumoRankErrFrequency.
 */
LUMORANK_API int32_t LUMOSPELL_CALL LumoRankOpen(const char* mainDictPath,
                                                 const char* frequencyPath, const char* indexPath,
                                                 LumoRanker** ranker) LUMORANK_NOEXCEPT;

/* 1 when the ranker was opened from its index, 0 otherwise (or NULL). */
LUMORANK_API int32_t LUMOSPELL_CALL LumoRankUsesIndex(const LumoRanker* ranker) LUMORANK_NOEXCEPT;

/* Adds every word of the user word list at path (the same file the engine
 * opens with SpellOpenUdr).  A missing file is LumoRankErrUserDict and
 * leaves the ranker as it was. */
LUMORANK_API int32_t LUMOSPELL_CALL LumoRankOpenUserDict(LumoRanker* ranker,
                                                         const char* path) LUMORANK_NOEXCEPT;

/* Learns a word the session added to the user dictionary or chose to
 * ignore always: from now on it is a candidate like a dictionary word. */
LUMORANK_API int32_t LUMOSPELL_CALL LumoRankAddWord(LumoRanker* ranker,
                                                    const char* word) LUMORANK_NOEXCEPT;

/* Learns a change-always pair: word is never offered, and a check of word
 * gets replacement first.  A later pair for the same word replaces it. */
LUMORANK_API int32_t LUMOSPELL_CALL LumoRankChangeAlways(LumoRanker* ranker, const char* word,
                                                         const char* replacement) LUMORANK_NOEXCEPT;

/*
 * Writes up to maxCount suggestions for word into area (capacity bytes),
 * best first, each in the capital pattern of word (all lower case, all
 * capitals or an initial capital; a word with mixed capitals gets the
 * dictionary's spelling): the strings one after another, each with its
 * NUL, then one more NUL.  A string that does not fit ends the list.
 * Returns the number of strings written, or -1 when ranker or area is NULL
 * or capacity is 0.  An empty word, a word of one byte or of more than
 * LUMORANK_WORD_MAX bytes gets none (0, area holds an empty list).
 */
LUMORANK_API int32_t LUMOSPELL_CALL LumoRankSuggest(LumoRanker* ranker, const char* word,
                                                    char* area, uint32_t capacity,
                                                    uint32_t maxCount) LUMORANK_NOEXCEPT;

/* Frees the ranker and everything it holds; NULL is ignored. */
LUMORANK_API void LUMOSPELL_CALL LumoRankClose(LumoRanker* ranker) LUMORANK_NOEXCEPT;

#ifdef __cplusplus
}
#endif

#endif
