// The reader as a program of its own sends exactly the frames the reader sends in a forked
// process: names and paths with spaces, quotes, accents or a leading dash pass whole.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "jet/import/genuine_reader.h"
#include "jet/import/reader_process.h"
#include "support/test_support.h"

namespace qb::jet::import {
namespace {

// Every frame READER sends up to the last, as the bytes of the stream.
std::string AllFrames(ReaderProcess& reader) {
  std::string stream, payload;
  for (;;) {
    const FrameKind kind = reader.Next(&payload);
    stream.push_back(static_cast<char>(kind));
    const auto size = static_cast<std::uint32_t>(payload.size());
    for (int i = 0; i < 4; ++i) stream.push_back(static_cast<char>((size >> (8 * i)) & 0xff));
    stream += payload;
    if (kind == FrameKind::kDone || kind == FrameKind::kError) return stream;
  }
}

TEST(ReaderProgramTest, SendsWhatTheForkedReaderSends) {
  const std::string program = ReaderProgram();
  ASSERT_FALSE(program.empty()) << "the reader program is not beside the tests";
  qb::test::TempDir dir;
  const std::string source = dir.File("a 'copy' of nwind.mdb");
  std::filesystem::copy_file(qb::test::TestDataPath("jet/nwind.mdb"), source);
  const struct {
    const char* name;
    std::vector<std::string> tables;
  } cases[] = {
      {"named tables", {"Order Details", "Ums\xC3\xA4tze"}},
      {"a table that is not there", {"-Nothing"}},
      {"the whole file", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string recorded = dir.File("frames.bin");
    std::FILE* out = std::fopen(recorded.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    ReadGenuineFile(source, c.tables, ::fileno(out));
    std::fclose(out);
    std::vector<std::string> command{program, source};
    command.insert(command.end(), c.tables.begin(), c.tables.end());
    ReaderProcess reader(source, command, 30);
    const std::string sent = AllFrames(reader);
    EXPECT_GT(sent.size(), 5u);
    EXPECT_TRUE(sent == qb::test::ReadFileBytes(recorded)) << sent.size() << " bytes sent";
  }
}

}  // namespace
}  // namespace qb::jet::import
