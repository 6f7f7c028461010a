// The line protocol that editors use to drive an ispell-compatible checker
// ("-a" mode), and the plain list mode ("-l").
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "documents/document_reader.h"
#include "speller/checker.h"
#include "speller/spell_session.h"

namespace lumo::tool {

constexpr char PipeBanner[] =
    "@(#) International Ispell Version 3.1.20 (but really LumoSpell " LUMOSPELL_VERSION ")";

struct PipeSession {
    Checker& checker;
    // The view of the lines an editor sends, in its encoding and mode.
    DocumentView& view;
    // Takes the words added ("*", "&") and accepted for the session ("@").
    SpellSession& speller;
    // Saves the user dictionary ("#"); returns false when that failed, after
    // telling why, with the session's words kept.
    std::function<bool()> save_user_dictionary;
};

// Answers every line of input on output until the input ends, after the
// banner when asked.  Returns the process exit code.
int run_pipe(PipeSession& session, std::FILE* input, std::FILE* output, bool banner = true);

}  // namespace lumo::tool
