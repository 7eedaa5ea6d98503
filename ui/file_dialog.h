#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Asks for a file to save to, with one filter; the dialog asks before
// replacing a file and adds no extension. Empty when cancelled. UI thread.
QString AskSaveFileName(QWidget* owner, const QString& filter);

// The same with several filters and a proposed name; `chosen` gets the index
// of the filter picked (with the test handler: the filter whose pattern the
// returned path ends with, else 0).
QString AskSaveFileName(QWidget* owner, const QStringList& filters, const QString& proposedName,
                        int* chosen);

// Asks for a folder (to back up into, to restore from); empty when cancelled.
QString AskFolder(QWidget* owner, const QString& title, const QString& start);
// Replaces that dialog by a function (tests): it gets the title.
using FolderHandler = QString (*)(const QString& title);
void SetFolderHandler(FolderHandler handler);

// Replaces the dialog by a function (tests): it gets the filters (";;"
// between them) and returns the path.
using SaveFileHandler = QString (*)(const QString& filter);
void SetSaveFileHandler(SaveFileHandler handler);
// With the handler: the filter the operator picks (-1: by the path's extension).
void SetChosenSaveFilter(int index);
