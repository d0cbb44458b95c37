// RVF data of objects: pictures and controls as hexadecimal text or binary
// blocks, and the header fields that name text and paragraph styles.
#include "document/rvfmisc.h"

#include <exception>

#include "document/crvdata.h"
#include "document/rvstyle.h"
#include "platform/controls/controls.h"
#include "platform/core/classreg.h"
#include "platform/core/component.h"
#include "platform/core/streams.h"
#include "platform/graphics/graphic.h"

// ---------------------------------------------------------------------------
// Pictures

AnsiString RVFSavePicture(const TGraphic* Graphic)
{
    TMemoryStream Stream;
    Graphic->SaveToStream(Stream);
    return RVFStream2TextString(Stream);
}

bool RVFLoadPicture(const AnsiString& s, TGraphic* Graphic)
{
    TMemoryStream Stream;
    // What was decoded is loaded even when the text was damaged: the picture
    // decides whether it can use it.
    const bool Decoded = RVFTextString2Stream(s, Stream);
    Stream.SetPosition(0);
    Graphic->LoadFromStream(Stream);
    return Decoded;
}

void RVFSavePictureBinary(TStream& Stream, const TGraphic* Graphic)
{
    RVFWriteBinaryBlock(Stream, [Graphic](TStream& Out) { Graphic->SaveToStream(Out); });
}

void RVFLoadPictureBinary(const AnsiString& Data, TGraphic* Graphic)
{
    TMemoryStream Stream;
    RVFBytesToStream(Data, Stream);
    Graphic->LoadFromStream(Stream);
}

void RVFLoadPictureBinary2(TStream& Stream, TGraphic* Graphic)
{
    TMemoryStream Block;
    if (!RVFReadBinaryBlock(Stream, Block))
        throw EReadError(SysConst::SReadError);
    Graphic->LoadFromStream(Block);
}

// ---------------------------------------------------------------------------
// Controls

namespace {

void LoadControlFromStream(TMemoryStream& Stream, TComponent*& Control, const AnsiString& ClassName,
                           TWinControl* Parent)
{
    if (!ClassName.empty()) {
        Control = nullptr;
        TPersistentClass Class = GetClass(ClassName);
        if (!Class)
            return;
        TPersistent* Instance = Class->Create(nullptr);
        Control = dynamic_cast<TComponent*>(Instance);
        if (!Control) {
            delete Instance;
            return;
        }
    }
    if (!Control)
        return;
    TControl* AsControl = dynamic_cast<TControl*>(Control);
    try {
        if (AsControl)
            AsControl->SetParent(Parent);
        Stream.SetPosition(0);
        Stream.ReadComponent(Control);
        if (AsControl && Parent)
            AsControl->SetParent(Parent);
    } catch (const std::exception&) {
        // A control that cannot be read is no control: the caller sees null.
        delete Control;
        Control = nullptr;
    }
}

} // namespace

AnsiString RVFSaveControl(TComponent* Control)
{
    TMemoryStream Stream;
    Stream.WriteComponent(Control);
    return RVFStream2TextString(Stream);
}

void RVFSaveControlBinary(TStream& Stream, TComponent* Control)
{
    RVFWriteBinaryBlock(Stream, [Control](TStream& Out) { Out.WriteComponent(Control); });
}

bool RVFLoadControl(const AnsiString& s, TComponent*& Control, const AnsiString& ClassName,
                    TWinControl* Parent)
{
    TMemoryStream Stream;
    const bool Decoded = RVFTextString2Stream(s, Stream);
    LoadControlFromStream(Stream, Control, ClassName, Parent);
    return Decoded;
}

void RVFLoadControlBinary(const AnsiString& Data, TComponent*& Control, const AnsiString& ClassName,
                          TWinControl* Parent)
{
    TMemoryStream Stream;
    RVFBytesToStream(Data, Stream);
    LoadControlFromStream(Stream, Control, ClassName, Parent);
}

// ---------------------------------------------------------------------------
// Fields naming styles

namespace {

// A number, or the quoted name looked up by Find; false for anything else.
template <class TFind> bool ReadStyleField(TRVFLineCursor& P, int& StyleNo, TFind&& Find)
{
    if (RVFReadInteger(P, StyleNo))
        return true;
    if (P.Peek() != '"')
        return false;
    StyleNo = Find(RVFReadText(P));
    return true;
}

template <class TInfos> int FindStyleName(const TInfos* Styles, const AnsiString& Name)
{
    if (!Styles)
        return 0;
    for (int i = 0; i < Styles->Count(); ++i)
        if (Styles->Items(i)->StyleName() == Name)
            return i;
    return 0;
}

AnsiString QuoteStyleName(const AnsiString& Name)
{
    AnsiString result = "\"";
    for (char c : Name) {
        if (c == '"')
            result += "\"\"";
        else if (c == '\r' || c == '\n' || c == '\0')
            result += ' ';
        else
            result += c;
    }
    return result + "\"";
}

} // namespace

bool RVFReadTextStyle(TRVFLineCursor& P, int& StyleNo, TRVStyle* RVStyle)
{
    return ReadStyleField(P, StyleNo, [RVStyle](const AnsiString& Name) {
        return FindStyleName(RVStyle ? RVStyle->TextStyles() : nullptr, Name);
    });
}

bool RVFReadParaStyle(TRVFLineCursor& P, int& ParaNo, TRVStyle* RVStyle)
{
    return ReadStyleField(P, ParaNo, [RVStyle](const AnsiString& Name) {
        return FindStyleName(RVStyle ? RVStyle->ParaStyles() : nullptr, Name);
    });
}

AnsiString RVFSaveText(TRVStyle* RVStyle, bool UseStyleNames, int StyleNo)
{
    if (UseStyleNames && RVStyle && StyleNo >= 0 && StyleNo < RVStyle->TextStyles()->Count())
        return QuoteStyleName(RVStyle->TextStyles()->Items(StyleNo)->StyleName());
    return IntToStr(StyleNo);
}

AnsiString RVFSavePara(TRVStyle* RVStyle, bool UseStyleNames, int ParaNo)
{
    if (UseStyleNames && RVStyle && ParaNo >= 0 && ParaNo < RVStyle->ParaStyles()->Count())
        return QuoteStyleName(RVStyle->ParaStyles()->Items(ParaNo)->StyleName());
    return IntToStr(ParaNo);
}

AnsiString RVFItemSavePara(int ParaNo, TCustomRVData* RVData, bool ForceSameAsPrev)
{
    if (ForceSameAsPrev)
        return "-1";
    if (!RVData)
        return IntToStr(ParaNo);
    return RVFSavePara(RVData->GetRVStyle(), RVData->GetRVFOptions().Contains(rvfoUseStyleNames), ParaNo);
}
