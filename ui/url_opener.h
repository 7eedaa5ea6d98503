#pragma once

#include <QString>

// Opens an address in the desktop's browser, without a shell.
void OpenUrl(const QString& address);

// Replaces the browser by a function (tests): it gets the address.
using UrlOpenHandler = void (*)(const QString& address);
void SetUrlOpenHandler(UrlOpenHandler handler);
