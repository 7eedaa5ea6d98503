// End-to-end lag of the serial link: detector-sim sends frames at a baud
// rate's pace into a pseudo-terminal; the link reads, decodes, stores (durably)
// and hands over every record. Prints how long after the simulator's last byte
// the last record was handed over, and checks that none was lost or reordered.
//   serial_link_lag [FRAMES] [BAUD] [SIMULATOR OPTIONS...]   (defaults: 500 frames at 115200)
#include <time.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

#include "app/serial_link.h"

namespace {

long long MonotonicNs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

class CountingHost : public SerialLinkHost {
 public:
  void ShowPortStatus(const String& text, bool) override {
    std::printf("status: %s\n", text.ToBytes(cp::kUtf8).c_str());
  }
  void ShowDatabaseError(const String& text) override {
    std::printf("database error: %s\n", text.ToBytes(cp::kUtf8).c_str());
  }
  void HandOverRecord(const String& key, const String&, bool, bool, const String&) override {
    std::lock_guard<std::mutex> lock(mutex);
    keys.push_back(key.ToBytes(cp::kUtf8));
    lastHandOverNs = MonotonicNs();
    changed.notify_all();
  }
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::string> keys;
  long long lastHandOverNs = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 500;
  const std::string baud = argc > 2 ? argv[2] : "115200";
  const auto dir = std::filesystem::temp_directory_path() / "residue_link_lag";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string link = (dir / "detector").string();

  const std::string command = std::string(DETECTOR_SIM) + " --link " + link + " --frames " +
                              std::to_string(frames) + " --baud " + baud +
                              " --interval-ms 0 --start-delay-ms 500 --linger-ms 500";
  std::string extra;
  for (int i = 3; i < argc; ++i) extra += std::string(" ") + argv[i];
  FILE* sim = popen((command + extra).c_str(), "r");
  char line[256];
  if (!sim || !fgets(line, sizeof line, sim)) {
    std::fprintf(stderr, "cannot start %s\n", command.c_str());
    return 1;
  }

  RecordDb db((dir / "storage").string());
  FrameDecoder decoder;
  ProductNames names;
  CountingHost host;
  SerialLink serial(host, db, decoder, names);
  decoder.SetRecordCallback(
      [&](std::string& key, std::string& text) { serial.OnRecordReceived(key, text); });
  ObjectList<SSerInfo> ports;
  AppendExtraPorts(ports, {String::FromBytes(link, cp::kUtf8)});
  // The port timer: this thread plays the window's thread for the link.
  std::atomic<bool> ticking{true};
  std::thread timer([&] {
    while (ticking) {
      serial.OnPortTimer(ports[0].friendlyName, String::FromBytes(baud, cp::kUtf8), ports);
      std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    }
  });

  long long lastByteNs = 0;
  while (fgets(line, sizeof line, sim)) {
    if (std::strncmp(line, "PLUGGED", 7) == 0 || std::strncmp(line, "UNPLUGGED", 9) == 0) {
      std::fputs(line, stdout);
      continue;
    }
    if (std::sscanf(line, "SENT %*d frames, last byte at %lld ns", &lastByteNs) == 1) break;
  }
  {
    std::unique_lock<std::mutex> lock(host.mutex);
    host.changed.wait_for(lock, std::chrono::seconds(10),
                          [&] { return host.keys.size() >= static_cast<size_t>(frames); });
  }
  pclose(sim);
  ticking = false;
  timer.join();
  serial.Stop();

  bool inOrder = true;
  for (size_t i = 1; i < host.keys.size(); ++i)
    inOrder = inOrder && host.keys[i - 1] < host.keys[i];
  uint32_t stored = db.ForEach([](String&, Json&) { return false; });
  std::printf("frames sent %d, handed over %zu, stored %u, in order: %s\n", frames,
              host.keys.size(), stored, inOrder ? "yes" : "no");
  std::printf("lag from last byte sent to last record handed over: %.2f ms\n",
              (host.lastHandOverNs - lastByteNs) / 1e6);
  std::filesystem::remove_all(dir);
  return host.keys.size() == static_cast<size_t>(frames) && inOrder ? 0 : 1;
}
