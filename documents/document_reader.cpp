#include "documents/document_reader.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "documents/text_prepare.h"

namespace lumo::tool {

namespace {

constexpr size_t BlockBytes = 64 * 1024;
// A line longer than this is checked in pieces cut at blanks.
constexpr size_t LongestPiece = 64 * 1024;

bool is_word_byte(char c) { return is_word_char(static_cast<unsigned char>(c)); }

// Position of an offset of a block, from the block's own position and the
// offset's position within the block.
TextPosition combine(const TextPosition& base, const TextPosition& within) {
    if (within.line == 1) return {base.line, base.column + within.column - 1};
    return {base.line + within.line - 1, within.column};
}

ssize_t read_some(int fd, char* buffer, size_t size) {
    for (;;) {
        const ssize_t n = read(fd, buffer, size);
        if (n >= 0 || errno != EINTR) return n;
    }
}

class DocumentRun {
public:
    DocumentRun(const CheckView& check, const DocumentSettings& settings, FileEncoding encoding,
                const FoundWord& found)
        : check_(check), view_(encoding, settings.mode, settings.skip_web), found_(found) {}

    // Checks what of buffer can be checked now (all of it at the end) and
    // drops it from buffer.
    bool take(std::string& buffer, bool at_end);

private:
    bool check_block(std::string_view block, bool cut_in_run);
    // The long runs of view, blanked, with their positions.
    std::vector<std::pair<Finding, TextPosition>> take_long_runs(std::string_view block,
                                                                 std::string& view,
                                                                 bool cut_in_run);

    const CheckView& check_;
    DocumentView view_;
    const FoundWord& found_;
    size_t base_ = 0;  // offset of the next block in the document
    TextPosition base_position_;
    LongRuns runs_;
    TextPosition run_position_;  // of the run held open at the end of the last block
};

bool DocumentRun::take(std::string& buffer, bool at_end) {
    size_t cut = buffer.size();
    bool cut_in_run = false;
    if (!at_end) {
        const size_t line_end = buffer.rfind('\n');
        if (line_end != std::string::npos) {
            cut = line_end + 1;
        } else if (buffer.size() > LongestPiece) {
            cut = piece_end(buffer, 0, LongestPiece);
            if (cut == LongestPiece) {
                cut = complete_prefix(std::string_view(buffer).substr(0, LongestPiece),
                                      view_.encoding());
                if (cut == 0) cut = LongestPiece;
                cut_in_run = is_word_byte(buffer[cut - 1]) && is_word_byte(buffer[cut]);
            }
        } else {
            return true;
        }
    }
    if (cut == 0 && !at_end) return true;
    const bool ok = check_block(std::string_view(buffer).substr(0, cut), cut_in_run);
    buffer.erase(0, cut);
    return ok;
}

std::vector<std::pair<Finding, TextPosition>> DocumentRun::take_long_runs(std::string_view block,
                                                                          std::string& view,
                                                                          bool cut_in_run) {
    std::vector<Finding> found;
    runs_.take(view, base_, cut_in_run, found);
    PositionCounter counter(block, view_.encoding());
    std::vector<std::pair<Finding, TextPosition>> runs;
    for (Finding& run : found) {
        // A run that began in an earlier block has its position from there.
        const TextPosition at = run.offset < base_
                                    ? run_position_
                                    : combine(base_position_, counter.at(run.offset - base_));
        runs.emplace_back(std::move(run), at);
    }
    if (runs_.open() && runs_.run().offset >= base_)
        run_position_ = combine(base_position_, counter.at(runs_.run().offset - base_));
    return runs;
}

bool DocumentRun::check_block(std::string_view block, bool cut_in_run) {
    std::string view(block);
    view_.make(view);
    const std::vector<std::pair<Finding, TextPosition>> runs =
        take_long_runs(block, view, cut_in_run);
    PositionCounter counter(block, view_.encoding());
    std::vector<Finding> words;
    if (!check_(view, words)) return false;
    // Both lists are in order; long runs were blanked out of the words.
    size_t r = 0;
    for (Finding& w : words) {
        const TextPosition at = combine(base_position_, counter.at(w.offset));
        for (; r < runs.size() && runs[r].first.offset < base_ + w.offset; ++r)
            found_(runs[r].first, runs[r].second);
        w.offset += base_;
        found_(w, at);
    }
    for (; r < runs.size(); ++r) found_(runs[r].first, runs[r].second);
    base_position_ = combine(base_position_, counter.at(block.size()));
    base_ += block.size();
    if (runs_.open() && !cut_in_run) {
        found_(runs_.run(), run_position_);
        runs_.close();
    }
    return true;
}

// The encoding of a file that can be read twice, from all of its bytes.
bool detect_seekable(int fd, FileEncoding& encoding) {
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const off_t start = lseek(fd, 0, SEEK_CUR);
    if (start < 0) return false;
    EncodingDetector detector;
    std::vector<char> buffer(BlockBytes);
    ssize_t n;
    while ((n = read_some(fd, buffer.data(), buffer.size())) > 0)
        detector.feed(std::string_view(buffer.data(), static_cast<size_t>(n)));
    if (n < 0 || lseek(fd, start, SEEK_SET) != start) return false;
    encoding = detector.decide();
    return true;
}

}  // namespace

void DocumentView::make(std::string& text) {
    make_checker_view(text, encoding_);
    filter_.mask(text);
    prepare_for_front(text, skip_web_);
}

bool check_document(int fd, const CheckView& check, const DocumentSettings& settings,
                    const FoundWord& found, const std::function<void()>& after_block,
                    DocumentOutcome& outcome) {
    std::string buffer;
    std::vector<char> block(BlockBytes);
    bool at_end = false;
    auto read_block = [&]() {
        const ssize_t n = read_some(fd, block.data(), block.size());
        if (n < 0) {
            outcome.error = std::strerror(errno);
            return false;
        }
        if (n == 0) at_end = true;
        buffer.append(block.data(), static_cast<size_t>(n));
        return true;
    };
    if (settings.encoding) {
        outcome.encoding = *settings.encoding;
    } else {
        outcome.encoding_detected = true;
        if (!detect_seekable(fd, outcome.encoding)) {
            // A stream is answered as it comes: its first block decides.
            if (!read_block()) return false;
            outcome.encoding = detect_encoding(buffer);
        }
    }
    DocumentRun run(check, settings, outcome.encoding, found);
    for (;;) {
        if (!run.take(buffer, at_end)) {
            outcome.error = "the checker failed";
            return false;
        }
        if (after_block) after_block();
        if (at_end) return true;
        if (!read_block()) return false;
    }
}

}  // namespace lumo::tool
