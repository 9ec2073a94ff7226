#pragma once

// Stand-ins that pass every call on to the simulated machine and write what the monitor did to
// the trace. The monitor and its data module are given these instead of the machine's own
// services, so the trace sees exactly what they do and nothing that the scenario does.

#include "Trace.h"

#include "platform/DebugOutput.h"
#include "platform/FileSystem.h"
#include "platform/Hid.h"
#include "platform/InputSynthesis.h"
#include "platform/Registry.h"
#include "platform/SceneWindow.h"
#include "platform/Shell.h"
#include "platform/TrayIcon.h"
#include "platform/sim/SimInputSynthesis.h"

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace vanto::simrun {

class TTracingRegistry final : public platform::IRegistry {
public:
    TTracingRegistry(platform::IRegistry& AInner, TTrace& ATrace)
        : FInner(AInner), FTrace(ATrace) {}

    bool KeyExists(const std::u16string& AKeyPath) override { return FInner.KeyExists(AKeyPath); }
    bool CreateKey(const std::u16string& AKeyPath) override;
    // Reads are traced too: a reload is what the configuration application's notices cause.
    std::optional<platform::TRegValue> ReadValue(const std::u16string& AKeyPath,
                                                 const std::u16string& AName) override;
    std::optional<std::uint64_t> ValueSize(const std::u16string& AKeyPath,
                                           const std::u16string& AName) override {
        return FInner.ValueSize(AKeyPath, AName);
    }
    bool WriteBinaryValue(const std::u16string& AKeyPath, const std::u16string& AName,
                          const void* AData, std::size_t ASize) override;
    bool WriteDWordValue(const std::u16string& AKeyPath, const std::u16string& AName,
                         std::uint32_t AValue) override;

private:
    void Written(bool AOk, const std::u16string& AKeyPath, const std::u16string& AName,
                 const std::string& AWhat);

    platform::IRegistry& FInner;
    TTrace& FTrace;
};

// A profile is saved to NAME.tmp and then put in place; the trace shows that as one write of
// NAME, since the temporary file is a detail of how the save stays whole.
class TTracingFileSystem final : public platform::IFileSystem {
public:
    TTracingFileSystem(platform::IFileSystem& AInner, TTrace& ATrace)
        : FInner(AInner), FTrace(ATrace) {}

    bool FileExists(const std::u16string& APath) override { return FInner.FileExists(APath); }
    std::optional<std::uint64_t> FileSize(const std::u16string& APath) override {
        return FInner.FileSize(APath);
    }
    bool FolderExists(const std::u16string& APath) override { return FInner.FolderExists(APath); }
    bool MakeFolder(const std::u16string& APath) override;
    std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::u16string& APath) override {
        return FInner.ReadWholeFile(APath);
    }
    bool WriteWholeFile(const std::u16string& APath, const void* AData, std::size_t ASize) override;
    bool ReplaceWith(const std::u16string& ASource, const std::u16string& ATarget) override;
    bool RemoveFile(const std::u16string& APath) override;
    platform::TDriveType DriveType(char16_t ADriveLetter) override {
        return FInner.DriveType(ADriveLetter);
    }

private:
    platform::IFileSystem& FInner;
    TTrace& FTrace;
    std::map<std::u16string, std::size_t> FPendingSizes;
};

// Readers write here from their own threads.
class TTracingDebugOutput final : public platform::IDebugOutput {
public:
    TTracingDebugOutput(platform::IDebugOutput& AInner, TTrace& ATrace)
        : FInner(AInner), FTrace(ATrace) {}

    void Write(const std::u16string& AText) override;
    std::size_t LineCount();
    // Real time, bounded: a reader that lost its device reports it from its own thread.
    bool WaitForLineCount(std::size_t AAtLeast, unsigned AMaxWaitMs);

private:
    platform::IDebugOutput& FInner;
    TTrace& FTrace;
    std::mutex FLock;
    std::condition_variable FWritten;
    std::size_t FCount = 0;
};

// The monitor looks at each collection through a handle of its own before it starts a reader,
// and the reader opens the collection again while that look is still open. Only this second
// handle reads, so only an open beside a live handle of the same path counts as "mouse opened".
class TTracingHid final : public platform::IHid {
public:
    TTracingHid(platform::IHid& AInner, TTrace& ATrace)
        : FInner(AInner), FTrace(ATrace), FLiveHandles(std::make_shared<TLiveHandles>()) {}

    std::optional<std::vector<platform::THidInterfaceInfo>> PresentInterfaces() override {
        return FInner.PresentInterfaces();
    }
    std::unique_ptr<platform::IHidDevice> Open(const std::u16string& APath,
                                               bool AForReading) override;
    // Wrapped, so that a reader's rests show in the trace.
    std::unique_ptr<platform::IHidStopSignal> CreateStopSignal() override;

    // Handles are closed on reader threads as well as on the main thread.
    struct TLiveHandles {
        std::mutex FLock;
        std::map<std::u16string, std::size_t> FCount;
        // Called after each feature report, so the trace shows it where it was sent.
        std::function<void()> FAfterFeature;
    };

    void SetAfterFeature(std::function<void()> ACallback) {
        FLiveHandles->FAfterFeature = std::move(ACallback);
    }

private:
    platform::IHid& FInner;
    TTrace& FTrace;
    std::shared_ptr<TLiveHandles> FLiveHandles;
};

class TTracingTrayIcon final : public platform::ITrayIcon {
public:
    TTracingTrayIcon(platform::ITrayIcon& AInner, TTrace& ATrace)
        : FInner(AInner), FTrace(ATrace) {}

    bool Add(platform::TWindowHandle AOwner, platform::TMessageId ACallbackMessage,
             const std::u16string& AHint) override;
    bool SetHint(const std::u16string& AHint) override;
    void Remove() override;
    void ShowMenu(const std::vector<platform::TMenuItem>& AItems) override;
    platform::TMessageId TaskbarCreatedMessage() override { return FInner.TaskbarCreatedMessage(); }
    void SetIconVariant(platform::TTrayIconVariant AVariant) override;

    const std::vector<platform::TMenuItem>& LastMenu() const { return FLastMenu; }

private:
    platform::ITrayIcon& FInner;
    TTrace& FTrace;
    std::vector<platform::TMenuItem> FLastMenu;
    platform::TTrayIconVariant FVariant = platform::TTrayIconVariant::Plain;
};

class TTracingSceneWindows final : public platform::ISceneWindows {
public:
    TTracingSceneWindows(platform::ISceneWindows& AInner, TTrace& ATrace)
        : FInner(AInner), FTrace(ATrace) {}

    std::unique_ptr<platform::ISceneWindow>
    CreateSceneWindow(platform::TWindowHandle AOwner, platform::TMessageId AClickMessage,
                      platform::TScenePlacement APlacement,
                      const platform::TSceneWindowStyle& AStyle) override;

private:
    platform::ISceneWindows& FInner;
    TTrace& FTrace;
};

class TTracingShell final : public platform::IShell {
public:
    TTracingShell(platform::IShell& AInner, TTrace& ATrace) : FInner(AInner), FTrace(ATrace) {}

    std::optional<std::u16string> DocumentsFolder() override { return FInner.DocumentsFolder(); }
    std::u16string ExecutableFolder() override { return FInner.ExecutableFolder(); }
    bool OpenProgram(const std::u16string& AFile, const std::u16string& AWorkingFolder) override;

private:
    platform::IShell& FInner;
    TTrace& FTrace;
};

// Every event the monitor synthesises, when it is sent, with the simulated time it carries. A
// playback sends from its own thread.
class TTracingInputSynthesis final : public platform::IInputSynthesis {
public:
    TTracingInputSynthesis(sim::TSimInputSynthesis& AInner, TTrace& ATrace)
        : FInner(AInner), FTrace(ATrace) {}

    platform::TCursorPos CursorPos() override { return FInner.CursorPos(); }
    void SendKey(std::uint8_t AVirtualKey, std::uint8_t AScanCode, bool AExtended,
                 bool AUp) override;
    void SendMouse(std::uint32_t AFlags, platform::TCursorPos APos, std::int32_t AData) override;
    bool WaitPrecise(std::uint32_t AMs) override { return FInner.WaitPrecise(AMs); }
    void CancelWaits() noexcept override { FInner.CancelWaits(); }
    void ArmWaits() noexcept override { FInner.ArmWaits(); }
    void BeginPlayback() noexcept override { FInner.BeginPlayback(); }
    void EndPlayback() noexcept override { FInner.EndPlayback(); }

private:
    void Sent(const std::string& AWhat);

    sim::TSimInputSynthesis& FInner;
    TTrace& FTrace;
};

} // namespace vanto::simrun
