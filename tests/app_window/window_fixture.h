#pragma once

// A main window on the offscreen platform with its settings file, database
// and capture file in a temporary folder; message boxes are recorded.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/main_frame_wnd.h"
#include "base/config.h"
#include "base/file_io.h"
#include "device/frame_builder.h"
#include "store/record_store.h"
#include "tests/support/misbehaving_peers.h"
#include "tests/support/temp_dir.h"
#include "ui/elided_label.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"

inline std::vector<std::string> messages;

inline bool confirmAnswer = true;  // what the operator answers a confirmation

inline bool RecordMessage(const QString& text, MessageKind kind, const QString&) {
  messages.push_back(text.toStdString());
  return kind == MessageKind::kConfirm ? confirmAnswer : true;
}

inline String RecordText(const char16_t* time, const char16_t* channel, const char16_t* result) {
  FrameFields f;
  f.time = time;
  f.channel = channel;
  f.result = result;
  return String::FromBytes(BuildFrame(f).substr(3), cp::kGbk);
}

class MainFrameWndTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    settingsFile_ = Path("residue-station.Json");
    SetConfigPath(settingsFile_);
    SetMessageBoxHandler(RecordMessage);
    messages.clear();
    confirmAnswer = true;
    options_.skinFolder = QString::fromUtf8(SKIN_DIR);
    options_.storageFolder = Path("storage");
    options_.capturePath = Path("data.txt");
    options_.firstStartGuide = false;  // its own test shows it
  }
  void TearDown() override {
    window_.reset();
    SetMessageBoxHandler(nullptr);
    SetConfigPath("");
    TempDirTest::TearDown();
  }
  MainFrameWnd& Open() {
    window_ = std::make_unique<MainFrameWnd>(options_);
    QString error;
    EXPECT_TRUE(window_->Create(&error)) << error.toStdString();
    window_->CenterAndShow();
    return *window_;
  }
  void CloseWindow() {
    window_->close();
    window_.reset();
  }
  void Store(const std::vector<String>& texts) {
    RecordDb db(options_.storageFolder);
    for (const String& text : texts)
      ASSERT_TRUE(StoreReceivedRecord(db, text.Left(12), text).status);
  }
  QModelIndex Index(int row, int column) {
    return window_->RecordList()->model()->index(row, column);
  }
  void ClickCheckBox(int row) {
    RecordListView* list = window_->RecordList();
    list->scrollTo(Index(row, 0));  // a row below the fold is scrolled to first
    const QRect cell = list->visualRect(Index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
  }
  // The size of the database's newest log file: records and flags go there.
  uintmax_t LogSize() const {
    uintmax_t log = 0;
    for (const auto& entry : std::filesystem::directory_iterator(options_.storageFolder)) {
      if (entry.path().extension() == ".log") log = std::max(log, entry.file_size());
    }
    return log;
  }
  // Automatic upload on, to a server port where nobody listens: records
  // stay queued.
  void UseAutoUploadToAClosedPort() {
    const int closed = peers::ClosedPort();
    std::ofstream(settingsFile_) << R"({"deviceid": "0123456789ABCDEF", "auto_upload": true, )"
                                 << R"("serv_port": )" << closed << "}";
  }
  Json Settings() {
    Json doc;
    doc.LoadFile(settingsFile_);
    return doc;
  }

  std::string settingsFile_;
  MainFrameOptions options_;
  std::unique_ptr<MainFrameWnd> window_;
};
