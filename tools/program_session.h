// One open session of the front with both dictionaries, as the commands
// that check or add words use it.
#pragma once

#include <string>
#include <vector>

#include "host_libraries.h"
#include "options.h"
#include "ranked_suggestions.h"

namespace lumo::tool {

struct Session {
    FrontApi api;
    std::string engine_path;
    std::string main_dict;
    std::string user_dict;
    unsigned mode = 0;
    int double_byte = 0;
    std::vector<std::string> session_ignores;
    RankedSuggestions ranked;

    // Opens again with what is kept here; false with a message in error.
    bool open(std::string& error);
    void close() { api.terminate(); }
};

// Saving happens when the session ends; reopens it right after, and
// exits with ExitError when that fails.
bool save_and_reopen(Session& s);

// Finds and binds the libraries, settles both dictionaries and opens.
bool open_session(const Options& o, Session& s, std::string& error);

}  // namespace lumo::tool
