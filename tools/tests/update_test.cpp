#include "update.h"

#include <gtest/gtest.h>

#include "install_layout.h"
#include "install_test_folder.h"
#include "platform/instance_lock.h"

namespace sonavex::updater {
namespace {

namespace fs = std::filesystem;
using install::ReadFile;
using install::ScopedEnv;
using install::TempFolder;
using install::WriteFile;

constexpr char kManifest[] =
    "sonavex-install-manifest 1\n"
    "program lib/sonavex/sonavex-cli\n"
    "library lib/libqm3middle.so\n"
    "driver lib/sonavex/libcvusb.so\n";

class UpdateTest : public testing::Test {
 protected:
  void SetUp() override {
    prefix_ = dir_.path() / "prefix";
    media_ = dir_.path() / "media";
    WriteFile(prefix_ / install::kManifestPath, kManifest);
    for (const char* f :
         {"lib/sonavex/sonavex-cli", "lib/libqm3middle.so", "lib/sonavex/libcvusb.so"}) {
      WriteFile(prefix_ / f, "old");
      WriteFile(media_ / fs::path(f).filename(), "new");
    }
  }
  fs::path Manifest() const { return prefix_ / install::kManifestPath; }
  std::string Installed(const char* f) const { return ReadFile(prefix_ / f); }

  TempFolder dir_{"updater"};
  ScopedEnv runtime_{"XDG_RUNTIME_DIR", dir_.path().string()};
  fs::path prefix_, media_;
};

TEST_F(UpdateTest, ReplacesProgramsLibraryAndDriver) {
  const UpdateResult r = UpdateInstallation(Manifest(), media_);
  ASSERT_TRUE(r.updated) << r.reason;
  EXPECT_EQ(r.prefix, prefix_);
  EXPECT_EQ(Installed("lib/sonavex/sonavex-cli"), "new");
  EXPECT_EQ(Installed("lib/libqm3middle.so"), "new");
  EXPECT_EQ(Installed("lib/sonavex/libcvusb.so"), "new");
}

TEST_F(UpdateTest, AMissingInstalledLibraryStaysMissingButAMissingProgramRefuses) {
  fs::remove(prefix_ / "lib/libqm3middle.so");
  ASSERT_TRUE(UpdateInstallation(Manifest(), media_).updated);
  EXPECT_FALSE(fs::exists(prefix_ / "lib/libqm3middle.so"));

  fs::remove(prefix_ / "lib/sonavex/sonavex-cli");
  const UpdateResult r = UpdateInstallation(Manifest(), media_);
  EXPECT_FALSE(r.updated);
  EXPECT_NE(r.reason.find("sonavex-cli is missing"), std::string::npos) << r.reason;
}

TEST_F(UpdateTest, RefusalsNameTheCauseAndLeaveEveryFileAsItWas) {
  struct Case {
    const char* what;
    std::function<void()> spoil;
    const char* reason;
  };
  const Case cases[] = {
      {"update folder without the library", [&] { fs::remove(media_ / "libqm3middle.so"); },
       "lacks libqm3middle.so"},
      {"damaged manifest", [&] { WriteFile(Manifest(), "sonavex-install-manifest 1\nprogram\n"); },
       "is damaged (line 2"},
      {"update folder is the installation",
       [&] {
         for (const char* f : {"sonavex-cli", "libcvusb.so"}) {
           fs::remove(media_ / f);
           fs::create_symlink(prefix_ / "lib/sonavex" / f, media_ / f);
         }
       },
       "is the installation itself"},
  };
  for (const Case& c : cases) {
    SetUp();
    c.spoil();
    const UpdateResult r = UpdateInstallation(Manifest(), media_);
    EXPECT_FALSE(r.updated) << c.what;
    EXPECT_NE(r.reason.find(c.reason), std::string::npos) << c.what << ": " << r.reason;
    EXPECT_EQ(Installed("lib/sonavex/sonavex-cli"), "old") << c.what;
    EXPECT_EQ(Installed("lib/libqm3middle.so"), "old") << c.what;
    fs::remove_all(media_);
  }
}

TEST_F(UpdateTest, ARunningApplicationBlocksOnlyItsOwnInstallation) {
  platform::InstanceLock elsewhere;
  ASSERT_TRUE(elsewhere.TryAcquire((dir_.path() / "other/lib/sonavex/sonavex").string()));
  ASSERT_TRUE(UpdateInstallation(Manifest(), media_).updated);
  elsewhere.Release();

  SetUp();
  platform::InstanceLock here;
  ASSERT_TRUE(here.TryAcquire((prefix_ / "lib/sonavex/sonavex").string()));
  const UpdateResult r = UpdateInstallation(Manifest(), media_);
  EXPECT_FALSE(r.updated);
  EXPECT_NE(r.reason.find("running"), std::string::npos) << r.reason;
  EXPECT_EQ(Installed("lib/sonavex/sonavex-cli"), "old");
}

TEST_F(UpdateTest, TheRecordedInstallationComesFirstAndEachIsTriedOnce) {
  const fs::path other = dir_.path() / "other";
  WriteFile(other / install::kManifestPath, kManifest);
  ScopedEnv config("XDG_CONFIG_HOME", (dir_.path() / "config").string());
  ScopedEnv prefixes(
      "SONAVEX_STANDARD_PREFIXES",
      other.string() + ":" + (dir_.path() / "none").string() + ":" + prefix_.string());
  WriteFile(install::InstallRecordPath(), "[Install]\nManifest=" + Manifest().string() + "\n");
  const std::vector<fs::path> expected = {Manifest(), other / install::kManifestPath};
  EXPECT_EQ(CandidateManifests(), expected);
}

}  // namespace
}  // namespace sonavex::updater
