// The middleware's result type: a value or a code from the host's table.
#include "core/result.h"

#include <gtest/gtest.h>

#include <string>

#include "core/device_result.h"

namespace qm3 {
namespace {

Result<std::string> NameOf(int part) {
  if (part < 1 || part > 16) return kRcError;
  return "part " + std::to_string(part);
}

TEST(ResultTest, CarriesTheValueOrTheReason) {
  const Result<std::string> found = NameOf(3);
  ASSERT_TRUE(found.ok());
  EXPECT_EQ(found.rc(), kRcOk);
  EXPECT_EQ(found.value(), "part 3");

  const Result<std::string> refused = NameOf(17);
  EXPECT_FALSE(refused.ok());
  EXPECT_EQ(refused.rc(), kRcError);
  EXPECT_EQ(refused.value_or("none"), "none");

  // An integer value is a value, a code is a reason, even where both are ints.
  const Result<int> zero = 0;
  EXPECT_TRUE(zero.ok());
  const Result<int> full = kRcNoMemory;
  EXPECT_EQ(full.rc(), kRcNoMemory);
  // A failure that names success is still a failure.
  const Result<int> odd = kRcOk;
  EXPECT_FALSE(odd.ok());
}

TEST(ResultTest, DeviceResultsBecomeTheHostsMidiCode) {
  EXPECT_EQ(MidiDeviceRc(platform::MMSYSERR_NOERROR), kRcOk);
  EXPECT_EQ(MidiDeviceRc(platform::MMSYSERR_ERROR), kRcMidiDeviceNotOpened);
  EXPECT_EQ(MidiDeviceRc(2), kRcMidiDeviceNotOpened);
}

}  // namespace
}  // namespace qm3
