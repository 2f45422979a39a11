#pragma once
// The list as this program last wrote it, kept per list file in the user's
// state folder ($XDG_STATE_HOME/quindle/merge-bases): the common ancestor
// that a merge of a sync tool's conflict copy needs to tell a project one
// side removed from one the other side added.
//
// Kept only for lists in synced folders, so that saving a long list
// elsewhere costs nothing: where a sync tool's marker lies in the list's
// folder or a folder above it (.stfolder, .stversions, .dropbox,
// .nextcloudsync.log, .owncloudsync.log, ._sync_*.db), or once a conflict
// copy of the list was seen. Written on a worker thread, one write at a
// time, so a save of a million lines does not wait for a second copy.
#include <QString>
#include <optional>
#include <string>

#include "listfile/linelist.h"

namespace MergeBase {

QString folder();
// Where the base of the list at listPath is kept.
std::string pathFor(const std::string& listPath);

// Whether the list's folder or a folder above it holds a sync tool's marker.
bool inSyncedFolder(const std::string& listPath);
// Whether a base is to be kept for listPath: it lies in a synced folder, or
// a base was kept for it before.
bool keptFor(const std::string& listPath);

// Keeps lines as the base of listPath, written on a worker thread; a later
// call replaces an earlier one. A failed write leaves no base, or the old one.
void keep(const std::string& listPath, const LineList& lines);
// The base kept for listPath; none when none is kept or it cannot be read.
std::optional<LineList> load(const std::string& listPath);
// Waits until every base handed to keep is on disk.
void waitForWrites();

} // namespace MergeBase
