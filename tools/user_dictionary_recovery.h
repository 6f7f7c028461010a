// Making sure the user dictionary is there before the engine opens it.
#pragma once

#include <string>

namespace lumo::tool {

// The engine refuses a missing user dictionary.  A missing one is taken
// back from the backup that a save which died between its renames left
// (the engine's own backup name), else created empty.  False with a
// message in error when neither works.
bool ensure_user_dictionary(const std::string& path, std::string& error);

}  // namespace lumo::tool
