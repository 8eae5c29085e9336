#include "unicode/ucsystem.h"

bool PlatformIsUnicode = true;
bool PlatformIsXPOrLater = true;
UINT DefaultConversionCodePage = CP_ACP;

void InitUcSystem()
{
    PlatformIsUnicode = Win32Platform == VER_PLATFORM_WIN32_NT;
    PlatformIsXPOrLater = (Win32MajorVersion == 5 && Win32MinorVersion >= 1) || Win32MajorVersion >= 6;
    DefaultConversionCodePage = CP_THREAD_ACP;
}
