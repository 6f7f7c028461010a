// The masking flags both pre-filter targets take from their first byte.
#pragma once

#include <cstdint>

#include "lead_bytes.h"
#include "prefilter.h"

inline lumo::front::PrefilterFlags prefilter_flags_of(uint8_t byte) {
    static const lumo::platform::LeadByteSet shift_jis = lumo::platform::shift_jis_lead_bytes();
    lumo::front::PrefilterFlags flags;
    flags.doubleByteText = (byte & 1) != 0;
    flags.maskWebAddresses = (byte & 2) != 0;
    flags.maskPaths = (byte & 4) != 0;
    flags.leadBytes = (byte & 8) != 0 ? nullptr : &shift_jis;
    return flags;
}
