#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vanto::platform {

// The operating system's version as far as choosing an audio path needs it.
struct TSystemVersion {
    // Windows NT and its successors, as opposed to the 9x family.
    bool FNtFamily = true;
    std::uint32_t FMajorVersion = 0;
};

// Values as the platform numbers them.
enum class TAudioDataFlow : std::uint32_t { Render = 0, Capture = 1 };
enum class TAudioRole : std::uint32_t { Console = 0, Multimedia = 1, Communications = 2 };

// Told whenever the endpoint's volume or mute changes, by anyone. The platform calls it on a
// thread of its own, so an implementation must be safe to run beside the main thread.
class IAudioEndpointVolumeCallback {
public:
    virtual ~IAudioEndpointVolumeCallback() = default;
    virtual void OnNotify() = 0;
};

// The volume control of one endpoint. Releasing it ends every registration made through it;
// once the destructor has returned, no callback registered here runs again.
class IAudioEndpointVolume {
public:
    virtual ~IAudioEndpointVolume() = default;
    // The callback stays alive for as long as it is registered; false when the platform refused.
    virtual bool
    RegisterControlChangeNotify(std::shared_ptr<IAudioEndpointVolumeCallback> ACallback) = 0;
    // None when the state could not be read.
    virtual std::optional<bool> GetMute() = 0;
    // False when the platform refused.
    virtual bool SetMute(bool AMute) = 0;
};

// One audio endpoint device.
class IAudioDevice {
public:
    virtual ~IAudioDevice() = default;
    // Names the endpoint for as long as the system knows it, unplugging and plugging in again
    // included; empty when it could not be read.
    virtual std::u16string Id() = 0;
    // None when the endpoint has no volume control to give.
    virtual std::unique_ptr<IAudioEndpointVolume> ActivateEndpointVolume() = 0;
};

// Told when endpoints come and go or another one becomes the default, whoever caused it. The
// platform calls it on a thread of its own, as it does the volume callback.
class IAudioDeviceNotificationCallback {
public:
    virtual ~IAudioDeviceNotificationCallback() = default;
    // Another endpoint of that flow became the default for some role, or none is left.
    virtual void OnDefaultDeviceChanged(TAudioDataFlow AFlow) = 0;
    // An endpoint was plugged in, unplugged, enabled or disabled.
    virtual void OnDeviceStateChanged() = 0;
};

// The audio service's list of endpoints. Releasing it ends every registration made through it;
// once the destructor has returned, no callback registered here runs again.
class IAudioDeviceEnumerator {
public:
    virtual ~IAudioDeviceEnumerator() = default;
    // None when there is no such endpoint (no device, or no audio service).
    virtual std::unique_ptr<IAudioDevice> DefaultAudioEndpoint(TAudioDataFlow AFlow,
                                                               TAudioRole ARole) = 0;
    // The callback stays alive for as long as it is registered; false when the platform refused
    // or tells nobody of such changes.
    virtual bool
    RegisterEndpointNotificationCallback(std::shared_ptr<IAudioDeviceNotificationCallback>) {
        return false;
    }
};

// One opened legacy mixer device; releasing it closes the device. Identifiers and types are
// the mixer's own numbers.
class IMixerDevice {
public:
    virtual ~IMixerDevice() = default;
    // The id of the first line of that component type; none when there is none.
    virtual std::optional<std::uint32_t> LineIdByComponentType(std::uint32_t AComponentType) = 0;
    // The id of the line's control of that type; none when the line has none.
    virtual std::optional<std::uint32_t> ControlIdByType(std::uint32_t ALineId,
                                                         std::uint32_t AControlType) = 0;
    // A one-channel boolean control's value; none when it could not be read.
    virtual std::optional<bool> GetBooleanValue(std::uint32_t AControlId) = 0;
    // False when the value could not be written.
    virtual bool SetBooleanValue(std::uint32_t AControlId, bool AValue) = 0;
};

// Mixer component and control types the monitor asks for (winmm's
// MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE and MIXERCONTROL_CONTROLTYPE_MUTE, which are macros).
inline constexpr std::uint32_t MIXER_MICROPHONE_LINE_TYPE = 0x1003;
inline constexpr std::uint32_t MIXER_MUTE_CONTROL_TYPE = 0x20010002;

// The audio services of the machine: Core Audio for NT 6 and later, the legacy mixer before.
// Every call comes from the main thread, which the first enumerator makes a single-threaded
// COM apartment; only callbacks arrive elsewhere.
class IAudio {
public:
    virtual ~IAudio() = default;
    // The real version, even where the system tells programs an older one for compatibility.
    virtual TSystemVersion SystemVersion() = 0;
    // None when the audio service cannot be reached.
    virtual std::unique_ptr<IAudioDeviceEnumerator> CreateDeviceEnumerator() = 0;
    virtual std::uint32_t MixerDeviceCount() = 0;
    // None when the device could not be opened.
    virtual std::unique_ptr<IMixerDevice> OpenMixer(std::uint32_t ADeviceId) = 0;
};

} // namespace vanto::platform
