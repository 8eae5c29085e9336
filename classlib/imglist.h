// Image lists: pictures of one size kept in a system image list, drawn by index. Menus,
// actions and list controls name their glyphs by an index into one of these.
#pragma once

#include "classlib/graphics.h"

#include <vector>

class TCustomImageList;

// Tells its owner that an image list changed (images added, removed or resized).
class TChangeLink : public TObject {
    Z_CLASS(TChangeLink, TObject)
public:
    TChangeLink() = default;
    ~TChangeLink() override;
    TChangeLink(const TChangeLink&) = delete;
    TChangeLink& operator=(const TChangeLink&) = delete;
    TCustomImageList* Sender() const { return FSender; }
    void SetSender(TCustomImageList* Value) { FSender = Value; }
    virtual void Change();
    TNotifyEvent OnChange;

private:
    TCustomImageList* FSender = nullptr;
};

class TCustomImageList : public TComponent {
    Z_CLASS(TCustomImageList, TComponent)
public:
    explicit TCustomImageList(TComponent* AOwner);
    TCustomImageList(int AWidth, int AHeight);
    ~TCustomImageList() override;

    // The system image list, made on first use (24-bit colour with a mask).
    HIMAGELIST Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    int Count() const;
    // A new size empties the list: the images are of the old size.
    int Width() const { return FWidth; }
    void SetWidth(int Value);
    int Height() const { return FHeight; }
    void SetHeight(int Value);
    TColor BkColor() const { return FBkColor; }
    void SetBkColor(TColor Value);

    // Adds the images of a bitmap (as many as fit side by side); the index of the first, or
    // -1 when the bitmap is empty. A mask bitmap marks transparent pixels white.
    int Add(TBitmap* Image, TBitmap* Mask);
    // Pixels of MaskColor are transparent.
    int AddMasked(TBitmap* Image, TColor MaskColor);
    int AddIcon(TIcon* Image);
    void Delete(int Index);
    void Clear();
    // Draws image Index with its top left at (X, Y); a disabled image is drawn greyed.
    // An index outside the list draws nothing.
    void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
    // Copies image Index into Image (made the list's size, 24-bit); False when out of range.
    bool GetBitmap(int Index, TBitmap* Image);

    void RegisterChanges(TChangeLink* Value);
    void UnRegisterChanges(TChangeLink* Value);
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();

    TNotifyEvent OnChange;

protected:
    virtual void Change();

private:
    void FreeHandle();
    int FWidth = 16;
    int FHeight = 16;
    TColor FBkColor = clNone;
    HIMAGELIST FHandle = nullptr;
    std::vector<TChangeLink*> FClients;
    int FUpdateCount = 0;
    bool FChanged = false;
};

class TImageList : public TCustomImageList {
    Z_CLASS(TImageList, TCustomImageList)
public:
    explicit TImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
};

// Field takes Value: Link (when given) and Watcher's free notification move from the old
// list to the new one. False when Value is already there.
bool SetImageListRef(TCustomImageList*& Field, TCustomImageList* Value, TChangeLink* Link, TComponent* Watcher);
