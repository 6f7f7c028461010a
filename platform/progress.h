// The builder's progress display and its cannot-open message.
//
// On Windows the display is the modeless dialog made from the builder's
// "MAKESPELLDIC" template over the owner window; its cancel button calls
// on_cancel from inside dispatch_progress_message.  On Linux it is a host
// presenter when one is installed, else a one-line display on a terminal
// standard error (Ctrl-C asks to cancel), else nothing visible.  Texts
// are Shift-JIS (code page 932) as passed to the ANSI window functions.
#pragma once

#include <cstdint>

#include "lumospell/lexforge.h"

namespace lumo::platform {

// What a host presenter is told; the values are part of the builder's
// public header.
constexpr int32_t ProgressShow = 1;     // text: the display's caption
constexpr int32_t ProgressStatus = 2;   // text: the new status text
constexpr int32_t ProgressPoll = 3;     // text: null; answer ProgressAnswerCancel to cancel
constexpr int32_t ProgressClose = 4;    // text: null
constexpr int32_t ProgressMessage = 5;  // text: a cannot-open message
constexpr int32_t ProgressAnswerContinue = 0;
constexpr int32_t ProgressAnswerCancel = 1;

// The host's presenter, with the public header's calling convention.
using ProgressPresenter = LumoSpellProgressPresenter;

// Null removes it.  A display that is already open keeps the presenter it
// was opened with.
void set_progress_presenter(ProgressPresenter presenter, void* context);

using ProgressHandle = void*;

// Creates and shows the display over owner.  Null when it cannot be made;
// the other calls accept null and do nothing with it.  on_cancel runs when
// the user asks to cancel, only from inside dispatch_progress_message.
ProgressHandle create_progress_dialog(void* owner, void (*on_cancel)());

bool progress_dialog_exists(ProgressHandle dialog);

// Handles one pending message (user input, a cancel request); false when
// there was none.
bool dispatch_progress_message(ProgressHandle dialog);

void set_progress_text(ProgressHandle dialog, const char* text);

void destroy_progress_dialog(ProgressHandle dialog);

void enable_owner_window(void* owner, bool enable);

// Shows message (the Shift-JIS text with path inside it, as the caller
// passed it) and returns once it was seen.  path is given on its own so
// that a display that converts the Shift-JIS text leaves the path's bytes
// alone.
void show_cannot_open(void* owner, const char* message, const char* path);

}  // namespace lumo::platform
