// The monitor's language on Windows: the real main form in this process, on the Win32 services,
// reading the stored choice from the registry and told of changes by window messages. Only the
// tray icon is watched: it records the hint and the menu it is given and passes the hint on to
// the real notification area, but opens no menu, since a tracked menu would wait for a user.

#include "ObservedMonitorServices.h"
#include "app/VantoMonExMain.h"
#include "i18n/Translate.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "shared/ConfigAppInterface.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vanto {
namespace {

using testing::ElementsAre;

constexpr wchar_t REGISTRY_KEY[] = L"software\\VantoGamingMouse";
constexpr wchar_t ALL_SETTINGS_VALUE[] = L"VantoProfile.pfd";
constexpr std::size_t CURRENT_LANGUAGE_OFFSET = 30952;
constexpr std::uint8_t CHINESE = 0;
constexpr std::uint8_t ENGLISH = 1;

std::optional<std::vector<std::uint8_t>> ReadAllSettings() {
    DWORD Size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, REGISTRY_KEY, ALL_SETTINGS_VALUE, RRF_RT_REG_BINARY,
                     nullptr, nullptr, &Size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> Bytes(Size);
    if (RegGetValueW(HKEY_CURRENT_USER, REGISTRY_KEY, ALL_SETTINGS_VALUE, RRF_RT_REG_BINARY,
                     nullptr, Bytes.data(), &Size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return Bytes;
}

bool WriteAllSettings(const std::vector<std::uint8_t>& ABytes) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, REGISTRY_KEY, ALL_SETTINGS_VALUE, REG_BINARY,
                           ABytes.data(), static_cast<DWORD>(ABytes.size())) == ERROR_SUCCESS;
}

std::vector<std::u16string> Captions(const std::vector<platform::TMenuItem>& AItems) {
    std::vector<std::u16string> Result;
    for (const platform::TMenuItem& Item : AItems) {
        Result.push_back(Item.FCaption);
    }
    return Result;
}

class MonitorLanguageTest : public testing::Test {
protected:
    // The profiles as the monitor finds them at log-on; the stored language is changed where
    // the configuration application changes it, in the registry.
    void SetUp() override {
        ASSERT_EQ(FindWindowW(L"TVantoMonExMain", nullptr), nullptr)
            << "a monitor is already running";
        FDM = std::make_unique<TDM>(FServices.FRegistry, FServices.FFiles, FServices.FShell,
                                    FServices.FIni, FServices.FLocale, FServices.FClock);
        FDM->DataModuleCreate();
        FSaved = ReadAllSettings();
        ASSERT_TRUE(FSaved.has_value());
        ASSERT_GT(FSaved->size(), CURRENT_LANGUAGE_OFFSET);
    }
    void TearDown() override {
        FMain.reset();
        if (FSaved) {
            WriteAllSettings(*FSaved);
        }
        if (FDM) {
            FDM->DataModuleDestroy();
        }
    }

    void StoreLanguage(std::uint8_t ALanguage) {
        std::vector<std::uint8_t> Bytes = *FSaved;
        Bytes[CURRENT_LANGUAGE_OFFSET] = ALanguage;
        ASSERT_TRUE(WriteAllSettings(Bytes));
    }
    // Started as at log-on: the stored settings are read, then the main form is created.
    void StartMonitor() {
        FDM->LoadAllProfileInfoFromRegistry();
        FMain = std::make_unique<TVantoMonExMain>(FPlatform, *FDM);
        FMain->FormCreate();
    }
    HWND MonitorWindow() const { return reinterpret_cast<HWND>(FMain->Handle()); }
    // A right click on the icon, as the notification area reports it.
    std::vector<std::u16string> MenuCaptions() {
        FTray.FMenu.clear();
        SendMessageW(MonitorWindow(), WM_TRAY_ICON, 0, platform::TRAY_RIGHT_BUTTON_UP);
        return Captions(FTray.FMenu);
    }

    win32::TWin32Platform FServices;
    TObservedTrayIcon FTray{FServices.FTray};
    TQuietMessageBox FMessageBox;
    platform::TPlatform FPlatform =
        FServices.Platform({.FTray = &FTray, .FMessageBox = &FMessageBox});
    std::unique_ptr<TDM> FDM;
    std::optional<std::vector<std::uint8_t>> FSaved;
    std::unique_ptr<TVantoMonExMain> FMain;
};

TEST_F(MonitorLanguageTest, LanguageZeroShowsTheChineseHintAndMenu) {
    StoreLanguage(CHINESE);
    StartMonitor();
    EXPECT_EQ(FTray.FHint, u"游戏鼠标驱动");
    EXPECT_THAT(MenuCaptions(), ElementsAre(u"打开配置", u"关于软件", u"退出软件"));
}

TEST_F(MonitorLanguageTest, LanguageOneShowsTheEnglishHintAndMenu) {
    StoreLanguage(ENGLISH);
    StartMonitor();
    EXPECT_EQ(FTray.FHint, u"Gaming Mouse Driver");
    EXPECT_THAT(MenuCaptions(), ElementsAre(u"Config", u"About", u"Exit"));
}

TEST_F(MonitorLanguageTest, SettingsChangedSwitchesTheLanguageBothWays) {
    StoreLanguage(CHINESE);
    StartMonitor();
    StoreLanguage(ENGLISH);
    // Nothing changes until the configuration application says so.
    EXPECT_THAT(MenuCaptions(), ElementsAre(u"打开配置", u"关于软件", u"退出软件"));
    SendMessageW(MonitorWindow(), WM_CFG_SETTINGS_CHANGED, 0, 0);
    EXPECT_EQ(FTray.FHint, u"Gaming Mouse Driver");
    EXPECT_THAT(MenuCaptions(), ElementsAre(u"Config", u"About", u"Exit"));

    StoreLanguage(CHINESE);
    // Posted, as another program may: it takes effect from the message loop.
    PostMessageW(MonitorWindow(), WM_CFG_SETTINGS_CHANGED, 0, 0);
    FServices.FWindows.ProcessPendingMessages();
    EXPECT_EQ(FTray.FHint, u"游戏鼠标驱动");
    EXPECT_THAT(MenuCaptions(), ElementsAre(u"打开配置", u"关于软件", u"退出软件"));
}

// Shown in Chinese; with VANTO_ABOUT_SCREENSHOT set to a host path, the screen is captured
// while it shows (ImageMagick's import, started as a host program), to judge the glyphs.
TEST_F(MonitorLanguageTest, TheAboutWindowShowsInTheStoredLanguage) {
    StoreLanguage(CHINESE);
    StartMonitor();
    SendMessageW(MonitorWindow(), WM_COMMAND, ABOUT_COMMAND, 0);
    FServices.FWindows.ProcessPendingMessages();
    EXPECT_TRUE(FMain->AboutVisible());
    EXPECT_EQ(Translate(u"Hardware & Software Information:"), u"硬件与软件信息：");

    wchar_t Shot[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"VANTO_ABOUT_SCREENSHOT", Shot, MAX_PATH) != 0) {
        std::wstring CommandLine = L"Z:\\usr\\bin\\import -window root " + std::wstring(Shot);
        STARTUPINFOW Startup{};
        Startup.cb = sizeof Startup;
        PROCESS_INFORMATION Process{};
        if (CreateProcessW(nullptr, CommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           nullptr, &Startup, &Process)) {
            CloseHandle(Process.hThread);
            CloseHandle(Process.hProcess);
        }
        // A host program's handle cannot be waited on under Wine; the window stays meanwhile.
        const ULONGLONG Until = GetTickCount64() + 3000;
        while (GetTickCount64() < Until) {
            FServices.FWindows.ProcessPendingMessages();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
    SendMessageW(MonitorWindow(), WM_COMMAND, ABOUT_OK_COMMAND, 0);
    EXPECT_FALSE(FMain->AboutVisible());
}

TEST_F(MonitorLanguageTest, TheSystemsLocalesGiveNativeLanguageNames) {
    StartMonitor();
    EXPECT_EQ(FMain->uiLanguage1.GetLanguageLongNameByLangID(u"0409"), u"English");
    EXPECT_FALSE(FMain->uiLanguage1.GetLanguageLongNameByLangID(u"0804").empty());
    EXPECT_EQ(FMain->uiLanguage1.GetOSDefaultLang().size(), 4u);
    EXPECT_EQ(FServices.FLocale.UserDefaultAbbreviatedLanguageName().size(), 3u);
}

} // namespace
} // namespace vanto
