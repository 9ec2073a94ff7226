#pragma once

#include "platform/Shell.h"

namespace vanto::sim {

class TSimShell : public platform::IShell {
public:
    TSimShell(std::u16string ADocumentsFolder, std::u16string AExecutableFolder)
        : FDocumentsFolder(std::move(ADocumentsFolder)),
          FExecutableFolder(std::move(AExecutableFolder)) {}

    std::optional<std::u16string> DocumentsFolder() override { return FDocumentsFolder; }
    std::u16string ExecutableFolder() override { return FExecutableFolder; }

    // No folder: the shell could not tell where the user's documents are.
    void SetDocumentsFolder(std::optional<std::u16string> AFolder) {
        FDocumentsFolder = std::move(AFolder);
    }
    void SetExecutableFolder(std::u16string AFolder) { FExecutableFolder = std::move(AFolder); }

private:
    std::optional<std::u16string> FDocumentsFolder;
    std::u16string FExecutableFolder;
};

} // namespace vanto::sim
