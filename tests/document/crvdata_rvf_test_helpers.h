// Fixtures of the RVF tests: a root store that keeps the RVF settings,
// warnings, image lists and style maps a viewer keeps and can be given a
// selection or a page to save; a background; a style sheet with a Unicode
// style and a numbered list; a document with every item kind; and a dump of
// a store's items for comparisons.
#pragma once

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "document/crvdata.h"
#include "document/rvfmisc.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "platform/core/streams.h"
#include "platform/graphics/graphic.h"
#include "platform/graphics/imagelist.h"
#include "tests/support/testrvdata.h"

class TRVFTestData : public TTestRVData {
public:
    explicit TRVFTestData(TRVStyle* AStyle = nullptr) : TTestRVData(AStyle) {}
    ~TRVFTestData() override { Clear(); }

    TRVFOptions GetRVFOptions() override { return RVFOptions; }
    void SetRVFOptions(TRVFOptions Value) override { RVFOptions = Value; }
    TRVFWarnings GetRVFWarnings() override { return Warnings; }
    void SetRVFWarnings(TRVFWarnings Value) override { Warnings = Value; }
    TRVFReaderStyleMode GetRVFTextStylesReadMode() override { return TextMode; }
    TRVFReaderStyleMode GetRVFParaStylesReadMode() override { return ParaMode; }
    TCustomImageList* RVFImageListNeeded(int ImageListTag) override
    {
        for (TCustomImageList* List : ImageLists)
            if (List->Tag() == ImageListTag)
                return List;
        return nullptr;
    }

    // The style maps live at the root for the whole read, as a viewer keeps
    // them, so that nested documents read inside see them.
    void InitStyleMappings(TRVIntegerList*& T, TRVIntegerList*& P, TRVIntegerList*& L) override
    {
        if (!KeepMaps) {
            TTestRVData::InitStyleMappings(T, P, L);
            return;
        }
        T = &Maps[0];
        P = &Maps[1];
        L = &Maps[2];
    }
    void DoneStyleMappings(TRVIntegerList* T, TRVIntegerList*, TRVIntegerList*) override
    {
        if (T == &Maps[0])
            for (TRVIntegerList& Map : Maps)
                Map.Clear();
    }

    // A selection or a page when Limits.Set; the whole document otherwise.
    void RVFGetLimits(TRVFSaveScope Scope, int& StartItemNo, int& EndItemNo, int& StartOffs, int& EndOffs,
                      TRVMultiDrawItemPart*& StartPart, TRVMultiDrawItemPart*& EndPart) override
    {
        TTestRVData::RVFGetLimits(Scope, StartItemNo, EndItemNo, StartOffs, EndOffs, StartPart, EndPart);
        if (Scope == rvfss_Full || !Limits.Set)
            return;
        StartItemNo = Limits.StartItemNo;
        EndItemNo = Limits.EndItemNo;
        StartOffs = Limits.StartOffs;
        EndOffs = Limits.EndOffs;
    }

    struct TLimits {
        bool Set = false;
        int StartItemNo = 0, EndItemNo = 0, StartOffs = 0, EndOffs = 0;
    };

    TRVFOptions RVFOptions{rvfoSaveTextStyles, rvfoSaveParaStyles, rvfoConvUnknownStylesToZero};
    TRVFWarnings Warnings;
    TRVFReaderStyleMode TextMode = rvf_sInsertMerge;
    TRVFReaderStyleMode ParaMode = rvf_sInsertMerge;
    std::vector<TCustomImageList*> ImageLists;
    bool KeepMaps = false;
    TRVIntegerList Maps[3];
    TLimits Limits;
};

// A background as the view layer would hand it over.
class TTestBackground : public TRVFBackground {
public:
    int GetRVFBackgroundStyle() const override { return Style; }
    void SetRVFBackgroundStyle(int Value) override { Style = Value; }
    TGraphic* GetRVFBackgroundImage() const override { return Image.get(); }
    void SetRVFBackgroundImage(TGraphic* Value) override { Image.reset(Value); }

    int Style = 0;
    std::unique_ptr<TGraphic> Image;
};

// The default style sheet plus text style 6, Unicode ("Uni"), and list style 0
// with two decimal levels ("%0:s." and "%0:s.%1:s.").
inline std::unique_ptr<TRVStyle> MakeRVFStyle()
{
    auto Style = std::make_unique<TRVStyle>(nullptr);
    Style->SetName("RVStyle1");
    TFontInfo* Uni = Style->TextStyles()->Add();
    Uni->SetStyleName("Uni");
    Uni->SetUnicode(true);
    TRVListInfo* List = Style->ListStyles()->Add();
    List->SetStyleName("Numbers");
    for (int i = 0; i < 2; ++i) {
        TRVListLevel* Level = List->Levels()->Add();
        Level->SetListType(rvlstDecimal);
        Level->SetFormatString(i == 0 ? "%0:s." : "%0:s.%1:s.");
    }
    return Style;
}

// The bytes of a stream.
inline AnsiString StreamBytes(TMemoryStream& Stream)
{
    return AnsiString(static_cast<const char*>(Stream.Memory()), static_cast<size_t>(Stream.Size()));
}

inline AnsiString SaveRVFBytes(TCustomRVData& Data, TRVFSaveScope Scope = rvfss_Full, TColor Color = clNone,
                               TRVFBackground* Background = nullptr, TRVLayoutInfo* Layout = nullptr)
{
    TMemoryStream Stream;
    EXPECT_TRUE(Data.SaveRVFToStreamEx(Stream, Scope, Color, Background, Layout));
    return StreamBytes(Stream);
}

inline TMemoryStream& FillStream(TMemoryStream& Stream, const AnsiString& Bytes)
{
    Stream.Clear();
    Stream.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    Stream.SetPosition(0);
    return Stream;
}

inline bool LoadRVFBytes(TCustomRVData& Data, const AnsiString& Bytes, TRVFBackground* Background = nullptr,
                         TRVLayoutInfo* Layout = nullptr)
{
    TMemoryStream Stream;
    TColor Color = clNone;
    return Data.LoadRVFFromStream(FillStream(Stream, Bytes), Color, Background, Layout);
}

inline bool InsertRVFBytes(TCustomRVData& Data, const AnsiString& Bytes, int Index,
                           bool ReplaceStyles = false)
{
    TMemoryStream Stream;
    TColor Color = clNone;
    return Data.InsertRVFFromStream(FillStream(Stream, Bytes), Index, Color, nullptr, nullptr, ReplaceStyles);
}

// One line per item: style, paragraph, options, tag, text (hex for Unicode),
// checkpoint, and what the item holds of its own; then the pending checkpoint.
inline std::string DumpItems(TCustomRVData& Data)
{
    std::ostringstream Out;
    for (int i = 0; i < Data.GetItemCount(); ++i) {
        TCustomRVItemInfo* Item = Data.GetItem(i);
        const AnsiString& Text = Data.GetItemText(i);
        Out << Item->StyleNo << ' ' << Item->ParaNo << ' ' << int(Item->ItemOptions.Bits) << " tag="
            << (Item->Tag.IsString() ? "s:" + Item->Tag.AsString() : std::to_string(Item->Tag.AsInteger()))
            << " '" << (Item->ItemOptions.Contains(rvioUnicode) ? RVEncodeString(Text) : Text) << "'";
        if (Item->Checkpoint)
            Out << " cp=" << Item->Checkpoint->Name << '/' << Item->Checkpoint->RaiseEvent << '/'
                << (Item->Checkpoint->Tag.IsString() ? Item->Checkpoint->Tag.AsString()
                                                     : std::to_string(Item->Checkpoint->Tag.AsInteger()));
        if (auto* Marker = dynamic_cast<TRVMarkerItemInfo*>(Item))
            Out << " marker=" << Marker->ListNo << '/' << Marker->Level << '/' << Marker->Counter << " '"
                << Marker->DisplayString << "'";
        else if (auto* Hot = dynamic_cast<TRVHotspotItemInfo*>(Item))
            Out << " hot=" << Hot->ImageIndex << '/' << Hot->HotImageIndex << '/' << Hot->Spacing << '/'
                << Hot->VShift << '/' << Hot->DeleteProtect << '/'
                << (Hot->ImageList ? Hot->ImageList->Tag() : -1);
        else if (auto* Bullet = dynamic_cast<TRVBulletItemInfo*>(Item))
            Out << " bullet=" << Bullet->ImageIndex << '/' << Bullet->Spacing << '/' << Bullet->VShift << '/'
                << Bullet->VShiftAbs << '/' << int(Bullet->VAlign);
        else if (auto* Break = dynamic_cast<TRVBreakItemInfo*>(Item))
            Out << " break=" << int(Break->LineWidth) << '/' << int(Break->Style) << '/' << Break->Color;
        Out << '\n';
    }
    if (Data.NotAddedCP)
        Out << "pending cp=" << Data.NotAddedCP->Name << '\n';
    Out << "cps=" << Data.CPCount << '\n';
    return Out.str();
}
