#include "platform/sim/SimAudio.h"

#include "platform/Utf16.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace vanto::sim {

using platform::IAudioDeviceNotificationCallback;
using platform::IAudioEndpointVolumeCallback;

struct TSimAudio::TMicrophone {
    bool FPresent = true;
    bool FMuted = false;
    // Counts the times it was unplugged: what it handed out before answers no more.
    std::uint64_t FUnplugs = 0;
};

struct TSimAudio::TState {
    // Taken before FLock whenever both are held. Callbacks run under it, so that a registration
    // that has ended has also finished its last delivery.
    std::mutex FNotifyLock;
    mutable std::mutex FLock;

    platform::TSystemVersion FVersion{true, 10};
    bool FServiceAvailable = true;
    bool FActivateFails = false;
    std::vector<TMicrophone> FMicrophones{1};
    std::size_t FDefault = 0;
    std::size_t FEnumeratorsCreated = 0;
    std::size_t FEndpointRequests = 0;
    std::size_t FNotificationsDelivered = 0;
    platform::TAudioDataFlow FLastFlow = platform::TAudioDataFlow::Render;
    platform::TAudioRole FLastRole = platform::TAudioRole::Console;
    std::uint64_t FNextRegistration = 1;
    // Registration, microphone, listener.
    std::vector<
        std::tuple<std::uint64_t, std::size_t, std::shared_ptr<IAudioEndpointVolumeCallback>>>
        FCallbacks;
    // Registration, listener: the enumerators' device notifications.
    std::vector<std::pair<std::uint64_t, std::shared_ptr<IAudioDeviceNotificationCallback>>>
        FDeviceCallbacks;

    TSimMixerSetup FMixer;
    bool FMixerMicrophoneMuted = false;
    bool FMixerLineInMuted = false;
    std::size_t FMixerOpens = 0;
    std::size_t FMixersOpenNow = 0;

    // Whether something the microphone handed out is still good; the caller holds FLock.
    bool Answers(std::size_t AMicrophone, std::uint64_t AUnplugs) const {
        const TMicrophone& Microphone = FMicrophones[AMicrophone];
        return Microphone.FPresent && Microphone.FUnplugs == AUnplugs;
    }

    void Deliver(std::size_t AMicrophone) {
        std::lock_guard Notifying(FNotifyLock);
        std::vector<std::shared_ptr<IAudioEndpointVolumeCallback>> Callbacks;
        {
            std::lock_guard Guard(FLock);
            for (const auto& [Registration, Microphone, Callback] : FCallbacks) {
                if (Microphone == AMicrophone) {
                    Callbacks.push_back(Callback);
                }
            }
            FNotificationsDelivered += Callbacks.size();
        }
        for (const auto& Callback : Callbacks) {
            Callback->OnNotify();
        }
    }

    // A microphone came or went (ADefaultChanged: the default capture endpoint is another one).
    void DeliverDeviceChange(bool ADefaultChanged) {
        std::lock_guard Notifying(FNotifyLock);
        std::vector<std::shared_ptr<IAudioDeviceNotificationCallback>> Callbacks;
        {
            std::lock_guard Guard(FLock);
            for (const auto& Entry : FDeviceCallbacks) {
                Callbacks.push_back(Entry.second);
            }
        }
        for (const auto& Callback : Callbacks) {
            if (ADefaultChanged) {
                Callback->OnDefaultDeviceChanged(platform::TAudioDataFlow::Capture);
            } else {
                Callback->OnDeviceStateChanged();
            }
        }
    }
};

class TSimAudio::TEndpointVolume final : public platform::IAudioEndpointVolume {
public:
    TEndpointVolume(std::shared_ptr<TState> AState, std::size_t AMicrophone, std::uint64_t AUnplugs)
        : FState(std::move(AState)), FMicrophone(AMicrophone), FUnplugs(AUnplugs) {}

    ~TEndpointVolume() override {
        std::lock_guard Notifying(FState->FNotifyLock);
        std::lock_guard Guard(FState->FLock);
        std::erase_if(FState->FCallbacks, [this](const auto& AEntry) {
            return std::find(FRegistrations.begin(), FRegistrations.end(), std::get<0>(AEntry)) !=
                   FRegistrations.end();
        });
    }

    bool
    RegisterControlChangeNotify(std::shared_ptr<IAudioEndpointVolumeCallback> ACallback) override {
        if (!ACallback) {
            return false;
        }
        std::lock_guard Notifying(FState->FNotifyLock);
        std::lock_guard Guard(FState->FLock);
        const std::uint64_t Registration = FState->FNextRegistration++;
        FState->FCallbacks.emplace_back(Registration, FMicrophone, std::move(ACallback));
        FRegistrations.push_back(Registration);
        return true;
    }

    std::optional<bool> GetMute() override {
        std::lock_guard Guard(FState->FLock);
        if (!FState->Answers(FMicrophone, FUnplugs)) {
            return std::nullopt;
        }
        return FState->FMicrophones[FMicrophone].FMuted;
    }

    bool SetMute(bool AMute) override {
        {
            std::lock_guard Guard(FState->FLock);
            if (!FState->Answers(FMicrophone, FUnplugs)) {
                return false;
            }
            FState->FMicrophones[FMicrophone].FMuted = AMute;
        }
        FState->Deliver(FMicrophone);
        return true;
    }

private:
    std::shared_ptr<TState> FState;
    std::size_t FMicrophone;
    std::uint64_t FUnplugs;
    std::vector<std::uint64_t> FRegistrations;
};

class TSimAudio::TDevice final : public platform::IAudioDevice {
public:
    TDevice(std::shared_ptr<TState> AState, std::size_t AMicrophone, std::uint64_t AUnplugs)
        : FState(std::move(AState)), FMicrophone(AMicrophone), FUnplugs(AUnplugs) {}

    std::u16string Id() override {
        return u"{0.0.1.00000000}.{sim-microphone-" +
               DecimalToUtf16(static_cast<long long>(FMicrophone)) + u"}";
    }

    std::unique_ptr<platform::IAudioEndpointVolume> ActivateEndpointVolume() override {
        {
            std::lock_guard Guard(FState->FLock);
            if (FState->FActivateFails || !FState->Answers(FMicrophone, FUnplugs)) {
                return nullptr;
            }
        }
        return std::make_unique<TEndpointVolume>(FState, FMicrophone, FUnplugs);
    }

private:
    std::shared_ptr<TState> FState;
    std::size_t FMicrophone;
    std::uint64_t FUnplugs;
};

class TSimAudio::TEnumerator final : public platform::IAudioDeviceEnumerator {
public:
    explicit TEnumerator(std::shared_ptr<TState> AState) : FState(std::move(AState)) {}

    ~TEnumerator() override {
        std::lock_guard Notifying(FState->FNotifyLock);
        std::lock_guard Guard(FState->FLock);
        std::erase_if(FState->FDeviceCallbacks, [this](const auto& AEntry) {
            return std::find(FRegistrations.begin(), FRegistrations.end(), AEntry.first) !=
                   FRegistrations.end();
        });
    }

    bool RegisterEndpointNotificationCallback(
        std::shared_ptr<IAudioDeviceNotificationCallback> ACallback) override {
        if (!ACallback) {
            return false;
        }
        std::lock_guard Notifying(FState->FNotifyLock);
        std::lock_guard Guard(FState->FLock);
        const std::uint64_t Registration = FState->FNextRegistration++;
        FState->FDeviceCallbacks.emplace_back(Registration, std::move(ACallback));
        FRegistrations.push_back(Registration);
        return true;
    }

    std::unique_ptr<platform::IAudioDevice>
    DefaultAudioEndpoint(platform::TAudioDataFlow AFlow, platform::TAudioRole ARole) override {
        std::lock_guard Guard(FState->FLock);
        ++FState->FEndpointRequests;
        FState->FLastFlow = AFlow;
        FState->FLastRole = ARole;
        // The machine has microphones and nothing to play sound on.
        const TMicrophone& Default = FState->FMicrophones[FState->FDefault];
        if (AFlow != platform::TAudioDataFlow::Capture || !Default.FPresent) {
            return nullptr;
        }
        return std::make_unique<TDevice>(FState, FState->FDefault, Default.FUnplugs);
    }

private:
    std::shared_ptr<TState> FState;
    std::vector<std::uint64_t> FRegistrations;
};

class TSimAudio::TMixerDevice final : public platform::IMixerDevice {
public:
    explicit TMixerDevice(std::shared_ptr<TState> AState) : FState(std::move(AState)) {}

    ~TMixerDevice() override {
        std::lock_guard Guard(FState->FLock);
        --FState->FMixersOpenNow;
    }

    std::optional<std::uint32_t> LineIdByComponentType(std::uint32_t AComponentType) override {
        std::lock_guard Guard(FState->FLock);
        if (AComponentType == platform::MIXER_MICROPHONE_LINE_TYPE &&
            FState->FMixer.FHasMicrophoneLine) {
            return MICROPHONE_LINE_ID;
        }
        if (AComponentType == LINE_IN_COMPONENT_TYPE) {
            return LINE_IN_LINE_ID;
        }
        return std::nullopt;
    }

    std::optional<std::uint32_t> ControlIdByType(std::uint32_t ALineId,
                                                 std::uint32_t AControlType) override {
        std::lock_guard Guard(FState->FLock);
        if (ALineId == MICROPHONE_LINE_ID && FState->FMixer.FHasMicrophoneLine) {
            if (AControlType == platform::MIXER_MUTE_CONTROL_TYPE &&
                FState->FMixer.FHasMuteControl) {
                return MICROPHONE_MUTE_CONTROL_ID;
            }
            if (AControlType == VOLUME_CONTROL_TYPE) {
                return MICROPHONE_VOLUME_CONTROL_ID;
            }
        }
        if (ALineId == LINE_IN_LINE_ID && AControlType == platform::MIXER_MUTE_CONTROL_TYPE) {
            return LINE_IN_MUTE_CONTROL_ID;
        }
        return std::nullopt;
    }

    std::optional<bool> GetBooleanValue(std::uint32_t AControlId) override {
        std::lock_guard Guard(FState->FLock);
        if (FState->FMixer.FReadFails) {
            return std::nullopt;
        }
        if (bool* Value = ControlValue(AControlId)) {
            return *Value;
        }
        return std::nullopt;
    }

    bool SetBooleanValue(std::uint32_t AControlId, bool AValue) override {
        std::lock_guard Guard(FState->FLock);
        if (FState->FMixer.FWriteFails) {
            return false;
        }
        if (bool* Value = ControlValue(AControlId)) {
            *Value = AValue;
            return true;
        }
        return false;
    }

private:
    static constexpr std::uint32_t LINE_IN_COMPONENT_TYPE = 0x1002;
    static constexpr std::uint32_t VOLUME_CONTROL_TYPE = 0x50030001;

    // Only boolean controls have a value here; the caller holds FLock.
    bool* ControlValue(std::uint32_t AControlId) {
        if (AControlId == MICROPHONE_MUTE_CONTROL_ID && FState->FMixer.FHasMicrophoneLine &&
            FState->FMixer.FHasMuteControl) {
            return &FState->FMixerMicrophoneMuted;
        }
        if (AControlId == LINE_IN_MUTE_CONTROL_ID) {
            return &FState->FMixerLineInMuted;
        }
        return nullptr;
    }

    std::shared_ptr<TState> FState;
};

TSimAudio::TSimAudio() : FState(std::make_shared<TState>()) {}

TSimAudio::~TSimAudio() = default;

platform::TSystemVersion TSimAudio::SystemVersion() {
    std::lock_guard Guard(FState->FLock);
    return FState->FVersion;
}

std::unique_ptr<platform::IAudioDeviceEnumerator> TSimAudio::CreateDeviceEnumerator() {
    std::lock_guard Guard(FState->FLock);
    if (!FState->FServiceAvailable) {
        return nullptr;
    }
    ++FState->FEnumeratorsCreated;
    return std::make_unique<TEnumerator>(FState);
}

std::uint32_t TSimAudio::MixerDeviceCount() {
    std::lock_guard Guard(FState->FLock);
    return FState->FMixer.FPresent ? 1 : 0;
}

std::unique_ptr<platform::IMixerDevice> TSimAudio::OpenMixer(std::uint32_t ADeviceId) {
    std::lock_guard Guard(FState->FLock);
    if (!FState->FMixer.FPresent || FState->FMixer.FOpenFails || ADeviceId != 0) {
        return nullptr;
    }
    ++FState->FMixerOpens;
    ++FState->FMixersOpenNow;
    return std::make_unique<TMixerDevice>(FState);
}

void TSimAudio::SetSystemVersion(platform::TSystemVersion AVersion) {
    std::lock_guard Guard(FState->FLock);
    FState->FVersion = AVersion;
}

void TSimAudio::SetServiceAvailable(bool AAvailable) {
    std::lock_guard Guard(FState->FLock);
    FState->FServiceAvailable = AAvailable;
}

void TSimAudio::SetMicrophonePresent(bool APresent) {
    bool Changed = false;
    {
        std::lock_guard Guard(FState->FLock);
        TMicrophone& Default = FState->FMicrophones[FState->FDefault];
        if (Default.FPresent && !APresent) {
            ++Default.FUnplugs;
        }
        Changed = Default.FPresent != APresent;
        Default.FPresent = APresent;
    }
    if (Changed) {
        FState->DeliverDeviceChange(false);
    }
}

std::size_t TSimAudio::AddMicrophone() {
    std::lock_guard Guard(FState->FLock);
    FState->FMicrophones.emplace_back();
    return FState->FMicrophones.size() - 1;
}

void TSimAudio::SetDefaultMicrophone(std::size_t AMicrophone) {
    bool Changed = false;
    {
        std::lock_guard Guard(FState->FLock);
        Changed = AMicrophone < FState->FMicrophones.size() && AMicrophone != FState->FDefault;
        FState->FDefault = Changed ? AMicrophone : FState->FDefault;
    }
    if (Changed) {
        FState->DeliverDeviceChange(true);
    }
}

void TSimAudio::SetActivateFails(bool AFails) {
    std::lock_guard Guard(FState->FLock);
    FState->FActivateFails = AFails;
}

bool TSimAudio::MicrophoneMuted() const {
    std::lock_guard Guard(FState->FLock);
    return FState->FMicrophones[FState->FDefault].FMuted;
}

bool TSimAudio::MicrophoneMuted(std::size_t AMicrophone) const {
    std::lock_guard Guard(FState->FLock);
    return AMicrophone < FState->FMicrophones.size() && FState->FMicrophones[AMicrophone].FMuted;
}

void TSimAudio::SetMicrophoneMuted(bool AMuted) {
    std::size_t Default = 0;
    {
        std::lock_guard Guard(FState->FLock);
        Default = FState->FDefault;
        FState->FMicrophones[Default].FMuted = AMuted;
    }
    FState->Deliver(Default);
}

void TSimAudio::NotifyControlChange() {
    std::size_t Default = 0;
    {
        std::lock_guard Guard(FState->FLock);
        Default = FState->FDefault;
    }
    FState->Deliver(Default);
}

std::size_t TSimAudio::EnumeratorsCreated() const {
    std::lock_guard Guard(FState->FLock);
    return FState->FEnumeratorsCreated;
}

std::size_t TSimAudio::EndpointRequests() const {
    std::lock_guard Guard(FState->FLock);
    return FState->FEndpointRequests;
}

std::size_t TSimAudio::RegisteredCallbacks() const {
    std::lock_guard Guard(FState->FLock);
    return FState->FCallbacks.size();
}

std::size_t TSimAudio::RegisteredDeviceCallbacks() const {
    std::lock_guard Guard(FState->FLock);
    return FState->FDeviceCallbacks.size();
}

std::size_t TSimAudio::NotificationsDelivered() const {
    std::lock_guard Guard(FState->FLock);
    return FState->FNotificationsDelivered;
}

platform::TAudioDataFlow TSimAudio::LastRequestedFlow() const {
    std::lock_guard Guard(FState->FLock);
    return FState->FLastFlow;
}

platform::TAudioRole TSimAudio::LastRequestedRole() const {
    std::lock_guard Guard(FState->FLock);
    return FState->FLastRole;
}

void TSimAudio::SetMixer(const TSimMixerSetup& ASetup) {
    std::lock_guard Guard(FState->FLock);
    FState->FMixer = ASetup;
}

bool TSimAudio::MixerMicrophoneMuted() const {
    std::lock_guard Guard(FState->FLock);
    return FState->FMixerMicrophoneMuted;
}

void TSimAudio::SetMixerMicrophoneMuted(bool AMuted) {
    std::lock_guard Guard(FState->FLock);
    FState->FMixerMicrophoneMuted = AMuted;
}

bool TSimAudio::MixerLineInMuted() const {
    std::lock_guard Guard(FState->FLock);
    return FState->FMixerLineInMuted;
}

std::size_t TSimAudio::MixerOpens() const {
    std::lock_guard Guard(FState->FLock);
    return FState->FMixerOpens;
}

std::size_t TSimAudio::MixersOpenNow() const {
    std::lock_guard Guard(FState->FLock);
    return FState->FMixersOpenNow;
}

void TSimMessageBox::Show(const std::u16string& AText) {
    std::lock_guard Guard(FLock);
    FShown.push_back(AText);
    FCaptions.emplace_back();
}

void TSimMessageBox::ShowError(const std::u16string& AText, const std::u16string& ACaption) {
    std::lock_guard Guard(FLock);
    FShown.push_back(AText);
    FCaptions.push_back(ACaption);
}

std::vector<std::u16string> TSimMessageBox::Captions() const {
    std::lock_guard Guard(FLock);
    return FCaptions;
}

std::vector<std::u16string> TSimMessageBox::Shown() const {
    std::lock_guard Guard(FLock);
    return FShown;
}

void TSimMessageBox::Clear() {
    std::lock_guard Guard(FLock);
    FShown.clear();
    FCaptions.clear();
}

} // namespace vanto::sim
