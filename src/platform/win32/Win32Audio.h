#pragma once

#include "platform/Audio.h"

namespace vanto::win32 {

// Core Audio through COM, and winmm's legacy mixer.
//
// The first enumerator enters the calling thread into a single-threaded apartment, which it
// leaves when this service goes; the objects handed out belong to that thread and must go
// before the service. Callbacks come on the audio service's threads.
class TWin32Audio final : public platform::IAudio {
public:
    TWin32Audio() = default;
    ~TWin32Audio() override;
    TWin32Audio(const TWin32Audio&) = delete;
    TWin32Audio& operator=(const TWin32Audio&) = delete;

    platform::TSystemVersion SystemVersion() override;
    std::unique_ptr<platform::IAudioDeviceEnumerator> CreateDeviceEnumerator() override;
    std::uint32_t MixerDeviceCount() override;
    std::unique_ptr<platform::IMixerDevice> OpenMixer(std::uint32_t ADeviceId) override;

private:
    // The apartment only for a monitor that mutes: most never do.
    bool FComEntered = false;
    bool FComTried = false;
};

} // namespace vanto::win32
