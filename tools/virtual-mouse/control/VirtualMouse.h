#pragma once

// The virtual mouse as a test or a person drives it: its devnodes in the Wine prefix (install,
// unplug, plug) and its control device (input reports in, feature reports and banks out).

#include "../VirtualMouseControl.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vanto::vmouse {

// The hardware ids the installer gives the two devnodes, pointer interface first.
inline constexpr const wchar_t* DEVNODE_HARDWARE_IDS[VMOUSE_COLLECTIONS] = {
    L"ROOT\\VID_FEED&PID_7A01&MI_00", L"ROOT\\VID_FEED&PID_7A01&MI_01"};
// The .inf and .sys built beside the control program.
inline constexpr wchar_t INF_FILE_NAME[] = L"VantoVirtualMouse.inf";
inline constexpr wchar_t SERVICE_NAME[] = L"VantoVirtualMouse";

// The .inf of this build, beside virtual-mouse.exe; what the tests plug the mouse in with.
std::wstring BuiltInfPath();

// Creates both devnodes, unless they are there, and installs the driver from AInfPath for them.
// On failure AError says what went wrong.
bool Plug(const std::wstring& AInfPath, std::wstring& AError);
// Removes both devnodes, as pulling the mouse out does. The driver stays loaded and keeps the
// mouse's memory; true when nothing of the mouse is left.
bool Unplug(std::wstring& AError);
// Whether both devnodes are there.
bool IsPlugged();
// The path of the collection's HID interface (VMOUSE_POINTER or VMOUSE_VENDOR) as programs open
// it; empty while the class driver has not made it.
std::wstring InterfacePath(std::uint32_t ACollection);
// Waits until both interfaces are there (APresent) or both are gone; false when the wait ran out.
bool WaitForInterfaces(bool APresent, std::uint32_t AWaitMs);
// Unplugs the mouse and deletes the driver's service, so that a new driver can be installed
// once the wine server has been restarted.
bool Uninstall(std::wstring& AError);

struct TFeatureReport {
    std::vector<std::uint8_t> FBytes; // ID first
    std::int32_t FStatus = 0;         // what the mouse answered
    std::uint32_t FReading = 0;       // VMOUSE_READ_...
};

struct TBank {
    std::array<std::uint8_t, VMOUSE_BUTTON_TABLE_SIZE> FButtonTable{};
    std::array<std::array<std::uint8_t, VMOUSE_MACRO_SLOT_SIZE>, VMOUSE_MACRO_SLOTS> FMacroSlots{};
};

// The control device of the loaded driver. Every call is synchronous and cheap; the device
// answers from memory.
class TVirtualMouse {
public:
    TVirtualMouse();
    ~TVirtualMouse();
    TVirtualMouse(const TVirtualMouse&) = delete;
    TVirtualMouse& operator=(const TVirtualMouse&) = delete;

    // False when the driver is not loaded.
    bool IsOpen() const;

    // The report goes to the collection's next read; ID first. False when the collection is not
    // plugged or too many reports wait.
    bool PushReport(std::uint32_t ACollection, std::span<const std::uint8_t> AReport);
    // Report 7 with button AKey (0..23) pressed, then the release, as the mouse sends a click.
    bool PressButton(unsigned AKey);
    // Report 8: the mouse now uses onboard profile AProfile.
    bool SelectProfile(unsigned AProfile);

    std::optional<TVmouseStatus> Status();
    // Every feature report from AFirst on, in the order the mouse received them.
    std::optional<std::vector<TFeatureReport>> FeatureReports(std::uint32_t AFirst = 0);
    // A slow or failing mouse from now on (see TVmouseFeatureFault); a fault of no writes ends
    // the one before.
    bool FaultFeatureWrites(const TVmouseFeatureFault& AFault);
    std::optional<TBank> Bank(std::uint32_t ABank);
    // A mouse fresh from the factory: memory, feature log and faults to come cleared.
    bool Reset();
    // Plugged in (from the .inf of this build when it is out), both interfaces there, and fresh
    // from the factory: where every test begins. On failure AError says why.
    bool PlugInFresh(std::uint32_t AWaitMs, std::wstring& AError);

private:
    bool Control(std::uint32_t ACode, const void* AIn, std::uint32_t AInSize, void* AOut,
                 std::uint32_t AOutSize, std::uint32_t* AReturned = nullptr);

    void* FHandle;
};

} // namespace vanto::vmouse
