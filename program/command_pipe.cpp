#include <errno.h>
#include <langinfo.h>

#include <csignal>
#include <cstring>

#include "program/commands.h"
#include "program/ispell_pipe.h"

namespace lumo::tool {

int run_pipe_command(const Options& o, Session& s) {
    Checker checker(s.api);
    checker.use_ranked(&s.ranked);
    // Editors pass the encoding of what they send, else it is the locale's.
    const FileEncoding encoding = o.encoding ? *o.encoding
                                             : encoding_of_codeset(nl_langinfo(CODESET))
                                                   .value_or(FileEncoding::Utf8);
    const ModeChoice mode = o.text_mode.value_or(ModeChoice());
    s.mode = engine_mode(o, mode.mode);  // kept when a save reopens the session
    s.api.mode(s.mode);
    DocumentView view(encoding, mode, (o.mode & ModeWebAddresses) != 0);
    PipeSession pipe{checker, view, s.api, [&] { return save_and_reopen(s); }, s.session_ignores};
    // A client that goes away ends the session normally, with its save.
    signal(SIGPIPE, SIG_IGN);
    if (o.arguments.empty()) return run_pipe(pipe, stdin, stdout);
    int result = ExitClean;
    bool banner = true;
    for (const std::string& file : o.arguments) {
        std::FILE* in = file == "-" ? stdin : std::fopen(file.c_str(), "rb");
        if (in == nullptr) {
            std::fprintf(stderr, "lumospell: %s: %s\n", file.c_str(), std::strerror(errno));
            result = ExitError;
            continue;
        }
        const int code = run_pipe(pipe, in, stdout, banner);
        banner = false;
        if (in != stdin) std::fclose(in);
        if (code != ExitClean) return code;
    }
    return result;
}

}  // namespace lumo::tool
