#include <errno.h>
#include <sys/stat.h>

#include <cstring>
#include <vector>

#include "checker.h"
#include "commands.h"
#include "report.h"

namespace lumo::tool {

bool read_all(std::FILE* in, std::string& text) {
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) text.append(buffer, n);
    return !std::ferror(in);
}

int run_check(const Options& o, Session& s) {
    Checker checker(s.api, encoding_from_locale());
    s.ranked.set_max(o.max_suggestions);
    checker.use_ranked(&s.ranked);
    std::vector<std::string> files = o.arguments;
    if (files.empty()) files.emplace_back("-");
    int result = ExitClean;
    for (const std::string& file : files) {
        std::string text;
        const bool from_stdin = (file == "-");
        std::FILE* in = from_stdin ? stdin : std::fopen(file.c_str(), "rb");
        struct stat st;
        if (in != nullptr && !from_stdin && fstat(fileno(in), &st) == 0 && S_ISDIR(st.st_mode)) {
            std::fclose(in);
            in = nullptr;
            errno = EISDIR;
        }
        if (in == nullptr) {
            std::fprintf(stderr, "lumospell: %s: %s\n", file.c_str(), std::strerror(errno));
            result = ExitError;
            continue;
        }
        const bool ok = read_all(in, text);
        if (!from_stdin) std::fclose(in);
        if (!ok) {
            std::fprintf(stderr, "lumospell: %s: read error\n", file.c_str());
            result = ExitError;
            continue;
        }
        std::vector<Finding> findings;
        if (!checker.check(text, o.suggest, findings)) {
            std::fprintf(stderr, "lumospell: %s: the checker failed\n", file.c_str());
            result = ExitError;
            continue;
        }
        report(o, from_stdin ? "<stdin>" : file, text, findings, checker.encoding());
        if (!findings.empty() && result == ExitClean) result = ExitFound;
    }
    std::fflush(stdout);
    if (std::ferror(stdout)) return ExitError;
    return result;
}

}  // namespace lumo::tool
