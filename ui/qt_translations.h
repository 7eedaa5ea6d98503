#pragma once

#include <QString>

// Puts Qt's own texts (standard buttons such as OK and Cancel, the file
// dialog) into Chinese, from the translations the system's Qt packages
// install. False when they are not installed: Qt's texts then stay English.
// Call once, on the UI thread, after the application object exists.
bool InstallQtChineseTranslations();

// The window's language: "zh" (the texts as written) or "en". `requested`
// from --lang wins; otherwise Chinese when the system's language is Chinese.
QString ChooseLanguage(const QString& requested);

// Installs the program's translation for `language` from
// `folder`/residue-station_<language>.qm ("zh" needs none). False when it
// cannot be loaded: the window then stays Chinese.
bool InstallProgramTranslation(const QString& folder, const QString& language);
