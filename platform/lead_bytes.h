// Which bytes start a double-byte character in the host's text.
#pragma once

namespace lumo::platform {

struct LeadByteSet {
    bool lead[256] = {};
    bool is_lead(unsigned char b) const { return lead[b]; }
};

// The Shift-JIS (code page 932) lead bytes: 0x81-0x9F and 0xE0-0xFC.
LeadByteSet shift_jis_lead_bytes();

// The lead bytes of the host's character set, read when first asked for.
// On Windows: the system's ANSI code page.  Elsewhere: Shift-JIS when the
// process locale's character set is Shift-JIS/CP932 or the plain C/POSIX
// one, and none for UTF-8 and other single- or multi-byte sets.
const LeadByteSet& system_lead_bytes();

// The same rule for a given character set name (as nl_langinfo(CODESET)
// reports it); exposed so that the choice can be tested.
LeadByteSet lead_bytes_for_codeset(const char* codeset);

}  // namespace lumo::platform
