#pragma once
// Copies of a list file that sync tools leave beside it when two machines
// changed the list before they synced: each keeps the other version under a
// name of its own. They are recognised by name, for one list at a time:
//
//   NAME.sync-conflict-YYYYMMDD-HHMMSS-DEVICE.EXT         Syncthing (older
//                                                          ones without -DEVICE)
//   NAME (conflicted copy [USER ]YYYY-MM-DD HHMMSS).EXT   Nextcloud, ownCloud
//   NAME_conflict-YYYYMMDD-HHMMSS.EXT                     Nextcloud, older
//   NAME (USER's conflicted copy YYYY-MM-DD).EXT          Dropbox
//
// where NAME.EXT is the list file's name, EXT starting at its last dot (none
// when it has no dot). Names are bytes: any encoding of NAME or USER matches.
#include <string>
#include <string_view>
#include <vector>

// Whether candidate, a file name without folder, is a sync tool's conflict
// copy of the list file named listFileName.
bool isConflictCopyOf(std::string_view candidate, std::string_view listFileName);

// The conflict copies of the list at listPath: the regular files of its
// folder (not of folders below) whose names are conflict copies of it, as the
// folder part of listPath followed by the name, sorted by name. Empty when
// the folder cannot be read.
std::vector<std::string> conflictCopiesBeside(const std::string& listPath);

// Moves the file copyPath into the folder folderName beside it, made with
// mode 0700 when missing, under its own name, or "NAME (2).EXT", "NAME
// (3).EXT"... when that is taken: nothing in the folder is ever replaced.
// Returns the new path. Throws ListFileError saying what failed and why when
// the folder cannot be made or the file cannot be moved; the file then stays
// where it was.
std::string moveIntoBackupFolder(const std::string& copyPath, const std::string& folderName);
