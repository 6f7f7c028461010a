// Each file under cases/ is read as the program reads a document: its
// encoding detected, the checker's view made, its mode (from the file
// name) applied.  Beside it, NAME.expected names the encoding and mode and
// lists the words left for checking as "LINE:COLUMN word".  With
// LUMOSPELL_WRITE_CASES=1 in the environment the test writes what it got
// there instead, for review.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "documents/text_encoding.h"
#include "documents/text_modes.h"
#include "documents/text_prepare.h"

using namespace lumo::tool;

namespace {

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> case_files() {
    std::vector<std::string> names;
    if (DIR* dir = opendir(LUMOSPELL_CASES_DIR)) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name[0] != '.' && name.find(".expected") == std::string::npos)
                names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The view of text that the checker gets, masked in one call or line by line.
std::string masked(const std::string& text, FileEncoding encoding, ModeChoice mode, bool by_line) {
    std::string view = text;
    make_checker_view(view, encoding);
    ProseFilter filter(mode);
    if (!by_line) {
        filter.mask(view);
        return view;
    }
    for (size_t start = 0; start < view.size();) {
        const size_t end = std::min(view.find('\n', start), view.size() - 1) + 1;
        filter.mask(view.data() + start, end - start);
        start = end;
    }
    return view;
}

std::string findings(const std::string& text, const std::string& view, FileEncoding encoding) {
    std::ostringstream out;
    PositionCounter counter(text, encoding);
    for (size_t i = 0; i < view.size();) {
        if (!is_word_char(static_cast<unsigned char>(view[i]))) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < view.size() && is_word_char(static_cast<unsigned char>(view[end]))) ++end;
        size_t start = i;
        while (start < end && (view[start] == '\'' || view[start] == '-')) ++start;
        size_t stop = end;
        while (stop > start && (view[stop - 1] == '\'' || view[stop - 1] == '-')) --stop;
        if (stop > start) {
            const TextPosition at = counter.at(start);
            out << at.line << ':' << at.column << ' ' << view.substr(start, stop - start) << '\n';
        }
        i = end;
    }
    return out.str();
}

}  // namespace

TEST(DocumentCases, EveryCaseGivesItsExpectedWords) {
    const std::vector<std::string> names = case_files();
    ASSERT_GE(names.size(), 10u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string text = read_file(std::string(LUMOSPELL_CASES_DIR "/") + name);
        const std::string expected_path =
            std::string(LUMOSPELL_CASES_DIR "/") + name.substr(0, name.rfind('.')) + ".expected";
        const FileEncoding encoding = detect_encoding(text);
        const ModeChoice mode = mode_for_file_name(name);
        const std::string view = masked(text, encoding, mode, false);
        ASSERT_EQ(view.size(), text.size());
        for (size_t k = 0; k < text.size(); ++k)
            ASSERT_EQ(view[k] == '\n', text[k] == '\n') << "at byte " << k;
        EXPECT_EQ(view, masked(text, encoding, mode, true)) << "masked line by line";
        std::string got = std::string("encoding: ") + encoding_name(encoding) +
                          "\nmode: " + mode_name(mode.mode) + "\n" + findings(text, view, encoding);
        if (std::getenv("LUMOSPELL_WRITE_CASES") != nullptr) std::ofstream(expected_path) << got;
        EXPECT_EQ(got, read_file(expected_path));
    }
}
