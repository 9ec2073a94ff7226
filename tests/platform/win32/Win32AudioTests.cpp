#include "platform/win32/Win32Audio.h"

#include "ObservedAudio.h"

#include "audio/MicrophoneMute.h"
#include "platform/win32/Win32MessageBox.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <objbase.h>

#include <array>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace vanto::win32 {
namespace {

using testing::IsEmpty;

constexpr char NO_ENDPOINT_SKIP[] =
    "no default capture endpoint: Wine needs a running PulseAudio server with a source "
    "(e.g. module-null-source) for this test";

// Remembers instead of showing, so a failing test cannot hang on a modal box.
class TRecordingMessageBox final : public platform::IMessageBox {
public:
    void Show(const std::u16string& AText) override { FShown.push_back(AText); }
    void ShowError(const std::u16string& AText, const std::u16string&) override {
        FShown.push_back(AText);
    }
    std::vector<std::u16string> FShown;
};

class TCountingCallback final : public platform::IAudioEndpointVolumeCallback {
public:
    void OnNotify() override { ++FCount; }
    std::atomic<int> FCount{0};
};

// Running under Wine, whose endpoint volume (Wine 8) keeps its state per object and tells no
// listeners.
bool RunningUnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

class Win32AudioTest : public testing::Test {
protected:
    void SetUp() override {
        // The monitor's entry point does this for the main thread; here the test is the entry.
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override { CoUninitialize(); }

    bool HasCaptureEndpoint() {
        auto Enumerator = FAudio.CreateDeviceEnumerator();
        return Enumerator && Enumerator->DefaultAudioEndpoint(platform::TAudioDataFlow::Capture,
                                                              platform::TAudioRole::Multimedia);
    }

    TWin32Audio FAudio;
    TRecordingMessageBox FMessages;
};

TEST_F(Win32AudioTest, TheVersionIsTheRealOneNotTheCompatibilityOne) {
    const platform::TSystemVersion Version = FAudio.SystemVersion();
    EXPECT_TRUE(Version.FNtFamily);
    EXPECT_GE(Version.FMajorVersion, 6u);
    OSVERSIONINFOW Reported{};
    Reported.dwOSVersionInfoSize = sizeof(Reported);
    ASSERT_TRUE(GetVersionExW(&Reported));
    EXPECT_GE(Version.FMajorVersion, Reported.dwMajorVersion);
}

TEST_F(Win32AudioTest, WithoutCaptureEndpointAPressDoesNothing) {
    if (HasCaptureEndpoint()) {
        GTEST_SKIP() << "a default capture endpoint is present (PulseAudio runs)";
    }
    TAudioControl Control(FAudio, FMessages);
    Control.InitAudioEndpoint();
    EXPECT_FALSE(Control.HasEndpoint());
    Control.MicrophoneMute();
    Control.MicrophoneMute();
    EXPECT_FALSE(Control.HasEndpoint());
    EXPECT_THAT(FMessages.FShown, IsEmpty());
}

TEST_F(Win32AudioTest, TwoPressesToggleTheEndpointAndRestoreIt) {
    if (!HasCaptureEndpoint()) {
        GTEST_SKIP() << NO_ENDPOINT_SKIP;
    }
    TObservedAudio Audio(FAudio);
    TAudioControl Control(Audio, FMessages);
    Control.InitAudioEndpoint();
    ASSERT_TRUE(Control.HasEndpoint());
    platform::IAudioEndpointVolume& Volume = *Audio.FLastVolume;
    const std::optional<bool> Before = Volume.GetMute();
    ASSERT_TRUE(Before);
    Control.MicrophoneMute();
    EXPECT_EQ(Volume.GetMute(), !*Before);
    Control.MicrophoneMute();
    EXPECT_EQ(Volume.GetMute(), *Before);
    EXPECT_THAT(FMessages.FShown, IsEmpty());
}

TEST_F(Win32AudioTest, TheListenerIsHeldWhileRegisteredAndToldOfChanges) {
    auto Enumerator = FAudio.CreateDeviceEnumerator();
    ASSERT_TRUE(Enumerator);
    auto Device = Enumerator->DefaultAudioEndpoint(platform::TAudioDataFlow::Capture,
                                                   platform::TAudioRole::Multimedia);
    if (!Device) {
        GTEST_SKIP() << NO_ENDPOINT_SKIP;
    }
    auto Volume = Device->ActivateEndpointVolume();
    ASSERT_TRUE(Volume);
    const auto Listener = std::make_shared<TCountingCallback>();
    ASSERT_TRUE(Volume->RegisterControlChangeNotify(Listener));
    EXPECT_GT(Listener.use_count(), 1);
    const std::optional<bool> Before = Volume->GetMute();
    ASSERT_TRUE(Before);
    ASSERT_TRUE(Volume->SetMute(!*Before));
    ASSERT_TRUE(Volume->SetMute(*Before));
    // The service tells its listeners on a thread of its own.
    const bool Notifies = !RunningUnderWine();
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (Notifies && Listener->FCount.load() < 2 && std::chrono::steady_clock::now() < Deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Volume.reset();
    EXPECT_EQ(Listener.use_count(), 1);
    if (!Notifies) {
        GTEST_SKIP() << "Wine's endpoint volume tells no listeners; notification not checked";
    }
    EXPECT_GE(Listener->FCount.load(), 2);
}

// Wine's mixers have no microphone line, so the round trip goes through the speakers' mute.
TEST_F(Win32AudioTest, AMixerMuteControlReadsBackWhatWasWritten) {
    constexpr std::uint32_t SPEAKERS_LINE_TYPE = 0x0004;
    if (FAudio.MixerDeviceCount() == 0) {
        EXPECT_FALSE(FAudio.OpenMixer(0));
        GTEST_SKIP() << "no mixer device: Wine's mixer needs a running PulseAudio server";
    }
    auto Mixer = FAudio.OpenMixer(0);
    ASSERT_TRUE(Mixer);
    const std::optional<std::uint32_t> Line = Mixer->LineIdByComponentType(SPEAKERS_LINE_TYPE);
    ASSERT_TRUE(Line);
    const std::optional<std::uint32_t> Mute =
        Mixer->ControlIdByType(*Line, platform::MIXER_MUTE_CONTROL_TYPE);
    ASSERT_TRUE(Mute);
    const std::optional<bool> Before = Mixer->GetBooleanValue(*Mute);
    ASSERT_TRUE(Before);
    ASSERT_TRUE(Mixer->SetBooleanValue(*Mute, !*Before));
    EXPECT_EQ(Mixer->GetBooleanValue(*Mute), !*Before);
    ASSERT_TRUE(Mixer->SetBooleanValue(*Mute, *Before));
    EXPECT_EQ(Mixer->GetBooleanValue(*Mute), *Before);
    EXPECT_FALSE(Mixer->ControlIdByType(0xDEADBEEF, platform::MIXER_MUTE_CONTROL_TYPE));
}

// The first dialog box among the windows of that thread; null when there is none yet.
HWND FindDialogOf(DWORD AThreadId) {
    HWND Found = nullptr;
    EnumThreadWindows(
        AThreadId,
        [](HWND AWindow, LPARAM AFound) -> BOOL {
            std::array<wchar_t, 16> Class{};
            GetClassNameW(AWindow, Class.data(), Class.size());
            if (std::wstring(Class.data()) != L"#32770") {
                return TRUE;
            }
            *reinterpret_cast<HWND*>(AFound) = AWindow;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&Found));
    return Found;
}

std::wstring WindowText(HWND AWindow) {
    std::array<wchar_t, 256> Text{};
    GetWindowTextW(AWindow, Text.data(), Text.size());
    return Text.data();
}

TEST(Win32MessageBoxTest, ShowsTheTextUnderTheProgramNameAndReturnsOnceDismissed) {
    const DWORD MainThread = GetCurrentThreadId();
    bool Shown = false;
    std::wstring Caption;
    std::wstring Text;
    std::thread User([&] {
        const ULONGLONG Deadline = GetTickCount64() + 10000;
        while (GetTickCount64() < Deadline) {
            if (HWND Box = FindDialogOf(MainThread)) {
                Caption = WindowText(Box);
                Text = WindowText(GetDlgItem(Box, 0xFFFF));
                Shown = true;
                PostMessageW(Box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(20);
        }
    });
    TWin32MessageBox().Show(u"SetControlDetails Error");
    User.join();
    ASSERT_TRUE(Shown) << "no message box appeared (is there a display?)";
    EXPECT_EQ(Caption, L"vanto_win32_tests");
    EXPECT_EQ(Text, L"SetControlDetails Error");
}

} // namespace
} // namespace vanto::win32
