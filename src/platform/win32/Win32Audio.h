#pragma once

#include "platform/Audio.h"

namespace vanto::win32 {

// Core Audio through COM, and winmm's legacy mixer.
//
// The calling thread must have initialised COM (the program's entry point does, as a
// single-threaded apartment); the objects handed out belong to that thread. Callbacks come on
// the audio service's threads.
class TWin32Audio final : public platform::IAudio {
public:
    platform::TSystemVersion SystemVersion() override;
    std::unique_ptr<platform::IAudioDeviceEnumerator> CreateDeviceEnumerator() override;
    std::uint32_t MixerDeviceCount() override;
    std::unique_ptr<platform::IMixerDevice> OpenMixer(std::uint32_t ADeviceId) override;
};

} // namespace vanto::win32
