#include "ui/designer_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaEnum>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QXmlStreamReader>
#include <vector>

namespace {

// One element of the form, read whole before anything is built, so a widget
// can look ahead (the <customwidgets> list comes after the widgets).
struct Node {
  QString tag;
  QXmlStreamAttributes attributes;
  QString text;
  qint64 line = 0;
  std::vector<Node> children;

  QString Attr(const char* name) const { return attributes.value(QLatin1String(name)).toString(); }
  const Node* Child(const char* name) const {
    for (const Node& child : children) {
      if (child.tag == QLatin1String(name)) return &child;
    }
    return nullptr;
  }
  QString ChildText(const char* name) const {
    const Node* child = Child(name);
    return child ? child->text.trimmed() : QString();
  }
  int ChildInt(const char* name) const { return ChildText(name).toInt(); }
};

bool ReadTree(const QByteArray& xml, Node* root, QString* error) {
  if (xml.trimmed().isEmpty()) {
    *error = QStringLiteral("the file is empty");
    return false;
  }
  QXmlStreamReader reader(xml);
  std::vector<Node*> open;  // an element's vector only grows once its children have closed
  while (!reader.atEnd()) {
    reader.readNext();
    if (reader.isStartElement()) {
      Node node{reader.name().toString(), reader.attributes(), {}, reader.lineNumber(), {}};
      if (open.empty()) {  // the reader refuses a second document element
        *root = std::move(node);
        open.push_back(root);
      } else {
        open.back()->children.push_back(std::move(node));
        open.push_back(&open.back()->children.back());
      }
    } else if (reader.isCharacters() && !open.empty()) {
      open.back()->text += reader.text();
    } else if (reader.isEndElement() && !open.empty()) {
      open.pop_back();
    }
  }
  if (reader.hasError()) {
    *error = QStringLiteral("line %1: %2").arg(reader.lineNumber()).arg(reader.errorString());
    return false;
  }
  return true;
}

template <class W>
QWidget* Make(QWidget* parent) {
  return new W(parent);
}

QWidget* MakeStandard(const QString& className, QWidget* parent) {
  using Maker = QWidget* (*)(QWidget*);
  static const QHash<QString, Maker> makers = {
      {QStringLiteral("QWidget"), &Make<QWidget>},
      {QStringLiteral("QFrame"), &Make<QFrame>},
      {QStringLiteral("QLabel"), &Make<QLabel>},
      {QStringLiteral("QPushButton"), &Make<QPushButton>},
      {QStringLiteral("QToolButton"), &Make<QToolButton>},
      {QStringLiteral("QCheckBox"), &Make<QCheckBox>},
      {QStringLiteral("QRadioButton"), &Make<QRadioButton>},
      {QStringLiteral("QComboBox"), &Make<QComboBox>},
      {QStringLiteral("QLineEdit"), &Make<QLineEdit>},
      {QStringLiteral("QTextEdit"), &Make<QTextEdit>},
      {QStringLiteral("QPlainTextEdit"), &Make<QPlainTextEdit>},
      {QStringLiteral("QSpinBox"), &Make<QSpinBox>},
      {QStringLiteral("QDoubleSpinBox"), &Make<QDoubleSpinBox>},
      {QStringLiteral("QDateEdit"), &Make<QDateEdit>},
      {QStringLiteral("QTimeEdit"), &Make<QTimeEdit>},
      {QStringLiteral("QDateTimeEdit"), &Make<QDateTimeEdit>},
      {QStringLiteral("QGroupBox"), &Make<QGroupBox>},
      {QStringLiteral("QScrollArea"), &Make<QScrollArea>},
      {QStringLiteral("QStackedWidget"), &Make<QStackedWidget>},
      {QStringLiteral("QTabWidget"), &Make<QTabWidget>},
      {QStringLiteral("QSplitter"), &Make<QSplitter>},
      {QStringLiteral("QTableWidget"), &Make<QTableWidget>},
      {QStringLiteral("QTableView"), &Make<QTableView>},
      {QStringLiteral("QListWidget"), &Make<QListWidget>},
      {QStringLiteral("QTreeWidget"), &Make<QTreeWidget>},
      {QStringLiteral("QProgressBar"), &Make<QProgressBar>},
      {QStringLiteral("QSlider"), &Make<QSlider>},
  };
  const auto maker = makers.find(className);
  return maker == makers.end() ? nullptr : (*maker)(parent);
}

// "QFrame::NoFrame" -> "NoFrame"; "Qt::AlignLeft|Qt::AlignTop" -> "AlignLeft|AlignTop".
QByteArray Unscoped(const QString& keys) {
  QStringList parts = keys.split(QLatin1Char('|'), Qt::SkipEmptyParts);
  for (QString& part : parts) {
    part = part.trimmed();
    part = part.mid(part.lastIndexOf(QLatin1String("::")) + 1);
    if (part.startsWith(QLatin1Char(':'))) part.remove(0, 1);
  }
  return parts.join(QLatin1Char('|')).toLatin1();
}

template <class E>
int EnumValue(const QString& key, int otherwise) {
  bool ok = false;
  const int value = QMetaEnum::fromType<E>().keysToValue(Unscoped(key).constData(), &ok);
  return ok ? value : otherwise;
}

class FormBuilder {
 public:
  FormBuilder(const QDir& folder, const CustomWidgetMaker& custom)
      : folder_(folder), custom_(custom) {}

  QWidget* Build(const Node& ui, QWidget* parent) {
    if (ui.tag != QLatin1String("ui")) return Fail(ui, QStringLiteral("not a Designer form"));
    context_ = ui.ChildText("class").toUtf8();
    if (const Node* list = ui.Child("customwidgets")) {
      for (const Node& entry : list->children) {
        extends_.insert(entry.ChildText("class"), entry.ChildText("extends"));
      }
    }
    const Node* top = ui.Child("widget");
    if (!top) return Fail(ui, QStringLiteral("the form holds no widget"));
    QWidget* root = MakeWidget(*top, parent);
    if (!root) return nullptr;
    for (const auto& [label, name] : buddies_) label->setBuddy(root->findChild<QWidget*>(name));
    return root;
  }

  const QString& Error() const { return error_; }

 private:
  std::nullptr_t Fail(const Node& at, const QString& message) {
    if (error_.isEmpty()) error_ = QStringLiteral("line %1: %2").arg(at.line).arg(message);
    return nullptr;
  }

  QWidget* NewWidget(const QString& className, QWidget* parent) {
    if (QWidget* widget = custom_ ? custom_(className, parent) : nullptr) return widget;
    if (QWidget* widget = MakeStandard(className, parent)) return widget;
    const auto base = extends_.find(className);
    if (base == extends_.end() || *base == className) return nullptr;
    const QString extended = *base;
    extends_.erase(base);  // a loop of entries ends here
    return NewWidget(extended, parent);
  }

  QWidget* MakeWidget(const Node& node, QWidget* parent) {
    const QString className = node.Attr("class");
    QWidget* widget = NewWidget(className, parent);
    if (!widget) return Fail(node, QStringLiteral("unknown widget class \"%1\"").arg(className));
    widget->setObjectName(node.Attr("name"));
    std::vector<const Node*> afterChildren;
    for (const Node& child : node.children) {
      if (child.tag == QLatin1String("property")) {
        const QString name = child.Attr("name");
        if (name == QLatin1String("currentIndex") || name == QLatin1String("currentRow")) {
          afterChildren.push_back(&child);  // there is nothing to select before the pages exist
        } else if (name == QLatin1String("buddy") && qobject_cast<QLabel*>(widget)) {
          buddies_.emplace_back(static_cast<QLabel*>(widget), child.ChildText("cstring"));
        } else {
          ApplyProperty(widget, child);
        }
      } else if (child.tag == QLatin1String("widget")) {
        QWidget* inner = MakeWidget(child, widget);
        if (!inner) {
          delete widget;
          return nullptr;
        }
        AddToContainer(widget, inner, child);
      } else if (child.tag == QLatin1String("layout")) {
        if (!MakeLayout(child, widget, widget)) {
          delete widget;
          return nullptr;
        }
      } else if (child.tag == QLatin1String("item")) {
        AddListItem(widget, child);
      }
    }
    for (const Node* property : afterChildren) ApplyProperty(widget, *property);
    return widget;
  }

  void AddToContainer(QWidget* container, QWidget* inner, const Node& node) {
    if (auto* stack = qobject_cast<QStackedWidget*>(container)) {
      stack->addWidget(inner);
    } else if (auto* scroll = qobject_cast<QScrollArea*>(container)) {
      scroll->setWidget(inner);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(container)) {
      tabs->addTab(inner, AttributeText(node, "title"));
    } else if (auto* splitter = qobject_cast<QSplitter*>(container)) {
      splitter->addWidget(inner);
    }
  }

  QString AttributeText(const Node& node, const char* name) {
    for (const Node& child : node.children) {
      if (child.tag == QLatin1String("attribute") && child.Attr("name") == QLatin1String(name) &&
          !child.children.empty()) {
        return Value(child.children.front(), nullptr).toString();
      }
    }
    return QString();
  }

  void AddListItem(QWidget* widget, const Node& item) {
    QString text;
    QIcon icon;
    for (const Node& property : item.children) {
      if (property.tag != QLatin1String("property") || property.children.empty()) continue;
      const QVariant value = Value(property.children.front(), nullptr);
      if (property.Attr("name") == QLatin1String("text")) text = value.toString();
      if (property.Attr("name") == QLatin1String("icon")) icon = value.value<QIcon>();
    }
    if (auto* combo = qobject_cast<QComboBox*>(widget)) combo->addItem(icon, text);
    if (auto* list = qobject_cast<QListWidget*>(widget))
      list->addItem(new QListWidgetItem(icon, text));
  }

  // A layout set on `owner`, or (owner null) one to be nested in another;
  // its widgets are children of `parentWidget`.
  QLayout* MakeLayout(const Node& node, QWidget* owner, QWidget* parentWidget) {
    const QString className = node.Attr("class");
    QLayout* layout = nullptr;
    if (className == QLatin1String("QHBoxLayout")) {
      layout = new QHBoxLayout(owner);
    } else if (className == QLatin1String("QVBoxLayout")) {
      layout = new QVBoxLayout(owner);
    } else if (className == QLatin1String("QGridLayout")) {
      layout = new QGridLayout(owner);
    } else if (className == QLatin1String("QFormLayout")) {
      layout = new QFormLayout(owner);
    } else {
      return Fail(node, QStringLiteral("unknown layout class \"%1\"").arg(className));
    }
    layout->setObjectName(node.Attr("name"));
    QMargins margins = layout->contentsMargins();
    bool marginsGiven = false;
    auto* grid = qobject_cast<QGridLayout*>(layout);
    for (const Node& child : node.children) {
      if (child.tag == QLatin1String("property")) {
        const QString name = child.Attr("name");
        const int number = child.ChildInt("number");
        if (name == QLatin1String("margin")) {
          margins = QMargins(number, number, number, number);
        } else if (name == QLatin1String("leftMargin")) {
          margins.setLeft(number);
        } else if (name == QLatin1String("topMargin")) {
          margins.setTop(number);
        } else if (name == QLatin1String("rightMargin")) {
          margins.setRight(number);
        } else if (name == QLatin1String("bottomMargin")) {
          margins.setBottom(number);
        } else if (grid && name == QLatin1String("horizontalSpacing")) {
          grid->setHorizontalSpacing(number);
          continue;
        } else if (grid && name == QLatin1String("verticalSpacing")) {
          grid->setVerticalSpacing(number);
          continue;
        } else {
          ApplyProperty(layout, child);
          continue;
        }
        marginsGiven = true;
      } else if (child.tag == QLatin1String("item")) {
        if (!AddLayoutItem(layout, child, parentWidget)) {
          delete layout;
          return nullptr;
        }
      }
    }
    if (marginsGiven) layout->setContentsMargins(margins);
    ApplyStretches(layout, node);
    return layout;
  }

  static void ApplyStretches(QLayout* layout, const Node& node) {
    auto numbers = [&](const char* name) {
      std::vector<int> values;
      for (const QString& part : node.Attr(name).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        values.push_back(part.trimmed().toInt());
      }
      return values;
    };
    if (auto* box = qobject_cast<QBoxLayout*>(layout)) {
      const std::vector<int> stretch = numbers("stretch");
      for (int i = 0; i < static_cast<int>(stretch.size()) && i < box->count(); ++i) {
        box->setStretch(i, stretch[static_cast<size_t>(i)]);
      }
    } else if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
      int i = 0;
      for (int value : numbers("rowstretch")) grid->setRowStretch(i++, value);
      i = 0;
      for (int value : numbers("columnstretch")) grid->setColumnStretch(i++, value);
      i = 0;
      for (int value : numbers("rowminimumheight")) grid->setRowMinimumHeight(i++, value);
      i = 0;
      for (int value : numbers("columnminimumwidth")) grid->setColumnMinimumWidth(i++, value);
    }
  }

  bool AddLayoutItem(QLayout* layout, const Node& item, QWidget* parentWidget) {
    QWidget* widget = nullptr;
    QLayout* inner = nullptr;
    QSpacerItem* spacer = nullptr;
    for (const Node& child : item.children) {
      if (child.tag == QLatin1String("widget")) {
        if (!(widget = MakeWidget(child, parentWidget))) return false;
      } else if (child.tag == QLatin1String("layout")) {
        if (!(inner = MakeLayout(child, nullptr, parentWidget))) return false;
      } else if (child.tag == QLatin1String("spacer")) {
        spacer = MakeSpacer(child);
      } else {
        continue;
      }
      break;
    }
    if (!widget && !inner && !spacer) return true;
    const Qt::Alignment alignment(EnumValue<Qt::Alignment>(item.Attr("alignment"), 0));
    const int row = item.Attr("row").toInt();
    const int column = item.Attr("column").toInt();
    const int rowSpan =
        item.attributes.hasAttribute(QLatin1String("rowspan")) ? item.Attr("rowspan").toInt() : 1;
    const int columnSpan =
        item.attributes.hasAttribute(QLatin1String("colspan")) ? item.Attr("colspan").toInt() : 1;
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
      if (widget) grid->addWidget(widget, row, column, rowSpan, columnSpan, alignment);
      if (inner) grid->addLayout(inner, row, column, rowSpan, columnSpan, alignment);
      if (spacer) grid->addItem(spacer, row, column, rowSpan, columnSpan, alignment);
    } else if (auto* form = qobject_cast<QFormLayout*>(layout)) {
      const QFormLayout::ItemRole role = columnSpan > 1 ? QFormLayout::SpanningRole
                                         : column == 0  ? QFormLayout::LabelRole
                                                        : QFormLayout::FieldRole;
      if (widget) form->setWidget(row, role, widget);
      if (inner) form->setLayout(row, role, inner);
      if (spacer) form->setItem(row, role, spacer);
    } else if (auto* box = qobject_cast<QBoxLayout*>(layout)) {
      if (widget) box->addWidget(widget, 0, alignment);
      if (inner) box->addLayout(inner);
      if (spacer) box->addItem(spacer);
    }
    return true;
  }

  QSpacerItem* MakeSpacer(const Node& node) {
    QSize size(0, 0);
    QSizePolicy::Policy policy = QSizePolicy::Expanding;
    bool vertical = false;
    for (const Node& property : node.children) {
      if (property.tag != QLatin1String("property") || property.children.empty()) continue;
      const Node& value = property.children.front();
      const QString name = property.Attr("name");
      if (name == QLatin1String("sizeHint")) {
        size = QSize(value.ChildInt("width"), value.ChildInt("height"));
      } else if (name == QLatin1String("sizeType")) {
        policy = QSizePolicy::Policy(EnumValue<QSizePolicy::Policy>(value.text, policy));
      } else if (name == QLatin1String("orientation")) {
        vertical = EnumValue<Qt::Orientation>(value.text, Qt::Horizontal) == Qt::Vertical;
      }
    }
    return vertical ? new QSpacerItem(size.width(), size.height(), QSizePolicy::Minimum, policy)
                    : new QSpacerItem(size.width(), size.height(), policy, QSizePolicy::Minimum);
  }

  // Sets a property from its <property> element: a declared one through the
  // class's meta object, any other as a dynamic property.
  void ApplyProperty(QObject* object, const Node& node) {
    if (node.children.empty()) return;
    const QByteArray name = node.Attr("name").toLatin1();
    const QMetaObject* meta = object->metaObject();
    const int index =
        node.Attr("stdset") == QLatin1String("0") ? -1 : meta->indexOfProperty(name.constData());
    if (index < 0) {
      const QVariant value = Value(node.children.front(), nullptr);
      if (value.isValid()) object->setProperty(name.constData(), value);
      return;
    }
    const QMetaProperty property = meta->property(index);
    const QVariant value = Value(node.children.front(), &property);
    if (value.isValid() && !property.write(object, value)) {
      qWarning("form line %lld: cannot set %s of %s", node.line, name.constData(),
               meta->className());
    }
  }

  QString Text(const Node& node) {
    if (node.Attr("notr") == QLatin1String("true")) return node.text;
    const QByteArray source = node.text.toUtf8();
    const QByteArray comment = node.Attr("comment").toUtf8();
    return QCoreApplication::translate(context_.constData(), source.constData(),
                                       comment.isEmpty() ? nullptr : comment.constData());
  }

  QString FilePath(const QString& name) const {
    const QString file = name.trimmed();
    // "skin:a.png" names a search path, ":/a.png" a resource; "C:/a.png" is absolute.
    if (file.indexOf(QLatin1Char(':')) > 1 || file.startsWith(QLatin1Char(':')) ||
        QDir::isAbsolutePath(file)) {
      return file;
    }
    return folder_.filePath(file);
  }

  // The value of a property element such as <string>, <number> or <size>;
  // `target` (null for a dynamic property) gives enum names their values.
  QVariant Value(const Node& value, const QMetaProperty* target) {
    const QString& tag = value.tag;
    const QString text = value.text.trimmed();
    if (tag == QLatin1String("string")) return Text(value);
    if (tag == QLatin1String("cstring")) return value.text.toUtf8();
    if (tag == QLatin1String("number")) {
      if (target && target->metaType().id() == QMetaType::Double) return text.toDouble();
      return text.toInt();
    }
    if (tag == QLatin1String("double")) return text.toDouble();
    if (tag == QLatin1String("bool")) return text == QLatin1String("true");
    if (tag == QLatin1String("enum") || tag == QLatin1String("set")) {
      if (!target || !target->isEnumType()) return text;
      bool ok = false;
      const int number = target->enumerator().keysToValue(Unscoped(text).constData(), &ok);
      if (!ok) qWarning("form line %lld: unknown value %s", value.line, qPrintable(text));
      return ok ? QVariant(number) : QVariant();
    }
    if (tag == QLatin1String("cursorShape")) {
      return QCursor(Qt::CursorShape(EnumValue<Qt::CursorShape>(text, Qt::ArrowCursor)));
    }
    if (tag == QLatin1String("cursor")) return QCursor(Qt::CursorShape(text.toInt()));
    if (tag == QLatin1String("size"))
      return QSize(value.ChildInt("width"), value.ChildInt("height"));
    if (tag == QLatin1String("point")) return QPoint(value.ChildInt("x"), value.ChildInt("y"));
    if (tag == QLatin1String("rect")) {
      return QRect(value.ChildInt("x"), value.ChildInt("y"), value.ChildInt("width"),
                   value.ChildInt("height"));
    }
    if (tag == QLatin1String("sizepolicy")) {
      QSizePolicy policy(
          QSizePolicy::Policy(EnumValue<QSizePolicy::Policy>(value.Attr("hsizetype"), 0)),
          QSizePolicy::Policy(EnumValue<QSizePolicy::Policy>(value.Attr("vsizetype"), 0)));
      policy.setHorizontalStretch(value.ChildInt("horstretch"));
      policy.setVerticalStretch(value.ChildInt("verstretch"));
      return policy;
    }
    if (tag == QLatin1String("font")) {
      QFont font;
      if (value.Child("family")) font.setFamily(value.ChildText("family"));
      if (value.Child("pointsize")) font.setPointSize(value.ChildInt("pointsize"));
      if (value.Child("bold")) font.setBold(value.ChildText("bold") == QLatin1String("true"));
      if (value.Child("italic")) font.setItalic(value.ChildText("italic") == QLatin1String("true"));
      if (value.Child("underline")) {
        font.setUnderline(value.ChildText("underline") == QLatin1String("true"));
      }
      if (value.Child("strikeout")) {
        font.setStrikeOut(value.ChildText("strikeout") == QLatin1String("true"));
      }
      return font;
    }
    if (tag == QLatin1String("color")) {
      const QString alpha = value.Attr("alpha");
      return QColor(value.ChildInt("red"), value.ChildInt("green"), value.ChildInt("blue"),
                    alpha.isEmpty() ? 255 : alpha.toInt());
    }
    if (tag == QLatin1String("pixmap")) return QPixmap(FilePath(text));
    if (tag == QLatin1String("iconset")) {
      const QString normal = value.ChildText("normaloff");
      return QIcon(FilePath(normal.isEmpty() ? text : normal));
    }
    if (tag == QLatin1String("stringlist")) {
      QStringList list;
      for (const Node& item : value.children) list << Text(item);
      return list;
    }
    if (tag == QLatin1String("date")) {
      return QDate(value.ChildInt("year"), value.ChildInt("month"), value.ChildInt("day"));
    }
    if (tag == QLatin1String("time")) {
      return QTime(value.ChildInt("hour"), value.ChildInt("minute"), value.ChildInt("second"));
    }
    if (tag == QLatin1String("url")) return QUrl(value.ChildText("string"));
    qWarning("form line %lld: property values of type <%s> are not supported", value.line,
             qPrintable(tag));
    return QVariant();
  }

  QDir folder_;
  const CustomWidgetMaker& custom_;
  QByteArray context_;
  QHash<QString, QString> extends_;
  std::vector<std::pair<QLabel*, QString>> buddies_;
  QString error_;
};

}  // namespace

QWidget* BuildDesignerForm(const QByteArray& xml, const QDir& folder, QWidget* parent,
                           const CustomWidgetMaker& custom, QString* error) {
  Node ui;
  QString problem;
  if (!ReadTree(xml, &ui, &problem)) {
    if (error) *error = problem;
    return nullptr;
  }
  FormBuilder builder(folder, custom);
  QWidget* root = builder.Build(ui, parent);
  if (!root && error) *error = builder.Error();
  return root;
}
