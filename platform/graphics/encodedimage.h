// TEncodedImage: the base of pictures kept as the bytes of their file format
// (JPEG, PNG).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/graphic.h"
#include "platform/graphics/pixelbudget.h"
#include "platform/graphics/pixelbuffer.h"

// A picture that keeps the bytes it was read from and writes them back
// unchanged, so that a load and a save give the same file. Its pixels are
// decoded when first needed (drawing, copying into a bitmap); a picture made
// from a bitmap (Assign) is encoded when first saved. Loading reads the rest of
// the stream and checks the file's header; data damaged further on is found
// when the pixels are first needed, and such a picture draws nothing. A file
// that ends before its picture does may decode to its top rows only: those
// are drawn in their part of the picture's place, the rest is not drawn (a
// bitmap made of it is white there). The size cannot be changed. A format supplies its header check, codec
// and messages. Decoded pixels count against the process's pixel budget and may be dropped for other
// pictures while not pinned, to be decoded again; a load counts the picture's size against the allowance of
// the document load in progress.
class TEncodedImage : public TGraphic, public TPixelHolder {
public:
    // From a picture of the same class (its bytes and settings) or a bitmap
    // (its pixels, to be encoded), or null (empty).
    void Assign(const TPersistent* source) override;

    bool Empty() const override { return FWidth == 0 || FHeight == 0; }
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    // Raise EInvalidGraphicOperation with the format's message.
    void SetWidth(int value) override;
    void SetHeight(int value) override;

    // The decoded pixels: the picture's width and its rows from the top, all
    // of them unless the file ends early. Raises the format's error when the
    // data cannot be decoded. They are pinned while the handle lives (see
    // TPinnedPixels): name the handle to use the pixels.
    TPinnedPixels Pixels() const;

    // Raises the format's error when the rest of the stream is not a file of
    // the format, and EOutOfResources when the load in progress has no room
    // for its pixels (the picture is then unchanged); an empty rest gives an
    // empty picture.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
    // Draws the decoded pixels; a picture that cannot be decoded draws nothing.
    void Draw(TCanvas* aCanvas, const TRect& rect) override;

protected:
    TEncodedImage() = default;

    // Into a bitmap: the decoded pixels, in the format's pixel format.
    void AssignTo(TPersistent* dest) const override;

    // The format's part. CheckHeader raises the format's error when the bytes
    // do not start as a file of the format, else gives the size and takes what
    // else the header says. Decode and Encode give false, with the format's
    // error code, when they fail; FormatError raises the error of a code (0:
    // the data could not be decoded). Decode may give fewer rows than the
    // picture has, from the top, when the file holds no more.
    virtual void CheckHeader(const std::vector<uint8_t>& data, int& width, int& height) = 0;
    virtual bool Decode(const std::vector<uint8_t>& data, TPixelBuffer& pixels, int& code) const = 0;
    virtual bool Encode(const TPixelBuffer& pixels, std::vector<uint8_t>& data, int& code) const = 0;
    [[noreturn]] virtual void FormatError(int code) const = 0;
    [[noreturn]] virtual void FileTooLarge() const = 0;
    virtual const char* SizeChangeMessage() const = 0;
    virtual TPixelFormat BitmapFormat() const = 0;
    // The format's own settings: copied by Assign, reset by an empty load.
    virtual void AssignSettings(const TEncodedImage&) {}
    virtual void ClearSettings() {}

    // Drops the decoded pixels of a picture that keeps its bytes.
    void ReleasePixels() override;

private:
    void Clear();
    // Registers the decoded pixels when they can be decoded again, else
    // leaves the register (pixels made from a bitmap stay until encoded).
    void NotePixels() const;

    mutable std::vector<uint8_t> FData; // the file; encoded on demand after Assign from pixels
    mutable TPixelBuffer FPixels;       // decoded on demand
    mutable bool FDecodeFailed = false;
    int FWidth = 0;
    int FHeight = 0;
};
