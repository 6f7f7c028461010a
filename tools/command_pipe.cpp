#include <csignal>

#include "commands.h"
#include "ispell_pipe.h"

namespace lumo::tool {

int run_pipe_command(Session& s) {
    Checker checker(s.api, encoding_from_locale());
    checker.use_ranked(&s.ranked);
    PipeSession pipe{checker, s.api, [&] { return save_and_reopen(s); }, s.session_ignores};
    // A client that goes away ends the session normally, with its save.
    signal(SIGPIPE, SIG_IGN);
    return run_pipe(pipe, stdin, stdout);
}

}  // namespace lumo::tool
