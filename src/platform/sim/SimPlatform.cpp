#include "platform/sim/SimPlatform.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <thread>

namespace vanto::sim {

namespace {

// A guard against a hang, never a timing: a playback thread takes microseconds to go on.
constexpr unsigned PLAYBACK_HAND_OVER_MS = 5000;

} // namespace

TSimPlatform::TSimPlatform(const std::filesystem::path& ARoot)
    : FRegistry(ARoot / "registry"), FFiles(ARoot / "files"),
      FShell(DOCUMENTS, PROGRAM_FOLDER), FPlatform{FRegistry, FFiles, FWindows,    FDebug,
                                                   FClock,    FShell, FIni,        FLocale,
                                                   FHid,      FHid,   FTray,       FScenes,
                                                   FInput,    FAudio, FMessageBox, FHooks} {
    for (const char16_t* Folder : {u"C:", u"C:\\Users", u"C:\\Users\\Ann", DOCUMENTS,
                                   u"C:\\Program Files", PROGRAM_FOLDER}) {
        FFiles.MakeFolder(Folder);
    }
}

void TSimPlatform::Settle(unsigned AMaxWaitMs) {
    // Readers and playbacks are real threads: a report reaches the main thread only after a
    // reader has woken, so this waits in real time, but only as long as work is still moving.
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(AMaxWaitMs);
    std::size_t Quiet = 0;
    while (Quiet < 3 && std::chrono::steady_clock::now() < Deadline) {
        const bool Busy =
            FWindows.PendingCount() != 0 || !FHid.AllReportsTaken() || !FInput.Quiet();
        FWindows.ProcessPendingMessages();
        // A press just handled may have started a playback.
        FInput.WaitUntilQuiet(AMaxWaitMs);
        Quiet = Busy ? 0 : Quiet + 1;
        if (Busy) {
            std::this_thread::yield();
        }
    }
}

void TSimPlatform::AdvanceTime(std::uint64_t AMs) {
    const std::uint64_t Target = FClock.NowMs() + AMs;
    for (;;) {
        FInput.WaitUntilQuiet(PLAYBACK_HAND_OVER_MS);
        const std::optional<std::uint64_t> Due = FInput.WaitDeadline();
        const std::uint64_t Now = FClock.NowMs();
        if (!Due || *Due > Target) {
            break;
        }
        FWindows.AdvanceTime(*Due - Now);
    }
    const std::uint64_t Now = FClock.NowMs();
    FWindows.AdvanceTime(Target > Now ? Target - Now : 0);
    FInput.WaitUntilQuiet(PLAYBACK_HAND_OVER_MS);
}

} // namespace vanto::sim
