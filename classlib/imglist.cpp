#include "classlib/imglist.h"
#include "classlib/gdihandles.h"

#include <algorithm>

Z_CLASS_IMPL(TChangeLink, TObject)

TChangeLink::~TChangeLink()
{
    if (FSender)
        FSender->UnRegisterChanges(this);
}

void TChangeLink::Change()
{
    if (OnChange)
        OnChange(FSender);
}

Z_CLASS_IMPL(TCustomImageList, TComponent, Z_PROP_INT(TCustomImageList, Width, 16),
             Z_PROP_INT(TCustomImageList, Height, 16), Z_PROP_INT(TCustomImageList, BkColor, clNone))
Z_CLASS_IMPL(TImageList, TCustomImageList)

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::TCustomImageList(int AWidth, int AHeight) : TComponent(nullptr)
{
    FWidth = std::max(1, AWidth);
    FHeight = std::max(1, AHeight);
}

TCustomImageList::~TCustomImageList()
{
    // The links outlive the list only as empty links.
    for (TChangeLink* link : FClients)
        link->SetSender(nullptr);
    FClients.clear();
    FreeHandle();
}

void TCustomImageList::FreeHandle()
{
    if (FHandle)
        ImageList_Destroy(FHandle);
    FHandle = nullptr;
}

HIMAGELIST TCustomImageList::Handle()
{
    if (!FHandle) {
        FHandle = ImageList_Create(FWidth, FHeight, ILC_COLOR24 | ILC_MASK, 4, 4);
        if (!FHandle)
            RaiseLastOSError();
        if (FBkColor != clNone)
            ImageList_SetBkColor(FHandle, ColorToRGB(FBkColor));
    }
    return FHandle;
}

int TCustomImageList::Count() const
{
    return FHandle ? ImageList_GetImageCount(FHandle) : 0;
}

void TCustomImageList::SetWidth(int Value)
{
    Value = std::max(1, Value);
    if (Value == FWidth)
        return;
    FWidth = Value;
    FreeHandle();
    Change();
}

void TCustomImageList::SetHeight(int Value)
{
    Value = std::max(1, Value);
    if (Value == FHeight)
        return;
    FHeight = Value;
    FreeHandle();
    Change();
}

void TCustomImageList::SetBkColor(TColor Value)
{
    if (FBkColor == Value)
        return;
    FBkColor = Value;
    if (FHandle)
        ImageList_SetBkColor(FHandle, Value == clNone ? CLR_NONE : ColorToRGB(Value));
    Change();
}

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask)
{
    if (!Image || Image->Empty() || Image->Width() < FWidth)
        return -1;
    // Copies: the system selects the bitmaps into DCs of its own, which fails for a bitmap
    // still selected into its canvas.
    TBitmap image;
    image.Assign(Image);
    TBitmap mask;
    if (Mask && !Mask->Empty())
        mask.Assign(Mask);
    int result = ImageList_Add(Handle(), image.Handle(), mask.Empty() ? nullptr : mask.Handle());
    if (result >= 0)
        Change();
    return result;
}

int TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor)
{
    if (!Image || Image->Empty() || Image->Width() < FWidth)
        return -1;
    // The system blackens the masked pixels of the bitmap it is given, and cannot select
    // one still selected into its canvas: give it a copy.
    TBitmap copy;
    copy.Assign(Image);
    int result = ImageList_AddMasked(Handle(), copy.Handle(), ColorToRGB(MaskColor));
    if (result >= 0)
        Change();
    return result;
}

int TCustomImageList::AddIcon(TIcon* Image)
{
    if (!Image || Image->Empty())
        return -1;
    int result = ImageList_AddIcon(Handle(), Image->Handle());
    if (result >= 0)
        Change();
    return result;
}

void TCustomImageList::Delete(int Index)
{
    if (Index < 0 || Index >= Count())
        throw EInvalidOperation("Invalid image list index");
    ImageList_Remove(FHandle, Index);
    Change();
}

void TCustomImageList::Clear()
{
    if (FHandle && Count() > 0) {
        ImageList_Remove(FHandle, -1);
        Change();
    }
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled)
{
    if (!Canvas || Index < 0 || Index >= Count())
        return;
    HDC dc = Canvas->Handle();
    if (Enabled) {
        ImageList_DrawEx(FHandle, Index, dc, X, Y, 0, 0, CLR_NONE, CLR_DEFAULT, ILD_TRANSPARENT);
        return;
    }
    // The system's embossed look of a disabled picture.
    if (const TOwnedIcon icon(ImageList_GetIcon(FHandle, Index, ILD_TRANSPARENT)); icon)
        DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon.Handle()), 0, X, Y, FWidth, FHeight,
                   DST_ICON | DSS_DISABLED);
}

bool TCustomImageList::GetBitmap(int Index, TBitmap* Image)
{
    if (!Image || Index < 0 || Index >= Count())
        return false;
    Image->SetPixelFormat(pf24bit);
    Image->SetSize(FWidth, FHeight);
    TCanvas* c = Image->Canvas();
    c->Brush()->SetColor(FBkColor == clNone ? clBtnFace : FBkColor);
    c->FillRect(Rect(0, 0, FWidth, FHeight));
    ImageList_Draw(FHandle, Index, c->Handle(), 0, 0, ILD_TRANSPARENT);
    return true;
}

void TCustomImageList::RegisterChanges(TChangeLink* Value)
{
    if (!Value)
        return;
    if (Value->Sender() && Value->Sender() != this)
        Value->Sender()->UnRegisterChanges(Value);
    Value->SetSender(this);
    if (std::find(FClients.begin(), FClients.end(), Value) == FClients.end())
        FClients.push_back(Value);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Value)
{
    auto it = std::find(FClients.begin(), FClients.end(), Value);
    if (it != FClients.end())
        FClients.erase(it);
    if (Value && Value->Sender() == this)
        Value->SetSender(nullptr);
}

void TCustomImageList::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0 && FChanged)
        Change();
}

void TCustomImageList::Change()
{
    FChanged = true;
    if (FUpdateCount > 0)
        return;
    FChanged = false;
    // A copy: a client may unregister while it is told.
    std::vector<TChangeLink*> clients = FClients;
    for (TChangeLink* link : clients)
        if (std::find(FClients.begin(), FClients.end(), link) != FClients.end())
            link->Change();
    if (OnChange)
        OnChange(this);
}

bool SetImageListRef(TCustomImageList*& Field, TCustomImageList* Value, TChangeLink* Link, TComponent* Watcher)
{
    if (Field == Value)
        return false;
    if (Field) {
        if (Link)
            Field->UnRegisterChanges(Link);
        Field->RemoveFreeNotification(Watcher);
    }
    Field = Value;
    if (Field) {
        if (Link)
            Field->RegisterChanges(Link);
        Field->FreeNotification(Watcher);
    }
    return true;
}
