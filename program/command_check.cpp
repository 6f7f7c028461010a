#include <errno.h>
#include <fcntl.h>
#include <langinfo.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "documents/document_reader.h"
#include "program/commands.h"
#include "program/report.h"

namespace lumo::tool {

bool read_all(std::FILE* in, std::string& text) {
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) text.append(buffer, n);
    return !std::ferror(in);
}

ModeChoice mode_of(const Options& o, const std::string& file) {
    if (o.text_mode) return *o.text_mode;
    return file == "-" ? ModeChoice() : mode_for_file_name(file);
}

unsigned engine_mode(const Options& o, TextMode mode) {
    return o.mode |
           (mode_accepts_words_with_digits(mode) ? static_cast<unsigned>(ModeIgnoreWordsWithDigits)
                                                 : 0u);
}

int for_each_document(const Options& o, SpellSession& s, const DocumentWord& word) {
    Checker checker(s);
    const bool suggest = o.suggest && o.command == "check";
    const CheckView check = [&](std::string_view view, std::vector<Finding>& words) {
        return checker.check(view, suggest, words);
    };
    std::vector<std::string> files = o.arguments;
    if (files.empty()) files.emplace_back("-");
    int result = ExitClean;
    for (const std::string& file : files) {
        const bool from_stdin = (file == "-");
        const std::string name = from_stdin ? "<stdin>" : file;
        const int fd = from_stdin ? 0 : open(file.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st;
        if (fd < 0 || (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode))) {
            std::fprintf(stderr, "lumospell: %s: %s\n", file.c_str(),
                         std::strerror(fd < 0 ? errno : EISDIR));
            if (fd > 0) close(fd);
            result = ExitError;
            continue;
        }
        DocumentSettings settings;
        settings.encoding = o.encoding;
        settings.mode = mode_of(o, file);
        settings.skip_web = (o.mode & ModeWebAddresses) != 0;
        s.set_mode(engine_mode(o, settings.mode.mode));
        checker.read_as(settings.mode);
        DocumentOutcome outcome;
        std::unique_ptr<OutputConverter> convert;
        const auto found = [&](const Finding& f, const TextPosition& at) {
            if (!convert)
                convert = std::make_unique<OutputConverter>(outcome.encoding, nl_langinfo(CODESET));
            word(name, f, at, *convert);
            if (result == ExitClean) result = ExitFound;
        };
        const bool ok = check_document(
            fd, check, settings, found, [] { std::fflush(stdout); }, outcome);
        if (o.verbose)
            std::fprintf(stderr, "lumospell: %s: %s (%s), mode %s\n", name.c_str(),
                         encoding_name(outcome.encoding),
                         outcome.encoding_detected ? "detected" : "given",
                         mode_name(settings.mode.mode));
        if (!from_stdin) close(fd);
        if (!ok) {
            std::fprintf(stderr, "lumospell: %s: %s\n", name.c_str(), outcome.error.c_str());
            result = ExitError;
        }
    }
    std::fflush(stdout);
    if (std::ferror(stdout)) return ExitError;
    return result;
}

int run_check(const Options& o, SpellSession& s) {
    return for_each_document(o, s,
                             [&](const std::string& name, const Finding& f, const TextPosition& at,
                                 OutputConverter& convert) { report(o, name, f, at, convert); });
}

}  // namespace lumo::tool
