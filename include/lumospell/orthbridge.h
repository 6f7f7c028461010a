/*
 * Orthbridge, the LumoSpell front library: what a host application calls to
 * check English text.  It loads the speller engine (Orthex) from a path the
 * host gives, opens one session with a main and a user dictionary, masks
 * what must not be checked (addresses, paths, punctuation, double-byte
 * characters) and reports the first unknown or change-always word.
 *
 * Plain C, usable from C and C++.  All state is process-global; call the
 * library from one thread at a time.  Every string is a NUL-terminated
 * 8-bit string in the host's character set.
 *
 * Typical use:
 *
 *     LumoSpellInit("/path/to/liborthex.so");
 *     LumoSpellInit2("main.dic", "user.dic", 0, 1);
 *     CheckResult result;
 *     if (LumoSpellCheck(text, &result) == CheckUnknownWord) {
 *         char suggestion[LumoSpellWordSize];
 *         int more = LumoSpellGetSuggestionFirst(suggestion);
 *         for (; more; more = LumoSpellGetSuggestionNext(suggestion)) ...
 *     }
 *     LumoSpellTerminate();
 */
#ifndef LUMOSPELL_ORTHBRIDGE_H
#define LUMOSPELL_ORTHBRIDGE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#  if defined(ORTHBRIDGE_BUILDING)
#    define ORTHBRIDGE_API __declspec(dllexport)
#  else
#    define ORTHBRIDGE_API __declspec(dllimport)
#  endif
#else
#  define ORTHBRIDGE_API __attribute__((visibility("default")))
#endif

#include "call.h"

enum {
    /* Size of CheckResult.word, CheckResult.replacement and of the buffer
       the suggestion functions write to. */
    LumoSpellWordSize = 256,
    /* Longest text that LumoSpellCheck examines in one call (see there). */
    LumoSpellMaxTextLength = 16383
};

/* Results of LumoSpellCheck. */
enum {
    CheckFailed = -1,      /* engine not bound, bad argument, or the engine failed */
    CheckNoErrors = 0,     /* every word was accepted */
    CheckUnknownWord = 1,  /* word holds the first unknown word */
    CheckChangeAlways = 2  /* word has a change-always replacement, in replacement */
};

/* Bits of LumoSpellMode. */
enum {
    ModeWebAddresses = 0x8000, /* mask "http://" runs and e-mail addresses (on at load) */
    ModePaths = 0x4000,        /* mask file paths and dotted names (off at load) */
    ModeEngineOptions = 0x3FFF, /* the bits passed to the engine, among them: */
    ModeIgnoreAllCapitals = 0x0002,     /* accept words made only of capitals */
    ModeIgnoreWordsWithDigits = 0x0004  /* accept words with or right after a digit */
};

/* What the word actions return for a null word or replacement. */
enum { LumoSpellErrBadArgument = 0x8907 };

/* The result of one check.  The three fields follow each other without
   gaps: 514 bytes, wordOffset at 0, word at 2, replacement at 258. */
typedef struct CheckResult {
    /* Byte offset of the reported word from the start of the checked text;
       0 when nothing was reported. */
    int16_t wordOffset;
    /* The reported word exactly as the host's text holds it (at most 255
       bytes); empty when nothing was reported. */
    char word[256];
    /* For CheckChangeAlways the replacement recorded for the word; for
       CheckUnknownWord the word as the engine saw it; for CheckNoErrors
       whatever word the engine reported last (possibly empty). */
    char replacement[256];
} CheckResult;

/* A negative array size stops the compile, in C89 and C++98 alike. */
typedef char LumoSpellCheckResultHasNoGaps[(sizeof(CheckResult) == 514 &&
                                            offsetof(CheckResult, word) == 2 &&
                                            offsetof(CheckResult, replacement) == 258)
                                               ? 1
                                               : -1];

/*
 * Loads the engine library at enginePath and binds its sixteen functions.
 * Returns 1 when the engine is bound, now or already before (then the path
 * is not looked at), and 0 when the library cannot be loaded or lacks any
 * of the sixteen functions; it is then released again.  A null path
 * returns 0 (or 1 when already bound).
 *
 * On Windows the current folder and PATH are never searched, so that no
 * planted DLL is loaded: a full path ("C:\..." or "\\server\...") is
 * loaded as it is; a bare name such as "Orthex.dll" or a relative path is
 * taken relative to the folder that holds Orthbridge.dll; a path rooted on
 * the current drive ("\x.dll", "C:x.dll") returns 0.  The engine's own
 * imports come from its folder and System32 only.
 */
ORTHBRIDGE_API int LUMOSPELL_CALL LumoSpellInit(const char* enginePath);

/*
 * Opens the engine session: the main dictionary mainDictFile and the user
 * dictionary userDictFile, both word-list files.  languageId 0 means 1033
 * (U.S. English).  doubleByte non-zero blanks every byte of 0x80 and above
 * before checking, the lead byte of a double-byte character together with
 * the byte after it.  Lead bytes are those of the locale's character set
 * as it stands at the first check: Shift-JIS for Shift-JIS and for the
 * plain C locale, none for UTF-8 (so English letters right after Japanese
 * characters are kept).  With doubleByte 0 such bytes stay (but never count
 * as letters), except 0xFF, which is always blanked with the byte after it.
 * Returns 1 on success, 0 on failure.  A user dictionary that does not
 * exist yet is created, empty, so that the words added are saved there.  A
 * dictionary that cannot be found, created or read shows a message
 * ("LumoSpell Error 112 ...", 124, 129, 134) and returns 0.  Returns 0 at once, without a message, when the engine is not
 * bound or either path is null.  May be called again to reopen: the words
 * added since the last save are saved first; when that fails the message
 * "LumoSpell Error 140 8904: ..." is shown, 0 is returned and the session
 * stays open with its words (see LumoSpellGetSaveResult).
 */
ORTHBRIDGE_API int LUMOSPELL_CALL LumoSpellInit2(const char* mainDictFile,
                                                 const char* userDictFile, int languageId,
                                                 int doubleByte);

/*
 * Ends the session (the engine writes the user dictionary back, with a
 * .BAK of the old one, if words were added) and unloads the engine.
 * Does nothing when the engine is not bound.  A save that fails is shown
 * as "LumoSpell Error 140 8904: the user dictionary could not be saved:
 * <reason>" before the engine is unloaded; the words added in the session
 * are then lost unless the host keeps them and adds them again.
 *
 * Saving is safe with several programs at once: saves of one folder's user
 * dictionaries take turns through the lock file "~~$LUMOSP$.LCK" beside
 * them, and a save keeps the words another program saved in the meantime.
 * A user dictionary that is a link stays one; the file it leads to is saved.
 */
ORTHBRIDGE_API void LUMOSPELL_CALL LumoSpellTerminate(void);

/*
 * The steps that can fail, as the messages and LumoSpellGetLastFailure
 * number them ("LumoSpell Error <step> <code>", the code in hexadecimal):
 *
 *   step  call                 message                          what failed
 *   100   LumoSpellInit        none                             loading the engine or
 *                                                               finding its functions
 *   112   LumoSpellInit2       "Error 112 <code> <language>"    finding the main dictionary
 *                                                               (8803: no such file)
 *   124   LumoSpellInit2       "Error 124 <code>"               reading the main dictionary
 *                                                               (3: cannot be loaded)
 *   129   LumoSpellInit2       "Error 129 <code>"               opening the user dictionary
 *                                                               (4: cannot be loaded)
 *   134   LumoSpellInit2       "Error 134 <code>"               the engine's options
 *   140   LumoSpellTerminate,  "Error 140 8904: the user        saving the user dictionary
 *         LumoSpellInit2       dictionary could not be saved:
 *                              <reason>"
 *   328   LumoSpellCheck       "Error <code>,328"               the engine's check
 *
 * <language> is the language the dictionary states, 65535 when none.
 */
enum {
    LumoSpellStepLoadEngine = 100,
    LumoSpellStepFindMainDict = 112,
    LumoSpellStepOpenMainDict = 124,
    LumoSpellStepOpenUserDict = 129,
    LumoSpellStepOptions = 134,
    LumoSpellStepSaveFailed = 140,
    LumoSpellStepCheck = 328
};

/*
 * The result of the last save of the user dictionary, by LumoSpellTerminate
 * or by a reopen through LumoSpellInit2: 0 when it worked or nothing was to
 * be saved, else the engine's code (0x8904).  With reason non-null and
 * reasonSize above 0, the reason of a failure (the system's wording, such
 * as "No space left on device"; empty after success) is copied there, cut
 * to fit and NUL-terminated.  Still answers after LumoSpellTerminate; the
 * engine need not be bound.
 */
ORTHBRIDGE_API int LUMOSPELL_CALL LumoSpellGetSaveResult(char* reason, int reasonSize);

/*
 * Checks text and stops at the first word to report; returns CheckNoErrors,
 * CheckUnknownWord or CheckChangeAlways and fills *result.  To go on past a
 * reported word, check again from a later position in the text.
 *
 * Only the first LumoSpellMaxTextLength bytes can be examined.  A longer
 * text is cut after the last byte within that limit that cannot belong to a
 * word, address or path (a space, a control character, a comma and the
 * like; not a letter, digit or one of ' . - _ @ : / \), so that nothing is
 * split and no piece of a word is reported; a double-byte character (as
 * doubleByte and the lead bytes pair them) is never split either.  The
 * rest is not examined: the host checks it in a later call.  A text whose
 * first 16,384 bytes hold no such byte is not examined at all
 * (CheckNoErrors).
 *
 * Returns CheckFailed, leaving *result untouched, when the engine is not
 * bound, when text or result is null, or when the engine fails (a message
 * "LumoSpell Error <code>,328" is shown).
 */
ORTHBRIDGE_API int LUMOSPELL_CALL LumoSpellCheck(const char* text, CheckResult* result);

/*
 * Collects the suggestions for the word the last LumoSpellCheck reported
 * (at most 100) and copies the first into out, a buffer of
 * LumoSpellWordSize bytes.  Returns 1 if a suggestion was copied; else 0
 * with out empty.  With out null nothing happens and 0 is returned.
 */
ORTHBRIDGE_API int LUMOSPELL_CALL LumoSpellGetSuggestionFirst(char* out);

/*
 * Copies the next collected suggestion into out (LumoSpellWordSize bytes).
 * Returns 1 if one was copied; else 0 with out empty, also after the last
 * one.  With out null nothing happens and 0 is returned.
 */
ORTHBRIDGE_API int LUMOSPELL_CALL LumoSpellGetSuggestionNext(char* out);

/*
 * The user's decisions.  Each returns the engine's code unchanged (0 for
 * success), 0 when the engine is not bound, and LumoSpellErrBadArgument
 * for a null word or replacement (the engine is then not called).
 *   IgnoreAlways: the word is accepted for the rest of the session.
 *   ChangeAlways: later checks report the word with CheckChangeAlways and
 *                 the replacement (never saved).
 *   AddWord:      the word goes into the user dictionary, saved at
 *                 LumoSpellTerminate, also after IgnoreAlways for it.  A
 *                 word the dictionary's file could not give back as this
 *                 one word is refused: 0x8908 for 1,023 bytes or more,
 *                 0x8909 when empty or with a space, tab, comma or control
 *                 byte.
 */
ORTHBRIDGE_API int LUMOSPELL_CALL LumoSpellIgnoreAlways(const char* word);
ORTHBRIDGE_API int LUMOSPELL_CALL LumoSpellChangeAlways(const char* word,
                                                        const char* replacement);
ORTHBRIDGE_API int LUMOSPELL_CALL LumoSpellAddWord(const char* word);

/*
 * Sets the masking (ModeWebAddresses, ModePaths) for later checks and
 * passes the low 14 bits to the engine as its options.  Returns 1 if the
 * engine accepted the options, else 0 (the masking is changed all the
 * same).  Returns 0 and changes nothing when the engine is not bound.
 */
ORTHBRIDGE_API int LUMOSPELL_CALL LumoSpellMode(unsigned int flags);

/*
 * Error messages.  A failing call presents its message and returns only
 * afterwards.  By default the message is shown in a message box captioned
 * "LumoSpell" on Windows, and goes to standard error as one line,
 * "LumoSpell: <text>", elsewhere.  A host can present it itself: the handler receives
 * the text, the caption "LumoSpell" and the context given here, and should
 * return once the user has seen the message.  A null handler restores the
 * default.
 */
typedef void(LUMOSPELL_CALL* LumoSpellMessageHandler)(const char* text, const char* caption,
                                                      void* context);
ORTHBRIDGE_API void LUMOSPELL_CALL LumoSpellSetMessageHandler(LumoSpellMessageHandler handler,
                                                              void* context);

/*
 * The last failure since the last LumoSpellInit2 that succeeded: returns
 * its step (table above; 0 when nothing failed) and stores the engine's
 * code in *code (0 for step 100), the file it concerned in path (the
 * engine's or a dictionary's; empty for step 328) and the reason in reason
 * (the system's wording, such as "No such file or directory", or what the
 * library found, "unknown reason" when there is none), each cut to fit its
 * size and NUL-terminated.  Any pointer may be null (a size of 0 or less
 * leaves its buffer alone).  Still answers after LumoSpellTerminate; the
 * engine need not be bound.
 */
ORTHBRIDGE_API int LUMOSPELL_CALL LumoSpellGetLastFailure(int* code, char* path, int pathSize,
                                                          char* reason, int reasonSize);

#ifdef __cplusplus
}
#endif

#endif
