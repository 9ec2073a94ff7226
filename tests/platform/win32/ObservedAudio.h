#pragma once

#include "platform/Audio.h"

#include <memory>

namespace vanto::win32 {

// Hands the real objects through, keeping a view of the last volume control handed out so that
// a test reads back through the very object the control uses. With FNoMicrophone it stands for
// a machine without a capture endpoint.
class TObservedAudio final : public platform::IAudio {
public:
    explicit TObservedAudio(platform::IAudio& AReal) : FReal(AReal) {}

    platform::TSystemVersion SystemVersion() override { return FReal.SystemVersion(); }
    std::unique_ptr<platform::IAudioDeviceEnumerator> CreateDeviceEnumerator() override {
        auto Real = FReal.CreateDeviceEnumerator();
        return Real ? std::make_unique<TEnumerator>(std::move(Real), FLastVolume, FNoMicrophone)
                    : nullptr;
    }
    std::uint32_t MixerDeviceCount() override { return FReal.MixerDeviceCount(); }
    std::unique_ptr<platform::IMixerDevice> OpenMixer(std::uint32_t ADeviceId) override {
        return FReal.OpenMixer(ADeviceId);
    }

    platform::IAudioEndpointVolume* FLastVolume = nullptr;
    bool FNoMicrophone = false;

private:
    class TDevice final : public platform::IAudioDevice {
    public:
        TDevice(std::unique_ptr<platform::IAudioDevice> AReal,
                platform::IAudioEndpointVolume*& ALastVolume)
            : FReal(std::move(AReal)), FLastVolume(ALastVolume) {}
        std::u16string Id() override { return FReal->Id(); }
        std::unique_ptr<platform::IAudioEndpointVolume> ActivateEndpointVolume() override {
            auto Volume = FReal->ActivateEndpointVolume();
            FLastVolume = Volume.get();
            return Volume;
        }

    private:
        std::unique_ptr<platform::IAudioDevice> FReal;
        platform::IAudioEndpointVolume*& FLastVolume;
    };

    class TEnumerator final : public platform::IAudioDeviceEnumerator {
    public:
        TEnumerator(std::unique_ptr<platform::IAudioDeviceEnumerator> AReal,
                    platform::IAudioEndpointVolume*& ALastVolume, bool ANoMicrophone)
            : FReal(std::move(AReal)), FLastVolume(ALastVolume), FNoMicrophone(ANoMicrophone) {}
        std::unique_ptr<platform::IAudioDevice>
        DefaultAudioEndpoint(platform::TAudioDataFlow AFlow, platform::TAudioRole ARole) override {
            if (FNoMicrophone && AFlow == platform::TAudioDataFlow::Capture) {
                return nullptr;
            }
            auto Device = FReal->DefaultAudioEndpoint(AFlow, ARole);
            return Device ? std::make_unique<TDevice>(std::move(Device), FLastVolume) : nullptr;
        }
        bool RegisterEndpointNotificationCallback(
            std::shared_ptr<platform::IAudioDeviceNotificationCallback> ACallback) override {
            return FReal->RegisterEndpointNotificationCallback(std::move(ACallback));
        }

    private:
        std::unique_ptr<platform::IAudioDeviceEnumerator> FReal;
        platform::IAudioEndpointVolume*& FLastVolume;
        const bool FNoMicrophone;
    };

    platform::IAudio& FReal;
};

} // namespace vanto::win32
