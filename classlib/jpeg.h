// JPEG pictures: decoded into a 24-bit bitmap when loaded, kept compressed for saving.
#pragma once

#include "classlib/graphics.h"

#include <cstdint>
#include <memory>
#include <vector>

// JPEG bytes decoded straight into a new 24-bit bitmap, for a reader that wants only the
// picture. Damaged data raises EInvalidGraphic "JPEG image is not valid".
std::unique_ptr<TBitmap> DecodeJpegBitmap(const void* Data, size_t Size);

class TJPEGImage : public TGraphic {
    Z_CLASS(TJPEGImage, TGraphic)
public:
    TJPEGImage();
    ~TJPEGImage() override;

    bool Empty() const override { return !FBitmap; }
    int Width() const override;
    int Height() const override;
    // A JPEG picture has the size of its data: EInvalidGraphicOperation
    // "Cannot change the size of a JPEG image".
    void SetWidth(int Value) override;
    void SetHeight(int Value) override;

    // The rest of the stream is the picture. Damaged data raises EInvalidGraphic
    // "JPEG image is not valid" and leaves the picture as it was; no bytes give an empty one.
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;   // the bytes loaded
    void LoadFromMemory(const void* Data, size_t Size);

    void Assign(TPersistent* Source) override;   // from another JPEG picture
    void AssignTo(TPersistent* Dest) override;   // into a TBitmap: the decoded 24-bit picture

    // The picture at every grid position from R's top-left, clipped to R.
    void Tile(TCanvas* ACanvas, const TRect& R);
    // The decoded 24-bit picture, for readers of its pixels; none while empty.
    TBitmap* Bitmap() const { return FBitmap.get(); }

protected:
    void Draw(TCanvas* ACanvas, const TRect& R) override;
    void ReadData(TStream* Stream) override;    // 32-bit size, then the JPEG bytes
    void WriteData(TStream* Stream) override;

private:
    std::vector<uint8_t> FData;
    std::unique_ptr<TBitmap> FBitmap;
};
