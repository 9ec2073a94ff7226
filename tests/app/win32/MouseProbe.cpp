#include "MouseProbe.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>

namespace vanto::monitortest {

namespace {

constexpr UINT WM_PROFILE_SWITCH = 7040;

std::wstring ConfigIniIn(const std::wstring& AFolder) {
    return AFolder + L"\\config.ini";
}

} // namespace

TMonitorFolder::TMonitorFolder(const std::wstring& AName) {
    wchar_t Temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, Temp);
    FFolder = std::wstring(Temp) + AName + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(FFolder.c_str(), nullptr);
    FExecutable = FFolder + L"\\VantoMon.exe";
    CopyFileW(WindowsPathOf(VANTO_MONITOR_EXE).c_str(), FExecutable.c_str(), FALSE);
    CopyFileW(HookLibraryBeside(WindowsPathOf(VANTO_MONITOR_EXE)).c_str(),
              HookLibraryBeside(FExecutable).c_str(), FALSE);
    std::ofstream(std::filesystem::path(ConfigIniIn(FFolder)))
        << "[IncludeHIDDeviceList]\r\nid1=HID\\VID_FEED&PID_7A01&MI_01\r\n";
}

TMonitorFolder::~TMonitorFolder() {
    for (const std::wstring& File :
         {FExecutable, HookLibraryBeside(FExecutable), ConfigIniIn(FFolder)}) {
        DeleteFileW(File.c_str());
    }
    RemoveDirectoryW(FFolder.c_str());
}

std::optional<ULONGLONG> ProbeUntilRead(TConfigAppStandIn& AConfigApp,
                                        vmouse::TVirtualMouse& AMouse, unsigned AProfile,
                                        DWORD AWaitMs) {
    const ULONGLONG Deadline = GetTickCount64() + AWaitMs;
    do {
        AConfigApp.Forget();
        if (!AMouse.SelectProfile(AProfile)) {
            return std::nullopt;
        }
        const auto* Switch = AConfigApp.WaitFor(WM_PROFILE_SWITCH, 50);
        if (Switch != nullptr && Switch->FWParam == AProfile) {
            return GetTickCount64();
        }
    } while (GetTickCount64() < Deadline);
    return std::nullopt;
}

bool UnplugAndPlug(DWORD AWaitMs) {
    auto Done = std::async(std::launch::async, [AWaitMs] {
        std::wstring Error;
        return vmouse::Unplug(Error) && vmouse::WaitForInterfaces(false, AWaitMs) &&
               vmouse::Plug(vmouse::BuiltInfPath(), Error) &&
               vmouse::WaitForInterfaces(true, AWaitMs);
    });
    PumpUntil([&] { return Done.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
              AWaitMs);
    return Done.wait_for(std::chrono::seconds(0)) == std::future_status::ready && Done.get();
}

} // namespace vanto::monitortest
