#pragma once

#include "audio/MicrophoneMute.h"
#include "audio/MicrophoneWatcher.h"
#include "platform/Platform.h"
#include "shared/pubunit_quorvin.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>

namespace vanto {

// Posted to the monitor's window when the default microphone may have changed; the handler
// reads it anew. At most one is on its way at a time.
inline constexpr platform::TMessageId WM_MICROPHONE_CHANGED = platform::WM_USER_FIRST + 28;

// The English source text of a state, for the tray hint's line and the on-screen message alike.
const char16_t* MicrophoneStateText(TMicrophoneState AState);

// The microphone's state on the tray icon, and the lifetime of the audio objects behind the
// mute button. Most profiles have no mute button, and then the monitor keeps no audio object at
// all: they are taken when a loaded profile has one, or at the first mute press, and let go when
// a profile without one is loaded. While they are held and the state is to be shown, the icon
// follows every change of the default microphone. Main thread only.
class TMicrophoneTray {
public:
    // ABaseHint is the tray hint in the current language; the state adds a line to it.
    TMicrophoneTray(const platform::TPlatform& APlatform, TAudioControl& AControl,
                    platform::TWindowHandle AOwner, const std::u16string& ABaseHint,
                    bool AShowState);
    TMicrophoneTray(const TMicrophoneTray&) = delete;
    TMicrophoneTray& operator=(const TMicrophoneTray&) = delete;

    // After every load of the current profile, at start-up too.
    void ProfileLoaded(const TMouseProfileInfo& AProfile);
    // The mouse's mute button. The microphone's state after it, for whoever tells the user.
    TMicrophoneState MutePressed();
    // WM_MICROPHONE_CHANGED.
    void MicrophoneChanged();

    // The hint with the state's line while the state is shown.
    std::u16string Hint() const;
    bool AudioHeld() const { return FAudioHeld; }

private:
    void HoldAudio();
    void ReleaseAudio();
    void ShowState(std::optional<TMicrophoneState> AState);

    const platform::TPlatform& FPlatform;
    TAudioControl& FControl;
    const std::u16string& FBaseHint;
    const bool FShowState;
    // Shared with the notifications, which may still run while this object goes.
    std::shared_ptr<std::atomic<bool>> FChangePosted = std::make_shared<std::atomic<bool>>(false);
    TMicrophoneWatcher FWatcher;
    bool FAudioHeld = false;
    // None while no state is shown.
    std::optional<TMicrophoneState> FShown;
};

} // namespace vanto
