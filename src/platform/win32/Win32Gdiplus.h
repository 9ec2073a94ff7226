#pragma once

#include <string>

namespace vanto::win32 {

// Keeps GDI+ started while at least one scope lives; the last one to go shuts it down.
// gdiplus.dll is delay-loaded: the first scope maps it, and the last one unloads it again.
// Scenes are drawn on the thread that runs the windows, so the count needs no lock.
class TGdiplusScope {
public:
    TGdiplusScope();
    ~TGdiplusScope();
    TGdiplusScope(const TGdiplusScope&) = delete;
    TGdiplusScope& operator=(const TGdiplusScope&) = delete;

    bool Started() const { return FStarted; }

private:
    bool FStarted = false;
};

// The family every scene text is drawn in: the first installed one of a preferred list that
// covers Latin and Chinese, else any installed family. GDI+ draws no text at all with a
// family that is missing, so the choice is made from what exists. Chosen once per process;
// needs a live TGdiplusScope. Empty when no family is installed.
const std::wstring& SceneFontFamily();

} // namespace vanto::win32
