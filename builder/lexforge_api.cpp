// The builder's exports: each checks its arguments and hands the work,
// guarded, to the build run.
#include "build_run.h"
#include "common/export_guard.h"
#include "lumospell/lexforge.h"
#include "progress_display.h"

namespace builder = lumo::builder;
using lumo::common::guarded;

static_assert(LumoSpellProgressShow == builder::ProgressShow, "presenter events");
static_assert(LumoSpellProgressStatus == builder::ProgressStatus, "presenter events");
static_assert(LumoSpellProgressPoll == builder::ProgressPoll, "presenter events");
static_assert(LumoSpellProgressClose == builder::ProgressClose, "presenter events");
static_assert(LumoSpellProgressMessage == builder::ProgressMessage, "presenter events");
static_assert(LumoSpellProgressCancel == builder::ProgressAnswerCancel, "presenter answers");

extern "C" {

LEXFORGE_API int32_t LUMOSPELL_CALL LumoSpellMakeDic(void* owner, const char* sourcePath,
                                                     const char* outputPath) {
    // A missing path is a path that cannot be opened; the message names it
    // as empty.
    if (sourcePath == nullptr) sourcePath = "";
    if (outputPath == nullptr) outputPath = "";
    return guarded(int32_t{0},
                   [&] { return builder::make_dictionary(owner, sourcePath, outputPath); });
}

LEXFORGE_API void LUMOSPELL_CALL LumoSpellSetProgressPresenter(LumoSpellProgressPresenter presenter,
                                                               void* context) {
    guarded([&] { builder::set_progress_presenter(presenter, context); });
}

}  // extern "C"
