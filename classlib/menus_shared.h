// What the sources of the menus unit share among themselves; no other unit includes this.
#pragma once

#include "classlib/menus.h"

namespace zmenus {

extern const char* const MenuItemAutoFlagNames[3];

char UpperChar(char C);
bool IsLeadByte(char C);

} // namespace zmenus

using namespace zmenus;
