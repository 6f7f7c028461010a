#include <windows.h>

#include "progress.h"
#include "progress_dialog_win32.h"

namespace lumo::platform {

namespace {

HINSTANCE progress_module = nullptr;

enum class Mode { Closed, Dialog };

struct Display {
    Mode mode = Mode::Closed;
    HWND dialog = nullptr;
    void (*on_cancel)() = nullptr;
    // A quit request taken from the queue while pumping; posted again when
    // the display closes so that the host's own loop still sees it.
    bool quit_taken = false;
    WPARAM quit_code = 0;
};

Display display;

bool is_open(ProgressHandle handle) { return handle == &display && display.mode != Mode::Closed; }

// Answers FALSE to everything, WM_INITDIALOG included, so that the system
// gives no control the focus.  IDCANCEL is the cancel button, Escape and
// the close box alike.
INT_PTR CALLBACK progress_dialog_proc(HWND /*window*/, UINT message, WPARAM wparam,
                                      LPARAM /*lparam*/) {
    if (message == WM_COMMAND && LOWORD(wparam) == IDCANCEL && display.mode == Mode::Dialog &&
        display.on_cancel != nullptr)
        display.on_cancel();
    return FALSE;
}

}  // namespace

void set_progress_module(void* instance) { progress_module = static_cast<HINSTANCE>(instance); }

// The caption comes from the template.
ProgressHandle create_progress_dialog(void* owner, const char* /*caption*/, void (*on_cancel)()) {
    if (display.mode != Mode::Closed) return nullptr;
    display.on_cancel = on_cancel;
    display.quit_taken = false;
    display.dialog = CreateDialogParamA(progress_module, "MAKESPELLDIC", static_cast<HWND>(owner),
                                        progress_dialog_proc, 0);
    if (display.dialog == nullptr) return nullptr;
    display.mode = Mode::Dialog;
    ShowWindow(display.dialog, SW_SHOWNORMAL);
    return &display;
}

bool progress_dialog_exists(ProgressHandle dialog) {
    if (!is_open(dialog)) return false;
    return IsWindow(display.dialog) != FALSE;
}

bool dispatch_progress_message(ProgressHandle dialog) {
    if (!is_open(dialog)) return false;
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return false;
    if (message.message == WM_QUIT) {
        display.quit_taken = true;
        display.quit_code = message.wParam;
        return true;
    }
    if (!IsWindow(display.dialog) || !IsDialogMessageA(display.dialog, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
}

void set_progress_text(ProgressHandle dialog, const char* text) {
    if (!is_open(dialog) || text == nullptr) return;
    SetDlgItemTextA(display.dialog, IDC_PROGRESS_TEXT, text);
}

void destroy_progress_dialog(ProgressHandle dialog) {
    if (!is_open(dialog)) return;
    const Mode mode = display.mode;
    display.mode = Mode::Closed;
    if (mode == Mode::Dialog) {
        if (IsWindow(display.dialog)) DestroyWindow(display.dialog);
        display.dialog = nullptr;
    }
    if (display.quit_taken) {
        display.quit_taken = false;
        PostQuitMessage(static_cast<int>(display.quit_code));
    }
}

void enable_owner_window(void* owner, bool enable) {
    if (owner != nullptr) EnableWindow(static_cast<HWND>(owner), enable ? TRUE : FALSE);
}

void show_cannot_open(void* owner, const char* message, const char* /*path*/) {
    if (message == nullptr) return;
    MessageBoxA(static_cast<HWND>(owner), message, "", MB_OK);
}

}  // namespace lumo::platform
