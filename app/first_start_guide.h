#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QStringList>
#include <functional>

class QLabel;
class QLineEdit;
class QComboBox;

// The first start's short guide: the unit's name, the device ID, the
// detector's port, the upload server and the label printer, each of which
// may be left empty (skipped). It says what stays incomplete while a value
// is missing, checks what is filled in, and hands the values over on "保存".
class FirstStartGuide : public QDialog {
  Q_DECLARE_TR_FUNCTIONS(FirstStartGuide)

 public:
  struct Values {
    QString unitName, deviceId, port, serverHost, serverPort, printer;
  };
  // `ports`: the ports found that may be a detector's (names as listed).
  // `save` checks and keeps the values: the reason when one is wrong ("").
  FirstStartGuide(QWidget* owner, const QStringList& ports,
                  std::function<QString(const Values&)> save);

 private:
  void Save();

  std::function<QString(const Values&)> save_;
  QLineEdit* unitName_;
  QLineEdit* deviceId_;
  QComboBox* port_;
  QLineEdit* serverHost_;
  QLineEdit* serverPort_;
  QLineEdit* printer_;
  QLabel* problem_;
};
