// The device error texts and the exception the player raises for a closed or failed device.
#include "controls/media/media_errors.h"

#include <gtest/gtest.h>

#include <set>

#include "core/resource_strings.h"

namespace qb::media {
namespace {

TEST(MediaErrorsTest, EveryErrorHasItsOwnTextAndUnknownNumbersSaySo) {
  std::set<std::string> texts;
  for (int error = static_cast<int>(DeviceError::NotOpen);
       error <= static_cast<int>(DeviceError::DeviceBusy); ++error) {
    ASSERT_NE(nullptr, DeviceErrorText(error)) << error;
    EXPECT_TRUE(texts.insert(DeviceErrorMessage(error)).second) << "shared text for " << error;
  }
  for (int unknown : {0, -1, 1, 256, static_cast<int>(DeviceError::DeviceBusy) + 1, 65299}) {
    EXPECT_EQ(nullptr, DeviceErrorText(unknown)) << unknown;
    EXPECT_EQ("Unknown error code", DeviceErrorMessage(unknown)) << unknown;
  }
}

TEST(MediaErrorsTest, PlayerExceptionsCarryTheirMessageAndNumber) {
  try {
    RaiseNoDeviceOpen();
    FAIL() << "no exception";
  } catch (const EMCIDeviceError& error) {
    EXPECT_EQ("No MCI device open", error.Message());
    EXPECT_STREQ("EMCIDeviceError", error.ClassName());
    EXPECT_EQ(0, error.Error());
  }
  const int not_installed = static_cast<int>(DeviceError::DeviceNotInstalled);
  try {
    RaiseDeviceError(not_installed);
    FAIL() << "no exception";
  } catch (const Exception& error) {
    EXPECT_EQ(DeviceErrorText(not_installed), error.Message());
    EXPECT_EQ(not_installed, dynamic_cast<const EMCIDeviceError&>(error).Error());
  }
}

}  // namespace
}  // namespace qb::media
