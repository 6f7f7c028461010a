#include <unistd.h>

#include "commands.h"
#include "host_libraries.h"

namespace lumo::tool {

int run_build(const Options& o) {
    if (o.arguments.size() != 2) usage_error("build-dict needs SOURCE and OUTPUT");
    const std::string path = find_library("liblexforge.so");
    BuilderApi api;
    std::string error;
    if (path.empty()) error = "cannot find liblexforge.so beside " + program_dir();
    if (!error.empty() || !bind_builder(path, api, error)) {
        std::fprintf(stderr, "lumospell: %s\n", error.c_str());
        return ExitError;
    }
    const char* output = o.arguments[1].c_str();
    if (api.make_dic(nullptr, o.arguments[0].c_str(), output) != 1) return ExitError;
    if (access(output, F_OK) != 0) {
        std::fprintf(stderr, "lumospell: cancelled; %s was not written\n", output);
        return ExitCancelled;
    }
    return ExitClean;
}

}  // namespace lumo::tool
