// The monitor's main form in this process, on the Win32 services, with the virtual mouse: the
// HID class and the microphone are watched from inside, where a monitor process would hide them.
// Wine's endpoint volume keeps its mute per object, so only the object the monitor holds tells.

#include "MonitorProcess.h"
#include "ObservedAudio.h"
#include "ObservedMonitorServices.h"
#include "VirtualMouse.h"
#include "app/VantoMonExMain.h"
#include "i18n/Translate.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <objbase.h>

#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace vanto {
namespace {

constexpr DWORD WAIT_MS = 10000;
constexpr std::uint16_t MUTE_FUNCTION = 28;
constexpr unsigned MUTE_KEY = 10;

// The HID class it is given, noting every interface that a read is made on. Opening is not
// reading: the search opens every interface to learn its collection.
class TWatchedHid final : public platform::IHid {
public:
    explicit TWatchedHid(platform::IHid& AReal) : FReal(AReal) {}

    std::optional<std::vector<platform::THidInterfaceInfo>> PresentInterfaces() override {
        return FReal.PresentInterfaces();
    }
    std::unique_ptr<platform::IHidDevice> Open(const std::u16string& APath,
                                               bool AForReading) override {
        auto Device = FReal.Open(APath, AForReading);
        return Device ? std::make_unique<TDevice>(std::move(Device), APath, *this) : nullptr;
    }
    std::unique_ptr<platform::IHidStopSignal> CreateStopSignal() override {
        return FReal.CreateStopSignal();
    }
    std::set<std::u16string> ReadPaths() {
        std::lock_guard Guard(FLock);
        return FReadPaths;
    }

private:
    class TDevice final : public platform::IHidDevice {
    public:
        TDevice(std::unique_ptr<platform::IHidDevice> AReal, std::u16string APath,
                TWatchedHid& AOwner)
            : FReal(std::move(AReal)), FPath(std::move(APath)), FOwner(AOwner) {}
        bool GetAttributes() override { return FReal->GetAttributes(); }
        std::optional<platform::THidCaps> GetCaps() override { return FReal->GetCaps(); }
        platform::THidReadResult Read(std::uint8_t* ABuffer, std::uint32_t ALength,
                                      platform::IHidStopSignal& AStop) override {
            {
                std::lock_guard Guard(FOwner.FLock);
                FOwner.FReadPaths.insert(FPath);
            }
            return FReal->Read(ABuffer, ALength, AStop);
        }
        std::uint32_t SetFeature(const std::uint8_t* AReport, std::uint32_t ALength) override {
            return FReal->SetFeature(AReport, ALength);
        }
        std::uint32_t GetFeature(std::uint8_t* AReport, std::uint32_t ALength) override {
            return FReal->GetFeature(AReport, ALength);
        }
        std::uint32_t Write(const std::uint8_t* AReport, std::uint32_t ALength) override {
            return FReal->Write(AReport, ALength);
        }
        std::uint32_t MaxUsageListLength() override { return FReal->MaxUsageListLength(); }
        std::optional<std::vector<std::uint16_t>> UsagesOn(const std::uint8_t* AReport,
                                                           std::uint32_t ALength) override {
            return FReal->UsagesOn(AReport, ALength);
        }

    private:
        std::unique_ptr<platform::IHidDevice> FReal;
        std::u16string FPath;
        TWatchedHid& FOwner;
    };

    platform::IHid& FReal;
    std::mutex FLock;
    std::set<std::u16string> FReadPaths;
};

class MonitorMouseTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(FindWindowW(L"TVantoMonExMain", nullptr), nullptr)
            << "a monitor is already running";
        std::wstring Error;
        ASSERT_TRUE(FMouse.PlugInFresh(WAIT_MS, Error)) << std::string(Error.begin(), Error.end());
        FDM = std::make_unique<TDM>(FServices.FRegistry, FServices.FFiles, FServices.FShell,
                                    FServices.FIni, FServices.FLocale, FServices.FClock);
        FDM->DataModuleCreate();
    }
    void TearDown() override {
        FMain.reset();
        if (FDM) {
            FDM->DataModuleDestroy();
        }
    }

    void StartMonitor() {
        FMain = std::make_unique<TVantoMonExMain>(FPlatform, *FDM);
        FMain->FormCreate();
    }

    bool PumpUntil(const std::function<bool()>& ADone, DWORD AWaitMs = WAIT_MS) {
        const ULONGLONG Deadline = GetTickCount64() + AWaitMs;
        while (!ADone()) {
            if (GetTickCount64() >= Deadline) {
                return false;
            }
            FServices.FWindows.ProcessPendingMessages();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        return true;
    }

    vmouse::TVirtualMouse FMouse;
    win32::TWin32Platform FServices;
    TWatchedHid FHid{FServices.FHid};
    TObservedTrayIcon FTray{FServices.FTray};
    win32::TObservedAudio FAudio{FServices.FAudio};
    TQuietMessageBox FMessageBox;
    platform::TPlatform FPlatform = FServices.Platform(
        {.FHid = &FHid, .FTray = &FTray, .FAudio = &FAudio, .FMessageBox = &FMessageBox});
    std::unique_ptr<TDM> FDM;
    std::unique_ptr<TVantoMonExMain> FMain;
};

// Of the mouse's two interfaces and Wine's own devices, only the vendor collection is read; a
// button the profile gives the mute function toggles the microphone, press by press.
TEST_F(MonitorMouseTest, OnlyTheVendorCollectionIsReadAndTheMuteButtonTogglesTheMicrophone) {
    FDM->EditCurrentProfileInfo().ConfigInfo.ButtonFuncInfo[MUTE_KEY].nFunctionType = MUTE_FUNCTION;
    StartMonitor();
    ASSERT_NE(FAudio.FLastVolume, nullptr)
        << "no capture endpoint: Wine needs PulseAudio's null source (scripts/wine-session)";
    ASSERT_TRUE(PumpUntil([&] { return !FHid.ReadPaths().empty(); })) << "the monitor read nothing";
    PumpUntil([] { return false; }, 300);
    const std::wstring Vendor = vmouse::InterfacePath(VMOUSE_VENDOR);
    const std::set<std::u16string> VendorOnly = {{Vendor.begin(), Vendor.end()}};
    EXPECT_EQ(FHid.ReadPaths(), VendorOnly);

    platform::IAudioEndpointVolume& Volume = *FAudio.FLastVolume;
    const std::optional<bool> Before = Volume.GetMute();
    ASSERT_TRUE(Before.has_value());
    ASSERT_TRUE(FMouse.PressButton(MUTE_KEY));
    EXPECT_TRUE(PumpUntil([&] { return Volume.GetMute() == !*Before; }));
    ASSERT_TRUE(FMouse.PressButton(MUTE_KEY));
    EXPECT_TRUE(PumpUntil([&] { return Volume.GetMute() == *Before; }));
}

// With VANTO_TRAY_SCREENSHOTS=DIR, the screen with the pointer over Wine's tray, so that the
// hint shows too, goes to DIR/tray-NAME.png.
void TakeTrayScreenshot(const std::wstring& AName) {
    wchar_t Folder[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"VANTO_TRAY_SCREENSHOTS", Folder, MAX_PATH) == 0) {
        return;
    }
    if (HWND Tray = FindWindowW(nullptr, L"Wine System Tray")) {
        RECT Bounds{};
        GetWindowRect(Tray, &Bounds);
        monitortest::RunHostProgram(monitortest::XDOTOOL,
                                    L"mousemove " + std::to_wstring(Bounds.left + 10) + L" " +
                                        std::to_wstring(Bounds.top + 10));
    }
    monitortest::PumpUntil([] { return false; }, 2000);
    monitortest::RunHostProgram(L"Z:\\usr\\bin\\import", L"-window root " + std::wstring(Folder) +
                                                             L"/tray-" + AName + L".png");
    monitortest::PumpUntil([] { return false; }, 1500);
}

// Wine tells nobody of a mute, so what shows is the state at start and after each press.
TEST_F(MonitorMouseTest, TheTrayIconShowsTheMicrophoneAtStartAndAfterEachPress) {
    using platform::TTrayIconVariant;
    FDM->EditCurrentProfileInfo().ConfigInfo.ButtonFuncInfo[MUTE_KEY].nFunctionType = MUTE_FUNCTION;
    StartMonitor();
    ASSERT_NE(FAudio.FLastVolume, nullptr) << "no capture endpoint";
    ASSERT_TRUE(PumpUntil([&] { return !FHid.ReadPaths().empty(); })) << "the monitor read nothing";
    PumpUntil([] { return false; }, 300);
    platform::IAudioEndpointVolume& Volume = *FAudio.FLastVolume;
    const auto Shows = [&](bool AMuted) {
        const std::u16string Line = Translate(AMuted ? u"Microphone muted" : u"Microphone on");
        return FTray.FVariant == (AMuted ? TTrayIconVariant::MicrophoneMuted
                                         : TTrayIconVariant::MicrophoneLive) &&
               FTray.FHint == FMain->TrayHint() + u"\n" + Line;
    };
    for (int Press = 0; Press < 3; ++Press) {
        const std::optional<bool> Muted = Volume.GetMute();
        ASSERT_TRUE(Muted.has_value());
        EXPECT_TRUE(Shows(*Muted)) << "press " << Press;
        TakeTrayScreenshot(*Muted ? L"muted" : L"live");
        ASSERT_TRUE(FMouse.PressButton(MUTE_KEY));
        ASSERT_TRUE(PumpUntil([&] { return Volume.GetMute() == !*Muted; }));
        EXPECT_TRUE(PumpUntil([&] { return Shows(!*Muted); })) << "press " << Press;
    }

    // A session without a microphone: the same start shows the missing one.
    FMain.reset();
    FAudio.FNoMicrophone = true;
    StartMonitor();
    EXPECT_EQ(FTray.FVariant, TTrayIconVariant::NoMicrophone);
    EXPECT_EQ(FTray.FHint, FMain->TrayHint() + u"\n" + Translate(u"No microphone found"));
    TakeTrayScreenshot(L"no-microphone");
}

} // namespace
} // namespace vanto
