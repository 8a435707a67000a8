// The reader's frame sender: rows wait to be written a pipe's worth at a time, but never longer
// than its wait limit (a slow table must not look like a hung reader to the importing process),
// and every other frame goes at once with the rows before it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "jet/import/frame_sender.h"

namespace qb::jet::import {
namespace {

class FrameSenderTest : public ::testing::Test {
 protected:
  FrameSenderTest() {
    EXPECT_EQ(::pipe2(fds_, O_NONBLOCK | O_CLOEXEC), 0);
    // Large enough that the gathered rows of these tests never block the writer.
    ::fcntl(fds_[1], F_SETPIPE_SZ, 1 << 20);
  }
  ~FrameSenderTest() override {
    ::close(fds_[0]);
    ::close(fds_[1]);
  }

  Sender MakeSender() {
    return Sender(fds_[1], [this] { return now_; });
  }
  // Everything written so far (the read end never blocks).
  std::string Written() {
    std::string all;
    char buffer[65536];
    for (ssize_t n; (n = ::read(fds_[0], buffer, sizeof buffer)) > 0;) all.append(buffer, n);
    return all;
  }
  static FrameWriter Row(const std::string& text) {
    FrameWriter w;
    w.Text(text);
    return w;
  }

  int fds_[2] = {-1, -1};
  std::chrono::steady_clock::time_point now_{};
};

TEST_F(FrameSenderTest, RowsWaitForAPipesWorthOrTheWaitLimitWhicheverComesFirst) {
  Sender sender = MakeSender();
  ASSERT_TRUE(sender.Send(Row("a"), FrameKind::kRow));
  now_ += Sender::kLongestWait / 2;
  ASSERT_TRUE(sender.Send(Row("b"), FrameKind::kRow));
  EXPECT_EQ(Written(), "");

  // The oldest row has now waited the limit: the next row takes all three out.
  now_ += Sender::kLongestWait / 2;
  ASSERT_TRUE(sender.Send(Row("c"), FrameKind::kRow));
  EXPECT_EQ(Written(), Row("a").Frame(FrameKind::kRow) + Row("b").Frame(FrameKind::kRow) +
                           Row("c").Frame(FrameKind::kRow));

  // Without time passing, rows go once a pipe's worth has gathered.
  const std::string big(1000, 'x');
  std::size_t gathered = 0;
  while (gathered < Sender::kGather) {
    EXPECT_EQ(Written(), "") << "written after " << gathered << " bytes";
    ASSERT_TRUE(sender.Send(Row(big), FrameKind::kRow));
    gathered += Row(big).Frame(FrameKind::kRow).size();
  }
  EXPECT_EQ(Written().size(), gathered);
}

TEST_F(FrameSenderTest, OtherFramesGoAtOnceAfterTheRowsGatheredBeforeThem) {
  Sender sender = MakeSender();
  ASSERT_TRUE(sender.Send(Row("a"), FrameKind::kRow));
  FrameWriter end;
  end.U32(1);
  ASSERT_TRUE(sender.Send(end, FrameKind::kTableEnd));
  EXPECT_EQ(Written(), Row("a").Frame(FrameKind::kRow) + end.Frame(FrameKind::kTableEnd));

  ASSERT_TRUE(sender.Error("broken"));
  const std::string error = Written();
  FrameReader reader(std::string_view(error).substr(5));
  EXPECT_EQ(reader.Text(), "broken");
  EXPECT_TRUE(reader.AtEnd());
}

}  // namespace
}  // namespace qb::jet::import
