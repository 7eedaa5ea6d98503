// The window in English, page by page: every text a control shows is
// English (no Chinese left untranslated) and is shown whole (no caption cut
// by its control). A process of its own: the translation stays installed.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "tests/app_window/window_fixture.h"
#include "ui/qt_translations.h"

namespace {

bool HasChinese(const QString& text) {
  for (const QChar c : text) {
    if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF) return true;
  }
  return false;
}

class EnglishWalkTest : public MainFrameWndTest {};

TEST_F(EnglishWalkTest, EveryPageIsEnglishAndNoCaptionIsCut) {
  ASSERT_TRUE(InstallProgramTranslation(QStringLiteral(TRANSLATIONS_DIR), QStringLiteral("en")));
  Open();
  std::vector<std::string> untranslated, cut;
  int looked = 0;
  for (const char* page : {"data", "stats", "setup", "scan", "info"}) {
    window_->findChild<QPushButton*>(page)->click();
    QTest::qWait(20);
    for (QWidget* w : window_->findChildren<QWidget*>()) {
      if (!w->isVisible()) continue;
      QString text;
      int room = 0, needed = 0;
      if (auto* label = qobject_cast<QLabel*>(w)) {
        text = FullText(label).isEmpty() ? label->text() : FullText(label);
        if (!label->wordWrap() && label->toolTip().isEmpty() && !label->text().contains('<')) {
          room = label->contentsRect().width();
          needed = label->fontMetrics().horizontalAdvance(label->text());
        }
      } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        text = button->text();
        room = button->width();
        needed = button->text().isEmpty() ? 0 : button->minimumSizeHint().width();
        if (button->property("role").toString() == QLatin1String("page")) {
          // The checked page's caption is bold: it must fit too.
          QFont bold = button->font();
          bold.setBold(true);
          needed += QFontMetrics(bold).horizontalAdvance(text) -
                    button->fontMetrics().horizontalAdvance(text);
        }
      } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        text = group->title();
      } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        text = edit->placeholderText();
      } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        text = combo->currentText();
      }
      looked += text.isEmpty() ? 0 : 1;
      const std::string where =
          std::string(page) + "/" + w->objectName().toStdString() + ": " + text.toStdString();
      // The about page shows the program's own files, whatever their names.
      const bool path = text.contains(QLatin1Char('/')) || text.contains(QLatin1Char('\\'));
      if (HasChinese(text) && !path) untranslated.push_back(where);
      if (needed > room + 1)
        cut.push_back(where + " (" + std::to_string(needed) + " > " + std::to_string(room) + ", " +
                      QFontInfo(w->font()).family().toStdString() + " " +
                      std::to_string(QFontInfo(w->font()).pixelSize()) + " px)");
    }
  }
  QHeaderView* header = window_->RecordList()->horizontalHeader();
  for (int i = 0; i < header->count(); ++i) {
    const QString caption =
        window_->RecordList()->model()->headerData(i, Qt::Horizontal).toString();
    if (HasChinese(caption)) untranslated.push_back("caption " + caption.toStdString());
    if (header->fontMetrics().horizontalAdvance(caption) + 10 > header->sectionSize(i))
      cut.push_back("caption " + caption.toStdString());
  }
  EXPECT_GT(looked, 80) << "the walk saw the pages' texts";
  EXPECT_TRUE(untranslated.empty()) << ::testing::PrintToString(untranslated);
  EXPECT_TRUE(cut.empty()) << ::testing::PrintToString(cut);
}

}  // namespace
