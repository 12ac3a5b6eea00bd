// Build step: reads content/sources and writes the content library.
// Usage: content_generator <sources dir> <data dir>
#include <cstdio>

#include "library_writer.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <sources dir> <data dir>\n", argv[0]);
    return 2;
  }
  try {
    const content::ContentSources sources = content::LoadSources(argv[1]);
    content::WriteLibrary(sources, argv[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "content_generator: %s\n", e.what());
    return 1;
  }
  return 0;
}
