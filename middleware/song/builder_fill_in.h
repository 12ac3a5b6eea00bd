// The fill-in a body phrase gets when a play-time song is built: alternate
// fill-ins 1 and 2, except where a rhythm's variation sounds better with
// fill-in 1 throughout.
//
// Thread rules: pure; usable anywhere.
#pragma once
#include <cstdint>

namespace qm3 {

// Fill-in value (0 fill-in 1, 1 fill-in 2) for body phrase `index` (from 0)
// playing `variation` of the rhythm whose second and third keys are given.
int8_t DefaultFillIn(int index, int variation, int32_t key_b, int32_t key_c);

}  // namespace qm3
