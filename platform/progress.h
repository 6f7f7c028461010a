// The system's progress display and its cannot-open message, as the
// builder uses them when no host presenter takes their place.
//
// On Windows the display is the modeless dialog made from the builder's
// "MAKESPELLDIC" template over the owner window; its cancel button calls
// on_cancel from inside dispatch_progress_message.  On Linux it is a
// one-line display on a terminal standard error (Ctrl-C asks to cancel),
// else nothing visible.  Texts are Shift-JIS (code page 932) as passed to
// the ANSI window functions.
#pragma once

namespace lumo::platform {

using ProgressHandle = void*;

// Creates and shows the display over owner, with caption where the system
// does not take it from the template.  Null when it cannot be made or one
// is open already; the other calls accept null and do nothing with it.
// on_cancel runs when the user asks to cancel, only from inside
// dispatch_progress_message.
ProgressHandle create_progress_dialog(void* owner, const char* caption, void (*on_cancel)());

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
