// How long the window's event loop stalls while printers and servers are
// slow or hung. A 5 ms timer runs on the UI thread; its worst lateness is the
// longest the window could not react. Measured on the offscreen platform with
// the program's own time-outs:
//   1. a 20-label job to a printer whose connection hangs (the job ends at
//      the first label's connect time-out, 5 s),
//   2. a 20-label job to a printer that takes each label slowly (labels 50 ms
//      apart instead of 3 s, so the job is all delivery),
//   3. a 10,000-record TCP upload to a server that answers each frame 1 ms
//      late (the reference inspection server with --delay-ms 1).
//   ui_stall_bench [RECORDS]
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/main_frame_wnd.h"
#include "base/config.h"
#include "bench/stall_meter.h"
#include "bench/stored_records.h"
#include "tests/support/child_process.h"
#include "tests/support/misbehaving_peers.h"
#include "ui/message_box.h"

namespace {

std::vector<std::string> messages;

bool Record(const QString& text, MessageKind, const QString&) {
  messages.push_back(text.toStdString());
  return true;
}

// A printer that takes each label in 4 KB pieces, 20 ms apart.
class SlowPrinter {
 public:
  SlowPrinter() : listener_(peers::Listener(8, 0, &port_)) {
    thread_ = std::thread([this] {
      while (!stop_) {
        const int fd = AcceptWithin(listener_, 20);
        if (fd < 0) continue;
        char buffer[4096];
        while (ReceiveSome(fd, buffer, sizeof buffer) > 0) {
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        CloseDescriptor(fd);
      }
    });
  }
  ~SlowPrinter() {
    stop_ = true;
    thread_.join();
    CloseDescriptor(listener_);
  }
  int Port() const { return port_; }

 private:
  int port_ = 0;
  int listener_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

struct Bench {
  std::filesystem::path dir;
  MainFrameOptions options;

  explicit Bench(int records) {
    dir = std::filesystem::temp_directory_path() / "residue_ui_stall_bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    SetConfigPath((dir / "bench.Json").string());
    options.skinFolder = QString::fromUtf8(SKIN_DIR);
    options.storageFolder = (dir / "storage").string();
    options.capturePath = (dir / "data.txt").string();
    RecordDb db(options.storageFolder);
    StoreSampleRecords(db, records, 1);  // every record ticked
  }
  ~Bench() { std::filesystem::remove_all(dir); }
  void Settings(const std::string& json) { std::ofstream((dir / "bench.Json").string()) << json; }
};

}  // namespace

int main(int argc, char** argv) {
  const int uploadRecords = argc > 1 ? std::atoi(argv[1]) : 10000;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  SetMessageBoxHandler(Record);
  StallMeter meter;
  {
    // The meter itself: a handler that blocks the loop for 150 ms must show.
    QElapsedTimer span;
    span.start();
    QTimer::singleShot(100, [] { std::this_thread::sleep_for(std::chrono::milliseconds(150)); });
    const qint64 worst = meter.Run(
        {}, [&] { return span.elapsed() < 400; }, 1000);
    std::printf("calibration: a 150 ms block measures as a %lld ms stall\n", worst);
  }
  const std::string id = R"("deviceid": "0123456789ABCDEF")";
  // Opens the window over `bench`, starts `work` and measures until `busy` ends.
  auto measure = [&](Bench& bench, const char* what, int printIntervalMs,
                     void (MainFrameWnd::*work)(), bool (*busy)(MainFrameWnd&)) {
    MainFrameOptions options = bench.options;
    if (printIntervalMs > 0) options.timing.printIntervalMs = printIntervalMs;
    MainFrameWnd window(options);
    window.Create(nullptr);
    window.show();
    messages.clear();
    QElapsedTimer took;
    took.start();
    const qint64 worst = meter.Run([&] { (window.*work)(); }, [&] { return busy(window); }, 300000);
    std::printf("%s: ended after %lld ms, longest UI stall %lld ms (%s)\n", what, took.elapsed(),
                worst, messages.empty() ? "" : messages.back().c_str());
    window.close();
  };
  auto printing = [](MainFrameWnd& w) { return w.IsPrinting(); };
  auto reporting = [](MainFrameWnd&) { return messages.empty(); };
  auto printerAt = [&](int port) {
    return "{" + id + R"(, "printer": {"device": "tcp://127.0.0.1:)" + std::to_string(port) +
           "\"}}";
  };
  {
    Bench bench(20);
    peers::FullQueue hung;
    bench.Settings(printerAt(hung.Port()));
    measure(bench, "hung printer, 20 ticked", 0, &MainFrameWnd::PrintSelectedRecords, printing);
  }
  {
    Bench bench(20);
    SlowPrinter printer;
    bench.Settings(printerAt(printer.Port()));
    measure(bench, "slow printer, 20 labels", 50, &MainFrameWnd::PrintSelectedRecords, printing);
  }
  {
    Bench bench(uploadRecords);
    ChildProcess server(
        {INSPECTION_SERVER, "--tcp-port", "0", "--http-port", "0", "--delay-ms", "1", "--quiet"});
    int port = 0;
    std::sscanf(server.ReadLine().c_str(), "TCP %d", &port);
    bench.Settings("{" + id + R"(, "serv_host": "127.0.0.1", "serv_port": )" +
                   std::to_string(port) + "}");
    const std::string what = "slow server, " + std::to_string(uploadRecords) + " records";
    measure(bench, what.c_str(), 0, &MainFrameWnd::UploadSelectedRecords, reporting);
  }
  SetMessageBoxHandler(nullptr);
  return 0;
}
