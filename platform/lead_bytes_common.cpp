#include "common/shift_jis.h"
#include "lead_bytes.h"

namespace lumo::platform {

LeadByteSet shift_jis_lead_bytes() {
    LeadByteSet set;
    for (int b = 0; b < 256; ++b)
        set.lead[b] = lumo::common::is_shift_jis_lead_byte(static_cast<unsigned char>(b));
    return set;
}

}  // namespace lumo::platform
