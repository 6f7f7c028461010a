#include "lead_bytes.h"

namespace lumo::platform {

LeadByteSet shift_jis_lead_bytes() {
    LeadByteSet set;
    for (int b = 0x81; b <= 0x9F; ++b) set.lead[b] = true;
    for (int b = 0xE0; b <= 0xFC; ++b) set.lead[b] = true;
    return set;
}

}  // namespace lumo::platform
