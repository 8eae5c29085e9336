// A skin made by the test: a master bitmap whose every pixel is known, sections, images of
// the master bitmap or of their own and pictures, read by the stored-skin reader into a
// manager so that painters find them as they find any skin. Also a skinned control on a form
// whose picture its children are painted over.
#pragma once

#include "pixels.h"

#include "classlib/forms.h"
#include "skin/zcommondata.h"
#include "skin/zcontrolutils.h"
#include "skin/zskinmanager.h"

#include <memory>
#include <vector>

// The master bitmap's own pixels: distinct colours, and the key colour now and then so that
// every piece cut from it holds some.
inline TColor SynthPixel(int X, int Y)
{
    return (X * 7 + Y * 5) % 11 == 0 ? SkinKeyColor : Rgb(X & 0xFF, Y & 0xFF, 0x40 + (X + Y) % 64);
}

class TSynthSkin {
public:
    std::unique_ptr<TBitmap> Master;
    std::unique_ptr<TzSkinManager> Manager;

    explicit TSynthSkin(int W = 128, int H = 64) : Master(MakeBmp24(W, H, SynthPixel)) {}

    // Paints R of the master bitmap by F(x, y) (relative to R) before the skin is read.
    template <class F> void Paint(const TRect& R, F Pixel)
    {
        for (int y = R.Top; y < R.Bottom; ++y)
            for (int x = R.Left; x < R.Right; ++x)
                SetPx(*Master, x, y, Pixel(x - R.Left, y - R.Top));
    }
    // A section; its values are set on the record returned.
    TzGeneralData& Section(const char* Name)
    {
        FStored.Sections.emplace_back();
        FStored.Sections.back().Values.ClassName = Name;
        return FStored.Sections.back().Values;
    }
    // The font colours of the last section: texts of the colour and its four outlines.
    void FontColors(const char* Normal, const char* Hot)
    {
        FStored.Sections.back().FontColor = Normal;
        FStored.Sections.back().HotFontColor = Hot;
    }
    // An image: a rectangle of the master bitmap, or an own picture when Own is given.
    TSkStoredImage& Image(const char* Section, const char* Key, TRect R, int Frames = 1, int MaskType = 0,
                          TBitmap* Own = nullptr)
    {
        return FStored.Images.emplace_back(TSkStoredImage{.SectionName = Section, .PropertyName = Key, .Image = Own,
                                                          .Left = R.Left, .Top = R.Top, .Right = R.Right,
                                                          .Bottom = R.Bottom, .ImageCount = Frames, .MaskType = MaskType});
    }
    void Picture(const char* Section, const char* Key, TJPEGImage* Jpeg)
    {
        FStored.Patterns.push_back(TSkStoredPattern{Section, Key, Jpeg});
    }
    // Reads the skin into a new manager (the default one when no other exists).
    TzSkinManager& Load()
    {
        FStored.MasterBitmap = Master.get();
        Manager = std::make_unique<TzSkinManager>(nullptr);
        Manager->SetActive(false);
        Manager->LoadFromStoredSkin(FStored);
        Manager->SkinData().Active = true;
        return *Manager;
    }
    int SectionIndex(const char* Name) const { return Manager->FindSectionIndex(Name); }
    const TzMaskData& Mask(const char* Section, const char* Key) const
    {
        return Manager->Mask(Manager->FindMaskIndexExact(Section, Key));
    }
    // A mask record of the master bitmap made directly, for rectangles the reader would not
    // keep as they are.
    TzMaskData MakeMask(TRect R, int Frames, int MaskType, int WL, int WT, int WR, int WB) const
    {
        return TzMaskData{.Bmp = nullptr, .ClassName = {}, .PropertyName = {}, .R = R, .ImageCount = int16_t(Frames),
                          .MaskType = int16_t(MaskType), .Manager = Manager.get(), .WL = int16_t(WL), .WT = int16_t(WT),
                          .WR = int16_t(WR), .WB = int16_t(WB)};
    }

private:
    TSkStoredSkinData FStored;
};

// A windowed control with skin data and a cache, handling the skin command as skinned
// controls do.
class TSynthControl : public TCustomControl {
public:
    TzCommonData SkinData;
    explicit TSynthControl(TComponent* AOwner) : TCustomControl(AOwner), SkinData(this, true) {}

protected:
    void WndProc(TMessage& M) override
    {
        if (CommonMessageHandler(M, &SkinData))
            return;
        TCustomControl::WndProc(M);
    }
};

// A form with a skinned panel whose cache is the parent picture of a skinned child.
struct TSynthForm {
    std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
    TSynthControl* Panel;
    TSynthControl* Child;
    TSynthForm(TzSkinManager& Manager, const char* PanelSection, const char* ChildSection, const TRect& ChildBounds)
    {
        Form->SetColor(clBtnFace);
        Form->HandleNeeded();
        Panel = Add(Manager, Form.get(), PanelSection, TRect(0, 0, 60, 40));
        Child = Add(Manager, Panel, ChildSection, ChildBounds);
    }
    static TSynthControl* Add(TzSkinManager& Manager, TWinControl* Parent, const char* Section, const TRect& B)
    {
        auto* c = new TSynthControl(Parent->Owner() ? Parent->Owner() : Parent);
        c->SetParent(Parent);
        c->SetBounds(B.Left, B.Top, B.Width(), B.Height());
        c->SkinData.SetSkinManager(&Manager);
        c->SkinData.SetSkinSection(Section);
        c->HandleNeeded();
        c->SkinData.PrepareCache();
        return c;
    }
};
