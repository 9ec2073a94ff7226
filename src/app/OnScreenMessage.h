#pragma once

#include "platform/SceneWindow.h"
#include "platform/WindowSystem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vanto {

// The English source texts of the on-screen messages; "%1" takes a number after translation.
// A full recording says RECORD_FULL_TEXT, as its overlay does; the microphone's state is told in
// the words of the tray hint (MicrophoneStateText).
inline constexpr const char16_t* MESSAGE_PROFILES[] = {u"Profile 1", u"Profile 2"};
inline constexpr char16_t MESSAGE_MACRO_RECORDED[] = u"Macro recorded: %1 steps";
inline constexpr char16_t MESSAGE_MACRO_NOT_UPLOADED[] =
    u"Macro recorded, but the mouse could not be updated";
inline constexpr char16_t MESSAGE_ELEVATED_FOREGROUND[] =
    u"The active window runs as administrator: the macro cannot reach it";

// How long a message stays fully shown, then how its fade runs.
inline constexpr std::uint32_t MESSAGE_SHOWN_MS = 1500;
inline constexpr std::uint32_t MESSAGE_FADE_STEP_MS = 40;
inline constexpr int MESSAGE_FADE_STEPS = 8;
inline constexpr int MESSAGE_HEIGHT = 44;
// The window's title, by which a test finds it.
inline constexpr char16_t MESSAGE_WINDOW_TITLE[] = u"VantoOnScreenMessage";

// ASource translated, with "%1" replaced by ANumber.
std::u16string TranslatedMessage(std::u16string_view ASource, long long ANumber);

// The message as a scene in the recording overlay's look: a dark rounded frame with a light
// outline, the text centred in it, as wide as the text needs.
platform::TScene BuildMessageScene(const std::u16string& AText);

// The short notices the monitor shows near the bottom of the screen that holds the pointer:
// one at a time, a new one replacing the one shown, each faded out after a moment. The window
// never takes the focus or a click. Its timer runs on the owner's window, which passes its
// ticks to Timer; the window exists only while a message shows, so an idle monitor holds no
// drawing resources for it. Main thread only.
class TOnScreenMessage {
public:
    TOnScreenMessage(platform::ISceneWindows& AScenes, platform::IWindowSystem& AWindows,
                     std::uintptr_t ATimerId);
    ~TOnScreenMessage();
    TOnScreenMessage(const TOnScreenMessage&) = delete;
    TOnScreenMessage& operator=(const TOnScreenMessage&) = delete;

    // The window whose timer drives the fade; set before the first Show.
    void SetOwnerWindow(platform::TWindowHandle AWindow) { FOwner = AWindow; }
    // Off: nothing is shown, and a message on screen goes at once.
    void SetEnabled(bool AEnabled);
    // AText as it is to be read (already translated).
    void Show(const std::u16string& AText);
    void Timer();

private:
    void Close();

    platform::ISceneWindows& FScenes;
    platform::IWindowSystem& FWindows;
    std::uintptr_t FTimerId;
    platform::TWindowHandle FOwner = 0;
    bool FEnabled = true;
    std::unique_ptr<platform::ISceneWindow> FWindow;
    // 0 while the message is fully shown, then the fade steps taken.
    int FFadeStep = 0;
};

} // namespace vanto
