// Where the program's dictionaries are when the command line names none.
#pragma once

#include <string>

namespace lumo::tool {

// The main dictionary installed with the program; empty if missing.
std::string default_main_dictionary();

// The folder of the installed dictionaries and the ranker's files.
std::string installed_data_dir();

// A file installed beside the default main dictionary; empty if missing.
std::string default_data_file(const char* name);

// $XDG_DATA_HOME/lumospell/user.dic, else ~/.local/share/lumospell/user.dic,
// its folder created; empty with a message in error when there is no home.
std::string default_user_dictionary(std::string& error);

// A warning when the main dictionary at path is a Hunspell one (a word
// count on its first line and an .aff file beside it), whose affix flags
// the engine cannot read; empty otherwise.
std::string hunspell_dictionary_warning(const std::string& path);

}  // namespace lumo::tool
