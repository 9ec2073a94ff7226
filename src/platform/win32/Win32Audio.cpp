#include "platform/win32/Win32Audio.h"

#include "platform/win32/WideText.h"

#include <windows.h>

#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <mmsystem.h>

#include <atomic>
#include <utility>
#include <vector>

namespace vanto::win32 {

namespace {

// mingw's import libraries do not carry these, so they are spelled out here.
constexpr GUID MM_DEVICE_ENUMERATOR_CLASS = {
    0xBCDE0395, 0xE52F, 0x467C, {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};
constexpr GUID MM_DEVICE_ENUMERATOR_IID = {
    0xA95664D2, 0x9614, 0x4F35, {0xA7, 0x46, 0xDE, 0x8D, 0xB6, 0x36, 0x17, 0xE6}};
constexpr GUID AUDIO_ENDPOINT_VOLUME_IID = {
    0x5CDF2C82, 0x841E, 0x4546, {0x97, 0x22, 0x0C, 0xF7, 0x40, 0x78, 0x22, 0x9A}};
constexpr GUID AUDIO_ENDPOINT_VOLUME_CALLBACK_IID = {
    0x657804FA, 0xD6AD, 0x4496, {0x8A, 0x60, 0x35, 0x27, 0x52, 0xAF, 0x4F, 0x89}};

// winmm, and with it the mixer's drivers, is loaded only on a system old enough to need the
// mixer: a monitor that never mutes through it keeps no audio library in its process.
HMODULE Winmm() {
    static const HMODULE Library =
        LoadLibraryExW(L"winmm.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return Library;
}

// Going through void (*)() keeps GCC from warning about the cast between function types.
template <typename TFunction> TFunction* WinmmEntry(const char* AName) {
    const HMODULE Library = Winmm();
    return Library ? reinterpret_cast<TFunction*>(
                         reinterpret_cast<void (*)()>(GetProcAddress(Library, AName)))
                   : nullptr;
}

// A mixer call; without winmm it fails as a system without a mixer driver would.
template <typename TFunction, typename... TArgs>
MMRESULT CallMixer(const char* AName, TArgs... AArgs) {
    TFunction* Function = WinmmEntry<TFunction>(AName);
    return Function ? Function(AArgs...) : MMSYSERR_NODRIVER;
}

// One COM reference, released when it goes.
template <typename TInterface> class TComRef {
public:
    TComRef() = default;
    explicit TComRef(TInterface* AOwned) : FPtr(AOwned) {}
    TComRef(TComRef&& AOther) noexcept : FPtr(std::exchange(AOther.FPtr, nullptr)) {}
    TComRef& operator=(TComRef&& AOther) noexcept {
        if (this != &AOther) {
            Reset();
            FPtr = std::exchange(AOther.FPtr, nullptr);
        }
        return *this;
    }
    TComRef(const TComRef&) = delete;
    TComRef& operator=(const TComRef&) = delete;
    ~TComRef() { Reset(); }

    void Reset() {
        if (FPtr) {
            std::exchange(FPtr, nullptr)->Release();
        }
    }
    // For an out parameter; whatever was held is released first.
    void** Put() {
        Reset();
        return reinterpret_cast<void**>(&FPtr);
    }
    TInterface* Get() const { return FPtr; }
    TInterface* operator->() const { return FPtr; }
    explicit operator bool() const { return FPtr != nullptr; }

private:
    TInterface* FPtr = nullptr;
};

constexpr GUID MM_NOTIFICATION_CLIENT_IID = {
    0x7991EEC9, 0x7E89, 0x4D85, {0x83, 0x90, 0x6C, 0x70, 0x3C, 0xEC, 0x60, 0xC0}};

// A listener as COM sees it: reference-counted on its own, because the audio service holds it
// too and may call it on any of its threads.
template <typename TInterface, const GUID& AInterfaceIid> class TComListener : public TInterface {
public:
    virtual ~TComListener() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID AIid, void** AObject) override {
        if (!AObject) {
            return E_POINTER;
        }
        if (IsEqualIID(AIid, IID_IUnknown) || IsEqualIID(AIid, AInterfaceIid)) {
            *AObject = static_cast<TInterface*>(this);
            AddRef();
            return S_OK;
        }
        *AObject = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++FRefs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG Refs = --FRefs;
        if (Refs == 0) {
            delete this;
        }
        return Refs;
    }

private:
    std::atomic<ULONG> FRefs{1};
};

// Nothing may unwind into the audio service.
template <typename TCall> void CallQuietly(TCall&& ACall) {
    try {
        ACall();
    } catch (...) {
    }
}

class TComEndpointVolumeCallback final
    : public TComListener<::IAudioEndpointVolumeCallback, AUDIO_ENDPOINT_VOLUME_CALLBACK_IID> {
public:
    explicit TComEndpointVolumeCallback(
        std::shared_ptr<platform::IAudioEndpointVolumeCallback> ATarget)
        : FTarget(std::move(ATarget)) {}

    HRESULT STDMETHODCALLTYPE OnNotify(PAUDIO_VOLUME_NOTIFICATION_DATA) override {
        CallQuietly([this] { FTarget->OnNotify(); });
        return S_OK;
    }

private:
    std::shared_ptr<platform::IAudioEndpointVolumeCallback> FTarget;
};

// Endpoints added or removed only matter once their state says so, and the properties (names,
// formats) not at all.
class TComNotificationClient final
    : public TComListener<::IMMNotificationClient, MM_NOTIFICATION_CLIENT_IID> {
public:
    explicit TComNotificationClient(
        std::shared_ptr<platform::IAudioDeviceNotificationCallback> ATarget)
        : FTarget(std::move(ATarget)) {}

    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override {
        CallQuietly([this] { FTarget->OnDeviceStateChanged(); });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow AFlow, ERole, LPCWSTR) override {
        CallQuietly([this, AFlow] {
            FTarget->OnDefaultDeviceChanged(static_cast<platform::TAudioDataFlow>(AFlow));
        });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override {
        return S_OK;
    }

private:
    std::shared_ptr<platform::IAudioDeviceNotificationCallback> FTarget;
};

class TEndpointVolume final : public platform::IAudioEndpointVolume {
public:
    explicit TEndpointVolume(TComRef<::IAudioEndpointVolume> AVolume)
        : FVolume(std::move(AVolume)) {}

    ~TEndpointVolume() override {
        // The service must stop calling a listener before its last reference goes.
        for (const TComRef<TComEndpointVolumeCallback>& Callback : FCallbacks) {
            FVolume->UnregisterControlChangeNotify(Callback.Get());
        }
    }

    bool RegisterControlChangeNotify(
        std::shared_ptr<platform::IAudioEndpointVolumeCallback> ACallback) override {
        if (!ACallback) {
            return false;
        }
        TComRef<TComEndpointVolumeCallback> Callback(
            new TComEndpointVolumeCallback(std::move(ACallback)));
        if (FAILED(FVolume->RegisterControlChangeNotify(Callback.Get()))) {
            return false;
        }
        FCallbacks.push_back(std::move(Callback));
        return true;
    }

    std::optional<bool> GetMute() override {
        BOOL Muted = FALSE;
        if (FAILED(FVolume->GetMute(&Muted))) {
            return std::nullopt;
        }
        return Muted != FALSE;
    }

    bool SetMute(bool AMute) override {
        return SUCCEEDED(FVolume->SetMute(AMute ? TRUE : FALSE, nullptr));
    }

private:
    TComRef<::IAudioEndpointVolume> FVolume;
    std::vector<TComRef<TComEndpointVolumeCallback>> FCallbacks;
};

class TAudioDevice final : public platform::IAudioDevice {
public:
    explicit TAudioDevice(TComRef<IMMDevice> ADevice) : FDevice(std::move(ADevice)) {}

    std::u16string Id() override {
        LPWSTR Id = nullptr;
        if (FAILED(FDevice->GetId(&Id)) || !Id) {
            return {};
        }
        std::u16string Result = FromWide(Id);
        CoTaskMemFree(Id);
        return Result;
    }

    std::unique_ptr<platform::IAudioEndpointVolume> ActivateEndpointVolume() override {
        TComRef<::IAudioEndpointVolume> Volume;
        if (FAILED(
                FDevice->Activate(AUDIO_ENDPOINT_VOLUME_IID, CLSCTX_ALL, nullptr, Volume.Put())) ||
            !Volume) {
            return nullptr;
        }
        return std::make_unique<TEndpointVolume>(std::move(Volume));
    }

private:
    TComRef<IMMDevice> FDevice;
};

class TDeviceEnumerator final : public platform::IAudioDeviceEnumerator {
public:
    explicit TDeviceEnumerator(TComRef<IMMDeviceEnumerator> AEnumerator)
        : FEnumerator(std::move(AEnumerator)) {}

    ~TDeviceEnumerator() override {
        // The service must stop calling a listener before its last reference goes.
        for (const TComRef<TComNotificationClient>& Client : FClients) {
            FEnumerator->UnregisterEndpointNotificationCallback(Client.Get());
        }
    }

    bool RegisterEndpointNotificationCallback(
        std::shared_ptr<platform::IAudioDeviceNotificationCallback> ACallback) override {
        if (!ACallback) {
            return false;
        }
        TComRef<TComNotificationClient> Client(new TComNotificationClient(std::move(ACallback)));
        if (FAILED(FEnumerator->RegisterEndpointNotificationCallback(Client.Get()))) {
            return false;
        }
        FClients.push_back(std::move(Client));
        return true;
    }

    std::unique_ptr<platform::IAudioDevice>
    DefaultAudioEndpoint(platform::TAudioDataFlow AFlow, platform::TAudioRole ARole) override {
        TComRef<::IMMDevice> Device;
        if (FAILED(FEnumerator->GetDefaultAudioEndpoint(
                static_cast<EDataFlow>(AFlow), static_cast<ERole>(ARole),
                reinterpret_cast<IMMDevice**>(Device.Put()))) ||
            !Device) {
            return nullptr;
        }
        return std::make_unique<TAudioDevice>(std::move(Device));
    }

private:
    TComRef<IMMDeviceEnumerator> FEnumerator;
    std::vector<TComRef<TComNotificationClient>> FClients;
};

class TMixerDevice final : public platform::IMixerDevice {
public:
    explicit TMixerDevice(HMIXER AMixer) : FMixer(AMixer) {}
    ~TMixerDevice() override { CallMixer<decltype(mixerClose)>("mixerClose", FMixer); }
    TMixerDevice(const TMixerDevice&) = delete;
    TMixerDevice& operator=(const TMixerDevice&) = delete;

    std::optional<std::uint32_t> LineIdByComponentType(std::uint32_t AComponentType) override {
        MIXERLINEW Line{};
        Line.cbStruct = sizeof(Line);
        Line.dwComponentType = AComponentType;
        if (CallMixer<decltype(mixerGetLineInfoW)>(
                "mixerGetLineInfoW", Object(), &Line,
                static_cast<DWORD>(MIXER_GETLINEINFOF_COMPONENTTYPE | HANDLE_FLAG)) !=
            MMSYSERR_NOERROR) {
            return std::nullopt;
        }
        return Line.dwLineID;
    }

    std::optional<std::uint32_t> ControlIdByType(std::uint32_t ALineId,
                                                 std::uint32_t AControlType) override {
        MIXERCONTROLW Control{};
        Control.cbStruct = sizeof(Control);
        MIXERLINECONTROLSW Controls{};
        Controls.cbStruct = sizeof(Controls);
        Controls.dwLineID = ALineId;
        Controls.dwControlType = AControlType;
        Controls.cControls = 1;
        Controls.cbmxctrl = sizeof(Control);
        Controls.pamxctrl = &Control;
        if (CallMixer<decltype(mixerGetLineControlsW)>(
                "mixerGetLineControlsW", Object(), &Controls,
                static_cast<DWORD>(MIXER_GETLINECONTROLSF_ONEBYTYPE | HANDLE_FLAG)) !=
            MMSYSERR_NOERROR) {
            return std::nullopt;
        }
        return Control.dwControlID;
    }

    std::optional<bool> GetBooleanValue(std::uint32_t AControlId) override {
        MIXERCONTROLDETAILS_BOOLEAN Value{};
        MIXERCONTROLDETAILS Details = BooleanDetails(AControlId, Value);
        if (CallMixer<decltype(mixerGetControlDetailsW)>(
                "mixerGetControlDetailsW", Object(), &Details,
                static_cast<DWORD>(MIXER_GETCONTROLDETAILSF_VALUE | HANDLE_FLAG)) !=
            MMSYSERR_NOERROR) {
            return std::nullopt;
        }
        return Value.fValue != 0;
    }

    bool SetBooleanValue(std::uint32_t AControlId, bool AValue) override {
        MIXERCONTROLDETAILS_BOOLEAN Value{};
        Value.fValue = AValue ? 1 : 0;
        MIXERCONTROLDETAILS Details = BooleanDetails(AControlId, Value);
        return CallMixer<decltype(mixerSetControlDetails)>(
                   "mixerSetControlDetails", Object(), &Details,
                   static_cast<DWORD>(MIXER_SETCONTROLDETAILSF_VALUE | HANDLE_FLAG)) ==
               MMSYSERR_NOERROR;
    }

private:
    // Without it winmm would take the handle for a device number.
    static constexpr DWORD HANDLE_FLAG = MIXER_OBJECTF_HMIXER;

    HMIXEROBJ Object() const { return reinterpret_cast<HMIXEROBJ>(FMixer); }

    static MIXERCONTROLDETAILS BooleanDetails(std::uint32_t AControlId,
                                              MIXERCONTROLDETAILS_BOOLEAN& AValue) {
        MIXERCONTROLDETAILS Details{};
        Details.cbStruct = sizeof(Details);
        Details.dwControlID = AControlId;
        // Every channel at once: one value for the whole line.
        Details.cChannels = 1;
        Details.cMultipleItems = 0;
        Details.cbDetails = sizeof(AValue);
        Details.paDetails = &AValue;
        return Details;
    }

    HMIXER FMixer;
};

using TRtlGetVersion = LONG(WINAPI*)(PRTL_OSVERSIONINFOW);

} // namespace

platform::TSystemVersion TWin32Audio::SystemVersion() {
    // GetVersionExW tells a program without a compatibility manifest entry an older version
    // than the real one; ntdll's own call does not.
    RTL_OSVERSIONINFOW Info{};
    Info.dwOSVersionInfoSize = sizeof(Info);
    // Going through void (*)() keeps GCC from warning about the cast between function types.
    const auto RtlGetVersion = reinterpret_cast<TRtlGetVersion>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    if (!RtlGetVersion || RtlGetVersion(&Info) != 0) {
        Info = {};
        Info.dwOSVersionInfoSize = sizeof(Info);
        if (!GetVersionExW(&Info)) {
            // Nothing to go by but that 64-bit Windows is NT. The endpoint path fails silently
            // where it is missing; the mixer path would show error boxes.
            return {true, 6};
        }
    }
    return {Info.dwPlatformId == VER_PLATFORM_WIN32_NT, Info.dwMajorVersion};
}

TWin32Audio::~TWin32Audio() {
    if (FComEntered) {
        CoUninitialize();
    }
}

std::unique_ptr<platform::IAudioDeviceEnumerator> TWin32Audio::CreateDeviceEnumerator() {
    if (!FComTried) {
        FComTried = true;
        // S_FALSE, a thread that had entered already, is one more entry to leave as well.
        FComEntered = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    }
    TComRef<IMMDeviceEnumerator> Enumerator;
    if (FAILED(CoCreateInstance(MM_DEVICE_ENUMERATOR_CLASS, nullptr, CLSCTX_ALL,
                                MM_DEVICE_ENUMERATOR_IID, Enumerator.Put())) ||
        !Enumerator) {
        return nullptr;
    }
    return std::make_unique<TDeviceEnumerator>(std::move(Enumerator));
}

std::uint32_t TWin32Audio::MixerDeviceCount() {
    const auto GetNumDevs = WinmmEntry<decltype(mixerGetNumDevs)>("mixerGetNumDevs");
    return GetNumDevs ? GetNumDevs() : 0;
}

std::unique_ptr<platform::IMixerDevice> TWin32Audio::OpenMixer(std::uint32_t ADeviceId) {
    HMIXER Mixer = nullptr;
    if (CallMixer<decltype(mixerOpen)>(
            "mixerOpen", &Mixer, static_cast<UINT>(ADeviceId), DWORD_PTR{0}, DWORD_PTR{0},
            static_cast<DWORD>(MIXER_OBJECTF_MIXER | CALLBACK_NULL)) != MMSYSERR_NOERROR ||
        !Mixer) {
        return nullptr;
    }
    return std::make_unique<TMixerDevice>(Mixer);
}

} // namespace vanto::win32
