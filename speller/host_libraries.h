// Finding and binding the LumoSpell libraries at run time, as a host does.
#pragma once

#include <string>

#include "lumospell/lexforge.h"
#include "lumospell/orthbridge.h"
#include "lumospell/ranker.h"

namespace lumo::tool {

struct FrontApi {
    decltype(&LumoSpellInit) init = nullptr;
    decltype(&LumoSpellInit2) init2 = nullptr;
    decltype(&LumoSpellTerminate) terminate = nullptr;
    decltype(&LumoSpellCheck) check = nullptr;
    decltype(&LumoSpellGetSuggestionFirst) suggestion_first = nullptr;
    decltype(&LumoSpellGetSuggestionNext) suggestion_next = nullptr;
    decltype(&LumoSpellIgnoreAlways) ignore_always = nullptr;
    decltype(&LumoSpellChangeAlways) change_always = nullptr;
    decltype(&LumoSpellAddWord) add_word = nullptr;
    decltype(&LumoSpellMode) mode = nullptr;
    decltype(&LumoSpellSetMessageHandler) set_message_handler = nullptr;
    decltype(&LumoSpellGetSaveResult) get_save_result = nullptr;
};

struct BuilderApi {
    decltype(&LumoSpellMakeDic) make_dic = nullptr;
    decltype(&LumoSpellSetProgressPresenter) set_progress_presenter = nullptr;
};

struct RankerApi {
    decltype(&LumoRankOpen) open = nullptr;
    decltype(&LumoRankUsesIndex) uses_index = nullptr;
    decltype(&LumoRankOpenUserDict) open_user_dict = nullptr;
    decltype(&LumoRankAddWord) add_word = nullptr;
    decltype(&LumoRankChangeAlways) change_always = nullptr;
    decltype(&LumoRankSuggest) suggest = nullptr;
    decltype(&LumoRankClose) close = nullptr;
};

// The folder this program runs from.
std::string program_dir();

// Where a library of ours lies: beside the program's lib folder, in the
// build tree or the installed tree.  Empty when it is nowhere to be found.
std::string find_library(const char* file_name);

// Loads and binds; on failure returns false with a message in error.
bool bind_front(const std::string& path, FrontApi& api, std::string& error);
bool bind_builder(const std::string& path, BuilderApi& api, std::string& error);
bool bind_ranker(const std::string& path, RankerApi& api, std::string& error);

}  // namespace lumo::tool
