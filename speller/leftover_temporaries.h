// The temporary files of a build or save killed before it could remove
// them (.NAME.lumospell-XXXXXX of fix, .lumospell-build-XXXXXX of
// build-dict), removed by the next run that writes in the same folder.
#pragma once

#include <string>

namespace lumo::tool {

// Removes the regular files of those patterns in folder that were last
// changed before this process started: a younger one may be another
// run's save in progress.  Returns how many were removed.
int remove_leftover_temporaries(const std::string& folder);

// True when name (without its folder) is of one of those patterns.
bool is_leftover_temporary_name(const std::string& name);

}  // namespace lumo::tool
