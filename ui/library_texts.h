#pragma once

#include <QString>

// The texts the Qt-free libraries word in Chinese (port, printer, upload and
// file problems), in the window's language where the window shows them.
// Line by line: a whole known text, a known text with its values (the values
// kept as they are), or "head: known text"; anything else as it is.
// On the UI thread only: the matching uses Qt regular expressions, whose
// per-thread state, torn down when a worker ends, crashed the Windows build.
// Workers hand their raw text to the UI thread and it is worded there.
QString ShownLibraryText(const QString& text);
