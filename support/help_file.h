// The Help command: opens the add-in's compiled HTML help file.
#pragma once

namespace sw {

// Opens <folder>\Spamwarden.chm, the folder being the "Path" value of
// HKEY_LOCAL_MACHINE\SOFTWARE\Tallpine\Spamwarden. Without a usable folder it
// does nothing; it never reports anything.
void OpenHelpFile() noexcept;

} // namespace sw
