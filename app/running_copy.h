#pragma once

#include <QLocalServer>
#include <QObject>
#include <functional>
#include <string>

// One window per record database: a second start on the same folder calls
// the running copy, which comes to the front, and ends instead of meeting a
// locked database. The call goes over a local socket named after the folder.
class RunningCopy : public QObject {
 public:
  // The socket's name for a database folder (the same for every spelling
  // of its path).
  static QString NameFor(const std::string& storageFolder);
  // True when a running copy for the folder took the call within `waitMs`.
  static bool Call(const std::string& storageFolder, int waitMs = 1000);

  // Answers later starts: `show` runs (UI thread) for each call. False when
  // the name cannot be taken.
  bool Answer(const std::string& storageFolder, std::function<void()> show);

 private:
  QLocalServer server_;
  std::function<void()> show_;
};
