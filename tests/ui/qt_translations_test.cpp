#include "ui/qt_translations.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <thread>

#include "ui/library_texts.h"
#include "ui/record_list.h"

namespace {

// The standard buttons of the program's message boxes read Chinese.
TEST(QtTranslationsTest, StandardButtonsReadChinese) {
  ASSERT_TRUE(InstallQtChineseTranslations()) << "qt6-translations-l10n is not installed";
  QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  EXPECT_EQ(box.button(QDialogButtonBox::Ok)->text().toStdString(), "确定");
  EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text().toStdString(), "取消");
}

}  // namespace

namespace {

// The program's English: the window's own texts, the record texts it shows
// and the libraries' texts with their values; stored values stay as stored.
TEST(QtTranslationsTest, EnglishReachesLibraryTextsAndKeepsTheirValues) {
  struct Case {
    const char* chinese;
    const char* english;
  } cases[] = {
      {"串口打开成功: /dev/ttyUSB0", "Port open: /dev/ttyUSB0"},
      {"/dev/ttyUSB0: 串口正被别的程序使用，请先关闭那个程序",
       "/dev/ttyUSB0: Another program uses the serial port; close it first"},
      {"当前用户 op 没有使用这个串口的权限。请管理员把用户加入 dialout 组（sudo usermod -aG "
       "dialout "
       "op），然后重新登录",
       "User op may not use this serial port. Ask an administrator to add the user to group "
       "dialout "
       "(sudo usermod -aG dialout op), then log in again"},
      {"无法连接服务器，请检查上传网址、服务器是否运行和网络\nhttp://h/x",
       "Cannot connect to the server; check the upload address, the server and the network\n"
       "http://h/x"},
      {"虚拟串口 (/tmp/detector): 串口设备不存在，请检查检测仪的数据线是否插好",
       "Virtual port (/tmp/detector): The serial device is not there; check the detector's "
       "cable"},
      {"服务器的原话", "服务器的原话"},  // a server's own words stay
      // Values that look like marks or like the text around them stay whole.
      {"恢复没有完成：D:\\%2data 已被占用，恢复的数据仍在 E:\\x，请关闭程序后再试",
       "The restore did not finish: D:\\%2data is taken; the restored data is still in E:\\x. "
       "Close the program and try again"},
      {"恢复没有完成：a 已被占用，恢复的数据仍在 b 已被占用，恢复的数据仍在 c，请关闭程序后再试",
       "The restore did not finish: a 已被占用，恢复的数据仍在 b is taken; the restored data is "
       "still in c. Close the program and try again"},
      {"恢复没有完成：，请关闭程序后再试", "恢复没有完成：，请关闭程序后再试"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShownLibraryText(QString::fromUtf8(c.chinese)).toStdString(), c.chinese)
        << "no translation installed: as written";
  }
  ASSERT_TRUE(InstallProgramTranslation(QStringLiteral(TRANSLATIONS_DIR), QStringLiteral("en")));
  for (const Case& c : cases) {
    EXPECT_EQ(ShownLibraryText(QString::fromUtf8(c.chinese)).toStdString(), c.english);
  }
  // Workers may word texts too: the matching keeps no per-thread state
  // (Qt's regular expressions did, and a worker's end crashed on Windows).
  for (int i = 0; i < 3; ++i) {
    QString worded;
    std::thread worker([&] { worded = ShownLibraryText(QString::fromUtf8(cases[0].chinese)); });
    worker.join();
    EXPECT_EQ(worded.toStdString(), cases[0].english);
  }
  // Counts take the singular and the plural as English wants them.
  for (const auto& [n, english] :
       {std::pair{1, "1 record deleted!"}, {2, "2 records deleted!"}, {0, "0 records deleted!"}}) {
    EXPECT_EQ(
        QCoreApplication::translate("MainFrameWnd", "已删除 %n 条数据!", nullptr, n).toStdString(),
        english);
  }
  EXPECT_EQ(RecordListModel::DisplayText(QStringLiteral("合格")).toStdString(), "Pass");
  EXPECT_EQ(RecordListModel::DisplayText(QStringLiteral("毛豆")).toStdString(), "毛豆");
  EXPECT_EQ(ChooseLanguage(QStringLiteral("zh")).toStdString(), "zh");
  EXPECT_EQ(ChooseLanguage(QStringLiteral("en")).toStdString(), "en");
}

}  // namespace
