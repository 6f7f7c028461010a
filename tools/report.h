// How check prints what it found: "FILE:LINE:COLUMN: word: suggestions"
// or one JSON object per word.
#pragma once

#include <string>
#include <vector>

#include "checker.h"
#include "options.h"

namespace lumo::tool {

void report(const Options& o, const std::string& name, const std::string& text,
            const std::vector<Finding>& findings, TextEncoding encoding);

}  // namespace lumo::tool
