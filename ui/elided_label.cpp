#include "ui/elided_label.h"

#include <QBoxLayout>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QVariant>

namespace {

constexpr char kFullText[] = "fullText";

void Elide(QLabel* label) {
  const QString full = label->property(kFullText).toString();
  const QString shown = label->fontMetrics().elidedText(full, Qt::ElideRight, label->width());
  label->setText(shown);
  label->setToolTip(shown == full ? QString() : full);
}

// Cuts the text again when the label's size changes.
class ElideOnResize : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize) Elide(static_cast<QLabel*>(watched));
    return false;
  }
};

}  // namespace

void MakeEliding(QLabel* label) {
  QSizePolicy policy = label->sizePolicy();
  policy.setHorizontalPolicy(QSizePolicy::Ignored);
  label->setSizePolicy(policy);
  label->setMinimumWidth(0);
  // It takes the room its row has to spare (it has no width of its own).
  if (QWidget* parent = label->parentWidget()) {
    if (auto* row = qobject_cast<QBoxLayout*>(parent->layout())) row->setStretchFactor(label, 1);
  }
  label->setWordWrap(false);
  label->setProperty(kFullText, label->text());
  label->installEventFilter(new ElideOnResize(label));
}

void SetElidedText(QLabel* label, const QString& text) {
  label->setProperty(kFullText, text);
  Elide(label);
}

QString FullText(const QLabel* label) { return label->property(kFullText).toString(); }
