// Reads arbitrary bytes as a rhythm catalog, then walks every record of the
// resulting list and queries every field, so that any record pointing outside
// its storage shows up.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/catalog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qm3;
  ParseRhythmCatalog(std::string_view(reinterpret_cast<const char*>(data), size));
  const QM3RhythmGroupList* list = RhythmGroups();
  if (list->cCount > 0 && list->pGroup == nullptr) __builtin_trap();
  size_t sum = 0;
  for (int g = 0; g < list->cCount; ++g) {
    const QM3RhythmGroup& group = list->pGroup[g];
    sum += std::strlen(group.pszName);
    if (group.cCount > 0 && group.pRhythm == nullptr) __builtin_trap();
    for (int i = 0; i < group.cCount; ++i) {
      const QM3RhythmData& r = group.pRhythm[i];
      if (r.lID != (g << 8) + i) __builtin_trap();
      sum += std::strlen(r.pszName) + static_cast<size_t>(r.cPart[5]);
      for (int code = 0; code <= 19; ++code)
        for (int part = -1; part <= 6; ++part)
          sum += static_cast<size_t>(RhythmFieldQuery(r.lID, code, part));
      // Found by its own keys: the answer is a rhythm with those keys (id 0
      // doubles as "none", so it proves nothing).
      const int32_t found =
          RhythmFieldQuery(r.lKeyA, kRhythmByKeys, (r.lKeyC << 8) | (r.lKeyB & 0xFF));
      if (found != 0 && RhythmFieldQuery(found, kRhythmKeyA, 0) != r.lKeyA) __builtin_trap();
      sum += std::strlen(RhythmText(r.lID, kRhythmGroupName));
    }
  }
  sum += static_cast<size_t>(RhythmFieldQuery(-1, kRhythmTempo, 0));
  sum += static_cast<size_t>(RhythmFieldQuery(0x1FF00, kRhythmTempo, 0));
  return sum == 1 ? 0 : 0;
}
