#include "audio/MicrophoneWatcher.h"

#include <utility>

namespace vanto {

class TMicrophoneWatcher::TDeviceListener final
    : public platform::IAudioDeviceNotificationCallback {
public:
    explicit TDeviceListener(std::function<void()> ANotify) : FNotify(std::move(ANotify)) {}

    void OnDefaultDeviceChanged(platform::TAudioDataFlow AFlow) override {
        // A new default loudspeaker says nothing about the microphone.
        if (AFlow == platform::TAudioDataFlow::Capture) {
            FNotify();
        }
    }
    // The default may be the device that went, and the system need not name a new default.
    void OnDeviceStateChanged() override { FNotify(); }

private:
    const std::function<void()> FNotify;
};

TMicrophoneWatcher::TMicrophoneWatcher(platform::IAudio& AAudio, TAudioControl& AControl,
                                       std::function<void()> ANotify)
    : FAudio(AAudio), FControl(AControl), FListener(std::make_shared<TDeviceListener>(ANotify)) {
    FControl.SetChangeListener(std::move(ANotify));
}

TMicrophoneWatcher::~TMicrophoneWatcher() {
    Stop();
}

bool TMicrophoneWatcher::Start() {
    if (FEnumerator) {
        return true;
    }
    FEnumerator = FAudio.CreateDeviceEnumerator();
    if (FEnumerator && !FEnumerator->RegisterEndpointNotificationCallback(FListener)) {
        FEnumerator.reset();
    }
    return FEnumerator != nullptr;
}

void TMicrophoneWatcher::Stop() {
    FEnumerator.reset();
    FControl.Release();
}

TMicrophoneState TMicrophoneWatcher::Current() {
    const std::optional<bool> Muted = FControl.ReadMute();
    if (!Muted) {
        return TMicrophoneState::Absent;
    }
    return *Muted ? TMicrophoneState::Muted : TMicrophoneState::Live;
}

} // namespace vanto
