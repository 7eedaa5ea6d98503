#pragma once

#include <QString>

class QLabel;

// A one-line label that never widens its window: a text longer than the
// label is cut with "…" (the whole text in its tooltip), and cut again to
// fit whenever the label's width changes.
void MakeEliding(QLabel* label);
// Shows `text` in a label made eliding.
void SetElidedText(QLabel* label, const QString& text);
// The text last set, whole.
QString FullText(const QLabel* label);
