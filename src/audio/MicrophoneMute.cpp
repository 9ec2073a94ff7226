#include "audio/MicrophoneMute.h"

namespace vanto {

namespace {

// Core Audio exists from Windows Vista (NT 6.0) on.
constexpr std::uint32_t CORE_AUDIO_MAJOR_VERSION = 6;
constexpr std::uint32_t MIXER_DEVICE_ID = 0;

} // namespace

void TMyEndpointVolumeCallback::OnNotify() {
    FVolumeUpdating.store(true);
    FVolumeUpdating.store(false);
}

TAudioControl::TAudioControl(platform::IAudio& AAudio, platform::IMessageBox& AMessageBox)
    : FAudio(AAudio), FMessageBox(AMessageBox) {}

TAudioControl::~TAudioControl() {
    // The volume control first: it ends the callback's registration while the flag still exists.
    FEndpoint.reset();
    FMMDev.reset();
    FMMDevEnum.reset();
}

void TAudioControl::InitAudioEndpoint() {
    try {
        // The old enumerator goes before a new one is asked for, as a COM reference would.
        FMMDevEnum.reset();
        FMMDevEnum = FAudio.CreateDeviceEnumerator();
        if (!FMMDevEnum) {
            return;
        }
        FMMDev = FMMDevEnum->DefaultAudioEndpoint(platform::TAudioDataFlow::Capture,
                                                  platform::TAudioRole::Multimedia);
        if (!FMMDev) {
            return;
        }
        FEndpoint = FMMDev->ActivateEndpointVolume();
        if (!FEndpoint) {
            return;
        }
        FEndpoint->RegisterControlChangeNotify(
            std::make_shared<TMyEndpointVolumeCallback>(FVolumeUpdating));
    } catch (...) {
        // A toggle that cannot be set up stays silent; the next press tries again.
    }
}

void TAudioControl::MicrophoneMute() {
    const platform::TSystemVersion Version = FAudio.SystemVersion();
    if (!Version.FNtFamily || Version.FMajorVersion < CORE_AUDIO_MAJOR_VERSION) {
        SetMixerMute(!GetMixerMute());
        return;
    }
    if (!FEndpoint) {
        InitAudioEndpoint();
        if (!FEndpoint) {
            return;
        }
    }
    try {
        // Without a known state a blind write could mute a microphone the user wanted on.
        if (const std::optional<bool> Muted = FEndpoint->GetMute()) {
            FEndpoint->SetMute(!*Muted);
        }
    } catch (...) {
    }
}

bool TAudioControl::GetMixerMute() {
    return AccessMixerMute(TMixerAccess::Read, false).value_or(false);
}

void TAudioControl::SetMixerMute(bool AMute) {
    AccessMixerMute(TMixerAccess::Write, AMute);
}

std::optional<bool> TAudioControl::AccessMixerMute(TMixerAccess AAccess, bool AValue) {
    if (FAudio.MixerDeviceCount() == 0) {
        return std::nullopt;
    }
    // Closed again when it goes out of scope, on every way out.
    const std::unique_ptr<platform::IMixerDevice> Mixer = FAudio.OpenMixer(MIXER_DEVICE_ID);
    if (!Mixer) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> LineId =
        Mixer->LineIdByComponentType(platform::MIXER_MICROPHONE_LINE_TYPE);
    if (!LineId) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> ControlId =
        Mixer->ControlIdByType(*LineId, platform::MIXER_MUTE_CONTROL_TYPE);
    if (!ControlId) {
        FMessageBox.Show(MIXER_LINE_ERROR_TEXT);
        return std::nullopt;
    }
    if (AAccess == TMixerAccess::Read) {
        const std::optional<bool> Value = Mixer->GetBooleanValue(*ControlId);
        if (!Value) {
            FMessageBox.Show(MIXER_VALUE_ERROR_TEXT);
        }
        return Value;
    }
    if (!Mixer->SetBooleanValue(*ControlId, AValue)) {
        FMessageBox.Show(MIXER_VALUE_ERROR_TEXT);
        return std::nullopt;
    }
    return AValue;
}

} // namespace vanto
