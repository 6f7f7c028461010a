// The single-pass masker against the pass-by-pass one it replaced.
// Input: flags byte, then the host's text (up to its first NUL).
#include <cstring>
#include <memory>
#include <string>

#include "front/prefilter_oracle.h"
#include "fuzz_support.h"
#include "prefilter.h"
#include "prefilter_input.h"

using namespace lumo::front;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const PrefilterFlags flags = prefilter_flags_of(data[0]);
    const std::string host(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t length = checked_text_length(host.c_str());

    std::unique_ptr<char[]> ours(new char[TextBufferSize]);
    std::unique_ptr<char[]> oracle(new char[TextBufferSize]);
    prefilterText(host.c_str(), length, ours.get(), flags);
    lumo::test::oracle::prefilter_text(host.c_str(), length, oracle.get(), flags);
    for (size_t i = 0; i <= length; ++i)
        FUZZ_CHECK(ours[i] == oracle[i], "byte %zu: 0x%02x, the oracle 0x%02x (flags %d)", i,
                   static_cast<unsigned char>(ours[i]), static_cast<unsigned char>(oracle[i]),
                   data[0] & 15);
    return 0;
}
