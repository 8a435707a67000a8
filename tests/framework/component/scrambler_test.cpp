// The keyed text scrambler, alone and as the form text of a scrambled property.
#include <gtest/gtest.h>

#include "framework/component/component_errors.h"
#include "framework/component/form_stream.h"
#include "framework/component/scrambler.h"
#include "test_components.h"

namespace qb::test {
namespace {

char Fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The longest run of PLAIN's consecutive characters found in TEXT, ignoring ASCII case.
size_t LongestVisibleRun(const std::string& text, const std::string& plain) {
  size_t longest = 0;
  for (size_t i = 0; i < plain.size(); ++i) {
    for (size_t j = 0; j < text.size(); ++j) {
      size_t k = 0;
      while (i + k < plain.size() && j + k < text.size() && Fold(plain[i + k]) == Fold(text[j + k])) ++k;
      longest = std::max(longest, k);
    }
  }
  return longest;
}

const std::vector<std::string>& Samples() {
  static const std::vector<std::string> samples = {
      "a", "pw", "s3cret!", "Admin", "ABCDEF0123456789", "1234", "deadbeef", "'quoted' \"double\"\r\n",
      "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC", std::string("nul\0inside", 10), ";pwd=Geheim;UID=sa", std::string(300, 'x')};
  return samples;
}

TEST(ScramblerTest, RoundTripsAnyBytesAndIsDeterministic) {
  EXPECT_EQ(ScrambleText("", "key"), "");
  EXPECT_EQ(UnscrambleText("", "key"), "");
  for (const std::string& plain : Samples()) {
    const std::string scrambled = ScrambleText(plain, "key");
    EXPECT_EQ(scrambled.size(), 16 + 2 * plain.size());
    EXPECT_EQ(scrambled, ScrambleText(plain, "key"));
    EXPECT_NE(scrambled, ScrambleText(plain, "other key"));
    EXPECT_EQ(UnscrambleText(scrambled, "key"), plain);
  }
}

TEST(ScramblerTest, NeverShowsThePlainText) {
  for (const std::string& plain : Samples()) {
    const std::string scrambled = ScrambleText(plain, kFormScrambleKey);
    EXPECT_LT(LongestVisibleRun(scrambled, plain), 3u) << plain << " -> " << scrambled;
  }
  // Texts sharing a prefix do not share a visible prefix either.
  EXPECT_NE(ScrambleText("password1", "k").substr(0, 16), ScrambleText("password2", "k").substr(0, 16));
}

TEST(ScramblerTest, RefusesAnotherKeyAndDamagedText) {
  const std::string scrambled = ScrambleText("s3cret!", "key");
  EXPECT_THROW(UnscrambleText(scrambled, "wrong"), EConvertError);
  std::string flipped = scrambled;
  flipped[20] = flipped[20] == '0' ? '1' : '0';
  EXPECT_THROW(UnscrambleText(flipped, "key"), EConvertError);
  EXPECT_THROW(UnscrambleText(scrambled.substr(1), "key"), EConvertError);       // odd length
  EXPECT_THROW(UnscrambleText(scrambled.substr(0, 16), "key"), EConvertError);   // nonce only
  EXPECT_THROW(UnscrambleText("s3cret!s3cret!s3cret!", "key"), EConvertError);   // not hex
  EXPECT_EQ(UnscrambleText(QString::fromStdString(scrambled).toLower().toStdString(), "key"), "s3cret!");
}

TEST(ScramblerTest, ScrambledPropertyIsUnreadableInFormText) {
  SetUpTestComponents();
  for (const std::string& password : Samples()) {
    TProbe probe;
    probe.SetName("P");
    probe.SetPassword(password);
    const std::string text = WriteComponentText(&probe);
    const size_t start = text.find("Password = '");
    ASSERT_NE(start, std::string::npos) << text;
    const std::string value = text.substr(start + 12, text.find('\'', start + 12) - start - 12);
    EXPECT_LT(LongestVisibleRun(value, password), 3u) << text;
    TProbe copy;
    ReadComponentText(text, &copy);
    EXPECT_EQ(copy.Password(), password);
  }
  TProbe probe;
  EXPECT_THROW(ReadComponentText("object P: TProbe Password = 'plain text' end", &probe), EReadError);
  EXPECT_EQ(probe.Password(), "");
}

}  // namespace
}  // namespace qb::test
