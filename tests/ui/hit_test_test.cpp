#include "ui/hit_test.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "ui/skin.h"

namespace {

TEST(HitTestTest, BordersCornersCaptionAndClickableControls) {
  const QRect client(0, 0, 800, 572);
  const QMargins box(4, 4, 4, 4);
  const QMargins caption(0, 0, 0, 40);  // insets left/right, band from y 0 to 40
  struct Case {
    QPoint point;
    bool maximized;
    ControlKind under;
    HitCode expected;
  } cases[] = {
      {{1, 1}, false, ControlKind::kOther, kHitTopLeft},
      {{798, 2}, false, ControlKind::kOther, kHitTopRight},
      {{400, 0}, false, ControlKind::kOther, kHitTop},
      {{0, 571}, false, ControlKind::kOther, kHitBottomLeft},
      {{799, 571}, false, ControlKind::kOther, kHitBottomRight},
      {{400, 569}, false, ControlKind::kOther, kHitBottom},
      {{2, 300}, false, ControlKind::kOther, kHitLeft},
      {{797, 300}, false, ControlKind::kOther, kHitRight},
      {{400, 20}, false, ControlKind::kOther, kHitCaption},
      {{400, 20}, false, ControlKind::kButton, kHitClient},
      {{400, 20}, false, ControlKind::kOption, kHitClient},
      {{400, 20}, false, ControlKind::kText, kHitClient},
      {{400, 20}, false, ControlKind::kNone, kHitClient},
      {{400, 40}, false, ControlKind::kOther, kHitClient},
      {{1, 1}, true, ControlKind::kOther, kHitCaption},
      {{2, 300}, true, ControlKind::kOther, kHitClient},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HitTest(c.point, client, box, caption, c.maximized, c.under), c.expected)
        << c.point.x() << "," << c.point.y() << " maximized " << c.maximized;
  }
}

TEST(HitTestTest, ControlKindsFollowTheWidgetClasses) {
  QPushButton button;
  QPushButton option;
  option.setCheckable(true);
  QLabel label;
  QLabel text;
  text.setProperty("interactive", true);
  EXPECT_EQ(KindOf(&button), ControlKind::kButton);
  EXPECT_EQ(KindOf(&option), ControlKind::kOption);
  EXPECT_EQ(KindOf(&label), ControlKind::kOther) << "a plain label drags the window";
  EXPECT_EQ(KindOf(&text), ControlKind::kText);
  EXPECT_EQ(KindOf(nullptr), ControlKind::kNone);
}

}  // namespace
