#include "app/running_copy.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>

namespace {

constexpr char kCall[] = "show\n";

}  // namespace

QString RunningCopy::NameFor(const std::string& storageFolder) {
  QFileInfo folder(QString::fromStdString(storageFolder));
  QString path = folder.canonicalFilePath();
  if (path.isEmpty()) path = QDir::cleanPath(folder.absoluteFilePath());
  const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1);
  return QStringLiteral("residue-station-") + QString::fromLatin1(hash.toHex().left(16));
}

bool RunningCopy::Call(const std::string& storageFolder, int waitMs) {
  QLocalSocket socket;
  socket.connectToServer(NameFor(storageFolder));
  if (!socket.waitForConnected(waitMs)) return false;
  socket.write(kCall);
  if (!socket.waitForBytesWritten(waitMs)) return false;
  // The answer says the call was heard.
  return socket.waitForReadyRead(waitMs) && socket.readAll().startsWith("ok");
}

bool RunningCopy::Answer(const std::string& storageFolder, std::function<void()> show) {
  show_ = std::move(show);
  const QString name = NameFor(storageFolder);
  // A name left by a copy that crashed answers nobody: it is taken over.
  QLocalServer::removeServer(name);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_.listen(name)) return false;
  QObject::connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* caller = server_.nextPendingConnection()) {
      QObject::connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
      QObject::connect(caller, &QLocalSocket::readyRead, this, [this, caller] {
        if (!caller->readAll().startsWith(kCall)) return;
        caller->write("ok\n");
        caller->flush();
        if (show_) show_();
      });
    }
  });
  return true;
}
