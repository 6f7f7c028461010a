// The single-pass masker against the pass-by-pass one it replaced, and a
// host's whole walk through the text (check after check past each
// reported word) through the front, which masks only as far as the engine
// reads, against the whole text masked by that oracle and checked at once.
// Input: flags byte, then the host's text (up to its first NUL).
#include <cstring>
#include <memory>
#include <string>

#include "front.h"
#include "front/host_walk_oracle.h"
#include "front/prefilter_oracle.h"
#include "fuzz_support.h"
#include "linked_engine.h"
#include "prefilter.h"
#include "prefilter_input.h"

using namespace lumo::front;

namespace {

Front& walker() {
    static Front* front = [] {
        auto* f = new Front(lumo::fuzz::linked_engine_ops());
        FUZZ_CHECK(f->init("linked") == 1, "binding failed");
        const std::string main_path = lumo::fuzz::data_path("words/american-english-large");
        const std::string user_path = lumo::fuzz::scratch_file("walk-user.dic");
        FUZZ_CHECK(lumo::fuzz::write_bytes(user_path, "", 0), "cannot write the user list");
        FUZZ_CHECK(f->init2(main_path.c_str(), user_path.c_str(), 0, 1) == 1,
                   "session did not open");
        f->change_always("teh", "the");
        return f;
    }();
    return *front;
}

}  // namespace

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

    Front& front = walker();
    front.doubleByteText = flags.doubleByteText ? 1 : 0;
    front.maskWebAddresses = flags.maskWebAddresses ? 1 : 0;
    front.maskPaths = flags.maskPaths ? 1 : 0;
    // The front asks for the system's lead bytes when it has none of its own.
    const lumo::platform::LeadByteSet* lead = &lumo::platform::system_lead_bytes();
    std::string why;
    FUZZ_CHECK(lumo::test::first_walk_difference(front, lead, host.c_str(), &why) == -1,
               "the walk differs (flags %d) %s", data[0] & 15, why.c_str());
    return 0;
}
