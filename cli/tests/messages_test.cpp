// The command line's return-code texts: one English text for every code the
// middleware publishes, and the language chosen from the locale variables.
#include "messages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "qm3middle.h"

namespace sonavex::cli {
namespace {

TEST(MessagesTest, EveryMiddlewareCodeHasAnEnglishTextAndNoOther) {
  long a = 0, b = 0;
  ASSERT_EQ(QM3GetValueFunc(24, &a, &b), 0);
  ASSERT_NE(a, 0);
  const auto* table = reinterpret_cast<const QM3ReturnCodeTable*>(a);
  ASSERT_EQ(table->nCount, QM3_RETURN_CODE_COUNT);
  int with_text = 0;
  for (int code = 0; code < table->nCount; ++code) {
    const char* middleware = table->aCode[code].pszMessage;
    const bool has_text = middleware != nullptr && middleware[0] != '\0';
    with_text += has_text;
    EXPECT_EQ(has_text, EnglishCodeText(code) != nullptr) << "code " << code;
  }
  EXPECT_EQ(with_text, 24);
  EXPECT_EQ(EnglishCodeText(QM3_RETURN_CODE_COUNT), nullptr);
  EXPECT_EQ(EnglishCodeText(-1), nullptr);
}

TEST(MessagesTest, JapaneseShowsTheMiddlewareTextEnglishItsOwn) {
  const std::string japanese = "ファイルが書き込みできませんでした";
  EXPECT_EQ(CodeMessage(11, Language::kJapanese, japanese), japanese);
  EXPECT_EQ(CodeMessage(11, Language::kEnglish, japanese), "the file could not be written");
  // A code nobody has a text for still says which code it is.
  EXPECT_EQ(CodeMessage(25, Language::kEnglish, ""), "code 25");
  EXPECT_EQ(CodeMessage(25, Language::kJapanese, ""), "code 25");
}

class LocaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kNames) {
      const char* v = std::getenv(name);
      saved_.emplace_back(v != nullptr, v != nullptr ? v : "");
      unsetenv(name);
    }
  }
  void TearDown() override {
    for (size_t i = 0; i < saved_.size(); ++i) {
      if (saved_[i].first) {
        setenv(kNames[i], saved_[i].second.c_str(), 1);
      } else {
        unsetenv(kNames[i]);
      }
    }
  }
  static constexpr const char* kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  std::vector<std::pair<bool, std::string>> saved_;
};

TEST_F(LocaleTest, FirstSetVariableDecides) {
  EXPECT_EQ(UserLanguage(), Language::kEnglish);  // nothing set: the C locale
  setenv("LANG", "ja_JP.UTF-8", 1);
  EXPECT_EQ(UserLanguage(), Language::kJapanese);
  setenv("LC_MESSAGES", "en_GB.UTF-8", 1);
  EXPECT_EQ(UserLanguage(), Language::kEnglish);
  setenv("LC_ALL", "ja_JP.eucJP", 1);
  EXPECT_EQ(UserLanguage(), Language::kJapanese);
  setenv("LC_ALL", "", 1);  // empty counts as unset
  EXPECT_EQ(UserLanguage(), Language::kEnglish);
  setenv("LC_MESSAGES", "C", 1);
  EXPECT_EQ(UserLanguage(), Language::kEnglish);
}

}  // namespace
}  // namespace sonavex::cli
