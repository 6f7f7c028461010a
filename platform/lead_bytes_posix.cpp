#include <langinfo.h>
#include <strings.h>

#include <cstring>

#include "lead_bytes.h"

namespace lumo::platform {

LeadByteSet lead_bytes_for_codeset(const char* codeset) {
    if (codeset == nullptr) return shift_jis_lead_bytes();
    static const char* const shift_jis_names[] = {
        "SHIFT_JIS", "SHIFT-JIS", "SJIS", "CP932", "WINDOWS-31J", "MS_KANJI", "CSSHIFTJIS",
        // The plain C/POSIX locale: the engine's own home is a Japanese
        // system, so text from a host that chose no locale is taken as such.
        "ANSI_X3.4-1968", "ASCII", "US-ASCII", "POSIX", "C", ""};
    for (const char* name : shift_jis_names) {
        if (strcasecmp(codeset, name) == 0) return shift_jis_lead_bytes();
    }
    return LeadByteSet{};
}

const LeadByteSet& system_lead_bytes() {
    static const LeadByteSet set = lead_bytes_for_codeset(nl_langinfo(CODESET));
    return set;
}

}  // namespace lumo::platform
