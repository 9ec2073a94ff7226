// virtual-mouse.exe: installs the virtual mouse into the Wine prefix it runs in and drives it by
// hand. Run it with no arguments for the commands.

#include "VirtualMouse.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using namespace vanto::vmouse;

constexpr DWORD START_WAIT_MS = 10000;
// What an unplugged mouse answers: the device is not connected.
constexpr std::int32_t DEFAULT_FAILURE = static_cast<std::int32_t>(0xC000009D);

int Usage() {
    std::fputs(
        "usage: virtual-mouse COMMAND\n"
        "  install [INF]        plug the mouse in, installing its driver (default: the .inf\n"
        "                       beside this program), and wait until it runs\n"
        "  uninstall            unplug it and delete its driver's service\n"
        "  plug [INF] | unplug  plug it in again or pull it out\n"
        "  status               what the mouse counted\n"
        "  press KEY            report 7: button KEY (0..23) pressed, then released\n"
        "  profile P            report 8: onboard profile P (0 or 1)\n"
        "  report COLLECTION HEX  any input report (COLLECTION 0 pointer, 1 vendor)\n"
        "  log [FIRST]          the feature reports received, one a line\n"
        "  bank B               bank B (0 or 1): button table and macro slots\n"
        "  fail N [NTSTATUS]    the next N feature writes fail (default c000009d)\n"
        "  reset                a mouse fresh from the factory\n",
        stderr);
    return 2;
}

int Fail(const std::wstring& AWhat) {
    std::fprintf(stderr, "virtual-mouse: %ls\n", AWhat.c_str());
    return 1;
}

std::wstring DefaultInf() {
    wchar_t Path[MAX_PATH] = {};
    const DWORD Length = GetModuleFileNameW(nullptr, Path, MAX_PATH);
    std::wstring Folder(Path, Length);
    return Folder.substr(0, Folder.find_last_of(L"\\/") + 1) + INF_FILE_NAME;
}

void PrintHex(const std::uint8_t* ABytes, std::size_t ACount) {
    for (std::size_t Index = 0; Index < ACount; ++Index) {
        std::printf("%02x", ABytes[Index]);
    }
    std::printf("\n");
}

bool ParseHex(const std::vector<std::wstring>& AArgs, std::size_t AFirst,
              std::vector<std::uint8_t>& ABytes) {
    for (std::size_t Index = AFirst; Index < AArgs.size(); ++Index) {
        const std::wstring& Run = AArgs[Index];
        if (Run.size() % 2 != 0) {
            return false;
        }
        for (std::size_t At = 0; At < Run.size(); At += 2) {
            wchar_t* End = nullptr;
            const std::wstring Pair = Run.substr(At, 2);
            const unsigned long Byte = std::wcstoul(Pair.c_str(), &End, 16);
            if (*End != L'\0') {
                return false;
            }
            ABytes.push_back(static_cast<std::uint8_t>(Byte));
        }
    }
    return !ABytes.empty();
}

bool WaitUntilRunning() {
    const ULONGLONG Deadline = GetTickCount64() + START_WAIT_MS;
    do {
        TVirtualMouse Mouse;
        if (const auto Status = Mouse.Status()) {
            if (Status->FCollections[VMOUSE_POINTER].FStarted &&
                Status->FCollections[VMOUSE_VENDOR].FStarted) {
                return true;
            }
        }
        Sleep(50);
    } while (GetTickCount64() < Deadline);
    return false;
}

int PlugIn(const std::vector<std::wstring>& AArgs) {
    std::wstring Error;
    if (!Plug(AArgs.size() > 2 ? AArgs[2] : DefaultInf(), Error)) {
        return Fail(Error);
    }
    if (!WaitUntilRunning()) {
        return Fail(L"the mouse did not start");
    }
    return 0;
}

int PrintStatus(TVirtualMouse& AMouse) {
    const auto Status = AMouse.Status();
    if (!Status) {
        return Fail(L"no status from the mouse");
    }
    const char* Names[VMOUSE_COLLECTIONS] = {"pointer", "vendor"};
    for (std::size_t Index = 0; Index < VMOUSE_COLLECTIONS; ++Index) {
        const TVmouseCollectionStatus& C = Status->FCollections[Index];
        std::printf("%s: started %u (%u starts), reports waiting %u delivered %u dropped %u, "
                    "class reads pending %u\n",
                    Names[Index], C.FStarted, C.FStarts, C.FReportsWaiting, C.FReportsDelivered,
                    C.FReportsDropped, C.FClassReadsPending);
    }
    std::printf("feature reports %u (unlogged %u, refused %u), faults to come %u, mode %u, "
                "uploads completed %u\n",
                Status->FFeatureReports, Status->FFeatureReportsUnlogged, Status->FRefusedReports,
                Status->FFaultsToCome, Status->FMode, Status->FUploadsCompleted);
    return 0;
}

int PrintLog(TVirtualMouse& AMouse, std::uint32_t AFirst) {
    const auto Reports = AMouse.FeatureReports(AFirst);
    if (!Reports) {
        return Fail(L"no feature reports from the mouse");
    }
    std::uint32_t Index = AFirst;
    for (const TFeatureReport& Report : *Reports) {
        // The zeros that pad a report to its length say nothing: shown up to the last non-zero.
        std::size_t Shown = Report.FBytes.size();
        while (Shown > 8 && Report.FBytes[Shown - 1] == 0) {
            --Shown;
        }
        std::printf("%u: id %u, %zu bytes, status %08x, read as %u: ", Index++, Report.FBytes[0],
                    Report.FBytes.size(), static_cast<unsigned>(Report.FStatus), Report.FReading);
        PrintHex(Report.FBytes.data(), Shown);
    }
    return 0;
}

int PrintBank(TVirtualMouse& AMouse, std::uint32_t ABank) {
    const auto Bank = AMouse.Bank(ABank);
    if (!Bank) {
        return Fail(L"no such bank");
    }
    std::printf("button table: ");
    PrintHex(Bank->FButtonTable.data(), Bank->FButtonTable.size());
    for (std::size_t Slot = 0; Slot < VMOUSE_MACRO_SLOTS; ++Slot) {
        std::printf("macro slot %zu: ", Slot);
        PrintHex(Bank->FMacroSlots[Slot].data(), Bank->FMacroSlots[Slot].size());
    }
    return 0;
}

int Run(const std::vector<std::wstring>& AArgs) {
    if (AArgs.size() < 2) {
        return Usage();
    }
    const std::wstring& Command = AArgs[1];
    std::wstring Error;
    if (Command == L"install" || Command == L"plug") {
        return PlugIn(AArgs);
    }
    if (Command == L"unplug") {
        return Unplug(Error) ? 0 : Fail(Error);
    }
    if (Command == L"uninstall") {
        return Uninstall(Error) ? 0 : Fail(Error);
    }
    TVirtualMouse Mouse;
    if (!Mouse.IsOpen()) {
        return Fail(L"the mouse's driver is not loaded (virtual-mouse install)");
    }
    const auto Number = [&](std::size_t AIndex, unsigned long ADefault, int ABase = 10) {
        return AArgs.size() > AIndex ? std::wcstoul(AArgs[AIndex].c_str(), nullptr, ABase)
                                     : ADefault;
    };
    if (Command == L"status") {
        return PrintStatus(Mouse);
    }
    if (Command == L"press" && AArgs.size() == 3) {
        return Mouse.PressButton(Number(2, 0)) ? 0 : Fail(L"the press did not go out");
    }
    if (Command == L"profile" && AArgs.size() == 3) {
        return Mouse.SelectProfile(Number(2, 0)) ? 0 : Fail(L"the report did not go out");
    }
    if (Command == L"report" && AArgs.size() >= 4) {
        std::vector<std::uint8_t> Bytes;
        if (!ParseHex(AArgs, 3, Bytes)) {
            return Usage();
        }
        return Mouse.PushReport(Number(2, 0), Bytes) ? 0 : Fail(L"the report did not go out");
    }
    if (Command == L"log") {
        return PrintLog(Mouse, Number(2, 0));
    }
    if (Command == L"bank" && AArgs.size() == 3) {
        return PrintBank(Mouse, Number(2, 0));
    }
    if (Command == L"fault" && AArgs.size() >= 3 && AArgs.size() <= 6) {
        const TVmouseFeatureFault Fault{static_cast<std::uint32_t>(Number(4, 0)),
                                        static_cast<std::uint32_t>(Number(2, 0)),
                                        static_cast<std::int32_t>(Number(3, DEFAULT_FAILURE, 16)),
                                        static_cast<std::uint32_t>(Number(5, 0))};
        return Mouse.FaultFeatureWrites(Fault) ? 0 : Fail(L"refused");
    }
    if (Command == L"reset") {
        return Mouse.Reset() ? 0 : Fail(L"refused");
    }
    return Usage();
}

} // namespace

int wmain(int AArgCount, wchar_t** AArgs) {
    return Run(std::vector<std::wstring>(AArgs, AArgs + AArgCount));
}
