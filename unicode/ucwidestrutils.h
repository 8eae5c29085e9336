// Zero-terminated wide buffers. Counts are in characters.
#pragma once

#include "classlib/sysutils.h"

// A buffer for N characters; a 32-bit size header (2 bytes a character plus 4) lies in
// front of the pointer handed out. Freed with WideBufFree.
WideChar* WideBufAlloc(size_t Size);
void WideBufFree(WideChar* Buf);
WideChar* WideBufMove(WideChar* Dest, const WideChar* Source, size_t Count);
WideChar* WideBufNew(const WideChar* Source);   // null for a null source
size_t CountWideChars(const WideChar* Buf);
WideChar* WideBufEnd(WideChar* Buf);
WideChar* WideBufLCopy(WideChar* Dest, const WideChar* Source, size_t MaxLen);
WideChar* WideBufPLCopy(WideChar* Dest, const WideString& Source, size_t MaxLen);
WideChar* WideBufPCopy(WideChar* Dest, const WideString& Source);
WideChar* WideBufScan(WideChar* Buf, WideChar C);   // null when the terminator comes first
