#include "install_manifest.h"

#include <gtest/gtest.h>

namespace sonavex::install {
namespace {

TEST(InstallManifestTest, ReadsRolesPathsAndVersion) {
  Manifest m;
  std::string error;
  ASSERT_TRUE(
      ParseManifest("# comment\n\nsonavex-install-manifest 1\nversion 0.1\r\n"
                    "program lib/sonavex/sonavex-cli\n"
                    "library lib/libqm3middle.so\n"
                    "  driver   lib/sonavex/libcvusb.so  \n",
                    m, error))
      << error;
  EXPECT_EQ(m.version, "0.1");
  ASSERT_EQ(m.entries.size(), 3u);
  EXPECT_EQ(m.entries[0].role, FileRole::kProgram);
  EXPECT_EQ(m.entries[0].path, "lib/sonavex/sonavex-cli");
  EXPECT_EQ(m.entries[1].role, FileRole::kLibrary);
  EXPECT_EQ(m.entries[2].role, FileRole::kDriver);
  EXPECT_EQ(m.entries[2].path, "lib/sonavex/libcvusb.so");
}

TEST(InstallManifestTest, RefusesWhatCouldLeadAnUpdateAstrayAndSaysWhere) {
  const struct {
    const char* text;
    const char* line;
  } cases[] = {
      {"", "line 0"},
      {"garbage\n", "line 1"},
      {"sonavex-install-manifest 2\nprogram bin/x\n", "line 1"},
      {"sonavex-install-manifest 1\nprogram /usr/bin/x\n", "line 2"},
      {"sonavex-install-manifest 1\nprogram ../../etc/passwd\n", "line 2"},
      {"sonavex-install-manifest 1\nprogram lib//x\n", "line 2"},
      {"sonavex-install-manifest 1\nprogram lib/./x\n", "line 2"},
      {"sonavex-install-manifest 1\nprogram lib/\n", "line 2"},
      {"sonavex-install-manifest 1\nprogram\n", "line 2"},
      {"sonavex-install-manifest 1\nprogram a/x\nlibrary b/x\n", "line 3"},
      {"sonavex-install-manifest 1\nplugin lib/x\n", "line 2"},
      {"sonavex-install-manifest 1\nprogram lib/x\x01y\n", "line 2"},
      {"sonavex-install-manifest 1\nlibrary lib/libqm3middle.so\n", "no program"},
  };
  for (const auto& c : cases) {
    Manifest m;
    m.version = "untouched";
    std::string error;
    EXPECT_FALSE(ParseManifest(c.text, m, error)) << c.text;
    EXPECT_NE(error.find(c.line), std::string::npos) << c.text << " -> " << error;
    EXPECT_EQ(m.version, "untouched");
  }
}

}  // namespace
}  // namespace sonavex::install
