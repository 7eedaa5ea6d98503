#include "ui/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallQtChineseTranslations() {
  // Lives as long as the application: an installed translator must not go.
  static QTranslator* qtbase = nullptr;
  if (qtbase) return true;
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  qtbase = translator;
  return true;
}

QString ChooseLanguage(const QString& requested) {
  if (requested == QLatin1String("zh") || requested == QLatin1String("en")) return requested;
  return QLocale::system().language() == QLocale::Chinese ? QStringLiteral("zh")
                                                          : QStringLiteral("en");
}

bool InstallProgramTranslation(const QString& folder, const QString& language) {
  if (language == QLatin1String("zh")) return true;  // the source texts are Chinese
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (!translator->load(QStringLiteral("residue-station_") + language, folder)) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  return true;
}
