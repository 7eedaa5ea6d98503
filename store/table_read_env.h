#pragma once

namespace leveldb {
class Env;
}

// leveldb's own environment, except that table files are read with pread
// instead of being mapped into memory. A station's database is read whole
// at start-up; mapped, every byte of it would stay in the program's memory
// for as long as the program runs. Shared by every database of the process.
// On Windows the lock is also taken here, so that a lock another opener holds
// (in this process or another) is told apart from other failures by the text
// below rather than by the system's message in the system's language.
leveldb::Env* TableReadEnv();

// The text of the status when another opener holds the database's lock.
constexpr const char* kLockHeldText = "held by another opener";
