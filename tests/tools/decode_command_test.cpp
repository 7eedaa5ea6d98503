#include "tools/decode_command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/support/sample_frame.h"

namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome Decode(const std::vector<std::string>& args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out, err;
  int status = RunDecodeCommand(args, in, out, err);
  return {status, out.str(), err.str()};
}

std::string WriteTemp(const std::string& name, const std::string& content) {
  std::string path = ::testing::TempDir() +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" + name;
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

TEST(DecodeCommandTest, SampleCaptureGivesItsRecordsInArrivalOrder) {
  Outcome run = Decode({std::string(RESIDUE_SOURCE_DIR) + "/data.txt"});
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1],
            "190305151604\t190305151604\t04\t99.9\t21.6\t40.6\t1.000\t0\t\t000000000000\t"
            "000000000000\t\t\t\t毛豆\t50.0");
  EXPECT_EQ(lines[0].substr(0, 13), "261205083015\t");
  EXPECT_EQ(lines[3].substr(0, 13), "261205091544\t");
  EXPECT_NE(run.err.find("dropped 1 incomplete frame"), std::string::npos)
      << "the broken frame is reported: " << run.err;
}

TEST(DecodeCommandTest, NamesFileRenamesChannelsFromStandardInput) {
  std::string names = WriteTemp("names.txt", "\r\n\r\n\r\n黄瓜\r\n");
  Outcome run = Decode({"-", "--names", names}, SampleFrame() + kSampleTrailer);
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(Lines(run.out).size(), 1u);
  EXPECT_NE(run.out.find("\t黄瓜\t50.0"), std::string::npos) << run.out;
  std::remove(names.c_str());
}

TEST(DecodeCommandTest, BadArgumentsAndUnreadableFilesExitWithTwo) {
  std::string tooMany = WriteTemp("too_many_names.txt", std::string(21, '\n'));
  std::string capture = WriteTemp("capture.txt", SampleFrame());
  struct Case {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{}, "usage"},
      {{"/nonexistent/capture.txt"}, "cannot read '/nonexistent/capture.txt'"},
      {{"/tmp"}, "cannot read"},
      {{capture, "--names", "/nonexistent/names.txt"}, "cannot read names file"},
      {{capture, "--names", tooMany}, "more than 20 lines"},
      {{capture, "extra"}, "unexpected argument 'extra'"},
      {{capture, "--names"}, "unexpected argument '--names'"},
  };
  for (const Case& c : cases) {
    Outcome run = Decode(c.args);
    EXPECT_EQ(run.status, 2) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
  std::remove(tooMany.c_str());
  std::remove(capture.c_str());
}

}  // namespace
