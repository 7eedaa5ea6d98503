#pragma once

#include <QString>

// Opens an address in the desktop's browser (or a file's viewer), without a
// shell. False when the desktop has none to open it with.
bool OpenUrl(const QString& address);

// Replaces the browser by a function (tests): it gets the address.
using UrlOpenHandler = bool (*)(const QString& address);
void SetUrlOpenHandler(UrlOpenHandler handler);
