// The HTML writers' tests' page and document: the arguments of a page, the
// page written by either writer (without and with a style sheet) or its body
// alone, and a document with every item kind, its styles, lists and pictures.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "document/crvdata.h"
#include "document/rvfmisc.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "platform/controls/controls.h"
#include "platform/core/colors.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/imagelist.h"
#include "platform/graphics/jpeg.h"
#include "tests/document/doctestdata.h"

struct TPageArgs {
    AnsiString Path;
    AnsiString Title = "Page";
    AnsiString Prefix = "img";
    AnsiString ExtraCSS;
    AnsiString ExternalCSS;
    AnsiString CPPrefix;
    TRVSaveOptions Options;
    TColor Color = clNone;
    TRVFBackground* Background = nullptr;
    bool Selection = false;
};

inline AnsiString Plain(TCustomRVData& Data, const TPageArgs& a = TPageArgs(), int* Counter = nullptr)
{
    TMemoryStream Stream;
    int OwnCounter = 0;
    EXPECT_TRUE(Data.SaveHTMLToStream(Stream, a.Path, a.Title, a.Prefix, a.Options, a.Color,
                                      Counter ? *Counter : OwnCounter, 1, 2, 3, 4, a.Background, nullptr,
                                      a.Selection));
    return StreamBytes(Stream);
}

inline AnsiString WithCSS(TCustomRVData& Data, const TPageArgs& a = TPageArgs(), int* Counter = nullptr)
{
    TMemoryStream Stream;
    int OwnCounter = 0;
    TColor FileColor = clNone;
    EXPECT_TRUE(Data.SaveHTMLToStreamEx(
        Stream, a.Path, a.Title, a.Prefix, a.ExtraCSS, a.ExternalCSS, a.CPPrefix, a.Options, a.Color,
        FileColor, Counter ? *Counter : OwnCounter, 1, 2, 3, 4, a.Background, nullptr, a.Selection));
    return StreamBytes(Stream);
}

inline AnsiString Body(TCustomRVData& Data, bool CSS, TPageArgs a = TPageArgs())
{
    a.Options.Include(rvsoMiddleOnly);
    return CSS ? WithCSS(Data, a) : Plain(Data, a);
}

inline bool Contains(const AnsiString& s, const AnsiString& Part)
{
    return s.find(Part) != AnsiString::npos;
}

// ---------------------------------------------------------------------------
// The document with every item kind

// Text styles: 0-5 the defaults (4 and 5 hyperlinks), 6 Unicode, 7 HTML code,
// 8 raised, underlined and struck out on yellow. Paragraph styles: 0, 1
// centred, 2 right-aligned on silver. Lists: 0 decimal in two levels, 1
// bullets, 2 images of the image list.
class TDocument {
public:
    TDocument() : Data(&Style)
    {
        // A control writes what the program makes of it.
        Data.ComponentText = [](const AnsiString&, TComponent* saveMe, TRVSaveFormat format) {
            return format == rvsfHTML && saveMe ? AnsiString("<INPUT type=button value=\"a control\">")
                                                : AnsiString();
        };
        for (int i = 0; i < 3; ++i)
            Images.AddPixels(TPixelBuffer(12, 12, 0xFF000000u | (0x40u << (8 * i))));
        TFontInfos* t = Style.TextStyles();
        TFontInfo* Uni = t->Add();
        Uni->SetUnicode(true);
        Uni->SetFontName("Times New Roman");
        Uni->SetSize(12);
        Uni->SetColor(clRed);
        t->Add()->SetOptions({rvteoHTMLCode});
        TFontInfo* Raised = t->Add();
        Raised->SetVShift(50);
        Raised->SetStyle({fsUnderline, fsStrikeOut});
        Raised->SetBackColor(clYellow);
        Raised->SetFontName("Courier New");
        TParaInfo* Boxed = Style.ParaStyles()->Add();
        Boxed->SetAlignment(rvaRight);
        Boxed->Background()->SetColor(clSilver);
        TRVListInfo* Numbers = Style.ListStyles()->Add();
        AddLevel(Numbers, rvlstDecimal, "%0:s.");
        AddLevel(Numbers, rvlstLowerAlpha, "%1:s)");
        AddLevel(Style.ListStyles()->Add(), rvlstBullet, "*");
        TRVListLevel* Pictures = AddLevel(Style.ListStyles()->Add(), rvlstImageList, "");
        Pictures->SetImageList(&Images);
        Pictures->SetImageIndex(2);
    }

    static TRVListLevel* AddLevel(TRVListInfo* List, TRVListType Type, const AnsiString& Format)
    {
        TRVListLevel* Level = List->Levels()->Add();
        Level->SetListType(Type);
        Level->SetFormatString(Format);
        return Level;
    }

    void Build()
    {
        Data.AddNamedCheckpointExTag("top", false, TRVTag());
        Data.AddNL("Title  <&> text", 1, 1);
        Data.AddNL(" leading and trailing ", 0, 0);
        Data.AddNL("bold", 1, -1);
        Data.AddNL(" and more", 1, -1);
        Data.AddTextBlockNL("line one\r\nline two", 3, 0);
        Data.AddNL("a link", 4, 0);
        Link(0, "http://example.com/?a=1&b=\"2\"");
        Data.AddNL(" after the link", 0, -1);
        Data.AddNLWTag(u"\u00DCn\u00EFc\u00F6de \u2713", 6, 2, TRVTag());
        Data.AddNL("<b>raw</b>", 7, 0);
        Data.AddNL("raised", 8, -1);
        Data.AddBulletEx("bullet", 0, &Images, 0);
        Data.CheckItemClass<TRVRectItemInfo>(Data.GetItemCount() - 1)->VShift = 50;
        Data.AddNL(" a bullet and a hot spot ", 0, -1);
        Data.AddHotspotEx("hot", 1, 2, &Images, -1);
        Link(1, "#top");
        // A bitmap (written as JPEG), raised by half its height; a JPEG
        // picture (written as it is) that is a hyperlink; a control.
        Data.AddPictureEx("bitmap", NewBitmap(10, 6, clBlue), 0, rvvaBaseline);
        Data.CheckItemClass<TRVRectItemInfo>(Data.GetItemCount() - 1)->VShift = 50;
        auto* Jpeg = new TJPEGImage;
        std::unique_ptr<TBitmap> Source(NewBitmap(8, 8, clGreen));
        Jpeg->Assign(Source.get());
        Data.AddHotPicture("jpeg", Jpeg, -1, rvvaMiddle);
        Link(2, "pages/next page.html");
        Data.AddControlEx("control", new TControl(nullptr), -1, rvvaBaseline);
        Data.AddBreakEx(2, rvbsLine, clRed);
        Data.AddNamedCheckpointExTag("", false, TRVTag());
        Marker(0, 0);
        Data.AddNL("first", 0, -1);
        Marker(0, 1);
        Data.AddNL("nested", 2, -1);
        Data.AddBreak();
        Marker(0, 0);
        Data.AddNL("second", 0, -1);
        Marker(1, 0);
        Data.AddNL("bulleted", 0, -1);
        Marker(2, 0);
        Data.AddNL("pictured", 0, -1);
        Data.AddNL("after the lists", 0, 0);
        Data.AddNamedCheckpointExTag("end", false, TRVTag());
    }

    static TBitmap* NewBitmap(int Width, int Height, TColor Color)
    {
        auto* Bitmap = new TBitmap;
        Bitmap->SetSize(Width, Height);
        Bitmap->Canvas()->Brush()->SetColor(Color);
        Bitmap->Canvas()->FillRect(Rect(0, 0, Width, Height));
        return Bitmap;
    }
    void Link(int ID, const AnsiString& Target)
    {
        Data.GetItem(Data.GetItemCount() - 1)->SetJumpID(ID);
        Data.URLs[ID] = Target;
    }
    void Marker(int ListNo, int Level) { Data.SetListMarkerInfo(-1, ListNo, Level, 1, 0, false); }

    TRVStyle Style{nullptr};
    TImageList Images{nullptr};
    TDocTestData Data;
};
