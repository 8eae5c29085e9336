#include "skinctl/zsplitter.h"

#include "classlib/forms.h"
#include "skinctl/zskinctl.h"

Z_CLASS_IMPL(TzSplitter, TSplitter, Z_PROP_INT(TzSplitter, Width, 6), Z_PROP_OBJ(TzSplitter, SkinData))

TzSplitter::TzSplitter(TComponent* AOwner)
    : TSplitter(AOwner), FSkinData(MakeSkinData(this, ctSplitter, false))
{
    SetControlStyle(csAcceptsControls | csCaptureMouse | csClickEvents | csOpaque | csDoubleClicks);
    SetWidth(6);
}

TzSplitter::~TzSplitter()
{
    // A splitter freed in the middle of a press gives the hints back.
    if (FSavedShowHint && Application)
        Application->SetShowHint(*FSavedShowHint);
    FSkinData.reset();
}

void TzSplitter::AfterConstruction()
{
    TSplitter::AfterConstruction();
    FSkinData->Loaded();
}

void TzSplitter::Loaded()
{
    TSplitter::Loaded();
    FSkinData->Loaded();
}

void TzSplitter::Dispatch(TMessage& Message)
{
    TSplitter::Dispatch(Message);
    // A press lost to another window never sees its release.
    if (Message.Msg == WM_CANCELMODE && FPressed)
        EndPress();
}

void TzSplitter::Paint()
{
    if (!FSkinData->Skinned()) {
        TSplitter::Paint();
        return;
    }
    if (WaitsForParent(FSkinData.get()))
        return;
    const int state = FPressed && ResizeStyle() == rsUpdate ? 2 : ActiveState(FSkinData.get());
    PaintSectionFromCache(this, FSkinData.get(), Canvas()->Handle(), state, false);
    if (IsDesigning()) {
        TCanvas* c = Canvas();
        c->Pen()->SetStyle(psDot);
        c->Pen()->SetMode(pmXor);
        c->Pen()->SetColor(TColor(0xFFD8CE));
        c->Brush()->SetStyle(bsClear);
        c->Rectangle(0, 0, Width(), Height());
    }
    if (OnPaint)
        OnPaint(this);
}

void TzSplitter::GatherSnappedControls()
{
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
        TControl* c = Parent()->Controls(i);
        if (Align() == alTop && c->Height() == 0)
            c->SetTop(Top());
        else if (Align() == alLeft && c->Width() == 0)
            c->SetLeft(Left());
    }
}

void TzSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (!FSavedShowHint && Application) {
        FSavedShowHint = Application->ShowHint();
        Application->SetShowHint(false);
    }
    if (AutoSnap() && Parent())
        GatherSnappedControls();
    TSplitter::MouseDown(Button, Shift, X, Y);
    FPressed = true;
    if (ResizeStyle() == rsUpdate)
        Repaint();
}

void TzSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSplitter::MouseUp(Button, Shift, X, Y);
    EndPress();
}

void TzSplitter::EndPress()
{
    FPressed = false;
    if (ResizeStyle() == rsUpdate)
        Repaint();
    if (FSavedShowHint && Application)
        Application->SetShowHint(*FSavedShowHint);
    FSavedShowHint.reset();
}
