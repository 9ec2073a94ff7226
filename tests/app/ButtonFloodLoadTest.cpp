// The mouse floods the monitor with 10,000 input reports a second for 10 s of simulated time,
// most of them malformed. Every well-formed press is dispatched exactly once, what the platform
// holds for the monitor stays bounded, and a message posted in the middle of the flood is
// handled in the next turn of the loop. The figures are printed, never asserted as timings.

#include "app/VantoMonExMain.h"
#include "platform/sim/SimMouse.h"
#include "platform/sim/SimPlatform.h"
#include "shared/ButtonReports.h"
#include "shared/ConfigAppInterface.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace vanto {
namespace {

constexpr std::uint64_t FLOOD_MS = 10000;
constexpr std::size_t REPORTS_PER_MS = 10;
constexpr std::uint64_t PROFILE_SWITCH_EVERY_MS = 100;
// What the platform may hold at once while the monitor keeps up: the reports of one
// millisecond in the driver's buffer, and a few messages in the queue.
constexpr std::size_t MAX_QUEUED_REPORTS = REPORTS_PER_MS;
constexpr std::size_t MAX_QUEUED_MESSAGES = 4;
// A guard against a hang, never a timing.
constexpr auto STUCK_AFTER = std::chrono::seconds(30);

using TReport = std::vector<std::uint8_t>;

// The test process's resident memory in KiB, from the host's process table; 0 where there is
// none (under Wine). A figure to print, never to assert: the allocator decides it.
std::size_t ResidentKiB() {
    std::ifstream Status("/proc/self/status");
    std::string Field;
    while (Status >> Field) {
        if (Field == "VmRSS:") {
            std::size_t KiB = 0;
            Status >> KiB;
            return KiB;
        }
    }
    return 0;
}

TReport Press(unsigned AKey) {
    TReport Report(8, 0);
    Report[0] = BUTTON_REPORT_ID;
    Report[1 + AKey / 8] = static_cast<std::uint8_t>(1u << (AKey % 8));
    return Report;
}

class ButtonFloodLoadTest : public testing::Test {
protected:
    ButtonFloodLoadTest() {
        FMouse.PlugInto(FSim.FHid);
        FDM.DataModuleCreate();
        // Every button acts, so every press that gets through is seen.
        for (TBUTTONFUNCINFO& Button : FDM.EditCurrentProfileInfo().ConfigInfo.ButtonFuncInfo) {
            Button.nFunctionType = FUNCTION_TYPE_RECORD_MACRO;
        }
        FMain = std::make_unique<TVantoMonExMain>(FSim.Platform(), FDM);
        FMain->FormCreate();
        FMain->OnButtonAction = [this](const TButtonAction& AAction) {
            FDispatched[AAction.FKeyIndex] +=
                AAction.FKind == EButtonAction::ToggleMacroRecording ? 1 : 0;
        };
        FConfigApp = FSim.FWindows.CreateHiddenWindow(
            CONFIG_APP_WINDOW_CLASS, u"", [this](platform::TMessageId AMsg, auto, auto) {
                FSwitches += AMsg == WM_PROFILE_SWITCH ? 1 : 0;
                return platform::TMessageResult{0};
            });
        FProbe = FSim.FWindows.CreateHiddenWindow(u"Probe", u"", [this](auto, auto, auto) {
            FProbeHandled = true;
            return platform::TMessageResult{0};
        });
        FSim.FWindows.AdvanceTime(3000); // the mouse is open
    }
    ~ButtonFloodLoadTest() override {
        FMain.reset();
        std::error_code Error;
        std::filesystem::remove_all(FRoot, Error);
    }

    // The reports of millisecond AMs: two presses of buttons with a record, and eight that must
    // come to nothing (a release, several bits, a foreign ID, cut or empty reports, keys
    // without a button, a profile report out of range) or, now and then, a profile selection.
    std::array<TReport, REPORTS_PER_MS> ReportsOf(std::uint64_t AMs) {
        const auto Key = static_cast<unsigned>(AMs % BUTTON_COUNT);
        const auto Other = static_cast<unsigned>((AMs * 7 + 3) % BUTTON_COUNT);
        const auto NoButton = static_cast<unsigned>(15 + AMs % 6); // 15..20
        TReport Foreign = Press(Key);
        Foreign[0] = 9;
        TReport Several = Press(Key);
        Several[3] = 0x40;
        TReport Last(8, 0xFF);
        if (AMs % PROFILE_SWITCH_EVERY_MS == 0) {
            Last = {PROFILE_REPORT_ID,
                    1,
                    static_cast<std::uint8_t>(AMs / PROFILE_SWITCH_EVERY_MS % 2),
                    0,
                    0,
                    0,
                    0,
                    0};
        }
        const TReport Release{BUTTON_REPORT_ID, 0, 0, 0, 0, 0, 0, 0};
        const TReport Cut{BUTTON_REPORT_ID, 1, 0, 0};
        const TReport OutOfRange{PROFILE_REPORT_ID, 1, 5, 0, 0, 0, 0, 0};
        return {Press(Key),      Release,   Several,    Foreign,      Cut,
                Press(NoButton), TReport{}, OutOfRange, Press(Other), Last};
    }

    // Turns the loop until the readers have nothing left and the queue is empty; counts the
    // turns until the probe posted among the flood's messages was handled.
    void TurnUntilQuiet() {
        const auto Stuck = std::chrono::steady_clock::now() + STUCK_AFTER;
        std::size_t Turns = 0;
        std::size_t Quiet = 0;
        while (Quiet < 3) {
            ASSERT_LT(std::chrono::steady_clock::now(), Stuck)
                << "the monitor stopped taking reports";
            const bool Busy = FSim.FWindows.PendingCount() != 0 || !FSim.FHid.AllReportsTaken();
            FSim.FWindows.ProcessPendingMessages();
            ++Turns;
            if (FProbeHandled && FProbeTurns == 0) {
                FProbeTurns = Turns;
            }
            Quiet = Busy ? 0 : Quiet + 1;
            if (Busy) {
                std::this_thread::yield();
            }
        }
        FTurns += Turns;
    }

    std::filesystem::path FRoot = std::filesystem::temp_directory_path() /
                                  ("vanto-flood-" + std::to_string(std::random_device{}()));
    sim::TSimPlatform FSim{FRoot};
    sim::TSimMouse FMouse;
    TDM FDM{FSim.FRegistry, FSim.FFiles, FSim.FShell, FSim.FIni, FSim.FLocale, FSim.FClock};
    std::unique_ptr<TVantoMonExMain> FMain;
    platform::TWindowHandle FConfigApp = 0;
    platform::TWindowHandle FProbe = 0;
    std::array<std::size_t, 24> FDispatched{};
    std::size_t FSwitches = 0;
    bool FProbeHandled = false;
    std::size_t FProbeTurns = 0;
    std::size_t FTurns = 0;
};

TEST_F(ButtonFloodLoadTest, TenThousandReportsASecondForTenSecondsLoseAndDoubleNothing) {
    std::array<std::size_t, 24> Expected{};
    std::size_t ExpectedSwitches = 0;
    std::size_t MaxProbeTurns = 0;
    std::size_t MaxDebugLines = 0;
    std::size_t ResidentAfterOneSecond = 0;
    const auto Began = std::chrono::steady_clock::now();
    for (std::uint64_t Ms = 0; Ms < FLOOD_MS; ++Ms) {
        const auto Reports = ReportsOf(Ms);
        for (std::size_t I = 0; I < Reports.size(); ++I) {
            ASSERT_EQ(FMouse.SendReport(Reports[I]), 1u);
            if (I == REPORTS_PER_MS / 2) {
                FProbeHandled = false;
                FProbeTurns = 0;
                FSim.FWindows.Post(FProbe, platform::WM_USER_FIRST, 0, 0);
            }
        }
        ++Expected[Ms % BUTTON_COUNT];
        ++Expected[(Ms * 7 + 3) % BUTTON_COUNT];
        ExpectedSwitches += Ms % PROFILE_SWITCH_EVERY_MS == 0 ? 1 : 0;
        TurnUntilQuiet();
        ASSERT_TRUE(FProbeHandled);
        MaxProbeTurns = std::max(MaxProbeTurns, FProbeTurns);
        FSim.FWindows.AdvanceTime(1);
        // The simulation keeps every debug line; the monitor itself keeps none.
        MaxDebugLines = std::max(MaxDebugLines, FSim.FDebug.Lines().size());
        FSim.FDebug.Clear();
        if (Ms + 1 == 1000) {
            ResidentAfterOneSecond = ResidentKiB();
        }
    }
    const std::size_t ResidentAtTheEnd = ResidentKiB();
    const double Seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - Began).count();

    EXPECT_EQ(FDispatched, Expected);
    EXPECT_EQ(FSwitches, ExpectedSwitches);
    EXPECT_EQ(FSim.FHid.DroppedReports(), 0u);
    EXPECT_LE(FSim.FHid.MaxQueuedReports(), MAX_QUEUED_REPORTS);
    EXPECT_LE(FSim.FWindows.MaxPendingCount(), MAX_QUEUED_MESSAGES);
    EXPECT_EQ(MaxProbeTurns, 1u);
    EXPECT_FALSE(FMain->FFlags.MacroRecording);

    const std::size_t Reports = FLOOD_MS * REPORTS_PER_MS;
    std::printf("[ load     ] %zu reports in %.2f s of real time (%.0f reports/s), %zu presses "
                "dispatched, %zu profile switches\n"
                "[ load     ] most held at once: %zu reports in the driver's buffer, %zu queued "
                "messages, %zu debug lines a millisecond; probe handled within %zu turn(s); "
                "%zu loop turns in all\n"
                "[ load     ] resident memory of the test: %zu KiB after 1 s of flood, %zu KiB "
                "after 10 s (0: not known here)\n",
                Reports, Seconds, Reports / Seconds, static_cast<std::size_t>(FLOOD_MS * 2),
                FSwitches, FSim.FHid.MaxQueuedReports(), FSim.FWindows.MaxPendingCount(),
                MaxDebugLines, MaxProbeTurns, FTurns, ResidentAfterOneSecond, ResidentAtTheEnd);
    RecordProperty("reports", static_cast<int>(Reports));
    RecordProperty("reports_per_real_second", static_cast<int>(Reports / Seconds));
    RecordProperty("max_queued_reports", static_cast<int>(FSim.FHid.MaxQueuedReports()));
    RecordProperty("max_queued_messages", static_cast<int>(FSim.FWindows.MaxPendingCount()));
    RecordProperty("max_probe_turns", static_cast<int>(MaxProbeTurns));
}

// Faster than any monitor: what cannot be buffered is dropped by the driver, as on Windows, so
// the platform never holds more than its 32 reports however long the burst, and the rest still
// arrive once each.
TEST_F(ButtonFloodLoadTest, ABurstBeyondTheDriversBufferIsBoundedByIt) {
    constexpr std::size_t BURST = 5000;
    constexpr std::size_t DRIVER_BUFFER = 32;
    // The reader takes the first and waits for the main thread, which is not turning.
    ASSERT_EQ(FMouse.SendReport(Press(3)), 1u);
    ASSERT_TRUE(FSim.FWindows.WaitForPending(1, 10000));
    for (std::size_t I = 1; I < BURST; ++I) {
        FMouse.SendReport(Press(3));
    }
    EXPECT_EQ(FSim.FHid.MaxQueuedReports(), DRIVER_BUFFER);
    EXPECT_EQ(FSim.FWindows.PendingCount(), 1u);
    TurnUntilQuiet();
    EXPECT_EQ(FDispatched[3], 1 + DRIVER_BUFFER);
    EXPECT_EQ(FSim.FHid.DroppedReports(), BURST - 1 - DRIVER_BUFFER);
    EXPECT_LE(FSim.FWindows.MaxPendingCount(), 2u);
    std::printf("[ load     ] burst of %zu: %zu dispatched, %zu dropped by the driver, at most %zu "
                "held\n",
                BURST, FDispatched[3], FSim.FHid.DroppedReports(), FSim.FHid.MaxQueuedReports());
}

} // namespace
} // namespace vanto
