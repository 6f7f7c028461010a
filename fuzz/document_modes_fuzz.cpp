// Reading a document in every mode and encoding.  Input: a mode byte, an
// encoding byte, then the document.  Every word handed to the checker lies
// inside its view, and every word reported lies inside the document: its
// line among the document's lines, its column within that line.
#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "documents/document_reader.h"
#include "fuzz_support.h"

using namespace lumo::tool;

namespace {

const char* const Modes[] = {"text", "markdown", "html", "tex",    "email", "nroff",   "c",  "cpp",
                             "js",   "go",       "rust", "python", "shell", "comment", "xml"};
const FileEncoding Encodings[] = {FileEncoding::Utf8, FileEncoding::ShiftJis, FileEncoding::EucJp,
                                  FileEncoding::Latin1};

// A checker that reports every run of letters of the view.
bool every_word(std::string_view view, std::vector<Finding>& words) {
    for (size_t i = 0; i < view.size();) {
        const auto letter = [&](size_t k) {
            const unsigned char c = static_cast<unsigned char>(view[k]) | 0x20;
            return c >= 'a' && c <= 'z';
        };
        if (!letter(i)) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < view.size() && letter(end)) ++end;
        Finding f;
        f.offset = i;
        f.length = end - i;
        f.word = std::string(view.substr(i, end - i));
        words.push_back(std::move(f));
        i = end;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    DocumentSettings settings;
    FUZZ_CHECK(parse_mode_name(Modes[data[0] % (sizeof Modes / sizeof *Modes)], settings.mode),
               "mode %d", data[0]);
    // One value in five: detected from the bytes.
    if (data[1] % 5 < 4) settings.encoding = Encodings[data[1] % 5];
    settings.skip_web = data[1] & 0x80;
    const std::string document(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::string path = lumo::fuzz::scratch_file("document");
    FUZZ_CHECK(lumo::fuzz::write_bytes(path, document.data(), document.size()), "cannot write");
    // Line lengths in bytes: a column counts characters, never more.
    std::vector<size_t> lines(1, 0);
    for (const char c : document) {
        // Lines end at '\n' alone, as the reader counts them.
        if (c == '\n') lines.push_back(0);
        else ++lines.back();
    }
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    FUZZ_CHECK(fd >= 0, "cannot open");
    const CheckView check = [](std::string_view view, std::vector<Finding>& words) {
        const size_t before = words.size();
        every_word(view, words);
        for (size_t k = before; k < words.size(); ++k)
            FUZZ_CHECK(words[k].offset + words[k].length <= view.size(), "outside the view");
        return true;
    };
    size_t reported = 0;
    const FoundWord found = [&](const Finding& f, const TextPosition& at) {
        ++reported;
        FUZZ_CHECK(f.length > 0 && f.length <= document.size(), "length %zu", f.length);
        FUZZ_CHECK(at.line >= 1 && at.line <= lines.size(), "line %zu of %zu", at.line,
                   lines.size());
        FUZZ_CHECK(at.column >= 1 && at.column - 1 < lines[at.line - 1],
                   "column %zu past a line of %zu bytes", at.column, lines[at.line - 1]);
    };
    DocumentOutcome outcome;
    check_document(
        fd, check, settings, found, [] {}, outcome);
    close(fd);
    FUZZ_CHECK(reported <= document.size(), "%zu words in %zu bytes", reported, document.size());
    return 0;
}
