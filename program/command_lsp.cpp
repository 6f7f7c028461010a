#include <signal.h>
#include <unistd.h>

#include "lsp/lsp_server.h"
#include "program/commands.h"

namespace lumo::tool {

int run_lsp_command(const Options& o) {
    // A client that goes away must end the server through a failed write,
    // not a signal.
    signal(SIGPIPE, SIG_IGN);
    ServerOptions options;
    options.main_dict = o.main_dict;
    options.user_dict = o.user_dict;
    options.language = o.language;
    return serve_lsp(STDIN_FILENO, STDOUT_FILENO, options);
}

}  // namespace lumo::tool
