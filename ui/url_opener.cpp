#include "ui/url_opener.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
UrlOpenHandler handler = nullptr;
}  // namespace

void SetUrlOpenHandler(UrlOpenHandler h) { handler = h; }

bool OpenUrl(const QString& address) {
  if (handler) return handler(address);
  return QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
}
