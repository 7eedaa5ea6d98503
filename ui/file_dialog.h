#pragma once

#include <QString>

class QWidget;

// Asks for a file to save to, with one filter; the dialog asks before
// replacing a file and adds no extension. Empty when cancelled. UI thread.
QString AskSaveFileName(QWidget* owner, const QString& filter);

// Replaces the dialog by a function (tests): it gets the filter and returns the path.
using SaveFileHandler = QString (*)(const QString& filter);
void SetSaveFileHandler(SaveFileHandler handler);
