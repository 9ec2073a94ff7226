#include "audio/MicrophoneMute.h"

namespace vanto {

namespace {

constexpr std::uint32_t CORE_AUDIO_MAJOR_VERSION = 6;
constexpr std::uint32_t MIXER_DEVICE_ID = 0;

} // namespace

bool HasCoreAudio(platform::IAudio& AAudio) {
    const platform::TSystemVersion Version = AAudio.SystemVersion();
    return Version.FNtFamily && Version.FMajorVersion >= CORE_AUDIO_MAJOR_VERSION;
}

void TMyEndpointVolumeCallback::OnNotify() {
    FVolumeUpdating.store(true);
    if (FOnChange) {
        FOnChange();
    }
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
        TakeDefaultMicrophone(false);
    } catch (...) {
        // A toggle that cannot be set up stays silent; the next press tries again.
    }
}

void TAudioControl::MicrophoneMute() {
    if (!HasCoreAudio(FAudio)) {
        SetMixerMute(!GetMixerMute());
        return;
    }
    try {
        const TTaken Taken = TakeDefaultMicrophone(false);
        if (Taken == TTaken::None || ToggleMute()) {
            return;
        }
        // The same microphone, unplugged and plugged in again since it was taken: the volume
        // control it gave then answers no more.
        if (Taken == TTaken::Kept && TakeDefaultMicrophone(true) == TTaken::Fresh) {
            ToggleMute();
        }
    } catch (...) {
    }
}

std::optional<bool> TAudioControl::ReadMute() {
    if (!HasCoreAudio(FAudio)) {
        return AccessMixerMute(TMixerAccess::Read, false);
    }
    try {
        const TTaken Taken = TakeDefaultMicrophone(false);
        if (Taken == TTaken::None) {
            return std::nullopt;
        }
        if (const std::optional<bool> Muted = FEndpoint->GetMute()) {
            return Muted;
        }
        // As for a press: the same microphone, plugged in again since it was taken.
        if (Taken == TTaken::Kept && TakeDefaultMicrophone(true) == TTaken::Fresh) {
            return FEndpoint->GetMute();
        }
    } catch (...) {
    }
    return std::nullopt;
}

void TAudioControl::Release() {
    ReleaseMicrophone();
    FMMDevEnum.reset();
}

TAudioControl::TTaken TAudioControl::TakeDefaultMicrophone(bool ARenew) {
    if (!FMMDevEnum) {
        FMMDevEnum = FAudio.CreateDeviceEnumerator();
        if (!FMMDevEnum) {
            return TTaken::None;
        }
    }
    std::unique_ptr<platform::IAudioDevice> Device = FMMDevEnum->DefaultAudioEndpoint(
        platform::TAudioDataFlow::Capture, platform::TAudioRole::Multimedia);
    std::u16string Id = Device ? Device->Id() : std::u16string();
    if (Device && FEndpoint && !ARenew && !Id.empty() && Id == FMMDevId) {
        return TTaken::Kept;
    }
    // The old registration ends before a new one is made, so one listener is told at a time.
    ReleaseMicrophone();
    if (Device) {
        if (std::unique_ptr<platform::IAudioEndpointVolume> Endpoint =
                Device->ActivateEndpointVolume()) {
            FMMDev = std::move(Device);
            FMMDevId = std::move(Id);
            FEndpoint = std::move(Endpoint);
            FEndpoint->RegisterControlChangeNotify(
                std::make_shared<TMyEndpointVolumeCallback>(FVolumeUpdating, FOnChange));
            return TTaken::Fresh;
        }
    }
    // The enumerator goes as well, so that the next press starts from nothing: after the audio
    // service restarts, an enumerator from before only gives errors.
    FMMDevEnum.reset();
    return TTaken::None;
}

void TAudioControl::ReleaseMicrophone() {
    FEndpoint.reset();
    FMMDev.reset();
    FMMDevId.clear();
}

bool TAudioControl::ToggleMute() {
    // Without a known state a blind write could mute a microphone the user wanted on.
    const std::optional<bool> Muted = FEndpoint->GetMute();
    if (!Muted) {
        return false;
    }
    FEndpoint->SetMute(!*Muted);
    return true;
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
