#pragma once

#include <string>

namespace goalvanta {

// Where the ten save slots live. A copy run from its own folder (a build, an
// unpacked archive) keeps them in "savedata" beside the program, as the game was
// made to be carried around in one folder, while that can be written. An installed
// copy (a program under /usr, the package manager's) keeps them in "savedata" in
// the user's own data folder, whoever runs it, even the superuser: nothing of a
// player's may end up in a folder the package owns. So does a copy whose folder
// cannot be written. Folders are the file system's bytes; the result ends with '/'.
std::string ChooseSaveFolder(const std::string& programFolder, const std::string& userDataFolder);
// The choice for this program and this user.
std::string DefaultSaveFolder();

// Whether the program in `programFolder` is an installed copy.
bool IsInstalledProgramFolder(const std::string& programFolder);

// Whether a file can be created in `folder` (tried, not guessed from mode bits:
// a read-only mount or an immutable folder refuses even the superuser).
bool IsWritableFolder(const std::string& folder);

} // namespace goalvanta
