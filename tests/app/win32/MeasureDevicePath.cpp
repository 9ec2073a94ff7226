// Prints what the real HID path costs under Wine with the virtual mouse; not a test.
//
//   measure_device_path [CYCLES]
//
// - HidStopRead while its reader's read waits for the mouse: the transport on the Win32
//   services in this process (CYCLES stops, default 20);
// - VantoMon.exe: its first read of the mouse after its window appears, and its first read
//   after the mouse arrives again, counted from this program's own arrival notification
//   (CYCLES / 4 unplugs and plugs, at least 3).

#include "DeviceChanges.h"
#include "MonitorProcess.h"
#include "MouseProbe.h"
#include "VirtualMouse.h"
#include "device/uiHIDData.h"
#include "platform/win32/Win32DebugOutput.h"
#include "platform/win32/Win32Hid.h"
#include "platform/win32/Win32IniFile.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32WindowSystem.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace vanto::monitortest {
namespace {

constexpr DWORD WAIT_MS = 20000;

void PrintFigures(const char* AWhat, std::vector<double> AValues, const char* AUnit) {
    std::sort(AValues.begin(), AValues.end());
    if (AValues.empty()) {
        std::printf("%s: no measurement\n", AWhat);
        return;
    }
    std::printf("%s: median %.3f %s, min %.3f, max %.3f (%zu runs)\n", AWhat,
                AValues[AValues.size() / 2], AUnit, AValues.front(), AValues.back(),
                AValues.size());
}

double MillisecondsSince(const LARGE_INTEGER& AStart) {
    LARGE_INTEGER Now;
    LARGE_INTEGER Frequency;
    QueryPerformanceCounter(&Now);
    QueryPerformanceFrequency(&Frequency);
    return 1000.0 * static_cast<double>(Now.QuadPart - AStart.QuadPart) /
           static_cast<double>(Frequency.QuadPart);
}

// Each stop comes 100 ms after the reader handed over its last report, so its next read has long
// been waiting in the class driver.
std::vector<double> StopsWithAReadPending(vmouse::TVirtualMouse& AMouse, int ACycles) {
    win32::TWin32Hid Hid;
    win32::TWin32WindowSystem Windows;
    win32::TWin32IniFile Ini;
    win32::TWin32Shell Shell;
    win32::TWin32DebugOutput Debug;
    TuiHIDData Data(Hid, Windows, Ini, Shell, Debug);
    int Received = 0;
    Data.OnData = [&](const std::u16string&, const std::u16string&, std::uint8_t,
                      const std::uint8_t*, std::uint16_t) { ++Received; };
    std::vector<double> Stops;
    for (int Cycle = 0; Cycle < ACycles; ++Cycle) {
        Received = 0;
        Data.HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), u"*");
        if (!AMouse.PressButton(0) || !PumpUntil([&] { return Received == 2; }, WAIT_MS)) {
            std::fputs("the reader got no report\n", stderr);
            break;
        }
        PumpUntil([] { return false; }, 100);
        LARGE_INTEGER Start;
        QueryPerformanceCounter(&Start);
        Data.HidStopRead();
        Stops.push_back(MillisecondsSince(Start));
    }
    return Stops;
}

int Run(int ACycles) {
    vmouse::TVirtualMouse Mouse;
    std::wstring Error;
    if (!Mouse.PlugInFresh(WAIT_MS, Error)) {
        std::fprintf(stderr, "%ls\n", Error.c_str());
        return 1;
    }
    PrintFigures("HidStopRead with a read pending", StopsWithAReadPending(Mouse, ACycles), "ms");

    TConfigAppStandIn ConfigApp;
    vmouse::TDeviceChanges Arrivals;
    TMonitorFolder Folder(L"VantoMonMeasure");
    if (!MonitorWindows().empty() || !Arrivals.Registered()) {
        std::fputs("a monitor is already running, or no device notifications\n", stderr);
        return 1;
    }
    TMonitorProcess Monitor(Folder.Executable());
    if (Monitor.WaitForWindow(WAIT_MS) == nullptr) {
        std::fputs("the monitor did not start\n", stderr);
        return 1;
    }
    const ULONGLONG Shown = GetTickCount64();
    if (const auto Read = ProbeUntilRead(ConfigApp, Mouse, 0, WAIT_MS)) {
        std::printf("VantoMon.exe reads the mouse %llu ms after its window appears\n",
                    static_cast<unsigned long long>(*Read - Shown));
    }
    std::vector<double> Reopens;
    for (int Cycle = 0; Cycle < std::max(3, ACycles / 4); ++Cycle) {
        if (!UnplugAndPlug(WAIT_MS)) {
            std::fputs("the mouse did not come back\n", stderr);
            break;
        }
        if (const auto Read = ProbeUntilRead(ConfigApp, Mouse, Cycle % 2, WAIT_MS)) {
            Reopens.push_back(static_cast<double>(*Read - Arrivals.LastArrival()));
        }
    }
    PrintFigures("VantoMon.exe reads the mouse again after its arrival", Reopens, "ms");
    return 0;
}

} // namespace
} // namespace vanto::monitortest

int main(int AArgCount, char** AArgs) {
    const int Cycles = AArgCount > 1 ? std::max(1, std::atoi(AArgs[1])) : 20;
    return vanto::monitortest::Run(Cycles);
}
