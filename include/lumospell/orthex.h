/*
 * Orthex, the LumoSpell speller engine: records, commands, statuses,
 * option bits and codes shared with the front library, and the sixteen
 * exported functions (ordinals 1 to 16 in the order declared below).
 *
 * Plain C, usable from C and C++.  Every function returns a 16-bit code,
 * 0 for success; SpellCheck always returns 0 and reports through the
 * status field of its return record.
 *
 * The user dictionary: SpellCloseUdr and SpellTerminate write it back if
 * words were added, and so does SpellInit when a session is reopened (it
 * then returns the save's code and keeps the session when the save fails).
 * A save holds the lock file "~~$LUMOSP$.LCK" beside the dictionary, keeps
 * the words another program saved since the file was loaded, writes the
 * file a link leads to and leaves the link.  When it returns
 * SpellErrUdrSave (bit 2 set by SpellTerminate leaves it unchanged), the
 * thread's last system error (errno; GetLastError on Windows) tells why,
 * and a later SpellCloseUdr or SpellTerminate tries again.  A word accepted
 * with UdrIgnoreAlways and then added as a user word becomes one.
 * SpellOpenUdr with create non-zero first makes a user dictionary that
 * does not exist yet (empty); one that cannot be made gives SpellErrOpenUdr.
 */
#ifndef LUMOSPELL_ORTHEX_H
#define LUMOSPELL_ORTHEX_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#  if defined(ORTHEX_BUILDING)
#    define ORTHEX_API __declspec(dllexport)
#  else
#    define ORTHEX_API __declspec(dllimport)
#  endif
#else
#  define ORTHEX_API __attribute__((visibility("default")))
#endif

#include "call.h"

/* SpellCheck commands (only the low 16 bits of the command count). */
enum {
    CommandVerifyWord = 1,
    CommandVerifyBuffer = 2,
    CommandSuggest = 3,
    CommandSuggestMore = 4
};

/* Values of SpellReturnBuffer.status. */
enum {
    StatusNoErrors = 0,
    StatusUnknownWord = 1,
    StatusChangeAlways = 2,
    StatusNoMoreSuggestions = 8
};

/* Bits of the option word given to SpellOptions. */
enum {
    OptionIgnoreAllCapitals = 0x0002,
    OptionIgnoreWordsWithDigits = 0x0004
};

/* Engine codes. */
enum {
    SpellOk = 0,
    SpellErrOpenMdr = 3,        /* the main dictionary could not be loaded */
    SpellErrOpenUdr = 4,        /* the user dictionary could not be loaded */
    SpellErrMdrAccess = 0x8803, /* the main dictionary file cannot be found */
    SpellErrUdrSave = 0x8904,   /* the user dictionary could not be written back */
    /* The change table is full: 99 change-always pairs per load of the engine. */
    SpellErrChangeTableFull = 0x8905,
    /* Memory for an added word or a replacement could not be had. */
    SpellErrNoMemory = 0x8906,
    /* A required pointer argument was null. */
    SpellErrBadArgument = 0x8907,
    /* SpellAddUdr: a user word of 1,023 bytes or more, which the user
       dictionary's file could not give back whole. */
    SpellErrWordTooLong = 0x8908,
    /* SpellAddUdr: an empty user word, or one with a space, tab, comma or
       control byte, which the file would give back as other words. */
    SpellErrNotOneWord = 0x8909
};

/* User-dictionary identifiers between front and engine. */
enum {
    UdrIgnoreAlways = 0xFFFE,
    UdrChangeAlways = 0xFFFD
};

/* The session identifier handed out by SpellInit. */
enum { SessionId = 1 };

/* Size of the engine's report buffer; longer reported words are cut. */
enum { SpellReportBufferSize = 16384 };

typedef struct SpellInputBuffer {
    uint16_t textLength;    /* bytes of text to examine */
    uint16_t mainDictCount; /* carried, not read */
    uint16_t userDictCount; /* carried, not read */
    uint16_t spellState;    /* carried, not read */
    char* text;             /* writable; one byte past textLength must exist */
    void* mainDicts;        /* carried, not read */
    void* userDicts;        /* carried, not read */
} SpellInputBuffer;

typedef struct SpellReturnBuffer {
    uint16_t errorOffset;
    uint16_t errorLength;
    uint16_t status;
    uint16_t suggestionCount;
    uint16_t suggestionBytesUsed;
    uint16_t suggestionCapacity;
    char* suggestions;
    unsigned char* ratings;  /* never touched */
    uint16_t ratingCapacity; /* never touched */
} SpellReturnBuffer;

/* 1 */ ORTHEX_API uint16_t LUMOSPELL_CALL SpellVer(uint16_t* version, uint16_t* engine,
                                              uint16_t* type);
/* 2 */ ORTHEX_API uint16_t LUMOSPELL_CALL SpellInit(uint32_t* session, void* specialChars);
/* 3 */ ORTHEX_API uint16_t LUMOSPELL_CALL SpellOptions(uint32_t session, uint32_t options);
/* 4 */ ORTHEX_API uint16_t LUMOSPELL_CALL SpellCheck(uint32_t session, uint32_t command,
                                                SpellInputBuffer* input,
                                                SpellReturnBuffer* output);
/* 5 */ ORTHEX_API uint16_t LUMOSPELL_CALL SpellTerminate(uint32_t session, uint32_t force);
/* 6 */ ORTHEX_API uint16_t LUMOSPELL_CALL SpellVerifyMdr(const char* path,
                                                    uint16_t expectedLanguage,
                                                    uint16_t* language);
/* 7 */ ORTHEX_API uint16_t LUMOSPELL_CALL SpellOpenMdr(uint32_t session, const char* path,
                                                  const char* exceptionPath, int create,
                                                  int cache, uint16_t language,
                                                  void* mainDictRecord);
/* 8 */ ORTHEX_API uint16_t LUMOSPELL_CALL SpellOpenUdr(uint32_t session, const char* path,
                                                  int create, uint16_t udrType,
                                                  uint32_t* userDictId, int* readOnly);
/* 9 */ ORTHEX_API uint16_t LUMOSPELL_CALL SpellAddUdr(uint32_t session, uint32_t userDictId,
                                                 const char* word);
/* 10 */ ORTHEX_API uint16_t LUMOSPELL_CALL SpellAddChangeUdr(uint32_t session,
                                                        uint32_t userDictId,
                                                        const char* word,
                                                        const char* replacement);
/* 11 */ ORTHEX_API uint16_t LUMOSPELL_CALL SpellDelUdr(uint32_t session, uint32_t userDictId,
                                                  const char* word);
/* 12 */ ORTHEX_API uint16_t LUMOSPELL_CALL SpellClearUdr(uint32_t session, uint32_t userDictId);
/* 13 */ ORTHEX_API uint16_t LUMOSPELL_CALL SpellGetSizeUdr(uint32_t session,
                                                      uint32_t userDictId, uint16_t* count);
/* 14 */ ORTHEX_API uint16_t LUMOSPELL_CALL SpellGetListUdr(uint32_t session,
                                                      uint32_t userDictId, char* buffer,
                                                      uint16_t size);
/* 15 */ ORTHEX_API uint16_t LUMOSPELL_CALL SpellCloseMdr(uint32_t session, void* mainDictRecord);
/* 16 */ ORTHEX_API uint16_t LUMOSPELL_CALL SpellCloseUdr(uint32_t session, uint32_t userDictId,
                                                   uint32_t force);

/* The exports in ordinal order, for binding by name where there are no ordinals. */
#define ORTHEX_EXPORT_NAMES                                                           \
    "SpellVer", "SpellInit", "SpellOptions", "SpellCheck", "SpellTerminate",           \
        "SpellVerifyMdr", "SpellOpenMdr", "SpellOpenUdr", "SpellAddUdr",               \
        "SpellAddChangeUdr", "SpellDelUdr", "SpellClearUdr", "SpellGetSizeUdr",        \
        "SpellGetListUdr", "SpellCloseMdr", "SpellCloseUdr"

#ifdef __cplusplus
}
#endif

#endif
