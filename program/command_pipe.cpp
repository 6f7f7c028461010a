#include <errno.h>
#include <langinfo.h>

#include <csignal>
#include <cstdlib>
#include <cstring>

#include "program/commands.h"
#include "program/ispell_pipe.h"

namespace lumo::tool {

namespace {

// Saves and reopens; a failure to save is told and the session goes on
// with its words, a failure to reopen ends the program.
bool save_user_dictionary(SpellSession& s) {
    switch (s.save_and_reopen()) {
        case Reopened::Done: return true;
        case Reopened::SaveFailed:
            std::fprintf(stderr,
                         "lumospell: could not save the user dictionary %s: %s; its new words are "
                         "kept for this session\n",
                         s.user_dict().c_str(), s.save_error().c_str());
            return false;
        case Reopened::OpenFailed: break;
    }
    std::fprintf(stderr, "lumospell: cannot reopen the dictionaries (main %s, user %s)\n",
                 s.main_dict().c_str(), s.user_dict().c_str());
    std::exit(ExitError);
}

}  // namespace

int run_pipe_command(const Options& o, SpellSession& s) {
    Checker checker(s);
    // Editors pass the encoding of what they send, else it is the locale's.
    const FileEncoding encoding =
        o.encoding ? *o.encoding
                   : encoding_of_codeset(nl_langinfo(CODESET)).value_or(FileEncoding::Utf8);
    const ModeChoice mode = o.text_mode.value_or(ModeChoice());
    s.set_mode(engine_mode(o, mode.mode));  // kept when a save reopens the session
    DocumentView view(encoding, mode, (o.mode & ModeWebAddresses) != 0);
    PipeSession pipe{checker, view, s, [&] { return save_user_dictionary(s); }};
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
