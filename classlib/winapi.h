// The one way every unit of the library includes the Windows API.
//
// Our classes' method names (GetObject, DrawText, LoadString ...) collide with the API's
// character-set macros. Every unit sees the same undefinitions here, so class layouts agree
// across translation units; the library always names the "A" or "W" function it means.
#pragma once

#ifndef STRICT
#define STRICT
#endif
#include <cstdint>
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#undef GetObject
#undef DrawText
#undef LoadString
#undef CreateFile
#undef FindFirstFile
#undef SetWindowText
#undef GetWindowText
#undef GetFullPathName
#undef GetModuleFileName
#undef LoadLibrary
#undef CharUpper
#undef CharUpperBuff
#undef CreateWindow
#undef MessageBox
#undef FindResource
#undef GetClassName
#undef GetClassInfo
#undef RegisterClass
#undef UnregisterClass
#undef SendMessage
#undef PostMessage
#undef DispatchMessage
#undef PeekMessage
#undef GetMessage
#undef DefWindowProc
#undef CallWindowProc
#undef IsDialogMessage
#undef GetWindowLong
#undef SetWindowLong
#undef GetProp
#undef SetProp
#undef RemoveProp
#undef TextOut
#undef GetTextExtentPoint32
#undef CreateFont
#undef GetCommandLine
#undef FormatMessage
#undef ExtractFilePath
#undef InsertMenu
#undef AppendMenu
#undef ModifyMenu
#undef GetMenuString
#undef LoadIcon
#undef LoadCursor
#undef LoadBitmap
#undef LoadImage
#undef EnumFonts
#undef Yield

// The state of an owner-drawn item (menu items, list and combo box items): the system's
// ODS_* bits, as DRAWITEMSTRUCT carries them.
enum TOwnerDrawStateFlag : uint16_t {
    odSelected = ODS_SELECTED,
    odGrayed = ODS_GRAYED,
    odDisabled = ODS_DISABLED,
    odChecked = ODS_CHECKED,
    odFocused = ODS_FOCUS,
    odDefault = ODS_DEFAULT,
    odHotLight = ODS_HOTLIGHT,
    odInactive = ODS_INACTIVE,
    odNoAccel = ODS_NOACCEL,
    odNoFocusRect = ODS_NOFOCUSRECT,
    odComboBoxEdit = ODS_COMBOBOXEDIT,
};
using TOwnerDrawState = uint16_t;
