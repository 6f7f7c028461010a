// One build: read the source into HeadwordSet, sort, write the word list,
// with the progress display and its cancel path.
#pragma once

#include <cstddef>
#include <cstdint>

#include "progress_display.h"

namespace lumo::builder {

constexpr size_t StreamBufferBytes = 32768;

// Texts in Shift-JIS, as the window functions take them.
// "[%s] <cannot be opened>"
constexpr char CannotOpenFormat[] = "[%s] \x82\xF0\x8A\x4A\x82\xAF\x82\xDC\x82\xB9\x82\xF1";
// "%3ld%% <processing>": the percentage right-aligned in three places.
constexpr char ProcessingFormat[] = "%3ld%% \x8F\x88\x97\x9D\x92\x86";
// "<writing the output>"
constexpr char WritingText[] = "\x8F\x6F\x97\xCD\x92\x86";

// Stored words between progress calls: the call comes with the 1001st.
constexpr int32_t InsertCounterLimit = 1000;

extern void* OwnerWindow;
extern ProgressHandle ProgressDialog;
extern int32_t Cancelled;
// 64-bit so that sources of 2 GiB and more are counted correctly.
extern int64_t TotalBytes;
extern int64_t DoneBytes;
extern int32_t LastPercent;
// Stored words since the last progress call; lives as long as the process.
extern int32_t InsertCounter;

// The whole-number percentage of done out of total (total > 0), always
// within 0..100 even when the source grew while it was read.
int32_t progress_percent(int64_t done, int64_t total) noexcept;

// Services the progress display; returns 1 (and sets Cancelled) when the
// display is gone, 0 otherwise.
int32_t PumpProgress() noexcept;

// The progress rhythm, called for every stored word: every 1001st calls
// PumpProgress.
void count_stored_word() noexcept;

// Enables the owner again and closes the display; safe to call twice.
void CloseProgressDialog() noexcept;

// qsort-style comparison of two word-pointer entries: unsigned bytes, a
// word before every longer word it begins, null entries last.
int CompareHeadwords(const void* a, const void* b) noexcept;

// Runs a whole build; both paths are NUL-terminated, never null.  Returns
// 0 when the source or the output cannot be opened, the output would
// replace the source, or the output could not be written (each after the
// cannot-open message); 1 otherwise, cancelled runs included.  A call made while a build runs
// returns 0 at once.
int32_t make_dictionary(void* owner, const char* source_path, const char* output_path) noexcept;

}  // namespace lumo::builder
