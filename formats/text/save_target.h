#pragma once

#include <sys/types.h>

#include <string>

// Where a save goes. A save writes a temporary file beside the file it
// replaces and renames it over that file, so that a failed save leaves the
// old file as it was. Renaming only needs the folder to be writable, so the
// permission to replace the file itself is checked here, for the real user.
struct SaveTarget {
  // The file to replace: the name given with its symbolic links followed,
  // so that a save through a link writes the file the link names.
  std::string path;
  bool exists = false;
  mode_t mode = 0;
  uid_t owner = 0;
  gid_t group = 0;
};

// Resolves fileName into out. False when the save must be refused: the
// links loop, the existing file is not a regular file, or the real user may
// not write it. Root may write a file only when some write bit is set: a
// read-only file stays read-only even for root.
bool PrepareSaveTarget(const char* fileName, SaveTarget& out);

// Creates a new, empty temporary file beside target.path, with the mode and
// (where the process may) the owner and group of the existing file. Returns
// the open descriptor and its name, or -1 when it cannot be created.
int CreateSaveTemporary(const SaveTarget& target, std::string& name);
