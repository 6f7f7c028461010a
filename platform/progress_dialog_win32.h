/* The builder's progress dialog: what its resource script and the code
   that drives the dialog share. */
#ifndef LUMOSPELL_PROGRESS_DIALOG_WIN32_H
#define LUMOSPELL_PROGRESS_DIALOG_WIN32_H

/* The status line of the "MAKESPELLDIC" template. */
#define IDC_PROGRESS_TEXT 100

#ifndef RC_INVOKED
namespace lumo::platform {

// The module whose resources hold the template; the builder library's
// entry point passes its own instance handle.
void set_progress_module(void* instance);

}  // namespace lumo::platform
#endif

#endif
