// Reads arbitrary bytes as a melody catalog, then walks every melody's section
// lists and queries every field and phrase file name.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/catalog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qm3;
  ParseMelodyCatalog(std::string_view(reinterpret_cast<const char*>(data), size));
  const QM3MelodyList* list = Melodies();
  if (list->cCount > 0 && list->pMelody == nullptr) __builtin_trap();
  size_t sum = 0;
  for (int i = 0; i < list->cCount; ++i) {
    const QM3MelodyData& m = list->pMelody[i];
    if (m.lBrightCount < 0 || m.lBrightCount > kMelodyMaxSections) __builtin_trap();
    if (m.lDarkCount < 0 || m.lDarkCount > kMelodyMaxSections) __builtin_trap();
    sum += std::strlen(m.pszName);
    for (int k = 0; k < m.lBrightCount; ++k) sum += static_cast<size_t>(m.plBright[k]);
    for (int k = 0; k < m.lDarkCount; ++k) sum += static_cast<size_t>(m.plDark[k]);
    for (int code = 0; code <= 20; ++code)
      for (int k = -1; k <= m.lBrightCount; ++k)
        sum += static_cast<size_t>(MelodyFieldQuery(i, code, k));
    const std::string bright = PhraseFileName(m.lID, Mood::kBright);
    if (bright.size() != std::strlen("p_00000000.dat")) __builtin_trap();
    sum += MelodyText(i, kMelodyPhraseFile).size();
  }
  sum += static_cast<size_t>(DefaultMelodyIndex(static_cast<int32_t>(size), 4));
  return sum == 1 ? 0 : 0;
}
