#include "platform/win32/Win32WindowSystem.h"

#include "platform/win32/WideText.h"

#include <windows.h>

#include <array>
#include <exception>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace vanto::win32 {

using platform::TLParam;
using platform::TMessageId;
using platform::TMessageResult;
using platform::TWindowHandle;
using platform::TWParam;

namespace {

// What one window keeps from its creator; Windows holds it in GWLP_USERDATA.
struct TWindowRecord {
    platform::TWindowProc FProc;
    // Null once the owning window system has let go of the window.
    std::set<TWindowHandle>* FOwnerWindows = nullptr;
    // A proc may destroy its own window; the record then outlives the window until the
    // outermost call into the proc has returned.
    int FBusy = 0;
    bool FWindowGone = false;
};

// user32 frames cannot be unwound by C++ exceptions, so a throwing proc parks its exception
// here until control is back in our own code.
thread_local std::exception_ptr PendingException;

void RaisePendingException() {
    if (PendingException) {
        std::rethrow_exception(std::exchange(PendingException, nullptr));
    }
}

HWND ToHwnd(TWindowHandle AWindow) {
    return reinterpret_cast<HWND>(AWindow);
}

TWindowHandle ToHandle(HWND AWindow) {
    return reinterpret_cast<TWindowHandle>(AWindow);
}

TWindowRecord* RecordOf(HWND AWindow) {
    return reinterpret_cast<TWindowRecord*>(GetWindowLongPtrW(AWindow, GWLP_USERDATA));
}

// The creator hands the record over in the creation parameters; whatever Windows does not
// take here is freed by the creator.
TWindowRecord* AdoptRecord(HWND AWindow, LPARAM ACreateStruct) {
    const auto* Create = reinterpret_cast<const CREATESTRUCTW*>(ACreateStruct);
    auto* Offered = static_cast<std::unique_ptr<TWindowRecord>*>(Create->lpCreateParams);
    TWindowRecord* Record = Offered->release();
    SetWindowLongPtrW(AWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Record));
    return Record;
}

void DetachRecord(HWND AWindow, TWindowRecord& ARecord) {
    SetWindowLongPtrW(AWindow, GWLP_USERDATA, 0);
    if (ARecord.FOwnerWindows != nullptr) {
        ARecord.FOwnerWindows->erase(ToHandle(AWindow));
    }
    ARecord.FWindowGone = true;
}

LRESULT CallProc(TWindowRecord& ARecord, UINT AMsg, WPARAM AWParam, LPARAM ALParam) {
    if (!ARecord.FProc) {
        return 0;
    }
    ++ARecord.FBusy;
    LRESULT Result = 0;
    try {
        Result = ARecord.FProc(AMsg, AWParam, ALParam);
    } catch (...) {
        if (!PendingException) {
            PendingException = std::current_exception();
        }
    }
    --ARecord.FBusy;
    return Result;
}

bool ProcAnswers(UINT AMsg) {
    return AMsg >= WM_USER || AMsg == WM_TIMER;
}

LRESULT CALLBACK WindowProcedure(HWND AWindow, UINT AMsg, WPARAM AWParam, LPARAM ALParam) {
    TWindowRecord* Record = AMsg == WM_NCCREATE ? AdoptRecord(AWindow, ALParam) : RecordOf(AWindow);
    if (Record == nullptr) {
        return DefWindowProcW(AWindow, AMsg, AWParam, ALParam);
    }
    const LRESULT Result = CallProc(*Record, AMsg, AWParam, ALParam);
    if (AMsg == WM_NCDESTROY) {
        DetachRecord(AWindow, *Record);
    }
    if (Record->FWindowGone && Record->FBusy == 0) {
        delete Record;
    }
    return ProcAnswers(AMsg) ? Result : DefWindowProcW(AWindow, AMsg, AWParam, ALParam);
}

HINSTANCE ThisModule() {
    return GetModuleHandleW(nullptr);
}

void Dispatch(const MSG& AMsg) {
    TranslateMessage(&AMsg);
    DispatchMessageW(&AMsg);
    RaisePendingException();
}

} // namespace

TWin32WindowSystem::~TWin32WindowSystem() {
    const std::set<TWindowHandle> Windows = std::exchange(FWindows, {});
    for (TWindowHandle Window : Windows) {
        if (TWindowRecord* Record = RecordOf(ToHwnd(Window))) {
            Record->FOwnerWindows = nullptr;
        }
        DestroyWindow(ToHwnd(Window));
    }
    for (const std::u16string& ClassName : FRegisteredClasses) {
        UnregisterClassW(AsWide(ClassName), ThisModule());
    }
    // A destructor cannot report what a dying window's proc threw.
    PendingException = nullptr;
}

TWindowHandle TWin32WindowSystem::CreateHiddenWindow(const std::u16string& AClassName,
                                                     const std::u16string& ATitle,
                                                     platform::TWindowProc AProc) {
    if (!EnsureClassRegistered(AClassName)) {
        return 0;
    }
    auto Record = std::make_unique<TWindowRecord>();
    Record->FProc = std::move(AProc);
    Record->FOwnerWindows = &FWindows;
    // Not a message-only window: the configuration application and a second monitor find this
    // one with FindWindowW, which does not see message-only windows.
    const HWND Window = CreateWindowExW(0, AsWide(AClassName), AsWide(ATitle), WS_OVERLAPPED,
                                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                        nullptr, nullptr, ThisModule(), &Record);
    if (Window == nullptr) {
        RaisePendingException();
        return 0;
    }
    FWindows.insert(ToHandle(Window));
    RaisePendingException();
    return ToHandle(Window);
}

void TWin32WindowSystem::DestroyHiddenWindow(TWindowHandle AWindow) {
    if (FWindows.contains(AWindow)) {
        DestroyWindow(ToHwnd(AWindow));
        RaisePendingException();
    }
}

TWindowHandle TWin32WindowSystem::FindTopWindow(const std::u16string& AClassName) {
    return ToHandle(FindWindowW(AsWide(AClassName), nullptr));
}

bool TWin32WindowSystem::BringToForeground(TWindowHandle AWindow) {
    return SetForegroundWindow(reinterpret_cast<HWND>(AWindow)) != FALSE;
}

std::u16string TWin32WindowSystem::ForegroundWindowTitle() {
    std::array<wchar_t, 256> Title{};
    const HWND Window = GetForegroundWindow();
    const int Length = Window != nullptr ? GetWindowTextW(Window, Title.data(), Title.size()) : 0;
    return FromWide(std::wstring_view(Title.data(), Length > 0 ? Length : 0));
}

namespace {

// The mandatory integrity level of a process's token (the last sub-authority of its label).
std::optional<DWORD> IntegrityLevelOf(HANDLE AProcess) {
    HANDLE Token = nullptr;
    if (!OpenProcessToken(AProcess, TOKEN_QUERY, &Token)) {
        return std::nullopt;
    }
    std::optional<DWORD> Level;
    DWORD Size = 0;
    GetTokenInformation(Token, TokenIntegrityLevel, nullptr, 0, &Size);
    std::vector<BYTE> Buffer(Size);
    if (Size >= sizeof(TOKEN_MANDATORY_LABEL) &&
        GetTokenInformation(Token, TokenIntegrityLevel, Buffer.data(), Size, &Size)) {
        const PSID Sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(Buffer.data())->Label.Sid;
        const UCHAR Count = *GetSidSubAuthorityCount(Sid);
        if (Count > 0) {
            Level = *GetSidSubAuthority(Sid, Count - 1U);
        }
    }
    CloseHandle(Token);
    return Level;
}

} // namespace

bool TWin32WindowSystem::ForegroundIsElevated() {
    const std::optional<DWORD> Ours = IntegrityLevelOf(GetCurrentProcess());
    const HWND Window = GetForegroundWindow();
    DWORD ProcessId = 0;
    if (!Ours || Window == nullptr || GetWindowThreadProcessId(Window, &ProcessId) == 0 ||
        ProcessId == GetCurrentProcessId()) {
        return false;
    }
    // A process of higher integrity refuses this query or its token; either way it is one the
    // synthesised input cannot reach.
    const HANDLE Process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, ProcessId);
    if (Process == nullptr) {
        return true;
    }
    const std::optional<DWORD> Theirs = IntegrityLevelOf(Process);
    CloseHandle(Process);
    return !Theirs || *Theirs > *Ours;
}

void TWin32WindowSystem::HideWindow(TWindowHandle AWindow) {
    ShowWindow(ToHwnd(AWindow), SW_HIDE);
}

bool TWin32WindowSystem::Post(TWindowHandle AWindow, TMessageId AMsg, TWParam AWParam,
                              TLParam ALParam) {
    // Posting to no window would make it a thread message that no window proc ever sees.
    return AWindow != 0 && PostMessageW(ToHwnd(AWindow), AMsg, AWParam, ALParam) != 0;
}

TMessageResult TWin32WindowSystem::Send(TWindowHandle AWindow, TMessageId AMsg, TWParam AWParam,
                                        TLParam ALParam) {
    if (AWindow == 0) {
        return 0;
    }
    const LRESULT Result = SendMessageW(ToHwnd(AWindow), AMsg, AWParam, ALParam);
    RaisePendingException();
    return Result;
}

bool TWin32WindowSystem::StartTimer(TWindowHandle AWindow, std::uintptr_t ATimerId,
                                    std::uint32_t AIntervalMs) {
    // Without a window SetTimer would ignore the id and choose one of its own.
    return AWindow != 0 && SetTimer(ToHwnd(AWindow), ATimerId, AIntervalMs, nullptr) != 0;
}

void TWin32WindowSystem::StopTimer(TWindowHandle AWindow, std::uintptr_t ATimerId) {
    if (AWindow != 0) {
        KillTimer(ToHwnd(AWindow), ATimerId);
    }
}

int TWin32WindowSystem::RunMessageLoop() {
    MSG Msg{};
    while (GetMessageW(&Msg, nullptr, 0, 0) > 0) {
        Dispatch(Msg);
    }
    return Msg.message == WM_QUIT ? static_cast<int>(Msg.wParam) : -1;
}

bool TWin32WindowSystem::ProcessPendingMessages() {
    MSG Msg{};
    while (PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) {
        if (Msg.message == WM_QUIT) {
            // Handed back so that the message loop further out still ends.
            PostQuitMessage(static_cast<int>(Msg.wParam));
            return false;
        }
        Dispatch(Msg);
    }
    return true;
}

void TWin32WindowSystem::Quit(int AExitCode) {
    PostQuitMessage(AExitCode);
}

bool TWin32WindowSystem::EnsureClassRegistered(const std::u16string& AClassName) {
    if (FRegisteredClasses.contains(AClassName)) {
        return true;
    }
    // Another window system of this process may have registered it already; that is only
    // usable when it leads to the same window procedure.
    WNDCLASSEXW Existing{};
    Existing.cbSize = sizeof Existing;
    if (GetClassInfoExW(ThisModule(), AsWide(AClassName), &Existing)) {
        return Existing.lpfnWndProc == WindowProcedure;
    }
    WNDCLASSEXW Class{};
    Class.cbSize = sizeof Class;
    Class.lpfnWndProc = WindowProcedure;
    Class.hInstance = ThisModule();
    Class.lpszClassName = AsWide(AClassName);
    if (RegisterClassExW(&Class) == 0) {
        return false;
    }
    FRegisteredClasses.insert(AClassName);
    return true;
}

} // namespace vanto::win32
