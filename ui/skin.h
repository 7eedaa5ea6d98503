#pragma once

#include <QMargins>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "ui/hit_test.h"
#include "ui/notification.h"

// Builds windows from the skin folder's Qt Designer files at run time. The
// class "ComputerExamine" is built from "ComputerExamine.xml"; "RecordList" is
// the record list control. Images named in style sheets as "skin:<file>" come
// from the skin folder.
class Skin {
 public:
  explicit Skin(const QString& folder);

  const QString& Folder() const { return folder_; }
  QString FilePath(const QString& file) const;
  // The widget tree of `file`; null with a message in `error` when it cannot be built.
  QWidget* Build(const QString& file, QWidget* parent, QString* error) const;

 private:
  QString folder_;
};

// A container built from "ComputerExamine.xml"; empty when that file cannot be built.
class ComputerExamineUI : public QWidget {
 public:
  ComputerExamineUI(const Skin& skin, QWidget* parent);
};

// The named controls of `names` that `root` lacks.
QStringList MissingControls(const QWidget* root, const QStringList& names);

// Turns the operator's actions on `control` (and, with the tree form, every
// control below `root`) into notifications for `sink`: button clicks are
// "click"; check boxes and checkable buttons are "selectchanged" (options of an
// exclusive group only when they become selected); a combo item picked by the
// operator is "itemselect"; typing in an edit box is "textchanged" and Enter
// "return"; a date picked is "datechanged". Changes made by the program send
// nothing (a program that sets a date blocks the signals meanwhile).
void ConnectNotifications(QWidget* root, NotifySink* sink);
void WatchControl(QWidget* control, NotifySink* sink);

// The kind of a control for the caption hit test.
ControlKind KindOf(const QWidget* control);

// A "l,t,r,b" property of a skin widget as margins (empty when absent).
QMargins MarginsProperty(const QWidget* widget, const char* name);
