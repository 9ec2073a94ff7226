// VantoMon.exe with the virtual mouse under Wine: the monitor finds the mouse through the HID
// class, acts on the reports it sends, writes its uploads into the mouse's banks, and keeps
// doing so across unplugs, plugs and failing writes. The mouse is listed in config.ini.

#include "DeviceChanges.h"
#include "MonitorProcess.h"
#include "MouseProbe.h"
#include "VirtualMouse.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace vanto::monitortest {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr DWORD WAIT_MS = 20000;
constexpr UINT WM_MACRO_RECORDED = 7038;
constexpr UINT WM_PROFILE_SWITCH = 7040;
constexpr WPARAM EXIT_COMMAND = 1003;
// The factory profile's play and record buttons.
constexpr unsigned PLAY_KEY = 6;
constexpr unsigned RECORD_KEY = 7;
constexpr wchar_t REGISTRY_KEY[] = L"software\\VantoGamingMouse";
// Where profile 0 of the factory profiles is stored; it goes into bank 0.
constexpr wchar_t CURRENT_PROFILE_VALUE[] = L"VantoProfile1.pfd";
constexpr std::size_t PROFILE_SIZE = 109816;
constexpr std::int32_t STATUS_DEVICE_NOT_CONNECTED = static_cast<std::int32_t>(0xC000009D);
// The watcher's start timer, then the arrival timer, then the pause before the open.
constexpr ULONGLONG OPEN_AFTER_START_MS = 1500 + 1500 + 50;
constexpr ULONGLONG REOPEN_AFTER_ARRIVAL_MS = 1500 + 50;
// Timers on a loaded machine run late, never early; but the test sees the window and hears of
// an arrival a little after the monitor does.
constexpr ULONGLONG LATE_MS = 2500;
constexpr ULONGLONG EARLY_MS = 150;

std::wstring Wide(const std::string& AText) {
    return {AText.begin(), AText.end()};
}

std::optional<Bytes> ReadRegistryBinary(const wchar_t* AValue) {
    Bytes Data(PROFILE_SIZE);
    DWORD Size = static_cast<DWORD>(Data.size());
    if (RegGetValueW(HKEY_CURRENT_USER, REGISTRY_KEY, AValue, RRF_RT_REG_BINARY, nullptr,
                     Data.data(), &Size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    Data.resize(Size);
    return Data;
}

// The feature reports the host build's encoder writes for a stored profile: `vantoctl upload`
// of the host build, started as a host program, its lines of hex coming back through a file.
std::optional<std::vector<Bytes>> HostEncoderReports(const Bytes& AProfile, unsigned ABank) {
    const std::string Folder = VANTO_UPLOAD_CHECK_FOLDER;
    const std::string Profile = Folder + "/profile.pfd";
    const std::string Output = Folder + "/reports.txt";
    CreateDirectoryW(WindowsPathOf(Folder).c_str(), nullptr);
    DeleteFileW(WindowsPathOf(Output).c_str());
    std::ofstream(std::filesystem::path(WindowsPathOf(Profile)), std::ios::binary)
        .write(reinterpret_cast<const char*>(AProfile.data()), AProfile.size());
    const std::string Script = "'" VANTO_HOST_VANTOCTL "' upload '" + Profile + "' --bank " +
                               std::to_string(ABank) + " >'" + Output + ".part' 2>&1; mv '" +
                               Output + ".part' '" + Output + "'";
    if (!RunHostProgram(L"Z:\\bin\\sh", L"-c \"" + Wide(Script) + L"\"") ||
        !PumpUntil(
            [&] {
                return GetFileAttributesW(WindowsPathOf(Output).c_str()) != INVALID_FILE_ATTRIBUTES;
            },
            WAIT_MS)) {
        return std::nullopt;
    }
    std::ifstream In{std::filesystem::path(WindowsPathOf(Output))};
    std::vector<Bytes> Reports;
    for (std::string Line; std::getline(In, Line);) {
        Bytes Report;
        for (std::size_t At = 0; At + 1 < Line.size(); At += 2) {
            Report.push_back(
                static_cast<std::uint8_t>(std::stoul(Line.substr(At, 2), nullptr, 16)));
        }
        Reports.push_back(std::move(Report));
    }
    return Reports;
}

// The mouse's memory as the write commands among AReports leave it, starting from zeros.
Bytes MemoryAfter(const std::vector<Bytes>& AReports) {
    Bytes Memory(VMOUSE_MEMORY_SIZE, 0);
    for (const Bytes& Report : AReports) {
        if (Report.size() >= 8 && Report[1] == 2) {
            const std::size_t Address = Report[2] | Report[3] << 8;
            const std::size_t Count = Report[4] | Report[5] << 8;
            std::copy_n(Report.begin() + 8, Count, Memory.begin() + Address);
        }
    }
    return Memory;
}

// The mouse buttons that programs synthesise, as a low-level hook on a thread of its own sees
// them: the monitor's playback must reach the system's input stream.
class TSynthesisedButtons {
public:
    TSynthesisedButtons() {
        std::promise<void> Ready;
        FThread = std::thread([this, &Ready] {
            FThreadId = GetCurrentThreadId();
            Instance = this;
            const HHOOK Installed =
                SetWindowsHookExW(WH_MOUSE_LL, Hook, GetModuleHandleW(nullptr), 0);
            Ready.set_value();
            MSG Message;
            while (GetMessageW(&Message, nullptr, 0, 0) > 0) {
                DispatchMessageW(&Message);
            }
            UnhookWindowsHookEx(Installed);
        });
        Ready.get_future().wait();
    }
    ~TSynthesisedButtons() {
        PostThreadMessageW(FThreadId, WM_QUIT, 0, 0);
        FThread.join();
        Instance = nullptr;
    }

    std::vector<WPARAM> Seen() {
        std::lock_guard Guard(FLock);
        return FSeen;
    }

private:
    static LRESULT CALLBACK Hook(int ACode, WPARAM AWParam, LPARAM ALParam) {
        const auto* Event = reinterpret_cast<const MSLLHOOKSTRUCT*>(ALParam);
        if (ACode == HC_ACTION && AWParam != WM_MOUSEMOVE && (Event->flags & LLMHF_INJECTED) != 0) {
            std::lock_guard Guard(Instance->FLock);
            Instance->FSeen.push_back(AWParam);
        }
        return CallNextHookEx(nullptr, ACode, AWParam, ALParam);
    }

    static inline TSynthesisedButtons* Instance = nullptr;
    std::mutex FLock;
    std::vector<WPARAM> FSeen;
    DWORD FThreadId = 0;
    std::thread FThread;
};

class MonitorDeviceTest : public testing::Test {
protected:
    static void SetUpTestSuite() { FFolder = new TMonitorFolder(L"VantoMonDevice"); }
    static void TearDownTestSuite() {
        delete FFolder;
        FFolder = nullptr;
    }

    // Factory profiles, a mouse fresh from the factory, and no monitor yet.
    void SetUp() override {
        ASSERT_NE(FConfigApp.Window(), nullptr);
        ASSERT_TRUE(MonitorWindows().empty()) << "a monitor is already running";
        std::wstring Error;
        ASSERT_TRUE(FMouse.PlugInFresh(WAIT_MS, Error)) << std::string(Error.begin(), Error.end());
        RegDeleteTreeW(HKEY_CURRENT_USER, REGISTRY_KEY);
    }

    std::optional<ULONGLONG> ProbeUntilRead(unsigned AProfile) {
        return monitortest::ProbeUntilRead(FConfigApp, FMouse, AProfile, WAIT_MS);
    }

    // One report, one action: a second reader on the mouse would act on it twice.
    void ExpectOneSwitchPerReport(unsigned AProfile) {
        PumpUntil([] { return false; }, 300); // a probe still on its way
        FConfigApp.Forget();
        ASSERT_TRUE(FMouse.SelectProfile(AProfile));
        ASSERT_NE(FConfigApp.WaitFor(WM_PROFILE_SWITCH, WAIT_MS), nullptr);
        PumpUntil([] { return false; }, 300);
        EXPECT_EQ(FConfigApp.Received().size(), 1u);
        EXPECT_EQ(ReadProfileId(), std::optional<DWORD>(AProfile));
    }

    void UnplugAndPlug() { ASSERT_TRUE(monitortest::UnplugAndPlug(WAIT_MS)); }

    // The record button, two left clicks of the X pointer over the overlay, the record button.
    void RecordTwoClicks(bool AWaitUntilAnnounced = true) {
        ASSERT_TRUE(FMouse.PressButton(RECORD_KEY));
        HWND Overlay = nullptr;
        ASSERT_TRUE(PumpUntil([&] { return (Overlay = VisibleOverlay()) != nullptr; }, WAIT_MS))
            << "the record button started no recording";
        RECT Bounds{};
        ASSERT_TRUE(GetWindowRect(Overlay, &Bounds));
        ASSERT_TRUE(RunHostProgram(XDOTOOL, L"mousemove " + std::to_wstring(Bounds.left + 60) +
                                                L" " + std::to_wstring(Bounds.top + 70) +
                                                L" sleep 0.3 click 1 sleep 0.4 click 1"));
        PumpUntil([] { return false; }, 3000);
        FConfigApp.Forget();
        ASSERT_TRUE(FMouse.PressButton(RECORD_KEY));
        if (AWaitUntilAnnounced) {
            ASSERT_NE(FConfigApp.WaitFor(WM_MACRO_RECORDED, WAIT_MS), nullptr);
        }
    }

    // The stored profile's last upload is in the mouse's log, report for report as the host
    // build's encoder writes it, and the mouse's own reading of it put the same bytes into the
    // bank.
    void ExpectBankAsTheHostEncodes(unsigned ABank) {
        const auto Profile = ReadRegistryBinary(CURRENT_PROFILE_VALUE);
        ASSERT_TRUE(Profile.has_value());
        ASSERT_EQ(Profile->size(), PROFILE_SIZE);
        const auto Expected = HostEncoderReports(*Profile, ABank);
        ASSERT_TRUE(Expected.has_value())
            << "no answer from " VANTO_HOST_VANTOCTL " (build the host preset first)";
        ASSERT_GE(Expected->size(), 4u) << "mode, table, macro, mode";
        const auto Received = FMouse.FeatureReports();
        ASSERT_TRUE(Received.has_value());
        ASSERT_GE(Received->size(), Expected->size());
        const std::size_t First = Received->size() - Expected->size();
        for (std::size_t Index = 0; Index < Expected->size(); ++Index) {
            SCOPED_TRACE(Index);
            EXPECT_EQ((*Received)[First + Index].FBytes, (*Expected)[Index]);
            EXPECT_EQ((*Received)[First + Index].FStatus, 0);
        }
        const Bytes Memory = MemoryAfter(*Expected);
        const auto Bank = FMouse.Bank(ABank);
        ASSERT_TRUE(Bank.has_value());
        const auto Region = [&](std::size_t AAddress, std::size_t ASize) {
            const auto Start = Memory.begin() + ABank * VMOUSE_BANK_DISTANCE + AAddress;
            return Bytes(Start, Start + ASize);
        };
        EXPECT_EQ(Bytes(Bank->FButtonTable.begin(), Bank->FButtonTable.end()),
                  Region(VMOUSE_BUTTON_TABLE_ADDRESS, VMOUSE_BUTTON_TABLE_SIZE));
        for (std::size_t Slot = 0; Slot < VMOUSE_MACRO_SLOTS; ++Slot) {
            EXPECT_EQ(Bytes(Bank->FMacroSlots[Slot].begin(), Bank->FMacroSlots[Slot].end()),
                      Region(VMOUSE_MACRO_SLOT_ADDRESS + Slot * VMOUSE_MACRO_SLOT_SIZE,
                             VMOUSE_MACRO_SLOT_SIZE))
                << "slot " << Slot;
        }
        EXPECT_EQ(FMouse.Status()->FRefusedReports, 0u);
    }

    TConfigAppStandIn FConfigApp;
    vmouse::TVirtualMouse FMouse;
    static TMonitorFolder* FFolder;
};

TMonitorFolder* MonitorDeviceTest::FFolder = nullptr;

TEST_F(MonitorDeviceTest, TheMouseIsReadThreeSecondsAfterStartUpAndItsProfileSwitchesFollowed) {
    TMonitorProcess Monitor(FFolder->Executable());
    const HWND Window = Monitor.WaitForWindow(WAIT_MS);
    ASSERT_NE(Window, nullptr);
    const ULONGLONG Started = GetTickCount64();
    const auto Read = ProbeUntilRead(1);
    ASSERT_TRUE(Read.has_value()) << "the monitor never read the mouse";
    EXPECT_GE(*Read - Started, OPEN_AFTER_START_MS - EARLY_MS);
    EXPECT_LE(*Read - Started, OPEN_AFTER_START_MS + LATE_MS);
    EXPECT_EQ(ReadProfileId(), std::optional<DWORD>(1));
    ExpectOneSwitchPerReport(0);

    // Exit stops the reader, whose read is waiting for the mouse.
    ASSERT_TRUE(PostMessageW(Window, WM_COMMAND, EXIT_COMMAND, 0));
    EXPECT_TRUE(Monitor.WaitForExit(WAIT_MS));
}

TEST_F(MonitorDeviceTest, APulledMouseIsReadAgain1500MsAfterItArrivesAndByOneReader) {
    vmouse::TDeviceChanges Arrivals;
    ASSERT_TRUE(Arrivals.Registered());
    TMonitorProcess Monitor(FFolder->Executable());
    const HWND Window = Monitor.WaitForWindow(WAIT_MS);
    ASSERT_NE(Window, nullptr);
    ASSERT_TRUE(ProbeUntilRead(1).has_value());

    ASSERT_NO_FATAL_FAILURE(UnplugAndPlug());
    const auto Read = ProbeUntilRead(1);
    ASSERT_TRUE(Read.has_value()) << "the mouse was not read again";
    EXPECT_GE(*Read - Arrivals.LastArrival(), REOPEN_AFTER_ARRIVAL_MS - EARLY_MS);
    EXPECT_LE(*Read - Arrivals.LastArrival(), REOPEN_AFTER_ARRIVAL_MS + LATE_MS);
    ExpectOneSwitchPerReport(0);
    DWORD_PTR Result = 0;
    EXPECT_NE(SendMessageTimeoutW(Window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, WAIT_MS, &Result), 0);
}

// The record button starts a recording, real clicks become its macro, the upload puts it into
// bank 0 as the host build encodes the stored profile, and the play button plays it back as
// synthesised input.
TEST_F(MonitorDeviceTest, ARecordingOfRealClicksLandsInTheBankAsTheHostEncodesItAndPlays) {
    ASSERT_NE(GetFileAttributesW(XDOTOOL), INVALID_FILE_ATTRIBUTES)
        << "xdotool is not installed (scripts/setup-deps installs it)";
    TMonitorProcess Monitor(FFolder->Executable());
    ASSERT_NE(Monitor.WaitForWindow(WAIT_MS), nullptr);
    ASSERT_TRUE(ProbeUntilRead(0).has_value());

    ASSERT_NO_FATAL_FAILURE(RecordTwoClicks());
    ASSERT_NO_FATAL_FAILURE(ExpectBankAsTheHostEncodes(0));
    EXPECT_EQ(FMouse.Status()->FUploadsCompleted, 1u);

    TSynthesisedButtons Buttons;
    ASSERT_TRUE(FMouse.PressButton(PLAY_KEY));
    const std::vector<WPARAM> TwoClicks = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN,
                                           WM_LBUTTONUP};
    EXPECT_TRUE(PumpUntil([&] { return Buttons.Seen().size() >= TwoClicks.size(); }, WAIT_MS));
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(Buttons.Seen(), TwoClicks);
}

// The mouse fails the macro write: the rest of the bank is skipped, and the whole bank goes
// again once the mouse arrives again.
TEST_F(MonitorDeviceTest, ABankWhoseWriteFailedGoesAgainAtTheNextArrival) {
    TMonitorProcess Monitor(FFolder->Executable());
    ASSERT_NE(Monitor.WaitForWindow(WAIT_MS), nullptr);
    ASSERT_TRUE(ProbeUntilRead(0).has_value());
    ASSERT_TRUE(FMouse.FaultFeatureWrites({2, 1, STATUS_DEVICE_NOT_CONNECTED, 0}));

    ASSERT_NO_FATAL_FAILURE(RecordTwoClicks());
    const auto Failed = FMouse.FeatureReports();
    ASSERT_TRUE(Failed.has_value());
    ASSERT_EQ(Failed->size(), 4u) << "mode 0, table, the failed macro write, mode 1";
    EXPECT_EQ((*Failed)[2].FReading, static_cast<std::uint32_t>(VMOUSE_READ_FAILED_ON_REQUEST));
    EXPECT_EQ((*Failed)[3].FBytes[2], 1) << "the upload did not leave upload mode";
    EXPECT_EQ(FMouse.Bank(0)->FMacroSlots[0], decltype(vmouse::TBank::FMacroSlots)::value_type{});

    ASSERT_NO_FATAL_FAILURE(UnplugAndPlug());
    ASSERT_TRUE(PumpUntil([&] { return FMouse.Status()->FUploadsCompleted == 2; }, WAIT_MS))
        << "the bank was not uploaded again";
    ASSERT_NO_FATAL_FAILURE(ExpectBankAsTheHostEncodes(0));
    EXPECT_EQ(FMouse.FeatureReports()->size(), 8u);
}

// The mouse takes a second for each write after the first, and is pulled out and plugged in
// again in the meantime: whatever of the upload was lost goes again, the bank ends whole, and
// one reader reads the mouse again.
TEST_F(MonitorDeviceTest, AnUnplugAndPlugDuringAnUploadLeaveTheBankWholeAndTheMouseRead) {
    vmouse::TDeviceChanges Arrivals;
    ASSERT_TRUE(Arrivals.Registered());
    TMonitorProcess Monitor(FFolder->Executable());
    const HWND Window = Monitor.WaitForWindow(WAIT_MS);
    ASSERT_NE(Window, nullptr);
    ASSERT_TRUE(ProbeUntilRead(0).has_value());
    ASSERT_TRUE(FMouse.FaultFeatureWrites({1, 2, 0, 1000}));

    ASSERT_NO_FATAL_FAILURE(RecordTwoClicks(false));
    ASSERT_TRUE(PumpUntil([&] { return FMouse.Status()->FFeatureReports >= 1; }, WAIT_MS))
        << "no upload began";
    ASSERT_NO_FATAL_FAILURE(UnplugAndPlug());
    ASSERT_NE(FConfigApp.WaitFor(WM_MACRO_RECORDED, WAIT_MS), nullptr);
    // Not read before its time either; how much later depends on what of the upload goes again,
    // since the monitor holds the mouse's reports while it uploads.
    const auto Read = ProbeUntilRead(1);
    ASSERT_TRUE(Read.has_value()) << "the mouse was not read again";
    EXPECT_GE(*Read - Arrivals.LastArrival(), REOPEN_AFTER_ARRIVAL_MS - EARLY_MS);
    ASSERT_TRUE(PumpUntil([&] { return FMouse.Status()->FMode == 1; }, WAIT_MS));
    ASSERT_NO_FATAL_FAILURE(ExpectBankAsTheHostEncodes(0));
    ExpectOneSwitchPerReport(0);
    DWORD_PTR Result = 0;
    EXPECT_NE(SendMessageTimeoutW(Window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, WAIT_MS, &Result), 0);
}

} // namespace
} // namespace vanto::monitortest
