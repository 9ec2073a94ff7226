#include "platform/sim/SimPlatform.h"

#include <chrono>
#include <thread>

namespace vanto::sim {

TSimPlatform::TSimPlatform(const std::filesystem::path& ARoot)
    : FRegistry(ARoot / "registry"), FFiles(ARoot / "files"),
      FShell(DOCUMENTS, PROGRAM_FOLDER), FPlatform{FRegistry, FFiles, FWindows,   FDebug,
                                                   FClock,    FShell, FIni,       FLocale,
                                                   FHid,      FHid,   FTray,      FScenes,
                                                   FInput,    FAudio, FMessageBox, FHooks} {
    for (const char16_t* Folder : {u"C:", u"C:\\Users", u"C:\\Users\\Ann", DOCUMENTS,
                                   u"C:\\Program Files", PROGRAM_FOLDER}) {
        FFiles.MakeFolder(Folder);
    }
}

void TSimPlatform::Settle(unsigned AMaxWaitMs) {
    // Readers are real threads: a report reaches the main thread only after a reader has woken,
    // so this waits in real time, but only as long as work is still moving.
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(AMaxWaitMs);
    std::size_t Quiet = 0;
    while (Quiet < 3 && std::chrono::steady_clock::now() < Deadline) {
        const bool Busy = FWindows.PendingCount() != 0 || !FHid.AllReportsTaken();
        FWindows.ProcessPendingMessages();
        Quiet = Busy ? 0 : Quiet + 1;
        if (Busy) {
            std::this_thread::yield();
        }
    }
}

} // namespace vanto::sim
