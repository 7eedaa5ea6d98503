// The automatic upload's backlog against a manual upload of the same records,
// side by side, to the reference inspection server on loopback: a manual
// upload sends every record over one connection and then stores the flags in
// one write; the outbox sends rounds of BATCH records, storing each round's
// flags and taking its entries out of the queue before the next.
//   outbox_bench [RECORDS] [BATCH]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/reference_server.h"
#include "device/frame_builder.h"
#include "store/outbox.h"
#include "store/record_store.h"
#include "upload/outbox_sender.h"

namespace {

using Clock = std::chrono::steady_clock;

class CountingHost : public UploadHost {
 public:
  void ShowUploadReply(uint64_t, const String&, const String&, bool accepted) override {
    accepted_ += accepted ? 1 : 0;
  }
  void ShowUploadMessage(const String&, bool) override {}
  int accepted_ = 0;
};

std::vector<String> StoreRecords(RecordDb& db, int count) {
  std::vector<String> keys;
  for (int i = 0; i < count; ++i) {
    FrameFields f;
    char time[16];
    std::snprintf(time, sizeof time, "26%010d", i);
    f.time = String::FromBytes(time, cp::kUtf8);
    const StoredRecord stored = StoreReceivedRecord(
        db, f.time, String::FromBytes(BuildFrame(f).substr(3), cp::kGbk), false);
    keys.push_back(stored.key);
  }
  return keys;
}

double Since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
  const size_t batch = argc > 2 ? static_cast<size_t>(std::atoi(argv[2])) : 5000;
  // One upload for the manual run and one per round; then the server ends.
  const size_t uploads = 1 + (static_cast<size_t>(count) + batch - 1) / batch;
  int port = 0;
  FILE* server = StartReferenceServer(uploads, port);
  if (!server) return 1;
  const std::string root =
      (std::filesystem::temp_directory_path() / ("outbox_bench." + std::to_string(getpid())))
          .string();
  std::filesystem::create_directories(root);
  const String station(u"0123456789ABCDEF");
  UploadTarget target;
  target.tcpSettings.host = u"127.0.0.1";
  target.tcpSettings.port = static_cast<uint16_t>(port);
  station.HexToBytes(target.tcpSettings.deviceId, 8);

  // The manual upload: the ticked records read from the list, sent, flagged.
  double manualMs = 0;
  int manualAccepted = 0;
  {
    RecordDb db(root + "/manual");
    const std::vector<String> keys = StoreRecords(db, count);
    const Clock::time_point start = Clock::now();
    NcItemList list;
    (void)LoadRecordList(db, list, station);
    std::vector<UploadRecord> records;
    for (uint32_t i = 0; i < list.Count(); ++i) records.push_back(MakeUploadRecord(list[i]));
    CountingHost host;
    UploadAbort abort;
    RunTcpUpload(target.tcpSettings, records, host, abort);
    if (!SetRecordsUploaded(db, keys)) std::fprintf(stderr, "flags not stored\n");
    manualMs = Since(start);
    manualAccepted = host.accepted_;
  }
  // The outbox's backlog.
  double outboxMs = 0;
  int outboxAccepted = 0, rounds = 0;
  {
    RecordDb db(root + "/outbox");
    Outbox outbox(Outbox::FolderFor(root + "/outbox"));
    const DbStatus queued = outbox.Add(StoreRecords(db, count), u"2026-12-07 09:00:00");
    if (!queued) {
      std::fprintf(stderr, "cannot queue: %s\n", queued.text.ToBytes(cp::kUtf8).c_str());
      return 1;
    }
    DatabaseFlagStore flags(db);
    UploadAbort abort;
    const Clock::time_point start = Clock::now();
    while (outbox.Count() > 0) {
      const OutboxRound round = SendOutboxRound(outbox, db, station, target, batch, flags, abort);
      outboxAccepted += round.accepted;
      ++rounds;
      if (round.retry) {
        std::fprintf(stderr, "round failed: %s\n", round.failure.ToBytes(cp::kUtf8).c_str());
        break;
      }
    }
    outboxMs = Since(start);
  }
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
  pclose(server);
  std::printf("records %d\n", count);
  std::printf("manual upload:   %7.0f ms, %d accepted\n", manualMs, manualAccepted);
  std::printf("outbox backlog:  %7.0f ms, %d accepted in %d rounds of %zu\n", outboxMs,
              outboxAccepted, rounds, batch);
  std::printf("ratio: %.2f\n", outboxMs / manualMs);
  return manualAccepted == count && outboxAccepted == count ? 0 : 1;
}
