#include "ui/skin.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ui/designer_form.h"
#include "ui/record_list.h"

namespace {

void Send(NotifySink* sink, const char* type, QObject* sender) {
  Notification n;
  n.type = QString::fromLatin1(type);
  n.sender = sender;
  n.name = sender->objectName();
  sink->Notify(n);
}

}  // namespace

Skin::Skin(const QString& folder) : folder_(folder) {
  QDir::setSearchPaths(QStringLiteral("skin"), {folder});
}

QString Skin::FilePath(const QString& file) const { return QDir(folder_).filePath(file); }

QWidget* Skin::Build(const QString& file, QWidget* parent, QString* error) const {
  QFile ui(FilePath(file));
  if (!ui.open(QIODevice::ReadOnly)) {
    if (error) *error = QStringLiteral("cannot open %1: %2").arg(ui.fileName(), ui.errorString());
    return nullptr;
  }
  QString problem;
  QWidget* root = BuildDesignerForm(
      ui.readAll(), QDir(folder_), parent,
      [this](const QString& className, QWidget* parent) -> QWidget* {
        if (className == QLatin1String("ComputerExamine"))
          return new ComputerExamineUI(*this, parent);
        if (className == QLatin1String("RecordList")) return new RecordListView(parent);
        return nullptr;
      },
      &problem);
  if (!root && error) *error = QStringLiteral("cannot build %1: %2").arg(ui.fileName(), problem);
  return root;
}

ComputerExamineUI::ComputerExamineUI(const Skin& skin, QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  if (QWidget* content = skin.Build(QStringLiteral("ComputerExamine.xml"), this, nullptr)) {
    layout->addWidget(content);
  }
}

QStringList MissingControls(const QWidget* root, const QStringList& names) {
  QStringList missing;
  for (const QString& name : names) {
    if (!root || !root->findChild<QWidget*>(name)) missing << name;
  }
  return missing;
}

void WatchControl(QWidget* control, NotifySink* sink) {
  if (auto* combo = qobject_cast<QComboBox*>(control)) {
    QObject::connect(combo, &QComboBox::activated, combo,
                     [=](int) { Send(sink, "itemselect", combo); });
  } else if (auto* date = qobject_cast<QDateEdit*>(control)) {
    QObject::connect(date, &QDateEdit::dateChanged, date, [=] { Send(sink, "datechanged", date); });
  } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    QObject::connect(edit, &QLineEdit::textEdited, edit, [=] { Send(sink, "textchanged", edit); });
    QObject::connect(edit, &QLineEdit::returnPressed, edit, [=] { Send(sink, "return", edit); });
  } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    if (button->isCheckable()) {
      const bool exclusive = button->autoExclusive();
      QObject::connect(button, &QAbstractButton::toggled, button, [=](bool checked) {
        if (checked || !exclusive) Send(sink, "selectchanged", button);
      });
    } else {
      QObject::connect(button, &QAbstractButton::clicked, button,
                       [=] { Send(sink, "click", button); });
    }
  } else if (auto* list = dynamic_cast<RecordListView*>(control)) {
    list->SetSink(sink);
  }
}

void ConnectNotifications(QWidget* root, NotifySink* sink) {
  WatchControl(root, sink);
  for (QWidget* child : root->findChildren<QWidget*>()) WatchControl(child, sink);
}

ControlKind KindOf(const QWidget* control) {
  if (!control) return ControlKind::kNone;
  if (auto* button = qobject_cast<const QAbstractButton*>(control)) {
    return button->isCheckable() ? ControlKind::kOption : ControlKind::kButton;
  }
  // Labels marked interactive in the skin are "Text" controls; plain labels drag.
  if (qobject_cast<const QLabel*>(control) && control->property("interactive").toBool()) {
    return ControlKind::kText;
  }
  return ControlKind::kOther;
}

QMargins MarginsProperty(const QWidget* widget, const char* name) {
  const QStringList parts = widget->property(name).toString().split(QLatin1Char(','));
  if (parts.size() != 4) return QMargins();
  return QMargins(parts[0].trimmed().toInt(), parts[1].trimmed().toInt(),
                  parts[2].trimmed().toInt(), parts[3].trimmed().toInt());
}
