#pragma once

#include <QString>

// The texts the Qt-free libraries word in Chinese (port, printer, upload and
// file problems), in the window's language where the window shows them.
// Line by line: a whole known text, a known text with its values (the values
// kept as they are), or "head: known text"; anything else as it is.
// Plain string matching, no regular expressions: any thread may call it.
// (Qt's regular expressions keep per-thread state whose tear-down at a
// worker's end crashed the Windows build.)
QString ShownLibraryText(const QString& text);
