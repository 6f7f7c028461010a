// The line protocol that editors use to drive an ispell-compatible checker
// ("-a" mode), and the plain list mode ("-l").
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "checker.h"

namespace lumo::tool {

constexpr char PipeBanner[] = "@(#) International Ispell Version 3.1.20 (but really LumoSpell " LUMOSPELL_VERSION ")";

struct PipeSession {
    Checker& checker;
    const FrontApi& api;
    // Saves the user dictionary ("#"); returns false when that failed, after
    // telling why, with the session's words kept.
    std::function<bool()> save_user_dictionary;
    // Words accepted for this session ("@"), kept across a save.
    std::vector<std::string>& session_ignores;
};

// Answers every line of input on output until the input ends.  Returns the
// process exit code.
int run_pipe(PipeSession& session, std::FILE* input, std::FILE* output);

// Prints every reported word of input, one per line.
int run_list(Checker& checker, std::FILE* input, std::FILE* output);

}  // namespace lumo::tool
