// An on-the-fly recording made with the user's own mouse: the record button's event reaches a
// real VantoMon.exe, real X clicks over its overlay pass through the hook library into the
// recording, and the stop stores the macro where the configuration application reads it.

#include "MonitorProcess.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace vanto::monitortest {
namespace {

constexpr DWORD WAIT_MS = 20000;
constexpr UINT WM_MACRO_RECORDED = 7038;
constexpr UINT WM_BUTTON_EVENT = 7524;
// The factory profile's record button.
constexpr WPARAM RECORD_KEY = 7;
constexpr wchar_t REGISTRY_KEY[] = L"software\\VantoGamingMouse";
constexpr wchar_t RECORD_MACRO_VALUE[] = L"RecordRPROFILE.pfd";
constexpr std::size_t MACRO_RECORD_SIZE = 892;
constexpr std::size_t STEP_SIZE = 6;
constexpr std::size_t COUNT_OFFSET = 128 * STEP_SIZE;

struct TStep {
    std::uint16_t FType;
    std::uint16_t FState;
    std::uint8_t FValue1;
    std::uint8_t FValue2;
};

std::optional<std::vector<TStep>> ReadRecordedMacro() {
    std::vector<std::uint8_t> Bytes(MACRO_RECORD_SIZE);
    DWORD Size = static_cast<DWORD>(Bytes.size());
    if (RegGetValueW(HKEY_CURRENT_USER, REGISTRY_KEY, RECORD_MACRO_VALUE, RRF_RT_REG_BINARY,
                     nullptr, Bytes.data(), &Size) != ERROR_SUCCESS ||
        Size != MACRO_RECORD_SIZE) {
        return std::nullopt;
    }
    std::int32_t Count = 0;
    std::memcpy(&Count, Bytes.data() + COUNT_OFFSET, sizeof Count);
    std::vector<TStep> Steps;
    for (std::int32_t Index = 0; Index < Count && Index < 128; ++Index) {
        const std::uint8_t* At = Bytes.data() + Index * STEP_SIZE;
        TStep Step{};
        std::memcpy(&Step.FType, At, 2);
        std::memcpy(&Step.FState, At + 2, 2);
        Step.FValue1 = At[4];
        Step.FValue2 = At[5];
        Steps.push_back(Step);
    }
    return Steps;
}

class MonitorRecordingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const TMonitorCopy Copy = CopyMonitorToFolder(VANTO_MONITOR_EXE, L"VantoMonRecord");
        FFolder = Copy.FFolder;
        FExecutable = Copy.FExecutable;
    }

    static void TearDownTestSuite() {
        DeleteFileW(FExecutable.c_str());
        DeleteFileW(HookLibraryBeside(FExecutable).c_str());
        RemoveDirectoryW(FFolder.c_str());
    }

    void SetUp() override {
        ASSERT_NE(GetFileAttributesW(HookLibraryBeside(FExecutable).c_str()),
                  INVALID_FILE_ATTRIBUTES)
            << "uiHook.dll was not built beside VantoMon.exe";
        ASSERT_NE(GetFileAttributesW(XDOTOOL), INVALID_FILE_ATTRIBUTES)
            << "xdotool is not installed (scripts/setup-deps installs it)";
        ASSERT_TRUE(MonitorWindows().empty()) << "a monitor is already running";
        RegDeleteKeyValueW(HKEY_CURRENT_USER, REGISTRY_KEY, RECORD_MACRO_VALUE);
    }

    TConfigAppStandIn FConfigApp;
    static std::wstring FFolder;
    static std::wstring FExecutable;
};

std::wstring MonitorRecordingTest::FFolder;
std::wstring MonitorRecordingTest::FExecutable;

TEST_F(MonitorRecordingTest, TwoClicksOverTheOverlayBecomeTheRecordedMacro) {
    TMonitorProcess Monitor(FExecutable);
    const HWND Window = Monitor.WaitForWindow(WAIT_MS);
    ASSERT_NE(Window, nullptr);

    ASSERT_TRUE(PostMessageW(Window, WM_BUTTON_EVENT, RECORD_KEY, 0));
    HWND Overlay = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (Overlay = VisibleOverlay()) != nullptr; }, WAIT_MS))
        << "the recording overlay did not appear";
    RECT Bounds{};
    ASSERT_TRUE(GetWindowRect(Overlay, &Bounds));
    EXPECT_EQ(Bounds.right - Bounds.left, 372);
    EXPECT_EQ(Bounds.bottom - Bounds.top, 100);
    EXPECT_EQ(Bounds.top, GetSystemMetrics(SM_CYSCREEN) - 100 - 50);
    EXPECT_NE(GetWindowLongW(Overlay, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

    wchar_t Shot[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"VANTO_OVERLAY_SCREENSHOT", Shot, MAX_PATH) != 0) {
        RunHostProgram(L"Z:\\usr\\bin\\import", L"-window root " + std::wstring(Shot));
        PumpUntil([] { return false; }, 1500);
    }

    // Over the frame, left of the list: X delivers the clicks to a window of Wine's, whose hooks
    // see them as the user's own.
    const int X = Bounds.left + 60;
    const int Y = Bounds.top + 70;
    ASSERT_TRUE(RunHostProgram(XDOTOOL, L"mousemove " + std::to_wstring(X) + L" " +
                                            std::to_wstring(Y) +
                                            L" sleep 0.3 click 1 sleep 0.4 click 1"));
    PumpUntil([] { return false; }, 3000);

    ASSERT_TRUE(PostMessageW(Window, WM_BUTTON_EVENT, RECORD_KEY, 0));
    const auto* Recorded = FConfigApp.WaitFor(WM_MACRO_RECORDED, WAIT_MS);
    ASSERT_NE(Recorded, nullptr) << "no WM_MACRO_RECORDED: nothing was recorded";
    EXPECT_EQ(VisibleOverlay(), nullptr);

    const auto Steps = ReadRecordedMacro();
    ASSERT_TRUE(Steps.has_value()) << "RecordRPROFILE.pfd is missing or of the wrong size";
    std::vector<TStep> Buttons;
    std::uint32_t PauseMs = 0;
    for (const TStep& Step : *Steps) {
        if (Step.FType == 1) {
            Buttons.push_back(Step);
        } else if (Step.FType == 6 && Buttons.size() == 2) {
            PauseMs = Step.FValue1 + 256u * Step.FValue2;
        }
    }
    ASSERT_EQ(Buttons.size(), 4u) << "two left clicks: press, release, press, release";
    for (std::size_t Index = 0; Index < Buttons.size(); ++Index) {
        EXPECT_EQ(Buttons[Index].FState, Index % 2 == 0 ? 1 : 0);
        EXPECT_EQ(Buttons[Index].FValue1, 0x01);
        EXPECT_EQ(Buttons[Index].FValue2, 1);
    }
    // xdotool sleeps 400 ms between the clicks; Wine and X add a little.
    EXPECT_GE(PauseMs, 300u);
    EXPECT_LE(PauseMs, 2000u);
}

} // namespace
} // namespace vanto::monitortest
