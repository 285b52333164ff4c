#include "engine/MediumImages.h"

#include <windows.h>

#include "engine/Paths.h"
#include "framework/Handle.h"

namespace {

const wchar_t kImagesPrefix[] = L"Images\\";
const int kImagesPrefixChars = sizeof kImagesPrefix / sizeof kImagesPrefix[0] - 1;

// The table's own entries, spelt as the table spells them.
bool InImagesFolder(const wchar_t* entry) {
    for (int i = 0; i < kImagesPrefixChars; ++i)
        if (entry[i] != kImagesPrefix[i]) return false;
    return entry[kImagesPrefixChars] != L'\0';
}

void MarkListed(const wchar_t* name, bool (&present)[kImageFileCount]) {
    for (int i = 0; i < kImageFileCount; ++i) {
        const wchar_t* entry = ImageFileTable[i];
        if (!present[i] && ::lstrcmpiW(entry + kImagesPrefixChars, name) == 0 && InImagesFolder(entry))
            present[i] = true;
    }
}

// Marks what the listing of Application\Images holds; false when the
// folder's pattern does not fit a path.
bool ListImagesFolder(const wchar_t* sourceDir, bool (&present)[kImageFileCount]) {
    wchar_t pattern[kPathChars];
    if (!FormatPath(pattern, L"%s%s\\%s*", sourceDir, L"Application", kImagesPrefix)) return false;
    WIN32_FIND_DATAW found;
    fw::FindHandle search(::FindFirstFileW(pattern, &found));
    if (!search.IsValid()) return true;
    do {
        if (::lstrcmpW(found.cFileName, L".") != 0 && ::lstrcmpW(found.cFileName, L"..") != 0)
            MarkListed(found.cFileName, present);
    } while (::FindNextFileW(search.Get(), &found));
    return true;
}

} // namespace

void FindMediumImages(const wchar_t* sourceDir, bool (&present)[kImageFileCount]) {
    for (bool& p : present) p = false;
    bool listed = ListImagesFolder(sourceDir, present);
    wchar_t from[kPathChars];
    for (int i = 0; i < kImageFileCount; ++i) {
        if (listed && InImagesFolder(ImageFileTable[i])) continue;
        present[i] = FormatPath(from, L"%s%s\\%s", sourceDir, L"Application", ImageFileTable[i]) && PathExists(from);
    }
}
