// The built-in skin: a folder skin turned into a structured internal skin and stored in the
// form data of the gallery's form, which owns the skin manager.
#pragma once

#include "skin/zskinmanager.h"

// Fills Skin's collections and skin-wide values from loaded records, so that reading the
// stored skin gives the same sections, images and master bitmap.
void StoreSkinRecords(const TSkSkinRecords& Records, TzStoredSkin* Skin);

// The form data ("TPF0") of the gallery's form: a form named "GalleryForm" that owns a skin
// manager "SkinManager" with SkinDirectory "Skins", show animations off, a skin-change
// animation time of 0, and one internal skin called Name made from the folder skin at
// Folder (with a trailing backslash), whose name is the manager's SkinName. False when the
// folder holds no skin. No other skin manager may exist while it runs: the one made here
// must be the default manager.
bool WriteBuiltinSkinForm(const WideString& Folder, const WideString& Name, TStream* Out);
