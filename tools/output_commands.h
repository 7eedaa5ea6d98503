#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `residue-tool export --storage DIR --out FILE [--format text|csv|xlsx|pdf]
// [filter options]`: text (the default) is the text export of every stored
// record, as the window's "导出" writes it; csv, xlsx and pdf (the results
// notice) hold the records the record page shows with the filter, in stored
// order. Prints the count. Only pdf makes a GUI application object (offscreen).
int RunExportCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err);

// `residue-tool stats --storage DIR [--by day|month|product] [filter options]`:
// the statistics page's table, tab-separated: period or product, tested,
// passed, failed, failure rate.
int RunStatsCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err);

// `residue-tool label --device-id ID [--settings FILE] --tspl OUT [--png OUT]`:
// the label of one record text read from `in` (GBK): its TSPL stream and, with
// --png, a picture of it. The layout and trace URL come from the settings file
// (read only; defaults without one).
int RunLabelCommand(std::vector<std::string> args, std::istream& in, std::ostream& out,
                    std::ostream& err);
