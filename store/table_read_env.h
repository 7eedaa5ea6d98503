#pragma once

namespace leveldb {
class Env;
}

// leveldb's own environment, except that table files are read with pread
// instead of being mapped into memory. A station's database is read whole
// at start-up; mapped, every byte of it would stay in the program's memory
// for as long as the program runs. Shared by every database of the process.
leveldb::Env* TableReadEnv();
