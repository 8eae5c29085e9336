// The mouse pointer put at a point and held there for a test.
#pragma once

#include <windows.h>

// Under Wine the pointer reaches its place through the X server, and a late event of an
// earlier move can put it back at any time, even while no message is run. The pointer is held
// to the one point instead: whatever event comes, the system keeps it there until the holder
// goes.
class THeldPointer {
public:
    THeldPointer() = default;
    explicit THeldPointer(POINT At) { MoveTo(At); }
    THeldPointer(const THeldPointer&) = delete;
    THeldPointer& operator=(const THeldPointer&) = delete;
    ~THeldPointer() { ClipCursor(nullptr); }
    void MoveTo(POINT At)
    {
        const RECT only{At.x, At.y, At.x + 1, At.y + 1};
        ClipCursor(&only);
        SetCursorPos(At.x, At.y);
    }
};
