#include "commands.h"
#include "ispell_pipe.h"

namespace lumo::tool {

int run_list_command(Session& s) {
    Checker checker(s.api, encoding_from_locale());
    return run_list(checker, stdin, stdout);
}

}  // namespace lumo::tool
