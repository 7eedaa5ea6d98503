#include "tools/record_commands.h"

#include <gtest/gtest.h>

#include <sstream>

#include "device/sample_record.h"
#include "tools/json_command.h"

namespace {

using Command = int (*)(std::vector<std::string>, std::istream&, std::ostream&, std::ostream&);

int RunJson(std::vector<std::string> args, std::istream& in, std::ostream& out, std::ostream& err) {
  return RunJsonCommand(args, in, out, err);
}

TEST(RecordCommandsTest, CommandsPrintTheirResultOrFailWithTheDocumentedStatus) {
  const std::string record = SampleFrame().substr(3);
  // The hash of the sample record with this device ID, from Python's hashlib.
  const std::string hash = "DEEDDC35A6BE8B8101B8F1152F5D22B3018A9003";
  struct Case {
    const char* what;
    Command command;
    std::vector<std::string> args;
    std::string input;
    int status;
    std::string out;
    std::string err;
  } cases[] = {
      {"hash", RunHashCommand, {"--device-id", "0123456789ABCDEF"}, record, 0, hash + "\n", ""},
      {"hash of a trimmed text differs",
       RunHashCommand,
       {"--device-id", "0123456789ABCDEF"},
       record.substr(0, 174),
       0,
       "",
       ""},
      {"record",
       RunRecordCommand,
       {"--device-id", "0123456789ABCDEF"},
       record,
       0,
       hash +
           "\n\n毛豆\n不合格\n99.9％\n\n\n\n\n50.0％\n2019-03-05 15:16:04\n21.6℃\n40.6％\n(0,0)\n"
           "1.000\n04\n",
       ""},
      {"too few fields", RunRecordCommand, {}, "a+b+c", 1, "", "not a record\n"},
      {"missing option value", RunHashCommand, {"--device-id"}, record, 2, "", "lacks its value"},
      {"lower-case device ID",
       RunHashCommand,
       {"--device-id", "0123456789abcdef"},
       record,
       0,
       hash + "\n",
       ""},
      {"device ID that is none",
       RunHashCommand,
       {"--device-id", "ZZZ"},
       record,
       2,
       "",
       "设备ID长度必须是16个字符"},
      {"device ID with a letter past F",
       RunRecordCommand,
       {"--device-id", "0123456789ABCDEG"},
       record,
       2,
       "",
       "设备ID字符必须是 0-9 或 A-F"},
      {"pretty json",
       RunJson,
       {},
       "{\"a\":[1 'YWJj']}",
       0,
       "{\r\n\t\"a\" : [\r\n\t\t1,\r\n\t\t'YWJj'\r\n\t]\r\n}",
       ""},
      {"compact json keeps GBK bytes",
       RunJson,
       {"--compact"},
       "[\"\xC3\xAB\"]",
       0,
       "[\"\\u6bdb\"]",
       ""},
      {"json syntax error", RunJson, {}, "[1,]", 1, "", "parse error\n"},
      {"json bad option", RunJson, {"--pretty"}, "1", 2, "", "usage"},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.input);
    std::ostringstream out, err;
    EXPECT_EQ(c.command(c.args, in, out, err), c.status) << c.what;
    if (c.status == 0 && c.out.empty()) {
      EXPECT_NE(out.str(), hash + "\n") << c.what;
    } else {
      EXPECT_EQ(out.str(), c.out) << c.what;
    }
    // A success says nothing on stderr; a failure says what it is about.
    if (c.err.empty()) {
      EXPECT_EQ(err.str(), "") << c.what;
    } else {
      EXPECT_NE(err.str().find(c.err), std::string::npos) << c.what << ": " << err.str();
    }
  }
}

}  // namespace
