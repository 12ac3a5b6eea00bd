#include "platform/profile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

namespace platform {
namespace {

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = ::testing::TempDir() + "profile_test_" + std::to_string(::getpid()) + ".ini";
    std::remove(path_.c_str());
  }
  void TearDown() override { std::remove(path_.c_str()); }

  void WriteFile(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string ReadFile() {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string Get(const char* section, const char* key, const char* def = "dflt") {
    char buf[256];
    const uint32_t n = GetPrivateProfileString(section, key, def, buf, sizeof buf, path_.c_str());
    return std::string(buf, n);
  }

  std::string path_;
};

TEST_F(ProfileTest, ReadsValuesTrimmedUnquotedAndCaseInsensitively) {
  WriteFile(
      "; settings\r\n[Window]\r\n  Left = 120 \r\nTitle=\"  spaced  \"\r\nName='x'\r\n"
      "Odd=\"unmatched\r\n[Other]\r\nLeft=7\r\n");
  EXPECT_EQ(Get("window", "LEFT"), "120");
  EXPECT_EQ(Get("Window", "Title"), "  spaced  ");
  EXPECT_EQ(Get("Window", "Name"), "x");
  EXPECT_EQ(Get("Window", "Odd"), "\"unmatched");
  EXPECT_EQ(Get("Other", "Left"), "7");
  EXPECT_EQ(Get("Window", "Missing", "def  "), "def");
  EXPECT_EQ(Get("Window", "Missing", nullptr), "");
  EXPECT_EQ(Get("Nowhere", "Left"), "dflt");
}

TEST_F(ProfileTest, IntegersStopAtTheFirstNonDigit) {
  WriteFile("[n]\na=42\nb=-5\nc=12abc\nd=abc\ne= +9\n");
  const char* f = path_.c_str();
  EXPECT_EQ(GetPrivateProfileInt("n", "a", 3, f), 42u);
  EXPECT_EQ(static_cast<int>(GetPrivateProfileInt("n", "b", 3, f)), -5);
  EXPECT_EQ(GetPrivateProfileInt("n", "c", 3, f), 12u);
  EXPECT_EQ(GetPrivateProfileInt("n", "d", 3, f), 0u);
  EXPECT_EQ(GetPrivateProfileInt("n", "e", 3, f), 9u);
  EXPECT_EQ(GetPrivateProfileInt("n", "zz", 3, f), 3u);
  EXPECT_EQ(GetPrivateProfileInt("n", "a", 3, "/nonexistent/x.ini"), 3u);
}

TEST_F(ProfileTest, ListsSectionsAndKeysWithDoubleZeroAndTruncates) {
  WriteFile("[alpha]\none=1\ntwo=2\n[beta]\n");
  char buf[64];
  uint32_t n = GetPrivateProfileString(nullptr, nullptr, "", buf, sizeof buf, path_.c_str());
  EXPECT_EQ(std::string(buf, n + 1), std::string("alpha\0beta\0\0", 12));
  n = GetPrivateProfileString("ALPHA", nullptr, "", buf, sizeof buf, path_.c_str());
  EXPECT_EQ(std::string(buf, n + 1), std::string("one\0two\0\0", 9));

  char small[6];
  n = GetPrivateProfileString(nullptr, nullptr, "", small, sizeof small, path_.c_str());
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(std::string(small, 6), std::string("alph\0\0", 6));
  n = GetPrivateProfileString("alpha", "one", "", small, 1, path_.c_str());
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(small[0], '\0');
  WriteFile("[s]\nk=0123456789\n");
  n = GetPrivateProfileString("s", "k", "", small, sizeof small, path_.c_str());
  EXPECT_EQ(n, 5u);
  EXPECT_STREQ(small, "01234");
  EXPECT_EQ(GetPrivateProfileString("s", "k", "", nullptr, 10, path_.c_str()), 0u);
}

TEST_F(ProfileTest, WritesKeepEverythingElseAndDeleteKeysAndSections) {
  WriteFile("; top comment\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
  const char* f = path_.c_str();
  EXPECT_TRUE(WritePrivateProfileString("a", "X", "10", f));  // replaces in place
  EXPECT_TRUE(WritePrivateProfileString("A", "z", "3", f));   // before the blank line
  EXPECT_TRUE(WritePrivateProfileString("C", "w", "4", f));   // new section at the end
  EXPECT_EQ(ReadFile(), "; top comment\r\n[A]\r\nX=10\r\nz=3\r\n\r\n[B]\r\ny=2\r\n[C]\r\nw=4\r\n");

  EXPECT_TRUE(WritePrivateProfileString("A", "z", nullptr, f));
  EXPECT_TRUE(WritePrivateProfileString("B", nullptr, nullptr, f));
  EXPECT_EQ(ReadFile(), "; top comment\r\n[A]\r\nX=10\r\n\r\n[C]\r\nw=4\r\n");
}

TEST_F(ProfileTest, CreatesTheFileAndRoundTripsShiftJisBytes) {
  const std::string sjis = "\x83\x5c\x83\x93\x83\x4f";  // bytes with 0x5C trail bytes
  EXPECT_TRUE(WritePrivateProfileString("Folders", "Last", sjis.c_str(), path_.c_str()));
  EXPECT_EQ(Get("Folders", "Last"), sjis);
  EXPECT_EQ(ReadFile(), "[Folders]\r\nLast=" + sjis + "\r\n");
}

TEST_F(ProfileTest, RefusesEntriesThatWouldSplitIntoLines) {
  const char* f = path_.c_str();
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "a\r\n[Injected]\r\nx=1", f));
  EXPECT_FALSE(WritePrivateProfileString("S", "k=v", "1", f));
  EXPECT_FALSE(WritePrivateProfileString(nullptr, "k", "1", f));
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "1", nullptr));
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "1", "/nonexistent-dir/x.ini"));
  EXPECT_EQ(Get(nullptr, nullptr, ""), "");
}

}  // namespace
}  // namespace platform
