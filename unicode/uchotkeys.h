// Hot keys of wide captions: the character after a single "&" ("&&" is a literal "&"), the
// caption without its hot keys, and whether a typed key is a caption's accelerator. Menus,
// labels, buttons and group boxes share these rules.
#pragma once

#include "unicode/ucsystem.h"

#include <cstdint>

// The system runs with a Far-East (double-byte) locale; there a hot key is often written as
// a bracketed group after the text, "Open(&O)". Replaceable for tests.
extern bool (*UcFarEastLocale)();

// The position (from 1) of the last hot key of Caption: a character after an "&" that is
// not itself an "&"; 0 when there is none.
int WideHotKeyPosition(const WideString& Caption);
// That character, or an empty text.
WideString WideHotKeyChar(const WideString& Caption);
// The key character (a code below 256 is a character of the keyboard's code page) is the
// hot key of Caption, compared without regard to case.
bool MatchesWideAccelerator(uint16_t Char, const WideString& Caption);

// Caption with every "&" removed, a doubled one leaving one "&". Under a Far-East locale a
// bracketed group "(&X)" after some text goes whole.
WideString StripWideHotKeys(const WideString& Caption);
// The two captions are the same once their hot keys are stripped: without regard to case,
// or exactly.
bool SameWideCaption(const WideString& A, const WideString& B, bool Exact = false);
