// The program's commands; each returns the process exit code.
#pragma once

#include <cstdio>
#include <string>

#include "options.h"
#include "program_session.h"

namespace lumo::tool {

int run_check(const Options& o, Session& s);
int run_add(const Options& o, Session& s);
int run_build(const Options& o);
int run_pipe_command(Session& s);
int run_list_command(Session& s);
int run_fix(const Options& o, Session& s);
int run_lsp_command(const Options& o);

// Reads the whole stream; false on a read error.
bool read_all(std::FILE* in, std::string& text);

}  // namespace lumo::tool
