// The mouse's devnodes in the prefix, through SetupAPI: creating them is plugging the mouse in,
// removing them is pulling it out.

#include "VirtualMouse.h"

// clang-format off
#include <windows.h>
#include <devguid.h>
#include <cfgmgr32.h>
#include <newdev.h>
#include <setupapi.h>
// clang-format on

#include <algorithm>
#include <memory>
#include <vector>

namespace vanto::vmouse {

namespace {

// The instance ids follow the hardware ids: the class driver names the interfaces after them.
std::wstring InstanceIdOf(const wchar_t* AHardwareId) {
    return std::wstring(AHardwareId) + L"\\0000";
}

std::wstring ErrorText(const wchar_t* AWhat) {
    return std::wstring(AWhat) + L" failed with error " + std::to_wstring(GetLastError());
}

struct TDeviceInfoSetCloser {
    void operator()(void* ASet) const { SetupDiDestroyDeviceInfoList(ASet); }
};
using TDeviceInfoSet = std::unique_ptr<void, TDeviceInfoSetCloser>;

TDeviceInfoSet OwnSet(HDEVINFO ASet) {
    return TDeviceInfoSet(ASet == INVALID_HANDLE_VALUE ? nullptr : ASet);
}

// Calls AVisit for every devnode of the HID class, present or not, whose instance id is one of
// the mouse's; the index of its hardware id comes along.
template <typename TVisit> bool VisitOurDevnodes(TVisit AVisit) {
    TDeviceInfoSet Set = OwnSet(SetupDiGetClassDevsW(&GUID_DEVCLASS_HIDCLASS, nullptr, nullptr, 0));
    if (!Set) {
        return false;
    }
    SP_DEVINFO_DATA Node{};
    Node.cbSize = sizeof(Node);
    for (DWORD Index = 0; SetupDiEnumDeviceInfo(Set.get(), Index, &Node); ++Index) {
        wchar_t Instance[MAX_DEVICE_ID_LEN] = {};
        if (!SetupDiGetDeviceInstanceIdW(Set.get(), &Node, Instance, MAX_DEVICE_ID_LEN, nullptr)) {
            continue;
        }
        for (std::size_t Collection = 0; Collection < VMOUSE_COLLECTIONS; ++Collection) {
            if (lstrcmpiW(Instance, InstanceIdOf(DEVNODE_HARDWARE_IDS[Collection]).c_str()) == 0) {
                AVisit(Set.get(), Node, Collection);
            }
        }
    }
    return true;
}

bool CreateDevnode(const wchar_t* AHardwareId, std::wstring& AError) {
    TDeviceInfoSet Set = OwnSet(SetupDiCreateDeviceInfoList(&GUID_DEVCLASS_HIDCLASS, nullptr));
    if (!Set) {
        AError = ErrorText(L"SetupDiCreateDeviceInfoList");
        return false;
    }
    SP_DEVINFO_DATA Node{};
    Node.cbSize = sizeof(Node);
    if (!SetupDiCreateDeviceInfoW(Set.get(), InstanceIdOf(AHardwareId).c_str(),
                                  &GUID_DEVCLASS_HIDCLASS, L"Vanto virtual mouse", nullptr, 0,
                                  &Node)) {
        AError = ErrorText(L"SetupDiCreateDeviceInfo");
        return false;
    }
    // A multi-string: the id, its NUL and the NUL that ends the list.
    std::wstring Ids = std::wstring(AHardwareId) + L'\0';
    if (!SetupDiSetDeviceRegistryPropertyW(
            Set.get(), &Node, SPDRP_HARDWAREID, reinterpret_cast<const BYTE*>(Ids.c_str()),
            static_cast<DWORD>((Ids.size() + 1) * sizeof(wchar_t))) ||
        !SetupDiCallClassInstaller(DIF_REGISTERDEVICE, Set.get(), &Node)) {
        AError = ErrorText(L"registering the devnode");
        return false;
    }
    return true;
}

// The HID interface class; hid.dll would tell the same.
constexpr GUID HID_INTERFACE_CLASS = {
    0x4d1e55b2, 0xf16f, 0x11cf, {0x88, 0xcb, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// The class driver makes one interface per devnode, named after the devnode's instance id.
std::wstring InterfaceInstanceIdOf(std::uint32_t ACollection) {
    std::wstring Id = InstanceIdOf(DEVNODE_HARDWARE_IDS[ACollection]);
    return L"HID" + Id.substr(Id.find(L'\\'));
}

} // namespace

std::wstring BuiltInfPath() {
    // The build's folders are Unix paths; Wine shows the Unix root as drive Z:.
    const std::string Folder = VANTO_VIRTUAL_MOUSE_FOLDER;
    std::wstring Path = L"Z:" + std::wstring(Folder.begin(), Folder.end()) + L"/" + INF_FILE_NAME;
    std::replace(Path.begin(), Path.end(), L'/', L'\\');
    return Path;
}

std::wstring InterfacePath(std::uint32_t ACollection) {
    if (ACollection >= VMOUSE_COLLECTIONS) {
        return {};
    }
    TDeviceInfoSet Set = OwnSet(SetupDiGetClassDevsW(&HID_INTERFACE_CLASS, nullptr, nullptr,
                                                     DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!Set) {
        return {};
    }
    const std::wstring Wanted = InterfaceInstanceIdOf(ACollection);
    SP_DEVICE_INTERFACE_DATA Interface{};
    Interface.cbSize = sizeof(Interface);
    for (DWORD Index = 0;
         SetupDiEnumDeviceInterfaces(Set.get(), nullptr, &HID_INTERFACE_CLASS, Index, &Interface);
         ++Index) {
        DWORD Size = 0;
        SetupDiGetDeviceInterfaceDetailW(Set.get(), &Interface, nullptr, 0, &Size, nullptr);
        if (Size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
            continue;
        }
        std::vector<DWORD> Storage(Size / sizeof(DWORD) + 1);
        auto* Detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(Storage.data());
        Detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        SP_DEVINFO_DATA Node{};
        Node.cbSize = sizeof(Node);
        wchar_t Instance[MAX_DEVICE_ID_LEN] = {};
        if (SetupDiGetDeviceInterfaceDetailW(Set.get(), &Interface, Detail, Size, nullptr, &Node) &&
            SetupDiGetDeviceInstanceIdW(Set.get(), &Node, Instance, MAX_DEVICE_ID_LEN, nullptr) &&
            lstrcmpiW(Instance, Wanted.c_str()) == 0) {
            return Detail->DevicePath;
        }
    }
    return {};
}

bool WaitForInterfaces(bool APresent, std::uint32_t AWaitMs) {
    const ULONGLONG Deadline = GetTickCount64() + AWaitMs;
    for (;;) {
        bool AsWanted = true;
        for (std::uint32_t Collection = 0; Collection < VMOUSE_COLLECTIONS; ++Collection) {
            AsWanted = AsWanted && InterfacePath(Collection).empty() != APresent;
        }
        if (AsWanted) {
            return true;
        }
        if (GetTickCount64() >= Deadline) {
            return false;
        }
        Sleep(20);
    }
}

bool IsPlugged() {
    std::size_t Found = 0;
    VisitOurDevnodes([&](HDEVINFO, SP_DEVINFO_DATA&, std::size_t) { ++Found; });
    return Found == VMOUSE_COLLECTIONS;
}

bool Plug(const std::wstring& AInfPath, std::wstring& AError) {
    bool Present[VMOUSE_COLLECTIONS] = {};
    VisitOurDevnodes(
        [&](HDEVINFO, SP_DEVINFO_DATA&, std::size_t ACollection) { Present[ACollection] = true; });
    for (std::size_t Collection = 0; Collection < VMOUSE_COLLECTIONS; ++Collection) {
        if (!Present[Collection] && !CreateDevnode(DEVNODE_HARDWARE_IDS[Collection], AError)) {
            return false;
        }
        BOOL Reboot = FALSE;
        if (!UpdateDriverForPlugAndPlayDevicesW(nullptr, DEVNODE_HARDWARE_IDS[Collection],
                                                AInfPath.c_str(), INSTALLFLAG_FORCE, &Reboot)) {
            AError = ErrorText(L"UpdateDriverForPlugAndPlayDevices");
            return false;
        }
    }
    return true;
}

bool Unplug(std::wstring& AError) {
    bool Removed = true;
    const bool Listed = VisitOurDevnodes([&](HDEVINFO ASet, SP_DEVINFO_DATA& ANode, std::size_t) {
        if (!SetupDiCallClassInstaller(DIF_REMOVE, ASet, &ANode)) {
            AError = ErrorText(L"removing the devnode");
            Removed = false;
        }
    });
    if (!Listed) {
        AError = ErrorText(L"SetupDiGetClassDevs");
        return false;
    }
    return Removed;
}

bool Uninstall(std::wstring& AError) {
    if (!Unplug(AError)) {
        return false;
    }
    SC_HANDLE Manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (Manager == nullptr) {
        AError = ErrorText(L"OpenSCManager");
        return false;
    }
    bool Deleted = true;
    if (SC_HANDLE Service = OpenServiceW(Manager, SERVICE_NAME, SERVICE_ALL_ACCESS)) {
        SERVICE_STATUS Status{};
        ControlService(Service, SERVICE_CONTROL_STOP, &Status);
        if (!DeleteService(Service)) {
            AError = ErrorText(L"DeleteService");
            Deleted = false;
        }
        CloseServiceHandle(Service);
    }
    CloseServiceHandle(Manager);
    return Deleted;
}

} // namespace vanto::vmouse
