// updater: replaces an installed copy's programs and libraries with the ones
// in the current folder (update media), then starts the update package lying
// beside them with the desktop's opener. It talks through message boxes only.
//
//   updater          asks, then updates
//   updater --yes    answers the question Yes (scripts, tests)
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/message_box.h"
#include "platform/shell.h"
#include "update.h"

namespace {

namespace fs = std::filesystem;

constexpr char kCaption[] = "SONAVEXの更新";
constexpr char kUpdatePackage[] = "SONAVEX update.deb";

int Update(bool assume_yes) {
  const platform::MessageBoxOptions plain{nullptr, assume_yes};
  if (platform::MessageBox("SONAVEXを更新します。", kCaption,
                           platform::MB_YESNO | platform::MB_ICONINFORMATION,
                           plain) != platform::IDYES) {
    return 0;
  }
  std::error_code ec;
  const fs::path source = fs::current_path(ec);
  std::string reasons;
  for (const fs::path& manifest : sonavex::updater::CandidateManifests()) {
    const auto result = sonavex::updater::UpdateInstallation(manifest, source);
    if (result.updated) {
      const std::string where = "Updated " + result.prefix.string();
      const platform::MessageBoxOptions done{where.c_str(), assume_yes};
      const bool package = fs::is_regular_file(source / kUpdatePackage, ec) &&
                           platform::ShellOpen((source / kUpdatePackage).string());
      platform::MessageBox(package ? "SONAVEXを更新しました\rこのウィンドウは、InstallShield "
                                     "ウィザードが終了してから閉じてください"
                                   : "SONAVEXを更新しました",
                           kCaption, platform::MB_OK | platform::MB_ICONINFORMATION, done);
      return 0;
    }
    if (!reasons.empty()) reasons += "\r";
    reasons += result.prefix.string() + ": " + result.reason;
  }
  if (reasons.empty()) reasons = "No installation was found.";
  const platform::MessageBoxOptions failed{reasons.c_str(), assume_yes};
  platform::MessageBox("SONAVEXが見つかりませんでした", kCaption,
                       platform::MB_OK | platform::MB_ICONERROR, failed);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 1 || (argc == 2 && std::strcmp(argv[1], "--yes") == 0)) return Update(argc == 2);
  std::fputs("usage: updater [--yes]\n", stderr);
  return 2;
}
