#include <windows.h>

#include "lead_bytes.h"

namespace lumo::platform {

namespace {

LeadByteSet ansi_code_page_lead_bytes() {
    LeadByteSet set;
    CPINFO info;
    if (!GetCPInfo(CP_ACP, &info)) return set;
    // Pairs of first and last byte, ended by a pair of zeros.
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
        for (int b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b) set.lead[b] = true;
    }
    return set;
}

}  // namespace

const LeadByteSet& system_lead_bytes() {
    static const LeadByteSet set = ansi_code_page_lead_bytes();
    return set;
}

}  // namespace lumo::platform
