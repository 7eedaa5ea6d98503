#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `residue-tool export --storage DIR --out FILE`: the export file of the
// stored records, in the order the window lists them and then reversed, as the
// window's export writes it; prints the count.
int RunExportCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err);

// `residue-tool label --device-id ID [--settings FILE] --tspl OUT [--png OUT]`:
// the label of one record text read from `in` (GBK): its TSPL stream and, with
// --png, a picture of it. The layout and trace URL come from the settings file
// (read only; defaults without one).
int RunLabelCommand(std::vector<std::string> args, std::istream& in, std::ostream& out,
                    std::ostream& err);
