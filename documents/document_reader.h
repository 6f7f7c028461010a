// Reading one document as it arrives: blocks of whole lines turned into
// the checker's view (encoding, mode) and handed to the caller to check,
// and every reported word handed on with its line and column while the
// rest is still being read.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "documents/finding.h"
#include "documents/long_runs.h"
#include "documents/text_encoding.h"
#include "documents/text_modes.h"

namespace lumo::tool {

// The checker's view of successive whole lines of one document, in place
// and byte for byte: ASCII words only, what the mode says is not prose
// blanked, and the addresses of schemes the front does not know when web
// addresses are to be skipped.
class DocumentView {
public:
    DocumentView(FileEncoding encoding, ModeChoice mode, bool skip_web)
        : encoding_(encoding), filter_(mode), skip_web_(skip_web) {}

    void make(std::string& text);
    FileEncoding encoding() const { return encoding_; }

private:
    FileEncoding encoding_;
    ProseFilter filter_;
    bool skip_web_;
};

struct DocumentSettings {
    // None: decided from all the bytes of a regular file, from the first
    // block of a stream.
    std::optional<FileEncoding> encoding;
    ModeChoice mode;
    bool skip_web = true;
};

// Checks the checker's view of a block and adds its words to report, in
// order, with offsets into the view; false when the checker failed.
using CheckView = std::function<bool(std::string_view view, std::vector<Finding>& words)>;
using FoundWord = std::function<void(const Finding&, const TextPosition&)>;

struct DocumentOutcome {
    FileEncoding encoding = FileEncoding::Utf8;
    bool encoding_detected = false;
    std::string error;  // set when reading or checking failed
};

// Reads fd to its end in bounded memory, has check check each block's
// view and calls found for every reported word in order, then after_block
// once the words of each block are out.
bool check_document(int fd, const CheckView& check, const DocumentSettings& settings,
                    const FoundWord& found, const std::function<void()>& after_block,
                    DocumentOutcome& outcome);

}  // namespace lumo::tool
