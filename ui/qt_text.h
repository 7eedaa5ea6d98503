#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <string>

#include "base/string.h"

// Both are UTF-16, so the conversions copy code units and lose nothing.
inline QString ToQString(const String& s) {
  return QString::fromUtf16(s.Handle(), static_cast<qsizetype>(s.Length()));
}

inline String FromQString(const QString& q) {
  return String(reinterpret_cast<const char16_t*>(q.utf16()), static_cast<uint32_t>(q.size()));
}

// A file or folder as the operator reads it: absolute, in the system's own
// spelling (backslashes on Windows).
inline QString ShownPath(const QString& path) {
  return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}
inline QString ShownPath(const std::string& path) {
  return ShownPath(QString::fromStdString(path));
}
