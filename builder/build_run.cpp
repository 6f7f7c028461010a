#include "build_run.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "files.h"
#include "headword_extraction.h"
#include "headword_set.h"

namespace lumo::builder {

namespace platform = lumo::platform;

void* OwnerWindow = nullptr;
ProgressHandle ProgressDialog = nullptr;
int32_t Cancelled = 0;
int64_t TotalBytes = 0;
int64_t DoneBytes = 0;
int32_t LastPercent = -1;
int32_t InsertCounter = 0;

namespace {

// Largest count whose product with 100 fits a signed 32-bit integer.  Above
// it the percentage divides first; both forms stay, since their figures
// differ slightly and the display is defined by them.
constexpr int64_t ExactPercentLimit = 21474836;

bool build_running = false;

void report_cannot_open(void* owner, const char* path) {
    std::snprintf(LineBuffer, sizeof LineBuffer, CannotOpenFormat, path);
    show_cannot_open(owner, LineBuffer, path);
}

// Deletes an unfinished output.  Only a regular file: an output that is a
// device (/dev/null, say) must survive a cancelled or failed build.
void remove_output(const char* path) {
    uint64_t size = 0;
    if (platform::file_size(path, &size)) platform::remove_file(path);
}

// The words to write, each behind its first eight bytes as a big-endian
// number (zero after the NUL): most comparisons end at the numbers, and
// for equal numbers the words agree up to there.  Words are distinct, so
// the order is total and the same as a byte-wise comparison of the whole
// words; this is why the shuffle and the in-place compaction that the
// sort would undo anyway are not needed.
struct SortEntry {
    uint64_t prefix;
    const char* word;
};
// Allocated for the writing phase only, as many as there are words.
std::unique_ptr<SortEntry[]> sort_entries;

uint64_t prefix_of(const char* word) {
    uint64_t prefix = 0;
    int i = 0;
    for (; i < 8 && word[i] != 0; ++i) prefix = (prefix << 8) | static_cast<unsigned char>(word[i]);
    return prefix << (8 * (8 - i));
}

bool sorts_before(const SortEntry& a, const SortEntry& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    // Equal numbers of a word shorter than eight bytes would be one word.
    return std::strcmp(a.word + 8, b.word + 8) < 0;
}

// False when there is no memory for the sort.
bool sort_words(uint32_t& count) {
    const size_t room = size_t{stored_word_count} + 1;
    std::unique_ptr<char*[]> gathered(new (std::nothrow) char*[room]);
    sort_entries.reset(new (std::nothrow) SortEntry[room]);
    if (gathered == nullptr || sort_entries == nullptr) return false;
    count = gather_headwords(gathered.get());
    for (uint32_t i = 0; i < count; ++i) sort_entries[i] = {prefix_of(gathered[i]), gathered[i]};
    std::sort(sort_entries.get(), sort_entries.get() + count, sorts_before);
    return true;
}

// Writes the first count sorted words, each followed by CR LF, and closes
// the output; false when any byte could not be written.
bool write_words(std::FILE* output, uint32_t count) {
    bool written = true;
    for (uint32_t i = 0; i < count && written; ++i) {
        const char* word = sort_entries[i].word;
        const size_t length = std::strlen(word);
        written = std::fwrite(word, 1, length, output) == length &&
                  std::fwrite("\r\n", 1, 2, output) == 2;
    }
    written = written && std::ferror(output) == 0;
    return platform::close_written_file(output) && written;
}

// The reading phase: one piece (a line, or 4095 bytes of a longer one) at
// a time.  Returns true when the run was cancelled.
bool read_source(std::FILE* source) {
    const ExtractionRun run{count_stored_word, &Cancelled};
    while (std::fgets(LineBuffer, sizeof LineBuffer, source) != nullptr) {
        DoneBytes += static_cast<int64_t>(std::strlen(LineBuffer));
        if (ExtractHeadwords(run)) return true;
    }
    return false;
}

}  // namespace

int32_t progress_percent(int64_t done, int64_t total) noexcept {
    if (total <= 0) return 0;
    // A source that grew while it was read can be longer than it was.
    done = std::clamp<int64_t>(done, 0, total);
    const int64_t percent = done <= ExactPercentLimit ? done * 100 / total : done / (total / 100);
    return static_cast<int32_t>(std::min<int64_t>(percent, 100));
}

int32_t PumpProgress() noexcept {
    for (;;) {
        if (ProgressDialog == nullptr || !progress_dialog_exists(ProgressDialog)) {
            Cancelled = 1;
            return 1;
        }
        if (!dispatch_progress_message(ProgressDialog)) break;
    }
    if (TotalBytes == 0) return 0;
    const int32_t percent = progress_percent(DoneBytes, TotalBytes);
    if (percent != LastPercent) {
        char text[32];
        std::snprintf(text, sizeof text, ProcessingFormat, static_cast<long>(percent));
        set_progress_text(ProgressDialog, text);
        LastPercent = percent;
    }
    return 0;
}

void count_stored_word() noexcept {
    if (++InsertCounter > InsertCounterLimit) {
        InsertCounter = 0;
        PumpProgress();
    }
}

void CloseProgressDialog() noexcept {
    enable_owner_window(OwnerWindow, true);
    if (ProgressDialog != nullptr) {
        destroy_progress_dialog(ProgressDialog);
        ProgressDialog = nullptr;
    }
}

int CompareHeadwords(const void* a, const void* b) noexcept {
    const char* left = *static_cast<char* const*>(a);
    const char* right = *static_cast<char* const*>(b);
    if (left == nullptr) return 1;
    if (right == nullptr) return -1;
    // strcmp compares as unsigned char, and a NUL sorts a prefix first.
    const int order = std::strcmp(left, right);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

int32_t make_dictionary(void* owner, const char* source_path, const char* output_path) noexcept {
    if (build_running) return 0;
    std::FILE* source = platform::open_file(source_path, "rb");
    if (source == nullptr) {
        report_cannot_open(owner, source_path);
        return 0;
    }
    std::setvbuf(source, nullptr, _IOFBF, StreamBufferBytes);
    // Opening the output truncates it, so an output that is the source
    // under another name (or a link to it) would destroy the source unread.
    std::FILE* output = platform::same_file(source_path, output_path)
                            ? nullptr
                            : platform::open_file(output_path, "wb");
    if (output == nullptr) {
        report_cannot_open(owner, output_path);
        std::fclose(source);
        return 0;
    }
    std::setvbuf(output, nullptr, _IOFBF, StreamBufferBytes);
    if (!reserve_headword_set()) {
        // No memory for the set: the output cannot be written.
        std::fclose(output);
        std::fclose(source);
        remove_output(output_path);
        report_cannot_open(owner, output_path);
        return 0;
    }
    build_running = true;

    Cancelled = 0;
    // A fresh display has no text, so its first percentage is always shown.
    LastPercent = -1;
    OwnerWindow = owner;
    ProgressDialog = create_progress_dialog(OwnerWindow, CloseProgressDialog);
    enable_owner_window(OwnerWindow, false);
    uint64_t size = 0;
    TotalBytes = platform::file_size(source_path, &size) ? static_cast<int64_t>(size) : 0;
    DoneBytes = 0;

    const bool cancelled = read_source(source);
    std::fclose(source);
    bool written = true;
    if (cancelled) {
        std::fclose(output);
        remove_output(output_path);
    } else {
        set_progress_text(ProgressDialog, WritingText);
        uint32_t count = 0;
        if (sort_words(count)) {
            written = write_words(output, count);
        } else {
            std::fclose(output);
            written = false;
        }
        sort_entries.reset();
        if (!written) remove_output(output_path);
    }

    CloseProgressDialog();
    release_headword_set();
    build_running = false;
    if (!written) {
        report_cannot_open(owner, output_path);
        return 0;
    }
    return 1;
}

}  // namespace lumo::builder
