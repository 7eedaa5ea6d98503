#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

// One operator action on a control: the event type ("click", "selectchanged",
// "itemselect", "textchanged", "return", "windowinit") and its sender. Rows of
// the record list have no widget of their own: their check box reports as a
// "click" from "selectbox" with the row's record in `tag`.
struct Notification {
  QString type;
  QObject* sender = nullptr;  // the control (the list view for "selectbox")
  QString name;               // the sender's name in the skin
  void* tag = nullptr;        // the record of a "selectbox" click
};

// Receives every notification, on the UI thread.
class NotifySink {
 public:
  virtual ~NotifySink() = default;
  virtual void Notify(const Notification& notification) = 0;
};
