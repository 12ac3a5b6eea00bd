// CI check: lints the generated content library.
// Usage: content_lint <data dir> [--shipped]
#include <cstdio>
#include <cstring>

#include "lint_library.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3 || (argc == 3 && std::strcmp(argv[2], "--shipped") != 0)) {
    std::fprintf(stderr, "usage: %s <data dir> [--shipped]\n", argv[0]);
    return 2;
  }
  const auto size = argc == 3 ? content::LibrarySize::kShipped : content::LibrarySize::kAnySize;
  const content::LintReport report = content::LintLibrary(argv[1], size);
  for (const auto& e : report.errors) std::printf("%s\n", e.c_str());
  std::printf("content_lint: %zu finding(s)\n", report.errors.size());
  return report.ok() ? 0 : 1;
}
