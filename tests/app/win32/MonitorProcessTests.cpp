// VantoMon.exe as the configuration application meets it: this program owns a window of the
// configuration application's class and drives a real monitor process.

#include "MonitorProcess.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <optional>
#include <string>

namespace vanto::monitortest {
namespace {

constexpr DWORD WAIT_MS = 20000;
constexpr SIZE_T WORKING_SET_LIMIT = 64 * 1024 * 1024;
constexpr UINT WM_CFG_PROFILE_CHANGED = 7035;
constexpr UINT WM_MONITOR_EXIT = 7036;
constexpr UINT WM_PROFILE_SWITCH = 7040;
constexpr UINT WM_BUTTON_EVENT = 7524;
constexpr WPARAM EXIT_COMMAND = 1003;
constexpr WPARAM PROFILE_0_SELECTED = 21;
constexpr WPARAM PROFILE_1_SELECTED = 22;
constexpr wchar_t REGISTRY_KEY[] = L"software\\VantoGamingMouse";

bool WriteProfileId(DWORD AValue) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, REGISTRY_KEY, L"ProfileID", REG_DWORD, &AValue,
                           sizeof(AValue)) == ERROR_SUCCESS;
}

class MonitorProcessTest : public ::testing::Test {
protected:
    // The monitor runs from a folder of its own, as it would be installed: no configuration
    // application and no "config.ini" beside it.
    static void SetUpTestSuite() {
        const TMonitorCopy Copy = CopyMonitorToFolder(VANTO_MONITOR_EXE, L"VantoMonTest");
        FFolder = Copy.FFolder;
        FExecutable = Copy.FExecutable;
    }

    static void TearDownTestSuite() {
        DeleteFileW(FExecutable.c_str());
        DeleteFileW(HookLibraryBeside(FExecutable).c_str());
        RemoveDirectoryW(FFolder.c_str());
    }

    void SetUp() override {
        ASSERT_NE(FConfigApp.Window(), nullptr);
        ASSERT_NE(GetFileAttributesW(FExecutable.c_str()), INVALID_FILE_ATTRIBUTES)
            << "VantoMon.exe could not be copied from " << VANTO_MONITOR_EXE;
        // A monitor left over from elsewhere would make every new one leave at once.
        ASSERT_TRUE(MonitorWindows().empty()) << "a monitor is already running";
    }

    TConfigAppStandIn FConfigApp;
    static std::wstring FFolder;
    static std::wstring FExecutable;
};

std::wstring MonitorProcessTest::FFolder;
std::wstring MonitorProcessTest::FExecutable;

TEST_F(MonitorProcessTest, TheMonitorStartsHiddenAndIsFoundByItsClassAndTitle) {
    TMonitorProcess Monitor(FExecutable);
    ASSERT_TRUE(Monitor.Started());
    const HWND Window = Monitor.WaitForWindow(WAIT_MS);
    ASSERT_NE(Window, nullptr) << "no window of class TVantoMonExMain, title QUORVIN_MONITOR_EX";
    EXPECT_EQ(FindWindowW(L"TVantoMonExMain", nullptr), Window);
    // Neither shown nor on the taskbar.
    EXPECT_FALSE(IsWindowVisible(Window));
    EXPECT_EQ(GetWindowLongPtrW(Window, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    // The window comes after the profiles: the shared key exists by now.
    HKEY Key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, REGISTRY_KEY, 0, KEY_READ, &Key), ERROR_SUCCESS);
    RegCloseKey(Key);
}

TEST_F(MonitorProcessTest, ASecondMonitorLeavesAtOnceWithoutAWindow) {
    TMonitorProcess First(FExecutable);
    ASSERT_NE(First.WaitForWindow(WAIT_MS), nullptr);

    TMonitorProcess Second(FExecutable);
    ASSERT_TRUE(Second.Started());
    ASSERT_TRUE(Second.WaitForExit(WAIT_MS)) << "the second monitor kept running";
    EXPECT_EQ(Second.ExitCode(), 0u);
    EXPECT_EQ(MonitorWindows().size(), 1u);
    EXPECT_EQ(MonitorWindows().front(), First.WaitForWindow(0));
}

TEST_F(MonitorProcessTest, ExitTellsTheConfigAppAndEndsTheMonitor) {
    {
        TMonitorProcess Monitor(FExecutable);
        const HWND Window = Monitor.WaitForWindow(WAIT_MS);
        ASSERT_NE(Window, nullptr);
        ASSERT_TRUE(PostMessageW(Window, WM_COMMAND, EXIT_COMMAND, 0));

        const auto* Exit = FConfigApp.WaitFor(WM_MONITOR_EXIT, WAIT_MS);
        ASSERT_NE(Exit, nullptr) << "no WM_MONITOR_EXIT";
        EXPECT_EQ(Exit->FWParam, 0u);
        EXPECT_EQ(Exit->FLParam, 0);
        ASSERT_TRUE(Monitor.WaitForExit(WAIT_MS)) << "the monitor kept running after Exit";
        EXPECT_EQ(Monitor.ExitCode(), 0u);
        EXPECT_TRUE(MonitorWindows().empty());
    }
    // The ended monitor let go of its single-instance mutex: the next one stays.
    TMonitorProcess Next(FExecutable);
    EXPECT_NE(Next.WaitForWindow(WAIT_MS), nullptr);
    EXPECT_FALSE(Next.WaitForExit(0));
}

// A profile selection on the mouse arrives as a button event with key index 21 or 22.
TEST_F(MonitorProcessTest, ProfileSelectionsOnTheMouseAreStoredAndReported) {
    TMonitorProcess Monitor(FExecutable);
    const HWND Window = Monitor.WaitForWindow(WAIT_MS);
    ASSERT_NE(Window, nullptr);

    struct TCase {
        WPARAM FKeyIndex;
        WPARAM FProfile;
    };
    for (const TCase Case : {TCase{PROFILE_0_SELECTED, 0}, TCase{PROFILE_1_SELECTED, 1}}) {
        SCOPED_TRACE(Case.FKeyIndex);
        ASSERT_TRUE(WriteProfileId(7));
        ASSERT_TRUE(PostMessageW(Window, WM_BUTTON_EVENT, Case.FKeyIndex, 0));
        const auto* Switch = FConfigApp.WaitFor(WM_PROFILE_SWITCH, WAIT_MS);
        ASSERT_NE(Switch, nullptr) << "no WM_PROFILE_SWITCH";
        EXPECT_EQ(Switch->FWParam, Case.FProfile);
        EXPECT_EQ(Switch->FLParam, 0);
        EXPECT_EQ(ReadProfileId(), std::optional<DWORD>(static_cast<DWORD>(Case.FProfile)));
        FConfigApp.Forget();
    }
}

TEST_F(MonitorProcessTest, AProfileChangeOfTheConfigAppStoresItsProfileId) {
    TMonitorProcess Monitor(FExecutable);
    const HWND Window = Monitor.WaitForWindow(WAIT_MS);
    ASSERT_NE(Window, nullptr);
    ASSERT_TRUE(WriteProfileId(7));

    DWORD_PTR Result = 0;
    ASSERT_NE(SendMessageTimeoutW(Window, WM_CFG_PROFILE_CHANGED, 0, 1, SMTO_ABORTIFHUNG, WAIT_MS,
                                  &Result),
              0);
    EXPECT_EQ(ReadProfileId(), std::optional<DWORD>(1));
    // Still running and answering.
    EXPECT_FALSE(Monitor.WaitForExit(0));
    EXPECT_NE(SendMessageTimeoutW(Window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, WAIT_MS, &Result), 0);
}

TEST_F(MonitorProcessTest, TheExecutableCarriesItsIconVersionAndManifest) {
    HMODULE Image = LoadLibraryExW(FExecutable.c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(Image, nullptr);
    EXPECT_NE(FindResourceW(Image, MAKEINTRESOURCEW(1), RT_GROUP_ICON), nullptr);
    const HICON Small =
        static_cast<HICON>(LoadImageW(Image, MAKEINTRESOURCEW(1), IMAGE_ICON, 16, 16, 0));
    EXPECT_NE(Small, nullptr);
    DestroyIcon(Small);

    const HRSRC Manifest = FindResourceW(Image, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(Manifest, nullptr);
    const auto* Text = static_cast<const char*>(LockResource(LoadResource(Image, Manifest)));
    const std::string Xml(Text, SizeofResource(Image, Manifest));
    EXPECT_NE(Xml.find("PerMonitorV2"), std::string::npos);
    EXPECT_NE(Xml.find("true/pm"), std::string::npos);
    EXPECT_NE(Xml.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    FreeLibrary(Image);

    DWORD Ignored = 0;
    std::string Block(GetFileVersionInfoSizeW(FExecutable.c_str(), &Ignored), '\0');
    ASSERT_FALSE(Block.empty());
    ASSERT_TRUE(GetFileVersionInfoW(FExecutable.c_str(), 0, static_cast<DWORD>(Block.size()),
                                    Block.data()));
    VS_FIXEDFILEINFO* Fixed = nullptr;
    UINT Size = 0;
    ASSERT_TRUE(VerQueryValueW(Block.data(), L"\\", reinterpret_cast<void**>(&Fixed), &Size));
    EXPECT_EQ(Fixed->dwFileVersionMS,
              static_cast<DWORD>(MAKELONG(VANTO_VERSION_MINOR, VANTO_VERSION_MAJOR)));
    EXPECT_EQ(Fixed->dwProductVersionLS, static_cast<DWORD>(MAKELONG(0, VANTO_VERSION_PATCH)));
    wchar_t* FileVersion = nullptr;
    ASSERT_TRUE(VerQueryValueW(Block.data(), L"\\StringFileInfo\\040904B0\\FileVersion",
                               reinterpret_cast<void**>(&FileVersion), &Size));
    const std::string Expected = VANTO_VERSION_TEXT;
    EXPECT_EQ(std::wstring(FileVersion), std::wstring(Expected.begin(), Expected.end()));
}

// Not a limit of the design but a guard against a monitor that grows out of all proportion;
// the figure is reported with the test's properties.
TEST_F(MonitorProcessTest, TheWorkingSetAfterStartUpStaysSmall) {
    TMonitorProcess Monitor(FExecutable);
    ASSERT_NE(Monitor.WaitForWindow(WAIT_MS), nullptr);
    // Past the first device opening, about three seconds after start-up.
    PumpUntil([] { return false; }, 4000);
    PROCESS_MEMORY_COUNTERS Counters{};
    ASSERT_TRUE(GetProcessMemoryInfo(Monitor.Process(), &Counters, sizeof(Counters)));
    RecordProperty("WorkingSetKiB", std::to_string(Counters.WorkingSetSize / 1024));
    RecordProperty("PeakWorkingSetKiB", std::to_string(Counters.PeakWorkingSetSize / 1024));
    std::printf("VantoMon.exe working set %zu KiB (peak %zu KiB)\n",
                static_cast<std::size_t>(Counters.WorkingSetSize / 1024),
                static_cast<std::size_t>(Counters.PeakWorkingSetSize / 1024));
    EXPECT_GT(Counters.WorkingSetSize, 0u);
    EXPECT_LT(Counters.WorkingSetSize, WORKING_SET_LIMIT);
}

} // namespace
} // namespace vanto::monitortest
