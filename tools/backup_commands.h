#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `residue-tool backup --storage DIR --to DIR`: a backup of the database and
// its recycle bin in a new dated folder under the target; prints its folder,
// record count and test times. Status 1 when it could not be made.
int RunBackupCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err);
// `residue-tool verify-backup DIR`: "ok" with the manifest's counts, or what
// is wrong (status 1).
int RunVerifyBackupCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err);
// `residue-tool restore --storage DIR --from DIR`: checks the backup, keeps
// the current database aside under a dated name and puts the backup in its
// place. Refused while the program holds the database.
int RunRestoreCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err);
