// RVF data of objects: pictures and controls as hexadecimal text or binary
// blocks, and the header fields that name text and paragraph styles.
#include "document/rvfmisc.h"

#include <algorithm>
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

AnsiString RVFSavePicture(const TGraphic* graphic)
{
    TMemoryStream stream;
    graphic->SaveToStream(stream);
    return RVFStream2TextString(stream);
}

void RVFWritePictureHex(TStream& stream, const TGraphic* graphic, size_t skip)
{
    TMemoryStream bytes;
    graphic->SaveToStream(bytes);
    const size_t size = static_cast<size_t>(bytes.Size());
    const auto* data = static_cast<const uint8_t*>(bytes.Memory());
    constexpr size_t Block = 32768;
    for (size_t at = std::min(skip, size); at < size; at += Block) {
        const AnsiString hex = RVEncodeBytes(data + at, std::min(Block, size - at));
        stream.WriteBuffer(hex.data(), static_cast<int64_t>(hex.size()));
    }
}

bool RVFLoadPicture(const AnsiString& s, TGraphic* graphic)
{
    TMemoryStream stream;
    // What was decoded is loaded even when the text was damaged: the picture
    // decides whether it can use it.
    const bool decoded = RVFTextString2Stream(s, stream);
    stream.SetPosition(0);
    graphic->LoadFromStream(stream);
    return decoded;
}

void RVFSavePictureBinary(TStream& stream, const TGraphic* graphic)
{
    RVFWriteBinaryBlock(stream, [graphic](TStream& out) { graphic->SaveToStream(out); });
}

void RVFLoadPictureBinary(const AnsiString& data, TGraphic* graphic)
{
    TMemoryStream stream;
    RVFBytesToStream(data, stream);
    graphic->LoadFromStream(stream);
}

void RVFLoadPictureBinary2(TStream& stream, TGraphic* graphic)
{
    TMemoryStream block;
    if (!RVFReadBinaryBlock(stream, block))
        throw EReadError(SysConst::SReadError);
    graphic->LoadFromStream(block);
}

// ---------------------------------------------------------------------------
// Controls

namespace {

void LoadControlFromStream(TStream& stream, TComponent*& control, const AnsiString& className,
                           TWinControl* parent)
{
    if (!className.empty()) {
        control = nullptr;
        TPersistentClass Class = GetClass(className);
        if (!Class)
            return;
        TPersistent* instance = Class->Create(nullptr);
        control = dynamic_cast<TComponent*>(instance);
        if (!control) {
            delete instance;
            return;
        }
    }
    if (!control)
        return;
    TControl* asControl = dynamic_cast<TControl*>(control);
    try {
        if (asControl)
            asControl->SetParent(parent);
        stream.SetPosition(0);
        stream.ReadComponent(control);
        if (asControl && parent)
            asControl->SetParent(parent);
    } catch (const std::exception&) {
        // A control that cannot be read is no control: the caller sees null.
        delete control;
        control = nullptr;
    }
}

} // namespace

AnsiString RVFSaveControl(TComponent* control)
{
    TMemoryStream stream;
    stream.WriteComponent(control);
    return RVFStream2TextString(stream);
}

void RVFSaveControlBinary(TStream& stream, TComponent* control)
{
    RVFWriteBinaryBlock(stream, [control](TStream& out) { out.WriteComponent(control); });
}

bool RVFLoadControl(const AnsiString& s, TComponent*& control, const AnsiString& className,
                    TWinControl* parent)
{
    TMemoryStream stream;
    const bool decoded = RVFTextString2Stream(s, stream);
    LoadControlFromStream(stream, control, className, parent);
    return decoded;
}

void RVFLoadControlBinary(const AnsiString& data, TComponent*& control, const AnsiString& className,
                          TWinControl* parent)
{
    // Read where the bytes lie: a control nested in a control (a table in a
    // table's cell) is not copied once per level.
    TBytesViewStream stream(data.data(), static_cast<int64_t>(data.size()));
    LoadControlFromStream(stream, control, className, parent);
}

// ---------------------------------------------------------------------------
// Fields naming styles

namespace {

// A number, or the quoted name looked up by Find; false for anything else.
template <class TFind> bool ReadStyleField(TRVFLineCursor& p, int& styleNo, TFind&& find)
{
    if (RVFReadInteger(p, styleNo))
        return true;
    if (p.Peek() != '"')
        return false;
    styleNo = find(RVFReadText(p));
    return true;
}

template <class TInfos> int FindStyleName(const TInfos* styles, const AnsiString& name)
{
    if (!styles)
        return 0;
    for (int i = 0; i < styles->Count(); ++i)
        if (styles->Items(i)->StyleName() == name)
            return i;
    return 0;
}

AnsiString QuoteStyleName(const AnsiString& name)
{
    AnsiString result = "\"";
    for (char c : name) {
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

bool RVFReadTextStyle(TRVFLineCursor& p, int& styleNo, TRVStyle* rvStyle)
{
    return ReadStyleField(p, styleNo, [rvStyle](const AnsiString& name) {
        return FindStyleName(rvStyle ? rvStyle->TextStyles() : nullptr, name);
    });
}

bool RVFReadParaStyle(TRVFLineCursor& p, int& paraNo, TRVStyle* rvStyle)
{
    return ReadStyleField(p, paraNo, [rvStyle](const AnsiString& name) {
        return FindStyleName(rvStyle ? rvStyle->ParaStyles() : nullptr, name);
    });
}

AnsiString RVFSaveText(TRVStyle* rvStyle, bool useStyleNames, int styleNo)
{
    if (useStyleNames && rvStyle && styleNo >= 0 && styleNo < rvStyle->TextStyles()->Count())
        return QuoteStyleName(rvStyle->TextStyles()->Items(styleNo)->StyleName());
    return IntToStr(styleNo);
}

AnsiString RVFSavePara(TRVStyle* rvStyle, bool useStyleNames, int paraNo)
{
    if (useStyleNames && rvStyle && paraNo >= 0 && paraNo < rvStyle->ParaStyles()->Count())
        return QuoteStyleName(rvStyle->ParaStyles()->Items(paraNo)->StyleName());
    return IntToStr(paraNo);
}

AnsiString RVFItemSavePara(int paraNo, TCustomRVData* rvData, bool forceSameAsPrev)
{
    if (forceSameAsPrev)
        return "-1";
    if (!rvData)
        return IntToStr(paraNo);
    return RVFSavePara(rvData->GetRVStyle(), rvData->GetRVFOptions().Contains(rvfoUseStyleNames), paraNo);
}
