// A dataset written to form text and read back: the fields it makes for itself stay out of the
// text, the fields placed on the form go in.
#include <gtest/gtest.h>

#include "framework/component/form_stream.h"
#include "framework/data/dataset_fixture.h"

namespace qb::testing {
namespace {

size_t Count(const std::string& text, const std::string& word) {
  size_t count = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++count;
  return count;
}

TEST(DataSetForm, DefaultFieldsAreNotWrittenAndTheDataSetReadsBack) {
  auto written = MakeNumbered(3);
  written->Open();
  ASSERT_TRUE(written->DefaultFields());
  const std::string text = WriteComponentText(written.get());
  EXPECT_EQ(Count(text, "object"), 1u) << "only the dataset itself:\n" << text;
  EXPECT_EQ(text.find("Field"), std::string::npos) << text;

  auto read = MakeNumbered(3);
  ASSERT_NO_THROW(ReadComponentText(text, read.get())) << text;
  EXPECT_TRUE(read->Active()) << "it opens as it was written";
  EXPECT_TRUE(read->DefaultFields()) << "with fields of its own making";
  EXPECT_EQ(read->Fields().size(), 2u);
  read->Last();
  EXPECT_EQ(Where(*read), "3[E]");

  // Reopened, the dataset makes its default fields again: still none in the text.
  written->Close();
  written->Open();
  EXPECT_EQ(WriteComponentText(written.get()), text);
}

}  // namespace
}  // namespace qb::testing
