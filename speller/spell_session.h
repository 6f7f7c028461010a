// One open session of the front with both dictionaries, as the commands
// that check or add words use it.
#pragma once

#include <string>
#include <vector>

#include "speller/host_libraries.h"
#include "program/options.h"
#include "speller/ranked_suggestions.h"

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
    // Why the last save failed; empty after one that worked.
    std::string save_error;

    // Opens again with what is kept here; false with a message in error.
    bool open(std::string& error);
    // Ends the session with its save; false with save_error set when the
    // save failed.
    bool close();
    // Reads the last save's result into save_error; false when it failed.
    bool last_save_worked();
    // The check mode and the words accepted for the session, again.
    void apply_settings();
};

// Saves the words added so far and reopens, so that others' words come
// in.  When the save fails, says so on standard error and keeps the
// session open with its words; false then.  Exits with ExitError when the
// reopen fails otherwise.
bool save_and_reopen(Session& s);

// The same without a word to the user: whether the session was saved and
// reopened with its settings, could not be saved (it stays open with its
// words; save_error says why), or could not be opened again.
enum class Reopened { Done, SaveFailed, OpenFailed };
Reopened reopen_saving(Session& s);

// Tells the user that the session's save failed, with the reason.
void report_save_failure(const Session& s);

// Finds and binds the libraries, settles both dictionaries and opens.
bool open_session(const Options& o, Session& s, std::string& error);

}  // namespace lumo::tool
