// GoogleTest main for widget tests: a QApplication on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

#include "ui/program_look.h"

namespace {

// The offscreen platform warns about window features it lacks; that is noise here.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith(QLatin1String("This plugin does not support"))) return;
  qt_message_output(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef _WIN32
  // On Windows the offscreen platform reads fonts from one folder only:
  // RESIDUE_TEST_FONTS where the test run names one (under Wine, the host's
  // Chinese fonts; Wine passes no QT_ variable on), else the system's.
  if (!qEnvironmentVariableIsSet("QT_QPA_FONTDIR")) {
    const QString fonts = qEnvironmentVariable("RESIDUE_TEST_FONTS");
    qputenv("QT_QPA_FONTDIR",
            (fonts.isEmpty() ? qEnvironmentVariable("WINDIR") + "\\Fonts" : fonts).toLocal8Bit());
  }
#endif
  qInstallMessageHandler(QuietHandler);
  QApplication app(argc, argv);
  UseProgramLook();  // the look the program has
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
