#include <langinfo.h>

#include <initializer_list>

#include "common/shift_jis.h"
#include "lead_bytes.h"

namespace lumo::platform {

LeadByteSet lead_bytes_for_codeset(const char* codeset) {
    if (codeset == nullptr || lumo::common::is_shift_jis_name(codeset))
        return shift_jis_lead_bytes();
    // The plain C/POSIX locale: the engine's own home is a Japanese system,
    // so text from a host that chose no locale is taken as such.
    for (const char* name : {"ANSI_X3.4-1968", "ASCII", "US-ASCII", "POSIX", "C", ""}) {
        if (lumo::common::same_name_ignoring_case(codeset, name)) return shift_jis_lead_bytes();
    }
    return LeadByteSet{};
}

const LeadByteSet& system_lead_bytes() {
    static const LeadByteSet set = lead_bytes_for_codeset(nl_langinfo(CODESET));
    return set;
}

}  // namespace lumo::platform
