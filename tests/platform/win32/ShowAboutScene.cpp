// Shows the About window for a few seconds, so that its look can be judged on a real screen.
//
//   show_about_scene [zh] [SECONDS]
//
// "zh" shows the Chinese texts. A click on OK hides the window and ends the program early.

#include "app/AboutScene.h"
#include "platform/win32/Win32SceneWindows.h"
#include "platform/win32/Win32WindowSystem.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

using namespace vanto;

constexpr platform::TMessageId CLICK_MESSAGE = WM_USER + 1;
constexpr std::uintptr_t CLOSE_TIMER = 1;

TAboutTexts ChineseTexts() {
    return {u"硬件和软件信息:", u"硬件版本：1.00.00", u"软件版本：1.00.00", u"确定"};
}

} // namespace

int main(int AArgc, char** AArgv) {
    bool Chinese = false;
    unsigned Seconds = 5;
    for (int I = 1; I < AArgc; ++I) {
        if (std::strcmp(AArgv[I], "zh") == 0) {
            Chinese = true;
        } else {
            Seconds = static_cast<unsigned>(std::atoi(AArgv[I]));
        }
    }
    win32::TWin32WindowSystem Windows;
    std::unique_ptr<platform::ISceneWindow> About;
    const platform::TWindowHandle Owner = Windows.CreateHiddenWindow(
        u"VantoShowAboutOwner", u"", [&](platform::TMessageId AMsg, platform::TWParam AW, auto) {
            if ((AMsg == CLICK_MESSAGE && AW == ABOUT_OK_COMMAND) ||
                (AMsg == platform::WM_TIMER_MESSAGE && AW == CLOSE_TIMER)) {
                About->Hide();
                Windows.Quit(0);
            }
            return platform::TMessageResult{0};
        });
    win32::TWin32SceneWindows SceneWindows;
    About = SceneWindows.CreateSceneWindow(Owner, CLICK_MESSAGE,
                                           platform::TScenePlacement::CentredOnDesktop, {});
    About->Show(BuildAboutScene(Chinese ? ChineseTexts() : AboutSourceTexts()));
    About->BringToFront();
    Windows.StartTimer(Owner, CLOSE_TIMER, Seconds * 1000);
    return Windows.RunMessageLoop();
}
