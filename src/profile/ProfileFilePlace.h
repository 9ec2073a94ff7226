#pragma once

#include "platform/FileSystem.h"

#include <string_view>

namespace vanto {

// Where a game profile file may be kept. Folder and name come from the setting group that the
// configuration application writes, and the monitor creates the file there at start-up, so a
// damaged or planted setting group must not make it write an arbitrary file anywhere, nor
// reach out to a server (a look at a share already hands it the user's credentials).
//
// AFolder is accepted when it is
//   - ADocumentsFolder (as the shell reports it; empty when it did not) or a folder below it,
//     wherever the Documents folder lives, a redirected network share included, or
//   - "X:\" or a folder below it, where X is a local fixed drive.
// Below that base every component must be a plain name: not empty, no '/' or other character
// Windows refuses in names, and not ending in '.' or ' ', which Windows strips ("..." and ". "
// are ".." and "." in disguise). One trailing '\' is allowed, as FilePath keeps it. A device
// path ("\\?\", "\\.\"), any other UNC path, a drive-relative "X:foo" or a mapped network drive
// never passes.
//
// AName must be a plain name ending in ".pfd" (the shell never runs such a file) that is not a
// device name: "COM1.pfd" opens the port, not a file.
bool IsAllowedProfileFilePlace(std::u16string_view AFolder, std::u16string_view AName,
                               std::u16string_view ADocumentsFolder, platform::IFileSystem& AFiles);

bool IsAllowedProfileFileName(std::u16string_view AName);

} // namespace vanto
