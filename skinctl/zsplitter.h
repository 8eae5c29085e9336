// The skinned splitter: the platform's splitter painted from the skin section "SPLITTER",
// pressed while a live drag (rsUpdate) runs. Hints stay off while the button is down on it.
#pragma once

#include "classlib/extctrls.h"
#include "skinctl/zskinctl.h"

#include <memory>
#include <optional>

class TzSplitter : public TSplitter, public TzSkinnedControl {
    Z_CLASS(TzSplitter, TSplitter)
public:
    // 6 pixels wide; its skin data (type code 75) makes a cache for each paint only.
    explicit TzSplitter(TComponent* AOwner);
    ~TzSplitter() override;
    void AfterConstruction() override;
    void Loaded() override;

    TzCommonData* SkinData() const { return FSkinData.get(); }
    // A mouse button is down on the splitter.
    bool Pressed() const { return FPressed; }

protected:
    void WndProc(TMessage& Message) override { RunSkinnedWndProc(*this, Message); }
    TControl* SkinnedSelf() override { return this; }
    TzCommonData* SkinnedData() override { return FSkinData.get(); }
    void InheritedWndProc(TMessage& Message) override { TSplitter::WndProc(Message); }
    void Dispatch(TMessage& Message) override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    // The press ends (released, or lost to another window): the picture and the hints come
    // back.
    void EndPress();
    // Children snapped to nothing move against the splitter, so that a drag finds them.
    void GatherSnappedControls();

    std::unique_ptr<TzCommonData> FSkinData;
    bool FPressed = false;
    // The application's hints as they were when the press began.
    std::optional<bool> FSavedShowHint;
};
