#include "tools/records_command.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "base/file_io.h"
#include "device/frame_builder.h"
#include "device/sample_record.h"
#include "store/operations_log.h"
#include "store/outbox.h"
#include "store/record_filter.h"
#include "store/record_store.h"
#include "tests/support/temp_dir.h"
#include "tools/import_command.h"
#include "tools/outbox_command.h"
#include "tools/output_commands.h"
#include "tools/verify_log_command.h"

namespace {

class RecordsCommandTest : public TempDirTest {
 protected:
  int Run(std::vector<std::string> args) {
    out_.str("");
    err_.str("");
    return RunRecordsCommand(std::move(args), out_, err_);
  }
  struct Stored {
    const char16_t* time;
    const char16_t* sample;
    bool failed;
  };
  // Records stored as the program stores them, each with its own time and sample.
  static void StoreRecords(RecordDb& db, std::initializer_list<Stored> records) {
    for (const Stored& r : records) {
      FrameFields f;
      f.time = r.time;
      f.sample = r.sample;
      f.result = r.failed ? u"0" : u"1";
      const String text = String::FromBytes(BuildFrame(f).substr(3), cp::kGbk);
      ASSERT_TRUE(StoreReceivedRecord(db, r.time, text).status);
    }
  }
  std::ostringstream out_, err_;
};

TEST_F(RecordsCommandTest, ListsStoredRecordsAndReportsWhatItCannotRead) {
  const std::string storage = Path("storage");
  {
    RecordDb db(storage);
    String text = String::FromBytes(SampleFrame().substr(3), cp::kGbk);
    const String key = StoreReceivedRecord(db, u"190305151604", text).key;
    ASSERT_TRUE(SetRecordUploaded(db, key));
    ASSERT_TRUE(db.PutText(u"190305151605", u"{broken"));
  }
  ASSERT_EQ(Run({"--storage", storage}), 0) << err_.str();
  EXPECT_EQ(out_.str(),
            "190305151604\t0\t1\t190305151604\t04\t99.9\t21.6\t40.6\t1.000\t0\t\t000000000000\t"
            "000000000000\t\t\t\t毛豆\t50.0\n");
  EXPECT_NE(err_.str().find("1 stored values are not JSON"), std::string::npos);

  ASSERT_EQ(Run({"--json", "--storage", storage}), 0);
  EXPECT_EQ(out_.str().rfind("190305151604\t0\t1\t{\"data\":\"190305151604+04+", 0), 0u)
      << out_.str();
  EXPECT_NE(out_.str().find("\"uploaded\":true}\n"), std::string::npos);

  {
    RecordDb running(storage);  // the program holds the folder
    EXPECT_EQ(Run({"--storage", storage}), 2);
    EXPECT_NE(err_.str().find("IO error: "), std::string::npos) << err_.str();
  }
  EXPECT_EQ(Run({"--storage", Path("nothing-here")}), 2);
  EXPECT_FALSE(std::filesystem::exists(Path("nothing-here"))) << "the tool creates nothing";
  EXPECT_EQ(Run({"--storage"}), 2);
  EXPECT_EQ(Run({}), 2);
}

TEST_F(RecordsCommandTest, ImportStoresACaptureAsTheProgramWould) {
  const std::string storage = Path("storage");
  std::istringstream none;
  std::ostringstream out, err;
  const std::string capture = std::string(RESIDUE_SOURCE_DIR) + "/data.txt";
  ASSERT_EQ(RunImportCommand({"--storage", storage, capture}, none, out, err), 0) << err.str();
  EXPECT_EQ(out.str(), "261205083015\n190305151604\n261205084502\n261205091544\n")
      << "the frame broken by noise is no record";
  ASSERT_EQ(Run({"--storage", storage}), 0);
  const std::string listed = out_.str();
  EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 4);
  {
    RecordDb running(storage);
    std::ostringstream out2, err2;
    EXPECT_EQ(RunImportCommand({"--storage", storage, capture}, none, out2, err2), 2);
    EXPECT_NE(err2.str().find("IO error: "), std::string::npos);
  }
  std::ostringstream out3, err3;
  EXPECT_EQ(RunImportCommand({"--storage", storage}, none, out3, err3), 2);
}

TEST_F(RecordsCommandTest, ExportAndLabelCommandsWriteWhatTheWindowWould) {
  const std::string storage = Path("storage");
  std::istringstream none;
  std::ostringstream out, err;
  ASSERT_EQ(RunImportCommand({"--storage", storage, std::string(RESIDUE_SOURCE_DIR) + "/data.txt"},
                             none, out, err),
            0);
  out.str("");
  ASSERT_EQ(RunExportCommand({"--storage", storage, "--out", Path("export.txt")}, out, err), 0)
      << err.str();
  EXPECT_EQ(out.str(), "4\n") << "the frame broken by noise is no record";
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(Path("export.txt"), bytes));
  const std::string text = String::FromBytes(bytes, cp::kGbk).ToBytes(cp::kUtf8);
  EXPECT_EQ(text.find("名称"), 0u);
  EXPECT_LT(text.find("黄瓜"), text.find("青菜")) << "the last record first";
  EXPECT_EQ(RunExportCommand({"--storage", Path("none"), "--out", Path("x.txt")}, out, err), 2);

  std::istringstream record(SampleFrame().substr(3));
  out.str("");
  ASSERT_EQ(RunLabelCommand({"--device-id", "0123456789ABCDEF", "--tspl", Path("label.tspl"),
                             "--png", Path("label.png")},
                            record, out, err),
            0)
      << err.str();
  ASSERT_TRUE(ReadWholeFile(Path("label.tspl"), bytes));
  EXPECT_EQ(bytes.rfind("SIZE 75 mm, 55 mm\r\n", 0), 0u);
  EXPECT_NE(bytes.find("PRINT 1,1\r\n"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(Path("label.png")));
  EXPECT_NE(out.str().find("qr http://127.0.0.1/trace?uid="), std::string::npos) << out.str();
  std::istringstream notRecord("a+b");
  EXPECT_EQ(RunLabelCommand({"--tspl", Path("x.tspl")}, notRecord, out, err), 1);
}

TEST_F(RecordsCommandTest, RepairKeepsACopyAndBringsTheRecordsBack) {
  const std::string storage = Path("storage");
  {
    RecordDb db(storage);
    const String text = String::FromBytes(SampleFrame().substr(3), cp::kGbk);
    for (const char16_t* key : {u"190305151604", u"190305151605", u"190305151606"}) {
      ASSERT_TRUE(StoreReceivedRecord(db, key, text).status);
    }
  }
  std::filesystem::remove(storage + "/CURRENT");
  EXPECT_EQ(Run({"--storage", storage}), 2) << "no database opens there now";
  std::ostringstream out, err;
  ASSERT_EQ(RunRepairCommand({"--storage", storage}, out, err), 0) << err.str();
  const std::string text = out.str();
  EXPECT_EQ(text.rfind("backup " + storage + ".backup-", 0), 0u) << text;
  EXPECT_NE(text.find("\nrecords 3\n"), std::string::npos) << text;
  const std::vector<LogLine> logged = ReadOperationsLog(OperationsLog::PathFor(storage));
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].operation, "修复");
  EXPECT_EQ(
      logged[0].details.rfind("修复数据库，找回 3 条记录，修复前的文件夹保存在 " + storage, 0), 0u)
      << logged[0].details;
  EXPECT_EQ(Run({"--storage", storage}), 0);
  const std::string listed = out_.str();
  EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 3);
}

}  // namespace

namespace {

TEST_F(RecordsCommandTest, FiltersPrintTheRecordsTheRecordPageWouldShowInStoredOrder) {
  const std::string storage = Path("storage");
  {
    RecordDb db(storage);
    StoreRecords(db, {{u"261130235959", u"毛豆", true},
                      {u"261201000000", u"黄瓜", true},
                      {u"261201120000", u"毛豆", false}});
    ASSERT_TRUE(SetRecordUploaded(db, u"261201000000"));
  }
  struct Case {
    std::vector<std::string> options;
    int status;
    std::vector<std::string> keys;
  } cases[] = {
      {{"--find", "毛豆"}, 0, {"261130235959", "261201120000"}},
      {{"--from", "2026-12-01"}, 0, {"261201000000", "261201120000"}},
      {{"--to", "2026-11-30"}, 0, {"261130235959"}},
      {{"--result", "合格"}, 0, {"261201120000"}},
      {{"--uploaded", "yes"}, 0, {"261201000000"}},
      {{"--uploaded", "no", "--result", "不合格"}, 0, {"261130235959"}},
      {{"--find", "没有"}, 0, {}},
      {{"--from", "2026-13-01"}, 2, {}},
      {{"--result", "pass"}, 2, {}},
      {{"--find"}, 2, {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{"--storage", storage};
    args.insert(args.end(), c.options.begin(), c.options.end());
    EXPECT_EQ(Run(args), c.status) << c.options[0] << " " << err_.str();
    std::vector<std::string> keys;
    std::istringstream lines(out_.str());
    for (std::string line; std::getline(lines, line);) keys.push_back(line.substr(0, 12));
    EXPECT_EQ(keys, c.keys) << c.options[0];
  }
  // The trace code of the record page, with the device ID its hashes use.
  NcItemList list;
  {
    RecordDb db(storage);
    ASSERT_TRUE(LoadRecordList(db, list, u"0123456789ABCDEF"));
  }
  const std::string code = TraceCode(list[1]).ToBytes(cp::kUtf8);
  ASSERT_EQ(Run({"--storage", storage, "--find", code, "--device-id", "0123456789ABCDEF"}), 0);
  const std::string printed = out_.str();
  EXPECT_EQ(printed.substr(0, 13), "261201000000\t");
  EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1);
}

}  // namespace

namespace {

TEST_F(RecordsCommandTest, ExportFormatsAndStatisticsTakeTheFilter) {
  const std::string storage = Path("storage");
  {
    RecordDb db(storage);
    StoreRecords(db, {{u"261130235959", u"毛豆", true},
                      {u"261201000000", u"黄瓜", false},
                      {u"261203120000", u"毛豆", false}});
  }
  auto run = [&](std::vector<std::string> args,
                 int (*command)(std::vector<std::string>, std::ostream&, std::ostream&)) {
    out_.str("");
    err_.str("");
    args.insert(args.begin(), {"--storage", storage});
    return command(std::move(args), out_, err_);
  };
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string printed;
  } exports[] = {
      {{"--out", Path("a.csv"), "--format", "csv", "--find", "毛豆"}, 0, "2\n"},
      {{"--out", Path("a.xlsx"), "--format", "xlsx", "--from", "2026-12-01"}, 0, "2\n"},
      {{"--out", Path("a.pdf"), "--format", "pdf"}, 0, "3\n"},
      {{"--out", Path("a.txt")}, 0, "3\n"},
      {{"--out", Path("b.txt"), "--find", "毛豆"}, 2, ""},  // the text file has every record
      {{"--out", Path("c"), "--format", "ods"}, 2, ""},
  };
  for (const Case& c : exports) {
    EXPECT_EQ(run(c.args, RunExportCommand), c.status) << c.args[1] << err_.str();
    EXPECT_EQ(out_.str(), c.printed) << c.args[1];
  }
  std::string csv;
  ASSERT_TRUE(ReadWholeFile(Path("a.csv"), csv));
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3);
  for (const char* file : {"a.xlsx", "a.pdf", "a.txt"}) {
    EXPECT_TRUE(std::filesystem::exists(Path(file))) << file;
  }
  EXPECT_FALSE(std::filesystem::exists(Path("b.txt")));

  struct StatsCase {
    std::vector<std::string> args;
    std::string printed;
  } stats[] = {
      {{},
       "2026-11-30\t1\t0\t1\t100.0%\n2026-12-01\t1\t1\t0\t0.0%\n2026-12-02\t0\t0\t0\t0.0%\n"
       "2026-12-03\t1\t1\t0\t0.0%\n"},
      {{"--by", "month"}, "2026-11\t1\t0\t1\t100.0%\n2026-12\t2\t2\t0\t0.0%\n"},
      {{"--by", "product", "--result", "合格"}, "毛豆\t1\t1\t0\t0.0%\n黄瓜\t1\t1\t0\t0.0%\n"},
  };
  for (const StatsCase& c : stats) {
    EXPECT_EQ(run(c.args, RunStatsCommand), 0) << err_.str();
    EXPECT_EQ(out_.str(), c.printed);
  }
  EXPECT_EQ(run({"--by", "week"}, RunStatsCommand), 2);
}

}  // namespace

namespace {

TEST_F(RecordsCommandTest, CheckListsWhatTheWindowCannotShowAndFixRemovesItAfterACopy) {
  const std::string storage = Path("storage");
  {
    RecordDb db(storage);
    StoreRecords(db, {{u"190305151604", u"毛豆", false}});
    RecordDb::Batch noise;  // what an older version stored from line noise
    noise.PutBytes(std::string("\x01\xFE:N", 4), "{\"data\":\"a+b+c\",\"selected\":false}");
    noise.PutBytes("", "{\"data\":\"\",\"selected\":false,\"uploaded\":false}");
    noise.PutBytes("190305151605", "{broken");
    ASSERT_TRUE(db.Write(noise, true));
  }
  std::ostringstream out, err;
  EXPECT_EQ(RunCheckCommand({"--storage", storage}, out, err), 1) << err.str();
  EXPECT_EQ(out.str(),
            "(empty key)\tfewer than 15 fields\n"
            "\\x01\\xFE:N\tfewer than 15 fields\n"
            "190305151605\tnot JSON\n"
            "3 stored entries the record list cannot show\n");

  std::ostringstream fixed, fixErr;
  ASSERT_EQ(RunCheckCommand({"--storage", storage, "--fix"}, fixed, fixErr), 0) << fixErr.str();
  const std::string said = fixed.str();
  const size_t at = said.find("backup ");
  ASSERT_NE(at, std::string::npos) << said;
  const std::string backup = said.substr(at + 7, said.find('\n', at) - at - 7);
  EXPECT_NE(said.find("removed 3\n"), std::string::npos) << said;
  EXPECT_EQ(ReadOperationsLog(OperationsLog::PathFor(storage)).back().details,
            "删除 3 个不能显示的条目，之前的文件夹保存在 " + backup);
  {
    RecordDb copy(backup, false);  // the copy still holds everything
    EXPECT_EQ(copy.ForEachRaw([](const char*, size_t, const char*, size_t) {}), 4u);
  }
  std::ostringstream again, againErr;
  EXPECT_EQ(RunCheckCommand({"--storage", storage}, again, againErr), 0);
  EXPECT_EQ(again.str(), "0 stored entries the record list cannot show\n");
  ASSERT_EQ(Run({"--storage", storage}), 0);
  const std::string left = out_.str();
  EXPECT_EQ(std::count(left.begin(), left.end(), '\n'), 1) << "the record stays";
  std::ostringstream none, noneErr;
  EXPECT_EQ(RunCheckCommand({"--storage", Path("absent")}, none, noneErr), 2);
}

}  // namespace

namespace {

#ifndef _WIN32
// A named pipe as the target is made with mkfifo.
TEST_F(RecordsCommandTest, ExportsGoOnlyToRegularOrNewFiles) {
  const std::string storage = Path("storage");
  {
    RecordDb db(storage);
    StoreRecords(db, {{u"190305151604", u"毛豆", false}});
  }
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0644), 0);
  for (const char* format : {"text", "csv", "xlsx"}) {
    std::ostringstream out, err;
    EXPECT_EQ(RunExportCommand({"--storage", storage, "--out", Path("fifo"), "--format", format},
                               out, err),
              2)
        << format;
    EXPECT_NE(err.str().find("不是普通文件: " + Path("fifo")), std::string::npos) << err.str();
  }
  struct stat st;
  ASSERT_EQ(::stat(Path("fifo").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "left as it was";
  std::ostringstream out, err;
  EXPECT_EQ(RunExportCommand({"--storage", storage, "--out", Path("records.txt")}, out, err), 0)
      << err.str();
}
#endif  // _WIN32

}  // namespace

namespace {

// The queue of the automatic upload, read while the program holds it (a copy)
// and where automatic upload never ran.
TEST_F(RecordsCommandTest, OutboxCommandTellsTheQueuedCountTheOldestAndTheRefused) {
  const std::string storage = Path("storage");
  std::ostringstream none, noneErr;
  EXPECT_EQ(RunOutboxCommand({"--storage", storage}, none, noneErr), 0) << noneErr.str();
  EXPECT_EQ(none.str(), "queued 0\noldest -\nrejected 0\n");

  Outbox outbox(Outbox::FolderFor(storage));  // held open, as by the running window
  ASSERT_TRUE(outbox.Add({u"261207090001", u"261207090002"}, u"2026-12-07 09:00:01"));
  ASSERT_TRUE(outbox.Add({u"261207090003", u"261207090001"}, u"2026-12-07 09:05:00"));
  ASSERT_TRUE(outbox.Reject(outbox.Front(1)[0].number, u"261207090001", u"duplicate record"));
  std::ostringstream out, err;
  EXPECT_EQ(RunOutboxCommand({"--storage", storage}, out, err), 0) << err.str();
  EXPECT_EQ(out.str(),
            "queued 2\noldest 2026-12-07 09:00:01\nrejected 1\n261207090001\tduplicate record\n");
  std::ostringstream bad, badErr;
  EXPECT_EQ(RunOutboxCommand({"--storage"}, bad, badErr), 2);
}

}  // namespace

namespace {

TEST_F(RecordsCommandTest, VerifyLogSaysOkOrNamesTheFirstBrokenLine) {
  const std::string storage = Path("storage");
  OperationsLog log(OperationsLog::PathFor(storage));
  ASSERT_TRUE(log.Append(u"删除", u"2 条"));
  ASSERT_TRUE(log.Append(u"上传", u"127.0.0.1:3620，接受 2 条"));
  std::ostringstream out, err;
  EXPECT_EQ(RunVerifyLogCommand({"--storage", storage}, out, err), 0) << err.str();
  EXPECT_EQ(out.str(), "ok 2 lines\n");
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(OperationsLog::PathFor(storage), bytes));
  bytes.replace(bytes.find("2 条"), 1, "9");
  ASSERT_TRUE(ReplaceFileContent(OperationsLog::PathFor(storage), bytes));
  std::ostringstream bad, badErr;
  EXPECT_EQ(RunVerifyLogCommand({"--storage", storage}, bad, badErr), 1);
  EXPECT_EQ(bad.str(), "line 1: 这一行的内容与校验值不符（被改动或插入）\n");
}

}  // namespace
