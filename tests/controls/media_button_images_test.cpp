// The player's 27 button images: each name finds a drawn picture, the three kinds of a button
// differ, and the buttons differ from one another. Saves the grid of all of them as
// build/screenshots/media-buttons.png for a person to look at.
#include "controls/media/media_button_images.h"

#include <gtest/gtest.h>

#include <QGridLayout>
#include <QLabel>
#include <QWidget>
#include <set>

#include "app/dbtools/screenshot_test_support.h"

namespace qb::media {
namespace {

bool HasInk(const QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qAlpha(image.pixel(x, y)) != 0) return true;
    }
  }
  return false;
}

TEST(MediaButtonImagesTest, EveryNameFindsItsOwnPicture) {
  const std::vector<std::string> names = MediaButtonImageNames();
  ASSERT_EQ(27u, names.size());
  EXPECT_EQ("DAO_EN_MPPLAY", names.front());
  EXPECT_EQ("DAO_CL_MPEJECT", names.back());
  std::set<std::string> distinct_names(names.begin(), names.end());
  EXPECT_EQ(27u, distinct_names.size());

  std::vector<QImage> images;
  for (const std::string& name : names) {
    const QImage image = MediaButtonImage(name);
    ASSERT_FALSE(image.isNull()) << name;
    EXPECT_EQ(QSize(kMediaButtonImageWidth, kMediaButtonImageHeight), image.size()) << name;
    EXPECT_TRUE(HasInk(image)) << name;
    EXPECT_EQ(0, qAlpha(image.pixel(0, 0))) << name << ": the background is transparent";
    images.push_back(image);
  }
  // No two of the 27 are the same picture: kinds differ per button, buttons differ per kind.
  for (size_t i = 0; i < images.size(); ++i) {
    for (size_t j = i + 1; j < images.size(); ++j) {
      EXPECT_NE(images[i], images[j]) << names[i] << " and " << names[j];
    }
  }
}

TEST(MediaButtonImagesTest, NamesFollowTheResourcePattern) {
  struct Case {
    ButtonImageKind kind;
    MediaButton button;
    const char* name;
  };
  const Case cases[] = {
      {ButtonImageKind::Enabled, MediaButton::Play, "DAO_EN_MPPLAY"},
      {ButtonImageKind::Disabled, MediaButton::Pause, "DAO_DI_MPPAUSE"},
      {ButtonImageKind::Colored, MediaButton::Record, "DAO_CL_MPRECORD"},
      {ButtonImageKind::Disabled, MediaButton::Back, "DAO_DI_MPBACK"},
      {ButtonImageKind::Enabled, MediaButton::Eject, "DAO_EN_MPEJECT"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.name, MediaButtonImageName(c.kind, c.button));
  for (const char* unknown :
       {"", "DAO_EN_", "dao_en_mpplay", "DAO_XX_MPPLAY", "DAO_EN_MPPLAYX", "MPPLAY"}) {
    EXPECT_TRUE(MediaButtonImage(unknown).isNull()) << unknown;
  }
}

TEST(MediaButtonImagesTest, ScreenshotOfAllImages) {
  QWidget grid;
  auto* layout = new QGridLayout(&grid);
  const char* kinds[] = {"enabled", "disabled", "colored"};
  for (int k = 0; k < kButtonImageKindCount; ++k) {
    layout->addWidget(new QLabel(kinds[k]), k + 1, 0);
    for (int b = 0; b < kMediaButtonCount; ++b) {
      if (k == 0) {
        layout->addWidget(new QLabel(MediaButtonResourceName(static_cast<MediaButton>(b))), 0,
                          b + 1);
      }
      auto* cell = new QLabel;
      const QImage image = MediaButtonImage(
          MediaButtonImageName(static_cast<ButtonImageKind>(k), static_cast<MediaButton>(b)));
      cell->setPixmap(QPixmap::fromImage(image.scaled(image.size() * 3)));
      cell->setFrameShape(QFrame::Panel);
      cell->setFrameShadow(QFrame::Raised);
      cell->setAlignment(Qt::AlignCenter);
      cell->setMinimumSize(image.size() * 3 + QSize(24, 12));
      layout->addWidget(cell, k + 1, b + 1);
    }
  }
  grid.adjustSize();
  test::SaveScreenshot(grid, "media-buttons");
}

}  // namespace
}  // namespace qb::media
