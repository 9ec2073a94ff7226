#pragma once

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/Locale.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/WindowSystem.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vanto::ctl {

// What export and import need of a machine: where the profiles are kept, and the windows of the
// monitor and of the configuration application.
struct TProfileServices {
    platform::IRegistry& FRegistry;
    platform::IFileSystem& FFiles;
    platform::IShell& FShell;
    platform::IIniFile& FIni;
    platform::ILocale& FLocale;
    platform::IClock& FClock;
    platform::IWindowSystem& FWindows;
};

// A machine whose profiles the tool works on, owning its services.
class TMachine {
public:
    virtual ~TMachine() = default;
    virtual TProfileServices Services() = 0;
};

// The simulated machine that vanto-sim keeps in AFolder (registry/ and files/ below it).
std::unique_ptr<TMachine> OpenSimulatedMachine(const std::filesystem::path& AFolder);
// The machine the tool runs on; nothing where that is not Windows.
std::unique_ptr<TMachine> OpenThisMachine();

// An export or import that could not be done; the message says why, in one line.
class ETransferError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Game profiles are numbered 1..5 on the command line, as their files are named.
struct TImportRequest {
    std::string_view FJson;
    std::optional<int> FProfileNumber; // the current game profile when absent
    bool FForce = false;               // even while the configuration application runs
};

struct TImportResult {
    int FProfileNumber = 0;
    std::u16string FFile; // the profile file written too, empty when it is kept in the registry
    bool FMonitorTold = false;
    int FProfileGroup = 0;
};

// The profile as "dump" prints it. Throws ETransferError.
std::string ExportProfile(const TProfileServices& AServices, std::optional<int> AProfileNumber);

// Stores the JSON profile as a game profile, keeping every byte the text does not carry from the
// profile it replaces, and tells a running monitor to reload. Nothing is written when the text
// is refused (ERecordRefused, EJsonSyntax) or the import cannot go ahead (ETransferError).
TImportResult ImportProfile(const TProfileServices& AServices, const TImportRequest& ARequest);

} // namespace vanto::ctl
