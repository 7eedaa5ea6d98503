#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>

#include "base/status.h"

// Whole-file reads and crash-safe writes. Paths are native (UTF-8 on Linux).
// Plain functions, safe on any thread for different files.

// Files read whole (settings, product names, captures) are small; a bigger
// one, or a device that never ends, is refused instead of filling memory.
constexpr size_t kMaxReadBytes = size_t{64} << 20;

// Reads the whole file into `bytes`. False (bytes cleared) when the path is
// missing, a folder, cannot be read or holds more than `limit` bytes; then
// `problem`, when given, says why in Chinese with the path (UTF-8); errno is
// EFBIG for a file over the limit.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* problem = nullptr,
                   size_t limit = kMaxReadBytes);
// The same for an open stream (standard input): at most `limit` bytes.
bool ReadWholeStream(std::istream& in, std::string& bytes, std::string* problem = nullptr,
                     size_t limit = kMaxReadBytes);

// Whether an output may go to `path`: failed, with the path and why, when it
// is (or a link leads to) something other than a regular file, such as a
// device, a FIFO or a folder, or the links go round in a loop. Every file
// write below checks it first.
Status CheckOutputPath(const std::string& path);

// Removes what outputs interrupted by a crash left in the temporary folder
// (the workbook and notice are made there first): files of processes that
// are gone. Run at start.
void RemoveStaleOutputTemporaries();

// Writes all of `bytes` to a descriptor, going on after interrupted or short
// writes. On a socket a vanished peer is an error, never a signal. False with
// errno set when it stopped short.
bool WriteFully(int fd, const std::string& bytes, bool socket = false);

// Copies the file `from` to a new file `to` (an existing one is refused),
// inside the system where it can (the bytes do not pass through this
// process). Not flushed to disk. False with errno set (ENOSPC for a full
// disk); a partial copy is left for the caller.
bool CopyNewFile(const std::string& from, const std::string& to);
// Flushes everything written to the file system that holds `path` to its
// disk (one call for many files: a backup's). False with errno set.
bool SyncFileSystem(const std::string& path);
// Reads the file in chunks of at most 1 MiB; false with errno set.
bool ReadFileChunks(const std::string& path,
                    const std::function<bool(const char* bytes, size_t length)>& chunk);
// Flushes a folder's entries (files made, renamed or removed in it) to disk.
bool SyncFolder(const std::string& path);
// Removes a file, or a folder and everything in it; an absent one is fine.
// Each folder is listed once and each name removed once, so a name the system
// keeps after its removal (on Windows, a file another handle holds open stays
// listed until it is closed) ends the work instead of being tried forever.
// False with errno set when something is left.
bool RemoveTree(const std::string& path);
// What errno `error` means for a file or folder, in Chinese, with what to do
// ("磁盘已满，请腾出空间后再试" ...).
std::string DiskProblemText(int error);
// The errno value DiskProblemText knows that stands for a platform's own one
// (a quota exceeded is a full disk); others unchanged. Per platform.
int PortableErrno(int error);

// Standard input and output carry bytes as they are (Windows would otherwise
// turn line ends into CRLF and stop reading at a Ctrl-Z): the tool's output is
// the same on every system. Nothing to do on POSIX.
void UseBinaryStandardStreams();

// Makes a new, empty folder in `parent` (empty: the system's temporary
// folder) whose name starts with `prefix`; its path, or empty (errno set)
// when none could be made.
std::string MakeTemporaryFolder(const std::string& prefix, const std::string& parent = "");

// Appends `bytes` to the file (made when missing) and flushes it to disk
// before returning. False with errno set when it did not all get there.
bool AppendDurably(const std::string& path, const std::string& bytes);
// Replaces the file's content with `bytes` so that a crash, a full disk or a
// power cut leaves either the old file or the new one, never a torn one: the
// bytes go to a temporary file in the same folder, are flushed to disk and then
// renamed over the old file, whose permissions the new one takes. A symbolic
// link is written through: its target gets the content and the link stays.
// When the folder refuses a temporary file but the file itself may be written
// (a locked-down installation folder), the file is rewritten in place and
// flushed; should that fail, its old bytes are written back. A file that may
// not be written (no write permission for this user, or no write bit at all)
// is refused. False (old file as it was, no temporary left) on any failure.
bool ReplaceFileContent(const std::string& path, const std::string& bytes);

// For files a library writes to a path of its own (a workbook, a PDF): `make`
// writes the file at a temporary path in the system's temporary folder, and
// its bytes then replace `path` exactly as ReplaceFileContent does. The
// temporary file is always removed.
enum class MadeFile { kReplaced, kNotMade, kNotReplaced };
MadeFile ReplaceWithMadeFile(const std::string& path,
                             const std::function<bool(const std::string& temporary)>& make);
