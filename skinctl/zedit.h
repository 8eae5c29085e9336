// The skinned single-line edit: the platform's edit in a Unicode window, with UTF-16 text, a
// wide password character and a wide selection; skinned, its border is painted from the
// cache of the section "EDIT" and its client area takes the section's colours, while the
// system's edit window keeps the typing, the caret and the selection.
#pragma once

#include "skinctl/zeditcontrol.h"

class TzEdit : public TzEditControl<TEdit> {
    Z_CLASS(TzEdit, TEdit)
public:
    // Type code 3; its section ("EDIT" unless one is named) is set when it settles.
    explicit TzEdit(TComponent* AOwner);

    // The character shown instead of each WideChar of the text; the platform's ANSI
    // PasswordChar shows "*" for one that has no single-byte form.
    WideChar WidePasswordChar();
    void SetWidePasswordChar(WideChar Value);

    // The width of the frame the window really has: 2 for a 3-D single border, 1 for a flat
    // one, 0 without; and one pixel more for each bevel drawn (a bevel kind other than
    // bkNone). Border strips are never wider, so they never cover the text.
    int FrameWidth() const;
    // The whole picture in the cache for the current state: the section over the parent's
    // picture, the text, and the disabled look. Done only when the picture is stale.
    void PrepareEditCache();

protected:
    // The text into the cache: the wide password character once per WideChar, or the text,
    // in the section's text colours (the hot ones while active and not read-only).
    virtual void PaintText();
    void CreateWnd() override;
    // An edit shows no picture its children could stand on (SKCMD_ISIMAGEBG answers 0).
    bool PreviewMessage(TMessage& Message) override;
    // Without the skin the system paints its own frame again; a refresh repaints.
    void SkinChanged(TWMSkinCommand& Command) override;
    // The client area painted by the system's edit in the section's colours, the frame from
    // the cache, the print of both; a custom colour's change makes the picture stale.
    bool SkinnedBefore(TMessage& Message) override;
    // Focus, mouse, text, font, visibility and size changes paint the frame again.
    void SkinnedAfter(TMessage& Message) override;

private:
    void WMPaint(TMessage& Message);
    // The window has a frame outside its client area.
    bool HasNonClientFrame();
    // The four border strips from the cache to the window's frame.
    void PaintBorder();
    // Strips Strip pixels wide along the four edges, from the cache to DC.
    void CopyBorder(HDC DC, int Strip);
    void WMPrint(TMessage& Message);
    // The whole cache copied to DC.
    void PaintToDC(HDC DC);
    // The section's colours (the hot ones while active) on the control, unless it keeps its
    // own.
    void TakeStateColors();

    WideChar FWidePasswordChar = 0;
};
