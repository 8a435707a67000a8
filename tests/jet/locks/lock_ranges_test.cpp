// Byte holds taken and let go as ranges: they count together with single holds of the same
// open, a refusal leaves nothing behind, and another open sees exactly what is still held.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>

#include "jet/locks/lock_ranges.h"
#include "support/test_support.h"

namespace qb::jet::test {
namespace {

constexpr off_t kByte = 4096;

class LockRangesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string path = dir_.File("db.ldb");
    mine_fd_ = ::open(path.c_str(), O_RDWR | O_CREAT, 0600);
    other_fd_ = ::open(path.c_str(), O_RDWR);
    ASSERT_GE(mine_fd_, 0);
    ASSERT_GE(other_fd_, 0);
    mine_.emplace(mine_fd_, LockRetry());
    other_.emplace(other_fd_, LockRetry());
  }
  void TearDown() override {
    mine_->Detach();
    other_->Detach();
    ::close(mine_fd_);
    ::close(other_fd_);
  }
  // Could the other open take BYTE exclusively now? (Lets it go again.)
  bool OtherCanTake(off_t byte) {
    if (other_->TryExclusive(byte) != LockTry::kTaken) return false;
    other_->Release(byte);
    return true;
  }

  qb::test::TempDir dir_;
  int mine_fd_ = -1, other_fd_ = -1;
  std::optional<LockRanges> mine_, other_;
};

TEST_F(LockRangesTest, ARangeHoldsEveryByteUntilItsLastHoldGoes) {
  ASSERT_EQ(mine_->TrySharedRange(kByte, 2), LockTry::kTaken);
  EXPECT_FALSE(OtherCanTake(kByte));
  EXPECT_FALSE(OtherCanTake(kByte + 1));
  EXPECT_TRUE(other_->AnyHeld(kByte, 2));
  EXPECT_TRUE(other_->TryShared(kByte) == LockTry::kTaken);  // shared holds share
  other_->Release(kByte);

  // A single hold taken meanwhile outlives the range.
  ASSERT_EQ(mine_->TryShared(kByte + 1), LockTry::kTaken);
  mine_->ReleaseRange(kByte, 2);
  EXPECT_TRUE(OtherCanTake(kByte));
  EXPECT_FALSE(OtherCanTake(kByte + 1));
  mine_->Release(kByte + 1);
  EXPECT_TRUE(OtherCanTake(kByte + 1));
  EXPECT_FALSE(other_->AnyHeld(kByte, 2));

  // And a range over a byte held singly counts it, leaving the single hold when it goes.
  ASSERT_EQ(mine_->TryShared(kByte), LockTry::kTaken);
  ASSERT_EQ(mine_->TrySharedRange(kByte, 2), LockTry::kTaken);
  EXPECT_TRUE(mine_->AnyHeld(kByte + 1, 1));
  mine_->ReleaseRange(kByte, 2);
  EXPECT_FALSE(OtherCanTake(kByte));
  EXPECT_TRUE(OtherCanTake(kByte + 1));
  mine_->Release(kByte);
  EXPECT_TRUE(OtherCanTake(kByte));
}

TEST_F(LockRangesTest, ARefusedRangeLeavesNothingHeld) {
  ASSERT_EQ(other_->TryExclusive(kByte + 1), LockTry::kTaken);
  EXPECT_EQ(mine_->TrySharedRange(kByte, 2), LockTry::kHeldElsewhere);
  EXPECT_FALSE(mine_->HeldHere(kByte));
  EXPECT_TRUE(OtherCanTake(kByte));

  // Also when part of it was counted here first: the byte taken for the range is given back.
  ASSERT_EQ(mine_->TryShared(kByte), LockTry::kTaken);
  EXPECT_EQ(mine_->TrySharedRange(kByte, 2), LockTry::kHeldElsewhere);
  mine_->Release(kByte);
  EXPECT_FALSE(mine_->HeldHere(kByte));
  EXPECT_TRUE(OtherCanTake(kByte));
  other_->Release(kByte + 1);
}

}  // namespace
}  // namespace qb::jet::test
