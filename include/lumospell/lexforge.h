/*
 * Lexforge, the LumoSpell dictionary builder: turns the Shift-JIS text of
 * an English-Japanese dictionary into a main word-list file for Orthex.
 *
 * Plain C, usable from C and C++.  All state is process-global; call from
 * one thread, one build at a time.
 */
#ifndef LUMOSPELL_LEXFORGE_H
#define LUMOSPELL_LEXFORGE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#  if defined(LEXFORGE_BUILDING)
#    define LEXFORGE_API __declspec(dllexport)
#  else
#    define LEXFORGE_API __declspec(dllimport)
#  endif
#else
#  define LEXFORGE_API __attribute__((visibility("default")))
#endif

#include "call.h"

/*
 * Builds the word list at outputPath from the dictionary text at
 * sourcePath: every English headword-like token, once, sorted by unsigned
 * byte value, each written as the word followed by CR LF.  The build runs
 * on the calling thread and shows a cancellable progress display over
 * owner (a window handle on Windows; pass NULL elsewhere), which is
 * disabled while the build runs.
 *
 * Returns 0 when the source or the output cannot be opened, when the
 * output names the source file itself (under any spelling or through a
 * link), or when the output could not be written completely; the
 * cannot-open message "[<path>] ..." has then named the path, and no
 * output file is left.  Returns 1 otherwise: the build completed, or it was
 * cancelled, in which case the output file has been deleted; a build whose
 * owner window is closed while it runs ends as cancelled.  A call made
 * while a build runs (from a presenter, say) returns 0 and does nothing.
 */
LEXFORGE_API int32_t LUMOSPELL_CALL LumoSpellMakeDic(void* owner, const char* sourcePath,
                                                     const char* outputPath);

/* What a progress presenter is told. */
enum {
    /* A build starts; text is the caption of its progress display. */
    LumoSpellProgressShow = 1,
    /* The status changed; text is the new status line: the percentage
       read ("%3ld%% " and "processing") while reading, only when the whole
       number changes, then "writing" when the words are sorted and
       written. */
    LumoSpellProgressStatus = 2,
    /* A progress call during reading, once per 1001 new words; text is
       NULL.  Answer LumoSpellProgressCancel to cancel the build, as the
       cancel button of the display would. */
    LumoSpellProgressPoll = 3,
    /* The display closes (the build ended or was cancelled); text is NULL. */
    LumoSpellProgressClose = 4,
    /* A file cannot be opened or written; text is the message naming its
       path.  Comes outside Show ... Close. */
    LumoSpellProgressMessage = 5
};

/* Answers of a presenter.  Only the answer to LumoSpellProgressPoll is read. */
enum {
    LumoSpellProgressContinue = 0,
    LumoSpellProgressCancel = 1
};

/*
 * Receives the texts of the progress display and of the cannot-open
 * message instead of the system's own display.  Texts are Shift-JIS
 * (code page 932), NUL-terminated, valid only during the call; a path
 * inside a message keeps the bytes the caller passed.  The presenter is
 * called on the building thread and must return normally (no exceptions,
 * no longjmp); it may not start another build.
 */
typedef int32_t(LUMOSPELL_CALL* LumoSpellProgressPresenter)(void* context, int32_t event,
                                                           const char* text);

/*
 * Installs presenter, with context handed back on every call, for the
 * builds that start from now on; NULL returns to the system's display.
 * Without a presenter on Linux, a terminal on standard error shows a
 * one-line display (Ctrl-C there cancels the build while it reads), and
 * otherwise nothing is drawn; the cannot-open message goes to standard
 * error, converted to the user's character set.
 */
LEXFORGE_API void LUMOSPELL_CALL
LumoSpellSetProgressPresenter(LumoSpellProgressPresenter presenter, void* context);

#ifdef __cplusplus
}
#endif

#endif
