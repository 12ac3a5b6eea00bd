// Catalog names as users type them, and where files may be written.
#include "text_match.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "output_check.h"

namespace sonavex::cli {
namespace {

namespace fs = std::filesystem;

TEST(TextMatchTest, CaseAndWidthDoNotMatter) {
  EXPECT_TRUE(SameName("morning light", "Morning Light"));
  EXPECT_TRUE(
      SameName("ＭＯＲＮＩＮＧ　ＬＩＧＨＴ", "Morning Light"));  // full-width, ideographic space
  EXPECT_TRUE(SameName("ｶﾞｲﾄﾞ", "ガイド"));  // half-width kana with voicing marks
  EXPECT_TRUE(SameName("ﾊﾟｰﾄ１", "パート1"));
  EXPECT_TRUE(SameName("CAFÉ", "café"));
  EXPECT_FALSE(SameName("Morning Lights", "Morning Light"));
  EXPECT_FALSE(SameName("ガイド", "カイト"));
  EXPECT_FALSE(SameName("", "Morning Light"));
  EXPECT_EQ(FoldForMatch("１２"), "12");
}

TEST(OutputCheckTest, FoldersAreCheckedBeforeWork) {
  const fs::path dir = fs::temp_directory_path() / ("cli-out-" + std::to_string(::getpid()));
  fs::create_directories(dir / "日本語");
  EXPECT_EQ(OutputFileProblem((dir / "日本語" / "曲 🎵.bgm").string()), "");
  EXPECT_NE(OutputFileProblem((dir / "nodir" / "x.mid").string()).find("does not exist"),
            std::string::npos);
  EXPECT_NE(OutputFileProblem((dir / "日本語").string()).find("folder"), std::string::npos);
  std::ofstream(dir / "file") << "x";
  EXPECT_NE(OutputFileProblem((dir / "file" / "x.mid").string()).find("not a folder"),
            std::string::npos);
  EXPECT_NE(OutputFileProblem(""), "");
  if (::geteuid() != 0) {  // the super-user may write anywhere
    fs::create_directories(dir / "locked");
    ::chmod((dir / "locked").c_str(), 0555);
    EXPECT_NE(OutputFileProblem((dir / "locked" / "x.wav").string()).find("not writable"),
              std::string::npos);
    ::chmod((dir / "locked").c_str(), 0755);
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace sonavex::cli
