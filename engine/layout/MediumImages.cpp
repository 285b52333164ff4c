#include "engine/layout/MediumImages.h"

#include <windows.h>

#include "engine/config/Paths.h"
#include "framework/Handle.h"

namespace {

// Every entry of the table is "Images\NAME".
const wchar_t kImagesPrefix[] = L"Images\\";
constexpr int kImagesPrefixChars = sizeof kImagesPrefix / sizeof kImagesPrefix[0] - 1;

void MarkListed(const wchar_t* name, bool (&present)[kImageFileCount]) {
    for (int i = 0; i < kImageFileCount; ++i)
        if (!present[i] && ::lstrcmpiW(ImageFileTable[i] + kImagesPrefixChars, name) == 0) present[i] = true;
}

bool IsDots(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

} // namespace

void FindMediumImages(const wchar_t* sourceDir, bool (&present)[kImageFileCount]) {
    for (bool& p : present) p = false;
    // Where even the pattern does not fit, no image's path would.
    wchar_t pattern[kPathChars];
    if (!FormatPath(pattern, L"%s%s", sourceDir, L"Application\\Images\\*")) return;
    WIN32_FIND_DATAW found;
    fw::FindHandle search(::FindFirstFileW(pattern, &found));
    if (!search.IsValid()) return;
    do {
        if (!IsDots(found.cFileName)) MarkListed(found.cFileName, present);
    } while (::FindNextFileW(search.Get(), &found));
}
