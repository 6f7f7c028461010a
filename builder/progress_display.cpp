#include "progress_display.h"

namespace lumo::builder {

namespace platform = lumo::platform;

namespace {

ProgressPresenter installed_presenter = nullptr;
void* installed_context = nullptr;

// The display while a presenter shows it; its address is the handle.
struct PresenterDisplay {
    bool open = false;
    ProgressPresenter presenter = nullptr;
    void* context = nullptr;
    void (*on_cancel)() = nullptr;
};

PresenterDisplay shown;

bool is_presenter(ProgressHandle dialog) { return dialog == &shown; }

bool is_open(ProgressHandle dialog) { return is_presenter(dialog) && shown.open; }

}  // namespace

void set_progress_presenter(ProgressPresenter presenter, void* context) noexcept {
    installed_presenter = presenter;
    installed_context = context;
}

ProgressHandle create_progress_dialog(void* owner, void (*on_cancel)()) {
    if (shown.open) return nullptr;
    if (installed_presenter == nullptr)
        return platform::create_progress_dialog(owner, ProgressCaption, on_cancel);
    shown = {true, installed_presenter, installed_context, on_cancel};
    shown.presenter(shown.context, ProgressShow, ProgressCaption);
    return &shown;
}

bool progress_dialog_exists(ProgressHandle dialog) {
    return is_presenter(dialog) ? shown.open : platform::progress_dialog_exists(dialog);
}

bool dispatch_progress_message(ProgressHandle dialog) {
    if (!is_presenter(dialog)) return platform::dispatch_progress_message(dialog);
    if (!shown.open ||
        shown.presenter(shown.context, ProgressPoll, nullptr) != ProgressAnswerCancel)
        return false;
    if (shown.on_cancel != nullptr) shown.on_cancel();
    return true;
}

void set_progress_text(ProgressHandle dialog, const char* text) {
    if (!is_presenter(dialog)) return platform::set_progress_text(dialog, text);
    if (shown.open && text != nullptr) shown.presenter(shown.context, ProgressStatus, text);
}

void destroy_progress_dialog(ProgressHandle dialog) {
    if (!is_presenter(dialog)) return platform::destroy_progress_dialog(dialog);
    if (!is_open(dialog)) return;
    shown.open = false;
    shown.presenter(shown.context, ProgressClose, nullptr);
}

void show_cannot_open(void* owner, const char* message, const char* path) {
    if (message == nullptr) return;
    if (installed_presenter == nullptr) return platform::show_cannot_open(owner, message, path);
    installed_presenter(installed_context, ProgressMessage, message);
}

}  // namespace lumo::builder
