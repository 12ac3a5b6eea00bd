// INI parsing and editing over arbitrary bytes: no crash, and the document
// survives a write and re-read unchanged.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "../platform/src/ini_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace platform::ini;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Document doc = Parse(bytes);
  for (const std::string& section : SectionNames(doc)) {
    for (const std::string& key : KeyNames(doc, section)) (void)Find(doc, section, key);
  }
  Set(doc, "Fuzz", "key", "value");
  if (Find(doc, "fuzz", "KEY") != std::optional<std::string>("value")) std::abort();
  const Document again = Parse(Serialize(doc));
  if (again.lines != doc.lines) std::abort();
  RemoveSection(doc, "Fuzz");
  if (Find(doc, "Fuzz", "key")) std::abort();
  return 0;
}
