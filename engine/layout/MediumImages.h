#pragma once
#include "engine/layout/FileTables.h"

// Which entries of ImageFileTable the medium holds, from one listing of its
// Application\Images folder: a search per image costs a folder scan each.
// An entry is present when the listing has a file or folder of its name
// (any case), as a search on its path would find it.
void FindMediumImages(const wchar_t* sourceDir, bool (&present)[kImageFileCount]);
