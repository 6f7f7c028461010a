// The pre-filter on arbitrary text and mode flags.  Input: flags byte,
// then the host's text (it ends at its first NUL, as a C string does).
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "prefilter.h"
#include "prefilter_input.h"

using namespace lumo::front;

namespace {

// DEL (0x7F) is in none of the blanked classes: no pass touches it.
bool allowed_after_filter(unsigned char b, bool double_byte) {
    if (b == ' ' || b == 0x7F || b == '\'' || b == '-' || b == '.' || b == '@' || b == '_' ||
        b == '`')
        return true;
    if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9')) return true;
    return !double_byte && b >= 0x80 && b <= 0xFE;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const PrefilterFlags flags = prefilter_flags_of(data[0]);
    ++data;
    --size;

    std::unique_ptr<char[]> host(new char[size + 1]);
    std::memcpy(host.get(), data, size);
    host[size] = 0;
    const std::string before(host.get(), size + 1);
    const size_t text_length = std::strlen(host.get());

    const size_t length = checked_text_length(host.get());
    FUZZ_CHECK(length <= text_length && length < TextBufferSize, "length %zu of %zu", length,
               text_length);
    if (text_length < TextBufferSize) FUZZ_CHECK(length == text_length, "a short text was cut");

    // Exactly the front's buffer, so that a write past it is caught.
    std::unique_ptr<char[]> buffer(new char[TextBufferSize]);
    std::memset(buffer.get(), '\x5A', TextBufferSize);
    prefilterText(host.get(), length, buffer.get(), flags);

    FUZZ_CHECK(std::memcmp(host.get(), before.data(), size + 1) == 0, "host text changed");
    FUZZ_CHECK(buffer[length] == 0, "the copy does not end where the text does");
    for (size_t i = 0; i < length; ++i) {
        const unsigned char in = static_cast<unsigned char>(host[i]);
        const unsigned char got = static_cast<unsigned char>(buffer[i]);
        FUZZ_CHECK(got == in || got == ' ', "byte %zu: 0x%02x became 0x%02x", i, in, got);
        FUZZ_CHECK(allowed_after_filter(got, flags.doubleByteText), "byte %zu 0x%02x left", i,
                   got);
    }
    for (size_t i = length + 1; i < TextBufferSize; ++i)
        FUZZ_CHECK(buffer[i] == '\x5A', "byte %zu past the text written", i);
    return 0;
}
