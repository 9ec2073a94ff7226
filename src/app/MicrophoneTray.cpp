#include "app/MicrophoneTray.h"

#include "i18n/Translate.h"

#include <algorithm>
#include <iterator>

namespace vanto {

namespace {

bool HasMuteButton(const TMouseProfileInfo& AProfile) {
    const TBUTTONFUNCINFO* Buttons = AProfile.ConfigInfo.ButtonFuncInfo;
    return std::any_of(Buttons, Buttons + BUTTON_COUNT, [](const TBUTTONFUNCINFO& AButton) {
        return AButton.nFunctionType == FUNCTION_TYPE_MICROPHONE_MUTE;
    });
}

platform::TTrayIconVariant VariantOf(std::optional<TMicrophoneState> AState) {
    if (!AState) {
        return platform::TTrayIconVariant::Plain;
    }
    switch (*AState) {
    case TMicrophoneState::Live:
        return platform::TTrayIconVariant::MicrophoneLive;
    case TMicrophoneState::Muted:
        return platform::TTrayIconVariant::MicrophoneMuted;
    case TMicrophoneState::Absent:
        break;
    }
    return platform::TTrayIconVariant::NoMicrophone;
}

} // namespace

const char16_t* MicrophoneStateText(TMicrophoneState AState) {
    switch (AState) {
    case TMicrophoneState::Live:
        return u"Microphone on";
    case TMicrophoneState::Muted:
        return u"Microphone muted";
    case TMicrophoneState::Absent:
        break;
    }
    return u"No microphone found";
}

TMicrophoneTray::TMicrophoneTray(const platform::TPlatform& APlatform, TAudioControl& AControl,
                                 platform::TWindowHandle AOwner, const std::u16string& ABaseHint,
                                 bool AShowState)
    : FPlatform(APlatform), FControl(AControl), FBaseHint(ABaseHint), FShowState(AShowState),
      FWatcher(APlatform.FAudio, AControl,
               [Posted = FChangePosted, &Windows = APlatform.FWindows, AOwner] {
                   // A burst of changes needs one reading: the handler reads the latest state.
                   if (!Posted->exchange(true)) {
                       Windows.Post(AOwner, WM_MICROPHONE_CHANGED, 0, 0);
                   }
               }) {}

void TMicrophoneTray::ProfileLoaded(const TMouseProfileInfo& AProfile) {
    if (HasMuteButton(AProfile)) {
        HoldAudio();
    } else {
        ReleaseAudio();
    }
}

TMicrophoneState TMicrophoneTray::MutePressed() {
    HoldAudio();
    FControl.MicrophoneMute();
    // Read at once rather than wait for the notification, which some systems never send.
    const TMicrophoneState State = FWatcher.Current();
    // Before Core Audio (Windows Vista) the mute goes through the mixer, which tells nobody of a
    // change, so the icon shows no state there.
    if (FShowState && HasCoreAudio(FPlatform.FAudio)) {
        ShowState(State);
    }
    return State;
}

void TMicrophoneTray::MicrophoneChanged() {
    FChangePosted->store(false);
    if (FAudioHeld && FShowState && HasCoreAudio(FPlatform.FAudio)) {
        ShowState(FWatcher.Current());
    }
}

std::u16string TMicrophoneTray::Hint() const {
    return FShown ? FBaseHint + u"\n" + Translate(MicrophoneStateText(*FShown)) : FBaseHint;
}

void TMicrophoneTray::HoldAudio() {
    if (FAudioHeld) {
        return;
    }
    FAudioHeld = true;
    if (!HasCoreAudio(FPlatform.FAudio)) {
        return;
    }
    if (FShowState) {
        FWatcher.Start();
        ShowState(FWatcher.Current());
    } else {
        FControl.InitAudioEndpoint();
    }
}

void TMicrophoneTray::ReleaseAudio() {
    if (!FAudioHeld) {
        return;
    }
    FAudioHeld = false;
    FWatcher.Stop();
    ShowState(std::nullopt);
}

void TMicrophoneTray::ShowState(std::optional<TMicrophoneState> AState) {
    if (AState == FShown) {
        return;
    }
    FShown = AState;
    FPlatform.FTray.SetIconVariant(VariantOf(AState));
    FPlatform.FTray.SetHint(Hint());
}

} // namespace vanto
