#pragma once

#include <QString>

class QWidget;

// The program's message boxes: short texts, owned by the main window.
enum class MessageKind {
  kError,        // title "错误", error icon, OK
  kInformation,  // title "提示", information icon, OK
  kConfirm,      // title "确认", warning icon, OK and Cancel
};

// Shows a modal box; true when the operator pressed OK. `title` empty: the
// kind's usual title. UI thread only.
bool ShowMessageBox(QWidget* owner, const QString& text, MessageKind kind,
                    const QString& title = QString());

// Replaces the boxes by a function (tests, the screenshot mode): it gets the
// text, kind and title and returns the answer. Null restores the boxes.
using MessageBoxHandler = bool (*)(const QString& text, MessageKind kind, const QString& title);
void SetMessageBoxHandler(MessageBoxHandler handler);
