// TPicture: a holder of one graphic of any class, and the picture files read by
// their extension.
#pragma once

#include <memory>

#include "platform/graphics/graphic.h"

class TBitmap;

// Owns its graphic (or none). Setting a graphic stores a copy of it, of the same
// class. OnChange fires when the graphic is replaced or changes.
class TPicture : public TPersistent {
public:
    TPicture();
    ~TPicture() override;
    const char* ClassName() const override { return "TPicture"; }

    // From a picture or a graphic (copied), or null (no graphic).
    void Assign(const TPersistent* source) override;

    TGraphic* Graphic() const { return FGraphic.get(); }
    // A copy of Value (none for null).
    void SetGraphic(const TGraphic* value);
    // The graphic as a bitmap; when the picture holds something else (or
    // nothing) it is first replaced by a new empty bitmap, as in the class library.
    TBitmap* Bitmap();

    int Width() const;
    int Height() const;

    // The graphic class is chosen by the file's extension (GraphicClassOfExtension);
    // an unknown extension raises EInvalidGraphic "Unknown picture file extension (.%s)".
    void LoadFromFile(const AnsiString& fileName);
    // Saves the graphic in its own format; nothing without a graphic.
    void SaveToFile(const AnsiString& fileName) const;

    TNotifyEvent OnChange;

protected:
    // Into a graphic: assigns the picture's graphic (or null) to it.
    void AssignTo(TPersistent* dest) const override;

private:
    void Take(std::unique_ptr<TGraphic> graphic);
    void Changed(TObject* sender);

    std::unique_ptr<TGraphic> FGraphic;
};
