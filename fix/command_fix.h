// The fix command: each file corrected in the terminal, word by word.
#pragma once

#include <string>
#include <vector>

#include "speller/project_config.h"
#include "speller/spell_session.h"

namespace lumo::tool {

// Returns the process exit code: 0, 2 when a file was left alone or could
// not be saved, 128 + the signal when one stopped it.  Each file's project
// configuration leaves out its words; `p` adds to its word list.
int run_fix(const std::vector<std::string>& files, SpellSession& session, ProjectConfigs& configs);

}  // namespace lumo::tool
