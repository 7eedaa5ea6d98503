// A TCP upload of 10,000 ticked records to the reference inspection server on
// loopback: from the first byte sent to the final report, every record
// answered "ok" and counted.
//   tcp_upload_bench [RECORDS]
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

#include "bench/reference_server.h"
#include "device/frame_builder.h"
#include "device/record_hash.h"
#include "upload/tcp_upload.h"

namespace {

class CountingHost : public UploadHost {
 public:
  void ShowUploadReply(uint64_t, const String&, const String&, bool accepted) override {
    if (accepted) ++accepted_;
  }
  void ShowUploadMessage(const String& text, bool) override {
    std::lock_guard<std::mutex> lock(mutex_);
    report = text.ToBytes(cp::kUtf8);
  }
  std::mutex mutex_;
  std::string report;
  std::atomic<int> accepted_{0};
};

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
  int port = 0;
  FILE* server = StartReferenceServer(1, port);
  if (!server) return 1;
  std::vector<UploadRecord> records;
  const String deviceId(u"0123456789ABCDEF");
  for (int i = 0; i < count; ++i) {
    FrameFields f;
    char time[16];
    std::snprintf(time, sizeof time, "26%010d", i);
    f.time = String::FromBytes(time, cp::kUtf8);
    UploadRecord r;
    r.serial = static_cast<uint64_t>(i + 1);
    r.key = f.time;
    r.data = String::FromBytes(BuildFrame(f).substr(3), cp::kGbk);
    r.uid = ComputeRecordHash(r.data, deviceId);
    records.push_back(std::move(r));
  }
  TcpUploadSettings settings;
  settings.host = u"127.0.0.1";
  settings.port = static_cast<uint16_t>(port);
  deviceId.HexToBytes(settings.deviceId, 8);
  CountingHost host;
  UploadAbort abort;
  const auto start = std::chrono::steady_clock::now();
  RunTcpUpload(settings, records, host, abort);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  pclose(server);
  std::printf("records %d, accepted %d, report \"%s\"\n", count, host.accepted_.load(),
              host.report.c_str());
  std::printf("upload time: %.0f ms\n", seconds * 1000);
  return host.accepted_ == count ? 0 : 1;
}
