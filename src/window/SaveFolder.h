#pragma once

#include <QString>

namespace goalvanta {

// Where the ten save slots live: the folder "savedata" beside the program, as the
// game was made to be carried around in one folder, while that can be written;
// for an installed copy in a system folder, "savedata" in the user's own data
// folder. The result ends with a '/'.
QString ChooseSaveFolder(const QString& programFolder, const QString& userDataFolder);
// The choice for this program and this user.
QString DefaultSaveFolder();

// Whether a file can be created in `folder` (tried, not guessed from mode bits:
// a read-only mount or an immutable folder refuses even the superuser).
bool IsWritableFolder(const QString& folder);

} // namespace goalvanta
