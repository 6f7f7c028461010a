// The builder's exports: argument checks, then the plain C++ build.
#include "build_run.h"
#include "lumospell/lexforge.h"
#include "progress.h"

namespace platform = lumo::platform;

static_assert(LumoSpellProgressShow == platform::ProgressShow, "presenter events");
static_assert(LumoSpellProgressStatus == platform::ProgressStatus, "presenter events");
static_assert(LumoSpellProgressPoll == platform::ProgressPoll, "presenter events");
static_assert(LumoSpellProgressClose == platform::ProgressClose, "presenter events");
static_assert(LumoSpellProgressMessage == platform::ProgressMessage, "presenter events");
static_assert(LumoSpellProgressCancel == platform::ProgressAnswerCancel, "presenter answers");

extern "C" {

LEXFORGE_API int32_t LUMOSPELL_CALL LumoSpellMakeDic(void* owner, const char* sourcePath,
                                                     const char* outputPath) {
    // A missing path is a path that cannot be opened; the message names it
    // as empty.
    return lumo::builder::make_dictionary(owner, sourcePath != nullptr ? sourcePath : "",
                                          outputPath != nullptr ? outputPath : "");
}

LEXFORGE_API void LUMOSPELL_CALL
LumoSpellSetProgressPresenter(LumoSpellProgressPresenter presenter, void* context) {
    platform::set_progress_presenter(presenter, context);
}

}  // extern "C"
