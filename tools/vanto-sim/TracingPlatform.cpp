#include "TracingPlatform.h"

#include <chrono>

namespace vanto::simrun {

namespace {

constexpr std::u16string_view TEMPORARY_SUFFIX = u".tmp";

bool EndsWith(std::u16string_view AText, std::u16string_view ASuffix) {
    return AText.size() >= ASuffix.size() && AText.substr(AText.size() - ASuffix.size()) == ASuffix;
}

// An on-screen message is traced by what it says, as the user reads it.
constexpr char ON_SCREEN_MESSAGE_NAME[] = "osd";

std::string SceneTexts(const platform::TScene& AScene) {
    std::string Texts;
    for (const platform::TSceneItem& Item : AScene.Items) {
        if (Item.FKind == platform::TSceneItemKind::Text && !Item.FText.empty()) {
            Texts += (Texts.empty() ? "" : " | ") + Utf8(Item.FText);
        }
    }
    return Texts;
}

class TTracingSceneWindow final : public platform::ISceneWindow {
public:
    TTracingSceneWindow(std::unique_ptr<platform::ISceneWindow> AInner, std::string AName,
                        TTrace& ATrace)
        : FInner(std::move(AInner)), FName(std::move(AName)), FTrace(ATrace) {}

    void Show(const platform::TScene& AScene) override {
        FInner->Show(AScene);
        if (FName == ON_SCREEN_MESSAGE_NAME) {
            FTrace.Line(FName + ": " + SceneTexts(AScene));
            return;
        }
        FTrace.Line(FName + " shown (" + std::to_string(AScene.Width) + "x" +
                    std::to_string(AScene.Height) + "): " + SceneTexts(AScene));
    }
    void Hide() override {
        FInner->Hide();
        FTrace.Line(FName + " hidden");
    }
    // A fade is many small steps; the trace keeps to what the user would describe.
    void SetOpacity(std::uint8_t AOpacity) override { FInner->SetOpacity(AOpacity); }
    bool IsVisible() override { return FInner->IsVisible(); }
    void BringToFront() override {
        FInner->BringToFront();
        FTrace.Line(FName + " brought to the foreground");
    }
    platform::TWindowHandle Handle() override { return FInner->Handle(); }

private:
    std::unique_ptr<platform::ISceneWindow> FInner;
    std::string FName;
    TTrace& FTrace;
};

// A reader's rests between reads that brought nothing show in the trace.
class TTracingStopSignal final : public platform::IHidStopSignal {
public:
    TTracingStopSignal(std::unique_ptr<platform::IHidStopSignal> AInner, TTrace& ATrace)
        : FInner(std::move(AInner)), FTrace(ATrace) {}

    void Set() override { FInner->Set(); }
    void Reset() override { FInner->Reset(); }
    bool IsSet() override { return FInner->IsSet(); }
    bool Wait(std::uint32_t AMilliseconds) override {
        FTrace.Line("mouse reader rests " + std::to_string(AMilliseconds) + " ms");
        return FInner->Wait(AMilliseconds);
    }

    // The simulated read waits on the machine's own signal.
    platform::IHidStopSignal& Inner() { return *FInner; }

private:
    std::unique_ptr<platform::IHidStopSignal> FInner;
    TTrace& FTrace;
};

// Passes everything on and keeps the count of live handles per path.
class TCountedHidDevice final : public platform::IHidDevice {
public:
    TCountedHidDevice(std::unique_ptr<platform::IHidDevice> AInner, std::u16string APath,
                      std::shared_ptr<TTracingHid::TLiveHandles> ALive, TTrace& ATrace)
        : FInner(std::move(AInner)), FPath(std::move(APath)), FLive(std::move(ALive)),
          FTrace(ATrace) {}
    ~TCountedHidDevice() override {
        FInner.reset();
        std::lock_guard Guard(FLive->FLock);
        --FLive->FCount[FPath];
    }
    TCountedHidDevice(const TCountedHidDevice&) = delete;
    TCountedHidDevice& operator=(const TCountedHidDevice&) = delete;

    bool GetAttributes() override { return FInner->GetAttributes(); }
    std::optional<platform::THidCaps> GetCaps() override { return FInner->GetCaps(); }
    platform::THidReadResult Read(std::uint8_t* ABuffer, std::uint32_t ALength,
                                  platform::IHidStopSignal& AStop) override {
        auto* Tracing = dynamic_cast<TTracingStopSignal*>(&AStop);
        const platform::THidReadResult Result =
            FInner->Read(ABuffer, ALength, Tracing != nullptr ? Tracing->Inner() : AStop);
        // A pulled device shows as the reader's own notice; any other failure is news.
        if (Result.FStatus == platform::THidReadStatus::Failed &&
            Result.FError != platform::HID_ERROR_DEVICE_NOT_CONNECTED) {
            FTrace.Line("mouse read failed: error " + std::to_string(Result.FError));
        }
        return Result;
    }
    std::uint32_t SetFeature(const std::uint8_t* AReport, std::uint32_t ALength) override {
        const std::uint32_t Result = FInner->SetFeature(AReport, ALength);
        if (FLive->FAfterFeature) {
            FLive->FAfterFeature();
        }
        return Result;
    }
    std::uint32_t GetFeature(std::uint8_t* AReport, std::uint32_t ALength) override {
        return FInner->GetFeature(AReport, ALength);
    }
    std::uint32_t Write(const std::uint8_t* AReport, std::uint32_t ALength) override {
        return FInner->Write(AReport, ALength);
    }
    std::uint32_t MaxUsageListLength() override { return FInner->MaxUsageListLength(); }
    std::optional<std::vector<std::uint16_t>> UsagesOn(const std::uint8_t* AReport,
                                                       std::uint32_t ALength) override {
        return FInner->UsagesOn(AReport, ALength);
    }

private:
    std::unique_ptr<platform::IHidDevice> FInner;
    std::u16string FPath;
    std::shared_ptr<TTracingHid::TLiveHandles> FLive;
    TTrace& FTrace;
};

std::string MouseEventName(std::uint32_t AFlags, std::int32_t AData) {
    switch (AFlags) {
    case platform::MOUSE_LEFT_DOWN:
        return "left down";
    case platform::MOUSE_LEFT_UP:
        return "left up";
    case platform::MOUSE_RIGHT_DOWN:
        return "right down";
    case platform::MOUSE_RIGHT_UP:
        return "right up";
    case platform::MOUSE_MIDDLE_DOWN:
        return "middle down";
    case platform::MOUSE_MIDDLE_UP:
        return "middle up";
    case platform::MOUSE_WHEEL:
        return AData > 0 ? "wheel up" : "wheel down";
    default:
        return "flags " + std::to_string(AFlags) + " data " + std::to_string(AData);
    }
}

} // namespace

bool TTracingRegistry::CreateKey(const std::u16string& AKeyPath) {
    const bool Existed = FInner.KeyExists(AKeyPath);
    const bool Ok = FInner.CreateKey(AKeyPath);
    if (!Existed && Ok) {
        FTrace.Line("registry key created: " + Utf8(AKeyPath));
    }
    return Ok;
}

std::optional<platform::TRegValue> TTracingRegistry::ReadValue(const std::u16string& AKeyPath,
                                                               const std::u16string& AName) {
    std::optional<platform::TRegValue> Value = FInner.ReadValue(AKeyPath, AName);
    FTrace.Line("registry read: " + Utf8(AKeyPath) + "\\" + Utf8(AName) +
                (Value ? " (" + std::to_string(Value->FData.size()) + " bytes)" : " (missing)"));
    return Value;
}

bool TTracingRegistry::WriteBinaryValue(const std::u16string& AKeyPath, const std::u16string& AName,
                                        const void* AData, std::size_t ASize) {
    const bool Ok = FInner.WriteBinaryValue(AKeyPath, AName, AData, ASize);
    Written(Ok, AKeyPath, AName, "binary " + std::to_string(ASize) + " bytes");
    return Ok;
}

bool TTracingRegistry::WriteDWordValue(const std::u16string& AKeyPath, const std::u16string& AName,
                                       std::uint32_t AValue) {
    const bool Ok = FInner.WriteDWordValue(AKeyPath, AName, AValue);
    Written(Ok, AKeyPath, AName, "dword " + std::to_string(AValue));
    return Ok;
}

void TTracingRegistry::Written(bool AOk, const std::u16string& AKeyPath,
                               const std::u16string& AName, const std::string& AWhat) {
    FTrace.Line(std::string(AOk ? "registry write: " : "registry write refused: ") +
                Utf8(AKeyPath) + "\\" + Utf8(AName) + " = " + AWhat);
}

bool TTracingFileSystem::MakeFolder(const std::u16string& APath) {
    const bool Existed = FInner.FolderExists(APath);
    const bool Ok = FInner.MakeFolder(APath);
    if (!Existed) {
        FTrace.Line((Ok ? "folder created: " : "folder not created: ") + Utf8(APath));
    }
    return Ok;
}

bool TTracingFileSystem::WriteWholeFile(const std::u16string& APath, const void* AData,
                                        std::size_t ASize) {
    const bool Ok = FInner.WriteWholeFile(APath, AData, ASize);
    if (Ok && EndsWith(APath, TEMPORARY_SUFFIX)) {
        FPendingSizes[APath] = ASize;
        return Ok;
    }
    FTrace.Line((Ok ? "file write: " : "file write failed: ") + Utf8(APath) + " (" +
                std::to_string(ASize) + " bytes)");
    return Ok;
}

bool TTracingFileSystem::ReplaceWith(const std::u16string& ASource, const std::u16string& ATarget) {
    const bool Ok = FInner.ReplaceWith(ASource, ATarget);
    auto Pending = FPendingSizes.find(ASource);
    const std::string Size =
        Pending == FPendingSizes.end() ? "" : " (" + std::to_string(Pending->second) + " bytes)";
    if (Pending != FPendingSizes.end()) {
        FPendingSizes.erase(Pending);
    }
    FTrace.Line(Ok ? "file write: " + Utf8(ATarget) + Size
                   : "file replace failed: " + Utf8(ATarget) + " from " + Utf8(ASource));
    return Ok;
}

bool TTracingFileSystem::RemoveFile(const std::u16string& APath) {
    const bool Ok = FInner.RemoveFile(APath);
    FPendingSizes.erase(APath);
    if (Ok && !EndsWith(APath, TEMPORARY_SUFFIX)) {
        FTrace.Line("file removed: " + Utf8(APath));
    }
    return Ok;
}

void TTracingDebugOutput::Write(const std::u16string& AText) {
    FInner.Write(AText);
    FTrace.Line("debug: " + Utf8(AText));
    {
        std::lock_guard Guard(FLock);
        ++FCount;
    }
    FWritten.notify_all();
}

std::size_t TTracingDebugOutput::LineCount() {
    std::lock_guard Guard(FLock);
    return FCount;
}

bool TTracingDebugOutput::WaitForLineCount(std::size_t AAtLeast, unsigned AMaxWaitMs) {
    std::unique_lock Guard(FLock);
    return FWritten.wait_for(Guard, std::chrono::milliseconds(AMaxWaitMs),
                             [&] { return FCount >= AAtLeast; });
}

std::unique_ptr<platform::IHidDevice> TTracingHid::Open(const std::u16string& APath,
                                                        bool AForReading) {
    std::unique_ptr<platform::IHidDevice> Device = FInner.Open(APath, AForReading);
    if (!Device) {
        return Device;
    }
    bool Beside = false;
    {
        std::lock_guard Guard(FLiveHandles->FLock);
        Beside = FLiveHandles->FCount[APath]++ != 0;
    }
    if (AForReading && Beside) {
        FTrace.Line("mouse opened: " + Utf8(APath));
    }
    return std::make_unique<TCountedHidDevice>(std::move(Device), APath, FLiveHandles, FTrace);
}

std::unique_ptr<platform::IHidStopSignal> TTracingHid::CreateStopSignal() {
    return std::make_unique<TTracingStopSignal>(FInner.CreateStopSignal(), FTrace);
}

bool TTracingTrayIcon::Add(platform::TWindowHandle AOwner, platform::TMessageId ACallbackMessage,
                           const std::u16string& AHint) {
    FTrace.Line("tray: icon shown, hint " + Quoted(AHint));
    return FInner.Add(AOwner, ACallbackMessage, AHint);
}

bool TTracingTrayIcon::SetHint(const std::u16string& AHint) {
    FTrace.Line("tray: hint " + Quoted(AHint));
    return FInner.SetHint(AHint);
}

void TTracingTrayIcon::Remove() {
    FTrace.Line("tray: icon removed");
    FInner.Remove();
}

void TTracingTrayIcon::ShowMenu(const std::vector<platform::TMenuItem>& AItems) {
    std::string Captions;
    for (const platform::TMenuItem& Item : AItems) {
        Captions += (Captions.empty() ? "" : " | ") + Utf8(Item.FCaption);
    }
    FTrace.Line("tray: menu " + Captions);
    FLastMenu = AItems;
    FInner.ShowMenu(AItems);
}

// Only a change is traced: the icon shows a state, not each time it was told it.
void TTracingTrayIcon::SetIconVariant(platform::TTrayIconVariant AVariant) {
    if (AVariant != FVariant) {
        FVariant = AVariant;
        switch (AVariant) {
        case platform::TTrayIconVariant::MicrophoneLive:
            FTrace.Line("tray: microphone on");
            break;
        case platform::TTrayIconVariant::MicrophoneMuted:
            FTrace.Line("tray: microphone muted");
            break;
        case platform::TTrayIconVariant::NoMicrophone:
            FTrace.Line("tray: no microphone");
            break;
        case platform::TTrayIconVariant::Plain:
            FTrace.Line("tray: plain icon");
            break;
        }
    }
    FInner.SetIconVariant(AVariant);
}

std::unique_ptr<platform::ISceneWindow> TTracingSceneWindows::CreateSceneWindow(
    platform::TWindowHandle AOwner, platform::TMessageId AClickMessage,
    platform::TScenePlacement APlacement, const platform::TSceneWindowStyle& AStyle) {
    // The placement tells the windows apart: the About window sits in the middle of the
    // desktop, the recording overlay at the bottom of the screen, an on-screen message at the
    // bottom of the screen that holds the pointer.
    std::string Name = APlacement == platform::TScenePlacement::CentredOnDesktop ? "about window"
                       : APlacement == platform::TScenePlacement::BottomCentreOfPointerScreen
                           ? ON_SCREEN_MESSAGE_NAME
                           : "record window";
    return std::make_unique<TTracingSceneWindow>(
        FInner.CreateSceneWindow(AOwner, AClickMessage, APlacement, AStyle), std::move(Name),
        FTrace);
}

bool TTracingShell::OpenProgram(const std::u16string& AFile, const std::u16string& AWorkingFolder) {
    const bool Ok = FInner.OpenProgram(AFile, AWorkingFolder);
    FTrace.Line((Ok ? "shell: started " : "shell: could not start ") + Utf8(AFile) + " in " +
                Utf8(AWorkingFolder));
    return Ok;
}

void TTracingInputSynthesis::SendKey(std::uint8_t AVirtualKey, std::uint8_t AScanCode,
                                     bool AExtended, bool AUp) {
    FInner.SendKey(AVirtualKey, AScanCode, AExtended, AUp);
    Sent("key " + std::to_string(AVirtualKey) + (AUp ? " up" : " down"));
}

void TTracingInputSynthesis::SendMouse(std::uint32_t AFlags, platform::TCursorPos APos,
                                       std::int32_t AData) {
    FInner.SendMouse(AFlags, APos, AData);
    Sent("mouse " + MouseEventName(AFlags, AData));
}

// Only the playback thread sends, so the last event is the one just sent.
void TTracingInputSynthesis::Sent(const std::string& AWhat) {
    const std::optional<sim::TSimInputEvent> Event = FInner.LastEvent();
    FTrace.Line("input at " + std::to_string(Event ? Event->AtMs : 0) + " ms: " + AWhat);
}

} // namespace vanto::simrun
