#include "app/first_start_guide.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FirstStartGuide::FirstStartGuide(QWidget* owner, const QStringList& ports,
                                 std::function<QString(const Values&)> save)
    : QDialog(owner), save_(std::move(save)) {
  setObjectName(QStringLiteral("FirstStartGuide"));
  setWindowTitle(tr("首次使用"));
  auto* layout = new QVBoxLayout(this);
  auto* intro =
      new QLabel(tr("请填写这个检测站的设置（每一项都可以先空着，以后在“设置”页面填写）。\n"
                    "没有单位名称，公示单上没有检测单位；没有设备ID，不能打印标签和上传；"
                    "没有打印机，不能打印标签；上传服务器默认是本机，数据不会送到检测平台。"));
  intro->setWordWrap(true);
  layout->addWidget(intro);
  auto* form = new QFormLayout;
  const auto field = [this, form](const QString& label, const char* name) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QLatin1String(name));
    form->addRow(label, edit);
    return edit;
  };
  unitName_ = field(tr("单位名称"), "GuideUnitName");
  deviceId_ = field(tr("设备ID"), "GuideDeviceId");
  deviceId_->setPlaceholderText(tr("16位十六进制字符"));
  port_ = new QComboBox;
  port_->setObjectName(QStringLiteral("GuidePort"));
  port_->addItem(tr("（暂不选择）"), QString());
  for (const QString& port : ports) port_->addItem(port, port);
  port_->setCurrentIndex(ports.isEmpty() ? 0 : 1);
  form->addRow(tr("检测仪串口"), port_);
  if (ports.isEmpty()) {
    auto* none = new QLabel(
        tr("没有找到像是检测仪的串口；插上检测仪后会自动选用，也可以在“设置”页面选择。"));
    none->setWordWrap(true);
    form->addRow(QString(), none);
  }
  serverHost_ = field(tr("TCP 服务器地址"), "GuideServerHost");
  serverPort_ = field(tr("TCP 端口"), "GuideServerPort");
  printer_ = field(tr("标签打印机"), "GuidePrinter");
  printer_->setPlaceholderText(QStringLiteral("tcp://192.168.1.50:9100"));
  layout->addLayout(form);
  problem_ = new QLabel;
  problem_->setObjectName(QStringLiteral("GuideProblem"));
  problem_->setStyleSheet(QStringLiteral("color: #c62828;"));
  problem_->setWordWrap(true);
  problem_->hide();
  layout->addWidget(problem_);
  auto* buttons = new QDialogButtonBox;
  QPushButton* saveButton = buttons->addButton(tr("保存"), QDialogButtonBox::AcceptRole);
  saveButton->setObjectName(QStringLiteral("GuideSave"));
  QPushButton* skip = buttons->addButton(tr("跳过"), QDialogButtonBox::RejectRole);
  skip->setObjectName(QStringLiteral("GuideSkip"));
  connect(saveButton, &QPushButton::clicked, this, &FirstStartGuide::Save);
  connect(skip, &QPushButton::clicked, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void FirstStartGuide::Save() {
  Values values;
  values.unitName = unitName_->text().trimmed();
  values.deviceId = deviceId_->text().trimmed();
  values.port = port_->currentData().toString();
  values.serverHost = serverHost_->text().trimmed();
  values.serverPort = serverPort_->text().trimmed();
  values.printer = printer_->text().trimmed();
  const QString problem = save_ ? save_(values) : QString();
  if (!problem.isEmpty()) {
    problem_->setText(problem);
    problem_->show();
    return;
  }
  accept();
}
