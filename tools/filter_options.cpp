#include "tools/filter_options.h"

#include <cstdio>

#include "tools/tool_input.h"

const char kFilterUsage[] =
    "[--find TEXT] [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--result 合格|不合格]\n"
    "         [--uploaded yes|no] [--device-id ID]";

namespace {

// YYYY-MM-DD as yyyymmdd; false for anything else.
bool ReadDay(const std::string& text, uint32_t& day) {
  int year, month, date;
  char tail;
  if (text.size() != 10 ||
      std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &date, &tail) != 3 || month < 1 ||
      month > 12 || date < 1 || date > 31) {
    return false;
  }
  day = static_cast<uint32_t>(year * 10000 + month * 100 + date);
  return true;
}

// The filter options of `args` (removed from it); false with the reason.
}  // namespace

bool TakeFilter(std::vector<std::string>& args, RecordFilter& filter, std::string& deviceId,
                std::string& problem) {
  std::string find, from, to, result, uploaded;
  bool missing = false;
  TakeOption(args, "--find", find, missing);
  TakeOption(args, "--from", from, missing);
  TakeOption(args, "--to", to, missing);
  TakeOption(args, "--result", result, missing);
  TakeOption(args, "--uploaded", uploaded, missing);
  if (missing) {
    problem = "an option lacks its value";
    return false;
  }
  if (!TakeDeviceId(args, deviceId, problem)) return false;
  filter.text = String::FromBytes(find, cp::kUtf8);
  if (!from.empty() && !ReadDay(from, filter.fromDate)) problem = "--from wants YYYY-MM-DD";
  if (!to.empty() && !ReadDay(to, filter.toDate)) problem = "--to wants YYYY-MM-DD";
  if (result == "合格") {
    filter.result = RecordFilter::Result::kPassed;
  } else if (result == "不合格") {
    filter.result = RecordFilter::Result::kFailed;
  } else if (!result.empty()) {
    problem = "--result wants 合格 or 不合格";
  }
  if (uploaded == "yes") {
    filter.upload = RecordFilter::Upload::kUploaded;
  } else if (uploaded == "no") {
    filter.upload = RecordFilter::Upload::kNotUploaded;
  } else if (!uploaded.empty()) {
    problem = "--uploaded wants yes or no";
  }
  return problem.empty();
}
