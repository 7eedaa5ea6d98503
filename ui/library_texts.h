#pragma once

#include <QString>

// The texts the Qt-free libraries word in Chinese (port, printer, upload and
// file problems), in the window's language where the window shows them.
// Line by line: a whole known text, a known text with its values (the values
// kept as they are), or "head: known text"; anything else as it is.
QString ShownLibraryText(const QString& text);
