// Entry point: the skin beside the executable, the main window, the event loop.
//   residue-station [--lang zh|en] [--screenshot FILE] [--page data|stats|setup|scan|info|guide]
//                   [--find TEXT]
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFont>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <ctime>

#include "app/file_locations.h"
#include "app/main_frame_wnd.h"
#include "app/running_copy.h"
#include "base/config.h"
#include "base/file_io.h"
#include "ui/message_box.h"
#include "ui/program_look.h"
#include "ui/qt_translations.h"

namespace {

// The screenshot mode answers every message box itself instead of waiting.
bool AnswerOk(const QString& text, MessageKind, const QString&) {
  std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  UseProgramLook();
  QString screenshot, page, find, lang;
  const QStringList args = app.arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--screenshot") && i + 1 < args.size()) {
      screenshot = args[++i];
    } else if (args[i] == QLatin1String("--page") && i + 1 < args.size()) {
      page = args[++i];
    } else if (args[i] == QLatin1String("--lang") && i + 1 < args.size() &&
               (args[i + 1] == QLatin1String("zh") || args[i + 1] == QLatin1String("en"))) {
      lang = args[++i];
    } else if (args[i] == QLatin1String("--find") && i + 1 < args.size()) {
      find = args[++i];
    } else {
      std::fprintf(stderr,
                   "usage: residue-station [--lang zh|en] [--screenshot FILE] "
                   "[--page data|stats|setup|scan|info|guide] [--find TEXT]\n");
      return 2;
    }
  }
  if (!screenshot.isEmpty()) SetMessageBoxHandler(AnswerOk);

  RemoveStaleOutputTemporaries();  // left by an export a crash interrupted
  const FileLocations locations = LocateFiles();
  // The window's language; Qt's own buttons and dialogs follow it.
  const QString language = ChooseLanguage(lang);
  if (language == QLatin1String("zh")) {
    InstallQtChineseTranslations();
  } else {
    const QString folder =
        QString::fromStdString(locations.skinFolder) + QStringLiteral("/../translations");
    if (!InstallProgramTranslation(folder, language)) {
      std::fprintf(stderr, "residue-station: no %s translation in %s\n",
                   language.toUtf8().constData(), folder.toUtf8().constData());
    }
  }
  std::string folderError;
  if (!PrepareFileLocations(locations, folderError)) {
    std::fprintf(stderr, "residue-station: %s\n", folderError.c_str());
  }
  // The folder's window is open already: it comes to the front instead.
  if (screenshot.isEmpty() && RunningCopy::Call(locations.storageFolder)) return 0;
  SetConfigPath(locations.settingsFile);
  MainFrameOptions options;
  options.skinFolder = QString::fromStdString(locations.skinFolder);
  options.storageFolder = locations.storageFolder;
  options.capturePath = locations.capturePath;
  // "--page guide" pictures the first start's guide (when there is no settings file).
  options.firstStartGuide = screenshot.isEmpty() || page == QLatin1String("guide");
  auto* window = new MainFrameWnd(options);
  window->setAttribute(Qt::WA_DeleteOnClose);
  QString error;
  if (!window->Create(&error)) {
    std::fprintf(stderr, "residue-station: %s\n", error.toUtf8().constData());
    if (screenshot.isEmpty() && QGuiApplication::platformName() != QLatin1String("offscreen")) {
      QMessageBox::critical(nullptr, QCoreApplication::translate("MessageBox", "错误"), error);
    }
    delete window;
    return 3;
  }
  window->CenterAndShow();
  RunningCopy runningCopy;
  if (screenshot.isEmpty()) {
    QPointer<MainFrameWnd> shown(window);
    runningCopy.Answer(locations.storageFolder, [shown] {
      if (!shown) return;
      if (shown->isMinimized()) shown->showNormal();
      shown->raise();
      shown->activateWindow();
    });
  }
  if (!screenshot.isEmpty()) {
    // For start-up measurements: the moment the window is up with every row listed.
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr, "shown: %u rows at %lld ns\n", window->Records().Count(),
                 now.tv_sec * 1000000000LL + now.tv_nsec);
  }
  if (!find.isEmpty()) {
    // Opens with the record page's search box filled in.
    if (auto* edit = window->findChild<QLineEdit*>(QStringLiteral("EditFind"))) {
      edit->setText(find);
      window->ApplyFindBar();
    }
  }
  if (!page.isEmpty()) {
    if (auto* option = window->findChild<QPushButton*>(page)) option->click();
  }
  if (!screenshot.isEmpty()) {
    QTimer::singleShot(300, window, [window, screenshot] {
      QWidget* shown = window;
      for (QDialog* dialog : window->findChildren<QDialog*>()) {
        if (dialog->isVisible()) shown = dialog;
      }
      const bool saved = shown->grab().save(screenshot);
      std::fprintf(stderr, saved ? "screenshot: %s\n" : "residue-station: cannot write %s\n",
                   screenshot.toUtf8().constData());
      window->close();
      QApplication::exit(saved ? 0 : 1);
    });
  }
  return app.exec();
}
