#pragma once

// Puts Qt's own texts (standard buttons such as OK and Cancel, the file
// dialog) into Chinese, from the translations the system's Qt packages
// install. False when they are not installed: Qt's texts then stay English.
// Call once, on the UI thread, after the application object exists.
bool InstallQtChineseTranslations();
