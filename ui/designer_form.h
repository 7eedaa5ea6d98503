#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QWidget>
#include <functional>

// Makes a widget of a class the form builder does not know (the program's own
// controls); null when the class is not one of them.
using CustomWidgetMaker = std::function<QWidget*(const QString& className, QWidget* parent)>;

// Builds the widget tree of a Qt Designer form (the ".ui" XML) at run time:
// the common widget classes, box, grid and form layouts, spacers, combo box
// items, pages of stacked and tab widgets, the widget of a scroll area, and
// properties of the usual types. A property the class does not declare, or one
// marked stdset="0", becomes a dynamic property. Texts are translated in the
// context of the form's <class>, as Qt's own loader does; file names of
// pixmaps and icons are taken relative to `folder` unless they name a search
// path ("skin:a.png") or a resource. A class the form builder does not know
// and `custom` does not make is built as the class its <customwidget> entry
// extends. Returns null with a message naming the line in `error` when the
// form cannot be read or names a class nothing can build.
QWidget* BuildDesignerForm(const QByteArray& xml, const QDir& folder, QWidget* parent,
                           const CustomWidgetMaker& custom, QString* error);
