// Registration from the one list: each instance gets its own tables, so what
// a test registers leaves with its instance.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "core/middleware.h"
#include "core/registration.h"

namespace qm3 {
namespace {

Rc Refuse(ControlId, int32_t) {
  return kRcError;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

class RegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override { StartMiddleware(); }
  void TearDown() override { DestroyMiddleware(); }
};

TEST_F(RegistrationTest, ListsWhatReactsToTempoAndPlayInRunOrder) {
  const std::vector<std::string> tempo = ListReactions(kTempo);
  const std::vector<std::string> play = ListReactions(kPlay);
  std::printf("0x0409:\n%s0x0606:\n%s", Joined(tempo).c_str(), Joined(play).c_str());
  ASSERT_FALSE(play.empty());
  // Stages run in order: values, then song, then device.
  for (const auto* lines : {&tempo, &play}) {
    int last = -1;
    for (const std::string& line : *lines) {
      const int stage = line.rfind("values", 0) == 0 ? 0 : line.rfind("song", 0) == 0 ? 1 : 2;
      EXPECT_GE(stage, last) << Joined(*lines);
      last = stage;
    }
  }
  EXPECT_NE(Joined(play).find("device: transport"), std::string::npos) << Joined(play);
  EXPECT_TRUE(ListReactions(0x7F7F).empty());
}

TEST_F(RegistrationTest, WhatATestRegistersLeavesWithItsInstance) {
  const size_t before = ListReactions(kPlay).size();
  SetRegisteringPart("test");
  RegisterReaction(kPlay, Refuse, kStageValues);
  SetRegisteringPart("");
  EXPECT_EQ(ListReactions(kPlay).size(), before + 1);

  StartMiddleware();
  EXPECT_EQ(ListReactions(kPlay).size(), before);
  // Registering again for a new instance does not double the list.
  EXPECT_EQ(Joined(ListReactions(kTempo)).find("test"), std::string::npos);
  long a = 0;
  EXPECT_EQ(RunProcess(kProcGetDllVersion, &a, nullptr), 0);
  EXPECT_GT(a, 0);
}

}  // namespace
}  // namespace qm3
