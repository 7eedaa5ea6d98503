#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `residue-tool outbox [--storage DIR]`: the automatic upload's queue beside
// the database: "queued N", "oldest TIME" (or "oldest -") and "rejected N",
// then one line per refused record (its key and the server's words). While
// the program runs (the queue is locked), a copy of the queue's folder is
// read. Status 2 for bad arguments or a queue that cannot be read.
int RunOutboxCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err);
