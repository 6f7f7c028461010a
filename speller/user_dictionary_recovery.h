// Making sure the user dictionary is there before the engine opens it.
#pragma once

#include <functional>
#include <string>

namespace lumo::tool {

// The engine refuses a missing user dictionary.  A missing one is taken
// back, under the engine's save lock, from what a save that died between
// its renames left: its finished temporary list when that is complete and
// newer than the backup, else the backup; else it is created empty.
// Nothing is deleted; what was taken back is told to notice.  False with a
// message in error when that fails or the name holds something other than
// a regular file.
bool ensure_user_dictionary(const std::string& path, std::string& error,
                            const std::function<void(const std::string&)>& notice = {});

// Reads the user dictionary while no save runs, so that another program's
// save is never caught between its renames.  False when it cannot be read.
bool read_user_dictionary(const std::string& path, std::string& bytes);

// A finished save's bytes: at least one line, every line a non-empty
// word ended by CR LF, no NUL bytes.  Anything else may be cut short.
bool is_complete_word_list(const std::string& bytes);
bool is_complete_word_list_file(const std::string& path);

}  // namespace lumo::tool
