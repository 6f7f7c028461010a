// The build's progress display and its cannot-open message: a host
// presenter's when one is installed, else the system's (platform/).
#pragma once

#include <cstdint>

#include "lumospell/lexforge.h"
#include "progress.h"

namespace lumo::builder {

using lumo::platform::enable_owner_window;
using lumo::platform::ProgressHandle;

// What a host presenter is told; the values are part of the builder's
// public header.
constexpr int32_t ProgressShow = 1;     // text: the display's caption
constexpr int32_t ProgressStatus = 2;   // text: the new status text
constexpr int32_t ProgressPoll = 3;     // text: null; answer ProgressAnswerCancel to cancel
constexpr int32_t ProgressClose = 4;    // text: null
constexpr int32_t ProgressMessage = 5;  // text: a cannot-open message
constexpr int32_t ProgressAnswerContinue = 0;
constexpr int32_t ProgressAnswerCancel = 1;

// The caption of the "MAKESPELLDIC" template, in Shift-JIS: "<full-width
// Lumo> spell check kit:<building the dictionary>".
constexpr char ProgressCaption[] =
    "\x82\x6B\x82\x95\x82\x8D\x82\x8F\x83\x58\x83\x79\x83\x8B\x83\x60\x83\x46\x83\x62"
    "\x83\x4E\x83\x4C\x83\x62\x83\x67\x3A\x8E\xAB\x8F\x91\x8D\xEC\x90\xAC\x92\x86";

// The host's presenter, with the public header's calling convention.
using ProgressPresenter = LumoSpellProgressPresenter;

// Null removes it.  A display that is already open keeps the presenter it
// was opened with.
void set_progress_presenter(ProgressPresenter presenter, void* context) noexcept;

// The calls of platform/progress.h, spoken to the presenter when one was
// installed at the display's opening (or, for the message, now).
ProgressHandle create_progress_dialog(void* owner, void (*on_cancel)());
bool progress_dialog_exists(ProgressHandle dialog);
bool dispatch_progress_message(ProgressHandle dialog);
void set_progress_text(ProgressHandle dialog, const char* text);
void destroy_progress_dialog(ProgressHandle dialog);
void show_cannot_open(void* owner, const char* message, const char* path);

}  // namespace lumo::builder
