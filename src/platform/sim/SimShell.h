#pragma once

#include "platform/Shell.h"

#include <vector>

namespace vanto::sim {

class TSimShell : public platform::IShell {
public:
    TSimShell(std::u16string ADocumentsFolder, std::u16string AExecutableFolder)
        : FDocumentsFolder(std::move(ADocumentsFolder)),
          FExecutableFolder(std::move(AExecutableFolder)) {}

    std::optional<std::u16string> DocumentsFolder() override { return FDocumentsFolder; }
    std::u16string ExecutableFolder() override { return FExecutableFolder; }

    // Records the start, which always succeeds.
    bool OpenProgram(const std::u16string& AFile, const std::u16string& AWorkingFolder) override {
        FStarted.push_back({AFile, AWorkingFolder});
        return true;
    }
    struct TStart {
        std::u16string FFile;
        std::u16string FWorkingFolder;
    };
    const std::vector<TStart>& Started() const { return FStarted; }

    // No folder: the shell could not tell where the user's documents are.
    void SetDocumentsFolder(std::optional<std::u16string> AFolder) {
        FDocumentsFolder = std::move(AFolder);
    }
    void SetExecutableFolder(std::u16string AFolder) { FExecutableFolder = std::move(AFolder); }

private:
    std::optional<std::u16string> FDocumentsFolder;
    std::u16string FExecutableFolder;
    std::vector<TStart> FStarted;
};

} // namespace vanto::sim
