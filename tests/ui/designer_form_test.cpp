#include "ui/designer_form.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTranslator>
#include <memory>

namespace {

QByteArray Form(const char* className, const char* body, const char* tail = "") {
  return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ui version=\"4.0\">\n<class>") +
         className + "</class>\n" + body + "\n" + tail + "</ui>\n";
}

std::unique_ptr<QWidget> Build(const QByteArray& xml, QString* error = nullptr,
                               QWidget* parent = nullptr) {
  const CustomWidgetMaker custom = [](const QString& className, QWidget* parent) -> QWidget* {
    return className == QLatin1String("OwnButton") ? new QPushButton(QStringLiteral("own"), parent)
                                                   : nullptr;
  };
  return std::unique_ptr<QWidget>(BuildDesignerForm(xml, QDir::temp(), parent, custom, error));
}

class Probe : public QTranslator {
 public:
  QString translate(const char* context, const char* source, const char* disambiguation,
                    int) const override {
    if (QByteArray(context) != "Probe") return QString();
    if (QByteArray(source) == "保存") return disambiguation ? "Save file" : "Save";
    return QString();
  }
  bool isEmpty() const override { return false; }
};

// Properties of each kind reach the widget: declared ones through the class,
// the rest as dynamic properties; texts go through the form's translation context.
TEST(DesignerFormTest, PropertiesOfEachKindReachTheWidget) {
  Probe probe;
  QCoreApplication::installTranslator(&probe);
  const auto root = Build(Form("Probe", R"(
<widget class="QWidget" name="root">
 <property name="geometry"><rect><x>0</x><y>0</y><width>321</width><height>123</height></rect></property>
 <property name="role" stdset="0"><string>page</string></property>
 <property name="weight"><number>7</number></property>
 <widget class="QLabel" name="label">
  <property name="text"><string>保存</string></property>
  <property name="toolTip"><string comment="menu">保存</string></property>
  <property name="statusTip"><string notr="true">保存</string></property>
  <property name="alignment"><set>Qt::AlignRight|Qt::AlignVCenter</set></property>
  <property name="textInteractionFlags"><set>Qt::TextSelectableByMouse</set></property>
  <property name="frameShape"><enum>QFrame::Box</enum></property>
  <property name="cursor"><cursorShape>PointingHandCursor</cursorShape></property>
  <property name="minimumSize"><size><width>40</width><height>12</height></size></property>
  <property name="wordWrap"><bool>true</bool></property>
  <property name="visible"><bool>false</bool></property>
  <property name="buddy"><cstring>button</cstring></property>
 </widget>
 <widget class="Fancy" name="button"/>
 <widget class="OwnButton" name="own"/>
</widget>)",
                               "<customwidgets><customwidget><class>Fancy</class>"
                               "<extends>QPushButton</extends></customwidget></customwidgets>"));
  QCoreApplication::removeTranslator(&probe);
  ASSERT_TRUE(root);
  EXPECT_EQ(root->size(), QSize(321, 123));
  EXPECT_EQ(root->property("role").toString(), "page");
  EXPECT_EQ(root->property("weight").toInt(), 7);
  auto* label = root->findChild<QLabel*>("label");
  ASSERT_TRUE(label);
  EXPECT_EQ(label->text(), "Save");
  EXPECT_EQ(label->toolTip(), "Save file");
  EXPECT_EQ(label->statusTip(), "保存");
  EXPECT_EQ(label->alignment(), Qt::AlignRight | Qt::AlignVCenter);
  EXPECT_EQ(label->textInteractionFlags(), Qt::TextSelectableByMouse);
  EXPECT_EQ(label->frameShape(), QFrame::Box);
  EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(label->minimumSize(), QSize(40, 12));
  EXPECT_TRUE(label->wordWrap());
  EXPECT_TRUE(label->isHidden());
  EXPECT_EQ(label->buddy(), root->findChild<QPushButton*>("button"));
  EXPECT_TRUE(root->findChild<QPushButton*>("button")) << "a custom class built as what it extends";
  auto* own = root->findChild<QPushButton*>("own");
  ASSERT_TRUE(own);
  EXPECT_EQ(own->text(), "own") << "the program's own class comes from its maker";
}

// Layout items land in the cells, rows and roles the form names, with the
// given margins, spacing and stretches; pages exist before one is made current.
TEST(DesignerFormTest, LayoutsAndContainersHoldTheirItemsWhereTheFormSays) {
  const auto root = Build(Form("Probe", R"(
<widget class="QWidget" name="root">
 <layout class="QVBoxLayout" name="outer" stretch="0,3,0">
  <property name="spacing"><number>5</number></property>
  <property name="leftMargin"><number>7</number></property>
  <item><layout class="QGridLayout" name="grid" columnstretch="0,2">
   <property name="horizontalSpacing"><number>11</number></property>
   <item row="0" column="0" colspan="2"><widget class="QLabel" name="wide"/></item>
   <item row="1" column="1" alignment="Qt::AlignTop"><widget class="QLabel" name="cell"/></item>
  </layout></item>
  <item><widget class="QStackedWidget" name="stack">
   <property name="currentIndex"><number>1</number></property>
   <widget class="QWidget" name="first"/>
   <widget class="QWidget" name="second"/>
  </widget></item>
  <item><layout class="QFormLayout" name="form">
   <item row="0" column="0"><widget class="QLabel" name="caption"/></item>
   <item row="0" column="1"><widget class="QComboBox" name="combo">
    <item><property name="text"><string>一</string></property></item>
    <item><property name="text"><string>二</string></property></item>
   </widget></item>
   <item row="2" column="1"><widget class="QLabel" name="tip"/></item>
   <item row="3" column="0" colspan="2"><spacer name="gap">
    <property name="orientation"><enum>Qt::Vertical</enum></property>
    <property name="sizeType"><enum>QSizePolicy::Fixed</enum></property>
    <property name="sizeHint"><size><width>1</width><height>9</height></size></property>
   </spacer></item>
  </layout></item>
 </layout>
</widget>)"));
  ASSERT_TRUE(root);
  auto* outer = qobject_cast<QVBoxLayout*>(root->layout());
  ASSERT_TRUE(outer);
  EXPECT_EQ(outer->spacing(), 5);
  EXPECT_EQ(outer->contentsMargins().left(), 7);
  EXPECT_EQ(outer->stretch(1), 3);
  auto* grid = root->findChild<QGridLayout*>("grid");
  ASSERT_TRUE(grid);
  EXPECT_EQ(grid->horizontalSpacing(), 11);
  EXPECT_EQ(grid->columnStretch(1), 2);
  int row, column, rowSpan, columnSpan;
  grid->getItemPosition(grid->indexOf(root->findChild<QWidget*>("wide")), &row, &column, &rowSpan,
                        &columnSpan);
  EXPECT_EQ(QList<int>({row, column, rowSpan, columnSpan}), QList<int>({0, 0, 1, 2}));
  QLayoutItem* cell = grid->itemAtPosition(1, 1);
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->widget(), root->findChild<QWidget*>("cell"));
  EXPECT_EQ(cell->alignment(), Qt::AlignTop);
  auto* stack = root->findChild<QStackedWidget*>("stack");
  ASSERT_TRUE(stack);
  EXPECT_EQ(stack->count(), 2);
  EXPECT_EQ(stack->currentWidget()->objectName(), "second");
  auto* form = root->findChild<QFormLayout*>("form");
  ASSERT_TRUE(form);
  EXPECT_EQ(form->itemAt(0, QFormLayout::LabelRole)->widget()->objectName(), "caption");
  EXPECT_EQ(form->itemAt(2, QFormLayout::FieldRole)->widget()->objectName(), "tip");
  EXPECT_FALSE(form->itemAt(1, QFormLayout::FieldRole)) << "a row the form skips stays empty";
  QLayoutItem* gap = form->itemAt(3, QFormLayout::SpanningRole);
  ASSERT_TRUE(gap && gap->spacerItem());
  EXPECT_EQ(gap->sizeHint(), QSize(1, 9));
  EXPECT_EQ(gap->spacerItem()->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
  auto* combo = root->findChild<QComboBox*>("combo");
  ASSERT_TRUE(combo);
  EXPECT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->itemText(1), "二");
}

// A form that cannot be built is refused with the line at fault, and what was
// built of it is gone from the parent.
TEST(DesignerFormTest, AFormThatCannotBeBuiltNamesItsLineAndLeavesNothingBehind) {
  struct Case {
    const char* what;
    QByteArray xml;
    const char* expected;
  };
  const Case cases[] = {
      {"broken XML", Form("Probe", "<widget class=\"QWidget\" name=\"a\">"), "line "},
      {"empty file", QByteArray(), "empty"},
      {"not a form", "<html/>", "not a Designer form"},
      {"no widget", Form("Probe", ""), "no widget"},
      {"two forms", Form("Probe", "") + Form("Probe", ""), "line "},
      {"unknown class deep inside",
       Form("Probe",
            "<widget class=\"QWidget\" name=\"a\">\n<layout class=\"QHBoxLayout\" "
            "name=\"l\">\n<item><widget class=\"QLabel\" name=\"ok\"/></item>\n"
            "<item><widget class=\"NoSuchThing\" name=\"b\"/></item>\n</layout>\n</widget>"),
       "line 7: unknown widget class \"NoSuchThing\""},
      {"unknown layout",
       Form("Probe",
            "<widget class=\"QWidget\" name=\"a\">\n"
            "<layout class=\"QFlowLayout\" name=\"l\"/></widget>"),
       "unknown layout class \"QFlowLayout\""},
      {"a custom class that extends itself",
       Form("Probe", "<widget class=\"Loop\" name=\"a\"/>",
            "<customwidgets><customwidget><class>Loop</class><extends>Loop</extends>"
            "</customwidget></customwidgets>"),
       "unknown widget class \"Loop\""},
  };
  for (const Case& c : cases) {
    QWidget parent;
    QString error;
    EXPECT_FALSE(Build(c.xml, &error, &parent).release()) << c.what;
    EXPECT_TRUE(error.contains(QString::fromUtf8(c.expected)))
        << c.what << ": " << error.toStdString();
    EXPECT_TRUE(parent.findChildren<QObject*>().isEmpty()) << c.what;
  }
}

}  // namespace
