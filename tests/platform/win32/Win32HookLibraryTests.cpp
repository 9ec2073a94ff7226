#include "platform/win32/Win32HookLibrary.h"

#include "platform/Utf16.h"
#include "platform/win32/WideText.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace vanto::win32 {
namespace {

using platform::THookLoadResult;

constexpr char16_t LIBRARY_NAME[] = u"uiHook.dll";

std::u16string ModuleFileName(HMODULE AModule) {
    std::vector<wchar_t> Buffer(32768);
    const DWORD Length =
        GetModuleFileNameW(AModule, Buffer.data(), static_cast<DWORD>(Buffer.size()));
    return FromWide({Buffer.data(), Length});
}

// Where the build put the real library and the decoys.
std::u16string TestsFolder() {
    const std::u16string Path = ModuleFileName(nullptr);
    return Path.substr(0, Path.find_last_of(u'\\'));
}

bool IsLoaded(const std::u16string& APath) {
    return GetModuleHandleW(AsWide(APath)) != nullptr;
}

::testing::AssertionResult IsModuleAt(HMODULE AModule, const std::u16string& APath) {
    const std::u16string Loaded = ModuleFileName(AModule);
    if (CompareStringOrdinal(AsWide(Loaded), -1, AsWide(APath), -1, TRUE) == CSTR_EQUAL) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "loaded " << EscapeForPrinting(Loaded);
}

// A fresh folder below the user's temporary folder, removed again with its copy of the library.
class TTempFolder {
public:
    TTempFolder() {
        wchar_t Temp[MAX_PATH + 1];
        const DWORD Length = GetTempPathW(MAX_PATH + 1, Temp);
        FPath = FromWide({Temp, Length}) + u"VantoHookTests-" +
                DecimalToUtf16(std::random_device{}() & 0x7FFFFFFF);
        CreateDirectoryW(AsWide(FPath), nullptr);
    }
    ~TTempFolder() {
        DeleteFileW(AsWide(LibraryPath()));
        RemoveDirectoryW(AsWide(FPath));
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::u16string& Path() const { return FPath; }
    std::u16string LibraryPath() const { return FPath + u"\\" + LIBRARY_NAME; }

    // A copy of the real library, as someone might plant it.
    bool HoldLibraryCopy() const {
        return CopyFileW(AsWide(TestsFolder() + u"\\" + LIBRARY_NAME), AsWide(LibraryPath()),
                         FALSE) != 0;
    }

private:
    std::u16string FPath;
};

// The working folder and the front of PATH point elsewhere while it lives.
class TSearchPathScope {
public:
    TSearchPathScope(const std::u16string& AWorkingFolder, const std::u16string& APathFolder) {
        FWorkingFolder.resize(GetCurrentDirectoryW(0, nullptr));
        FWorkingFolder.resize(GetCurrentDirectoryW(FWorkingFolder.size(), FWorkingFolder.data()));
        FPath.resize(GetEnvironmentVariableW(L"PATH", nullptr, 0));
        FPath.resize(GetEnvironmentVariableW(L"PATH", FPath.data(), FPath.size()));
        SetCurrentDirectoryW(AsWide(AWorkingFolder));
        SetEnvironmentVariableW(L"PATH",
                                (std::wstring(AsWide(APathFolder)) + L";" + FPath).c_str());
    }
    ~TSearchPathScope() {
        SetCurrentDirectoryW(FWorkingFolder.c_str());
        SetEnvironmentVariableW(L"PATH", FPath.c_str());
    }
    TSearchPathScope(const TSearchPathScope&) = delete;
    TSearchPathScope& operator=(const TSearchPathScope&) = delete;

private:
    std::wstring FWorkingFolder;
    std::wstring FPath;
};

TEST(Win32HookLibraryTest, LoadsTheLibraryBesideTheExecutableByDefault) {
    TWin32HookLibrary Library;
    ASSERT_EQ(Library.Load(), THookLoadResult::Loaded);
    EXPECT_TRUE(IsModuleAt(Library.Module(), TestsFolder() + u"\\" + LIBRARY_NAME));
}

// A second Load that loaded again would leave the library mapped after one Unload.
TEST(Win32HookLibraryTest, LoadsOnceFromTheGivenFolderUntilUnloaded) {
    TTempFolder Folder;
    ASSERT_TRUE(Folder.HoldLibraryCopy());
    TWin32HookLibrary Library(Folder.Path());
    ASSERT_EQ(Library.Load(), THookLoadResult::Loaded);
    EXPECT_TRUE(IsModuleAt(Library.Module(), Folder.LibraryPath()));
    const HMODULE First = Library.Module();
    ASSERT_EQ(Library.Load(), THookLoadResult::Loaded);
    EXPECT_EQ(Library.Module(), First);
    Library.Unload();
    EXPECT_EQ(Library.Module(), nullptr);
    EXPECT_FALSE(IsLoaded(Folder.LibraryPath()));
    EXPECT_EQ(Library.Load(), THookLoadResult::Loaded);
    EXPECT_TRUE(IsLoaded(Folder.LibraryPath()));
}

TEST(Win32HookLibraryTest, CopiesInTheWorkingFolderOrOnThePathAreNeverLoaded) {
    TTempFolder Empty;
    TTempFolder Working;
    TTempFolder OnPath;
    ASSERT_TRUE(Working.HoldLibraryCopy());
    ASSERT_TRUE(OnPath.HoldLibraryCopy());
    {
        TSearchPathScope Scope(Working.Path(), OnPath.Path());
        TWin32HookLibrary Library(Empty.Path());
        EXPECT_EQ(Library.Load(), THookLoadResult::NotFound);
        EXPECT_EQ(Library.Module(), nullptr);
        TWin32HookLibrary Unnamed(u"");
        EXPECT_EQ(Unnamed.Load(), THookLoadResult::NotFound);
    }
    EXPECT_FALSE(IsLoaded(Working.LibraryPath()));
    EXPECT_FALSE(IsLoaded(OnPath.LibraryPath()));
    // Nor the one beside the tests, which a search by name would find first.
    EXPECT_EQ(GetModuleHandleW(AsWide(LIBRARY_NAME)), nullptr);
}

TEST(Win32HookLibraryTest, ALibraryLackingAnEntryPointIsIncompleteAndFreedAgain) {
    for (const char* Missing :
         {"EnableKeyboardHook", "DisableKeyboardHook", "EnableMouseHook", "DisableMouseHook"}) {
        SCOPED_TRACE(Missing);
        const std::u16string Folder = TestsFolder() + u"\\without-" + AsciiToUtf16(Missing);
        const std::u16string Path = Folder + u"\\" + LIBRARY_NAME;
        ASSERT_NE(GetFileAttributesW(AsWide(Path)), INVALID_FILE_ATTRIBUTES);
        TWin32HookLibrary Library(Folder);
        EXPECT_EQ(Library.Load(), THookLoadResult::Incomplete);
        EXPECT_EQ(Library.Module(), nullptr);
        EXPECT_FALSE(IsLoaded(Path));
    }
}

// ---------------------------------------------------------------------------------------------
// Callbacks, from input injected with SendInput on another thread, as the system's own input
// comes from elsewhere: the hooks must be called from this thread's message loop. Wine runs
// low-level hooks for injected input and marks it as injected, as Windows does.

// Our own events carry one of these; the callback withholds the second kind.
constexpr ULONG_PTR PASS_MARK = 0x56414E54;
constexpr ULONG_PTR BLOCK_MARK = 0x56414E55;
// F24 and F23 exist on no keyboard here, so sending them disturbs nothing.
constexpr WORD QUIET_KEY = VK_F24;
constexpr WORD MARKER_KEY = VK_F23;
constexpr DWORD WAIT_MS = 5000;
constexpr RECT TARGET_RECT = {100, 100, 300, 300};

struct TSeenEvent {
    DWORD FThread = 0;
    void* FContext = nullptr;
    std::int32_t FCode = 0;
    std::uintptr_t FMessage = 0;
    std::uint8_t FBlockOnEntry = 0;
    DWORD FFlags = 0;
    ULONG_PTR FExtra = 0;
    POINT FPoint{};
    DWORD FKey = 0;
};

// What the callbacks were handed. They find it through Current rather than through their
// context, so that a wrong context fails a check instead of crashing.
struct TObserver {
    std::vector<TSeenEvent> FSeen;

    // Those of our own events, not the pointer moves the system makes up.
    std::vector<TSeenEvent> Ours() const {
        std::vector<TSeenEvent> Result;
        std::copy_if(FSeen.begin(), FSeen.end(), std::back_inserter(Result),
                     [](const TSeenEvent& AEvent) {
                         return AEvent.FExtra == PASS_MARK || AEvent.FExtra == BLOCK_MARK;
                     });
        return Result;
    }

    static inline TObserver* Current = nullptr;
};

void Note(TSeenEvent AEvent, void* AContext, std::int32_t ACode, std::uintptr_t AMessage,
          std::uint8_t* ABlock) {
    AEvent.FThread = GetCurrentThreadId();
    AEvent.FContext = AContext;
    AEvent.FCode = ACode;
    AEvent.FMessage = AMessage;
    AEvent.FBlockOnEntry = *ABlock;
    if (AEvent.FExtra == BLOCK_MARK) {
        *ABlock = 1;
    }
    if (TObserver::Current != nullptr) {
        TObserver::Current->FSeen.push_back(AEvent);
    }
}

void OnMouse(void* AContext, std::int32_t ACode, std::uintptr_t AMessage, const void* ARecord,
             std::uint8_t* ABlock) {
    const auto* Record = static_cast<const platform::TMSLLHOOKSTRUCT*>(ARecord);
    TSeenEvent Event;
    Event.FFlags = Record->flags;
    Event.FExtra = Record->dwExtraInfo;
    Event.FPoint = {Record->X, Record->Y};
    Note(Event, AContext, ACode, AMessage, ABlock);
}

void OnKey(void* AContext, std::int32_t ACode, std::uintptr_t AMessage, const void* ARecord,
           std::uint8_t* ABlock) {
    const auto* Record = static_cast<const platform::TKBDLLHOOKSTRUCT*>(ARecord);
    TSeenEvent Event;
    Event.FFlags = Record->flags;
    Event.FExtra = Record->dwExtraInfo;
    Event.FKey = Record->vkCode;
    Note(Event, AContext, ACode, AMessage, ABlock);
}

// A top-most window of the test, to be put under the pointer and given the keyboard focus, that
// notes the button and key messages it receives.
class TTargetWindow {
public:
    TTargetWindow() {
        static const ATOM Class = RegisterOnce();
        FWindow = CreateWindowExW(WS_EX_TOPMOST, MAKEINTATOM(Class), L"Hook target",
                                  WS_POPUP | WS_VISIBLE, TARGET_RECT.left, TARGET_RECT.top,
                                  TARGET_RECT.right - TARGET_RECT.left,
                                  TARGET_RECT.bottom - TARGET_RECT.top, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), this);
    }
    ~TTargetWindow() { DestroyWindow(FWindow); }
    TTargetWindow(const TTargetWindow&) = delete;
    TTargetWindow& operator=(const TTargetWindow&) = delete;

    HWND Handle() const { return FWindow; }
    void Forget() { FGot.clear(); }
    // Buttons are told apart by the message alone, keys by their virtual key too.
    bool Got(UINT AMessage, WPARAM AKey = 0) const {
        return std::any_of(FGot.begin(), FGot.end(), [&](const MSG& AGot) {
            return AGot.message == AMessage && AGot.wParam == AKey;
        });
    }

private:
    static ATOM RegisterOnce() {
        WNDCLASSW Class{};
        Class.lpfnWndProc = WindowProcedure;
        Class.hInstance = GetModuleHandleW(nullptr);
        Class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        Class.lpszClassName = L"VantoHookTarget";
        return RegisterClassW(&Class);
    }

    static LRESULT CALLBACK WindowProcedure(HWND AWindow, UINT AMessage, WPARAM AWParam,
                                            LPARAM ALParam) {
        if (AMessage == WM_NCCREATE) {
            const auto* Create = reinterpret_cast<const CREATESTRUCTW*>(ALParam);
            SetWindowLongPtrW(AWindow, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(Create->lpCreateParams));
        }
        auto* Self = reinterpret_cast<TTargetWindow*>(GetWindowLongPtrW(AWindow, GWLP_USERDATA));
        const bool Button = AMessage >= WM_LBUTTONDOWN && AMessage <= WM_MBUTTONDBLCLK;
        const bool Key = AMessage == WM_KEYDOWN || AMessage == WM_KEYUP;
        if (Self != nullptr && (Button || Key)) {
            Self->FGot.push_back({AWindow, AMessage, Key ? AWParam : 0, 0, 0, {}});
        }
        return DefWindowProcW(AWindow, AMessage, AWParam, ALParam);
    }

    HWND FWindow = nullptr;
    std::vector<MSG> FGot;
};

std::vector<INPUT> Click(DWORD ADown, DWORD AUp, ULONG_PTR AMark) {
    INPUT Down{};
    Down.type = INPUT_MOUSE;
    Down.mi.dwFlags = ADown;
    Down.mi.dwExtraInfo = AMark;
    INPUT Up = Down;
    Up.mi.dwFlags = AUp;
    return {Down, Up};
}

// Where the pointer is.
std::vector<INPUT> LeftClick(ULONG_PTR AMark) {
    return Click(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, AMark);
}

std::vector<INPUT> RightClick(ULONG_PTR AMark) {
    return Click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, AMark);
}

std::vector<INPUT> KeyPress(WORD AKey, ULONG_PTR AMark) {
    INPUT Down{};
    Down.type = INPUT_KEYBOARD;
    Down.ki.wVk = AKey;
    Down.ki.dwExtraInfo = AMark;
    INPUT Up = Down;
    Up.ki.dwFlags = KEYEVENTF_KEYUP;
    return {Down, Up};
}

std::vector<INPUT> operator+(std::vector<INPUT> AFirst, const std::vector<INPUT>& ASecond) {
    AFirst.insert(AFirst.end(), ASecond.begin(), ASecond.end());
    return AFirst;
}

// Hiding or destroying a window that was active waits two seconds for a window manager under
// Wine on a bare X server, so the suite shares one window.
class Win32HookCallbackTest : public testing::Test {
protected:
    static void SetUpTestSuite() { Target = new TTargetWindow(); }
    static void TearDownTestSuite() {
        delete Target;
        Target = nullptr;
    }

    void SetUp() override {
        TObserver::Current = &FObserver;
        ASSERT_EQ(FLibrary.Load(), THookLoadResult::Loaded);
        SetForegroundWindow(Target->Handle());
        SetFocus(Target->Handle());
        ASSERT_EQ(GetForegroundWindow(), Target->Handle());
        ASSERT_TRUE(SetCursorPos(FPoint.x, FPoint.y));
        Pump([] { return true; });
        Target->Forget();
    }
    void TearDown() override {
        FLibrary.Unload();
        TObserver::Current = nullptr;
    }

    // Handles this thread's messages, which is where low-level hooks are called from, until
    // ADone or the wait runs out.
    static bool Pump(const std::function<bool()>& ADone) {
        const ULONGLONG Deadline = GetTickCount64() + WAIT_MS;
        for (;;) {
            MSG Message;
            while (PeekMessageW(&Message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&Message);
                DispatchMessageW(&Message);
            }
            if (ADone()) {
                return true;
            }
            if (GetTickCount64() >= Deadline) {
                return false;
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }

    // Sends AInputs from another thread while this one handles its messages, until the target
    // window got AMessage (with the key AKey). The sender waits for our hooks to answer.
    bool InjectUntilWindowGot(std::vector<INPUT> AInputs, UINT AMessage, WPARAM AKey = 0) {
        std::future<UINT> Sent = std::async(std::launch::async, [&AInputs] {
            return SendInput(static_cast<UINT>(AInputs.size()), AInputs.data(), sizeof(INPUT));
        });
        const bool Arrived = Pump([&] { return Target->Got(AMessage, AKey); });
        // The sender may still wait on us if the input never arrived.
        while (Sent.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
            Pump([] { return true; });
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        EXPECT_EQ(Sent.get(), AInputs.size());
        return Arrived;
    }

    void* Context() { return &FObserver; }

    static inline TTargetWindow* Target = nullptr;
    TObserver FObserver;
    TWin32HookLibrary FLibrary;
    const POINT FPoint = {(TARGET_RECT.left + TARGET_RECT.right) / 2,
                          (TARGET_RECT.top + TARGET_RECT.bottom) / 2};
};

// Input reaches the window in the order it was sent, so once the right click that follows has
// arrived, the left click would have arrived as well had it not been withheld.
TEST_F(Win32HookCallbackTest, MouseHookHandsEveryClickToTheCallbackWhichMayWithholdIt) {
    FLibrary.EnableMouseHook(OnMouse, Context());
    ASSERT_TRUE(InjectUntilWindowGot(LeftClick(BLOCK_MARK) + RightClick(PASS_MARK), WM_RBUTTONUP));
    const std::vector<TSeenEvent> Seen = FObserver.Ours();
    ASSERT_EQ(Seen.size(), 4u);
    EXPECT_EQ(Seen[0].FMessage, static_cast<std::uintptr_t>(WM_LBUTTONDOWN));
    EXPECT_EQ(Seen[1].FMessage, static_cast<std::uintptr_t>(WM_LBUTTONUP));
    EXPECT_EQ(Seen[2].FMessage, static_cast<std::uintptr_t>(WM_RBUTTONDOWN));
    EXPECT_EQ(Seen[3].FMessage, static_cast<std::uintptr_t>(WM_RBUTTONUP));
    for (const TSeenEvent& Event : Seen) {
        EXPECT_EQ(Event.FThread, GetCurrentThreadId());
        EXPECT_EQ(Event.FContext, Context());
        EXPECT_EQ(Event.FCode, HC_ACTION);
        EXPECT_EQ(Event.FBlockOnEntry, 0);
        EXPECT_NE(Event.FFlags & platform::LLMHF_INJECTED_FLAG, 0u);
        EXPECT_EQ(Event.FPoint.x, FPoint.x);
        EXPECT_EQ(Event.FPoint.y, FPoint.y);
    }
    EXPECT_TRUE(Target->Got(WM_RBUTTONDOWN));
    EXPECT_FALSE(Target->Got(WM_LBUTTONDOWN));
    EXPECT_FALSE(Target->Got(WM_LBUTTONUP));
}

TEST_F(Win32HookCallbackTest, KeyboardHookHandsEveryKeyToTheCallbackWhichMayWithholdIt) {
    FLibrary.EnableKeyboardHook(OnKey, Context());
    ASSERT_TRUE(InjectUntilWindowGot(
        KeyPress(QUIET_KEY, BLOCK_MARK) + KeyPress(MARKER_KEY, PASS_MARK), WM_KEYUP, MARKER_KEY));
    const std::vector<TSeenEvent> Seen = FObserver.Ours();
    ASSERT_EQ(Seen.size(), 4u);
    for (std::size_t Index = 0; Index < Seen.size(); ++Index) {
        const TSeenEvent& Event = Seen[Index];
        const bool Release = Index % 2 == 1;
        EXPECT_EQ(Event.FKey, Index < 2 ? QUIET_KEY : MARKER_KEY);
        EXPECT_EQ(Event.FMessage, static_cast<std::uintptr_t>(Release ? WM_KEYUP : WM_KEYDOWN));
        EXPECT_EQ((Event.FFlags & LLKHF_UP) != 0, Release);
        EXPECT_NE(Event.FFlags & LLKHF_INJECTED, 0u);
        EXPECT_EQ(Event.FThread, GetCurrentThreadId());
        EXPECT_EQ(Event.FContext, Context());
        EXPECT_EQ(Event.FCode, HC_ACTION);
        EXPECT_EQ(Event.FBlockOnEntry, 0);
    }
    EXPECT_TRUE(Target->Got(WM_KEYDOWN, MARKER_KEY));
    EXPECT_FALSE(Target->Got(WM_KEYDOWN, QUIET_KEY));
    EXPECT_FALSE(Target->Got(WM_KEYUP, QUIET_KEY));
}

// Every low-level hook has had its turn before the window gets the input.
TEST_F(Win32HookCallbackTest, DisabledHooksCallBackNoMore) {
    FLibrary.EnableMouseHook(OnMouse, Context());
    FLibrary.EnableKeyboardHook(OnKey, Context());
    FLibrary.DisableMouseHook();
    FLibrary.DisableKeyboardHook();
    ASSERT_TRUE(InjectUntilWindowGot(LeftClick(PASS_MARK) + KeyPress(QUIET_KEY, PASS_MARK),
                                     WM_KEYUP, QUIET_KEY));
    EXPECT_TRUE(Target->Got(WM_LBUTTONUP));
    EXPECT_TRUE(FObserver.Ours().empty());
}

// A hook left behind would crash on Windows once the library is gone. Wine skips such a hook
// while its module is not loaded but keeps it, so it shows only once the library is loaded and
// enabled again: then every event calls back twice.
TEST_F(Win32HookCallbackTest, UnloadRemovesHooksStillEnabled) {
    const std::vector<INPUT> Input = LeftClick(PASS_MARK) + KeyPress(QUIET_KEY, PASS_MARK);
    FLibrary.EnableMouseHook(OnMouse, Context());
    FLibrary.EnableKeyboardHook(OnKey, Context());
    FLibrary.Unload();
    ASSERT_TRUE(InjectUntilWindowGot(Input, WM_KEYUP, QUIET_KEY));
    EXPECT_TRUE(Target->Got(WM_LBUTTONUP));
    EXPECT_TRUE(FObserver.Ours().empty());

    ASSERT_EQ(FLibrary.Load(), THookLoadResult::Loaded);
    FLibrary.EnableMouseHook(OnMouse, Context());
    FLibrary.EnableKeyboardHook(OnKey, Context());
    ASSERT_TRUE(InjectUntilWindowGot(Input, WM_KEYUP, QUIET_KEY));
    EXPECT_EQ(FObserver.Ours().size(), Input.size());
}

// A second hook beside the first would call back twice per event.
TEST_F(Win32HookCallbackTest, EnablingAgainReplacesTheHook) {
    int Other = 0;
    FLibrary.EnableMouseHook(OnMouse, &Other);
    FLibrary.EnableMouseHook(OnMouse, Context());
    FLibrary.EnableKeyboardHook(OnKey, &Other);
    FLibrary.EnableKeyboardHook(OnKey, Context());
    ASSERT_TRUE(InjectUntilWindowGot(LeftClick(PASS_MARK) + KeyPress(QUIET_KEY, PASS_MARK),
                                     WM_KEYUP, QUIET_KEY));
    const std::vector<TSeenEvent> Seen = FObserver.Ours();
    EXPECT_EQ(Seen.size(), 4u);
    for (const TSeenEvent& Event : Seen) {
        EXPECT_EQ(Event.FContext, Context());
    }
}

// The key state as the combination recorder reads it, from inside its callback: what was
// pressed before counts, the key being delivered not yet.
struct TKeyStatesSeen {
    TWin32HookLibrary* FLibrary = nullptr;
    bool FSeen = false;
    bool FShiftDown = false;
    bool FOwnKeyDown = false;
};

void OnQuietKeyNoteStates(void* AContext, std::int32_t, std::uintptr_t, const void* ARecord,
                          std::uint8_t*) {
    auto* States = static_cast<TKeyStatesSeen*>(AContext);
    const auto* Record = static_cast<const platform::TKBDLLHOOKSTRUCT*>(ARecord);
    if (Record->dwExtraInfo == PASS_MARK && Record->vkCode == QUIET_KEY &&
        (Record->flags & LLKHF_UP) == 0) {
        States->FSeen = true;
        States->FShiftDown = States->FLibrary->KeyDown(VK_LSHIFT);
        States->FOwnKeyDown = States->FLibrary->KeyDown(QUIET_KEY);
    }
}

TEST_F(Win32HookCallbackTest, KeyDownIsTheSystemsStateBeforeTheEventBeingDelivered) {
    TKeyStatesSeen States{&FLibrary};
    FLibrary.EnableKeyboardHook(OnQuietKeyNoteStates, &States);
    const std::vector<INPUT> Shift = KeyPress(VK_LSHIFT, PASS_MARK);
    ASSERT_TRUE(InjectUntilWindowGot(std::vector<INPUT>{Shift[0]} + KeyPress(QUIET_KEY, PASS_MARK) +
                                         std::vector<INPUT>{Shift[1]} +
                                         KeyPress(MARKER_KEY, PASS_MARK),
                                     WM_KEYUP, MARKER_KEY));
    ASSERT_TRUE(States.FSeen);
    EXPECT_TRUE(States.FShiftDown);
    EXPECT_FALSE(States.FOwnKeyDown);
    EXPECT_FALSE(FLibrary.KeyDown(VK_LSHIFT));
    EXPECT_FALSE(FLibrary.KeyDown(VK_RSHIFT));
}

} // namespace
} // namespace vanto::win32
