// The RTF import into documents: choosing, finding or adding the text and
// paragraph styles for the reader's current character and paragraph
// properties, and the translation of RTF borders into paragraph borders.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>

#include "document/rvmapwht.h"
#include "document/rvstyle.h"
#include "document/rvstyle_text.h"
#include "platform/core/codepages.h"
#include "platform/core/numbers.h"
#include "platform/core/sysutils.h"
#include "rtf/rvrtffields.h"
#include "rtf/rvrtfimport.h"

namespace {

TColor OrNone(TColor color)
{
    return color == rtfNoColor ? clNone : color;
}

// x / d rounded half away from zero, for non-negative x and positive d.
int RoundDiv(int x, int d)
{
    return (2 * x + d) / (2 * d);
}

TRVRTFSScriptType ScriptOf(int vShift)
{
    return vShift < 0 ? rtf_ss_Subscript : vShift > 0 ? rtf_ss_Superscript : rtf_ss_Normal;
}

bool SideHasType(const TRVRTFBorderSide* side)
{
    return side && side->BorderType != rtf_brdr_None;
}

bool ShowsSide(const TRVBorder& border, TRVRTFSide side)
{
    const TRVBooleanRect* visible = border.VisibleBorders();
    switch (side) {
    case rtf_side_Left:
        return visible->Left();
    case rtf_side_Top:
        return visible->Top();
    case rtf_side_Right:
        return visible->Right();
    default:
        return visible->Bottom();
    }
}

// Appends a value to a description key.
void Put(std::string& key, int64_t value)
{
    key += std::to_string(value);
    key += ',';
}

// The key of an exact style match: what FindStyleNo compares, the font's
// name lower-cased.
std::string ExactStyleKey(const AnsiString& lowerName, int charset, int size, TColor color, TColor backColor,
                          uint8_t style, bool allCaps, int charScale, int charSpacing, int script,
                          bool unicode, bool jump)
{
    std::string key = lowerName;
    key += '\n';
    for (int64_t v : {int64_t(charset), int64_t(size), int64_t(color), int64_t(backColor), int64_t(style),
                      int64_t(allCaps), int64_t(charScale), int64_t(charSpacing), int64_t(script),
                      int64_t(unicode), int64_t(jump)})
        Put(key, v);
    return key;
}

} // namespace

TRVRTFBorderLook RVRTFTranslateBorder(TRVRTFBorderType type, int widthPx, int doubleWidthPx, bool farSide)
{
    const int w = std::max(0, widthPx);
    const int h = RoundDiv(w, 2);
    const int t = RoundDiv(w, 3);
    const TRVBorderStyle thickInside = farSide ? rvbThickInside : rvbThickOutside;
    const TRVBorderStyle thickOutside = farSide ? rvbThickOutside : rvbThickInside;
    TRVRTFBorderLook look;
    switch (type) {
    case rtf_brdr_None:
        return look;
    case rtf_brdr_DoubleThickness:
        look = {rvbSingle, std::max(0, doubleWidthPx), 0};
        break;
    case rtf_brdr_Hairline:
        look = {rvbSingle, 1, 0};
        break;
    case rtf_brdr_Double:
    case rtf_brdr_DoubleWavy:
        look = {rvbDouble, w, 2 * w - 1};
        break;
    case rtf_brdr_Triple:
        look = {rvbTriple, w, 2 * w - 1};
        break;
    case rtf_brdr_ThickThinSmall:
        look = {thickInside, h, h + (h + 1) / 2};
        break;
    case rtf_brdr_ThinThickSmall:
        // The mirror of the thick-thin kind, with its widths.
        look = {thickOutside, h, h + (h + 1) / 2};
        break;
    case rtf_brdr_ThinThickThinSmall:
        look = {rvbTriple, t, 2 * t - 1};
        break;
    case rtf_brdr_ThickThinMed:
        look = {thickInside, h, 2 * h + (h + 1) / 2};
        break;
    case rtf_brdr_ThinThickMed:
        look = {thickOutside, h, 2 * h + (h + 1) / 2};
        break;
    case rtf_brdr_ThinThickThinMed:
        look = {rvbTriple, h, 3 * h - 1};
        break;
    case rtf_brdr_ThickThinLarge:
        look = {thickInside, 1, w + 1};
        break;
    case rtf_brdr_ThinThickLarge:
        look = {thickOutside, 1, w + 1};
        break;
    case rtf_brdr_ThinThickThinLarge:
        look = {rvbTriple, 1, w};
        break;
    default:
        look = {rvbSingle, w, 0};
        break;
    }
    // A border that is drawn at all is at least a pixel wide.
    look.Width = std::max(1, look.Width);
    look.InternalWidth = std::max(0, look.InternalWidth);
    return look;
}

int TRVRTFImport::Px(int twips) const
{
    return static_cast<int>(Round(static_cast<long double>(twips) * FTwipsToPixels));
}

bool TRVRTFImport::AllowUseStyle(int styleNo, bool textStyle) const
{
    bool allow = true;
    if (FProps->OnAllowUseStyle)
        FProps->OnAllowUseStyle(styleNo, textStyle, allow);
    return allow;
}

// ---------------------------------------------------------------------------
// Text styles

TRVRTFImport::TTextDesc TRVRTFImport::CurrentTextDesc() const
{
    const TRVRTFCharProperties& chars = FReader->State().CharProps;
    const auto& fonts = FReader->FontTable().Items;
    TTextDesc desc;
    const TRVRTFFont* font =
        chars.FontIndex >= 0 && chars.FontIndex < int(fonts.size()) ? fonts[chars.FontIndex].get() : nullptr;
    if (font)
        desc.Charset = font->Charset;
    if (!chars.FontName.empty()) {
        desc.FontName = chars.FontName;
        if (RVRTFIsSymbolFontName(chars.FontName))
            desc.Charset = 2;
    } else if (font) {
        desc.FontName = font->Name;
    }
    desc.Size = chars.SScriptType == rtf_ss_Normal ? chars.Size : (chars.Size + 1) / 2;
    desc.Color = OrNone(chars.Color);
    desc.BackColor = OrNone(chars.BackColor);
    desc.Style = chars.Style.Bits;
    desc.AllCaps = chars.StyleEx.Has(rtf_fs_AllCaps);
    desc.CharScale = chars.CharScaleX;
    desc.CharSpacing = Px(chars.CharSpacing);
    desc.Script = chars.SScriptType;
    return desc;
}

bool TRVRTFImport::HypertextFits(bool styleJump, bool hypertext) const
{
    if (hypertext)
        return styleJump;
    return FProps->UseHypertextStyles() || !styleJump;
}

int TRVRTFImport::ReturnStyleNo(bool unicode)
{
    const int count = FStyle->TextStyles()->Count();
    if (FProps->TextStyleMode() == rvrsUseSpecified)
        return FProps->TextStyleNo() < count ? FProps->TextStyleNo() : 0;
    const bool hypertext = IsHypertextAnywhere();
    const TTextDesc desc = CurrentTextDesc();
    // Built in place of the last key: its room serves every text run.
    std::string& key = FTextStyleKey;
    key.clear();
    key += desc.FontName;
    key += '\n';
    for (int64_t v : {int64_t(desc.Charset), int64_t(desc.Size), int64_t(desc.Color), int64_t(desc.BackColor),
                      int64_t(desc.Style), int64_t(desc.AllCaps), int64_t(desc.CharScale),
                      int64_t(desc.CharSpacing), int64_t(desc.Script), int64_t(unicode), int64_t(hypertext)})
        Put(key, v);
    const auto found = FTextStyleMap.find(key);
    if (found != FTextStyleMap.end() && found->second < count)
        return found->second;
    int styleNo;
    if (FProps->TextStyleMode() == rvrsUseClosest) {
        styleNo = FindBestStyleNo(desc, unicode, hypertext);
    } else {
        styleNo = FindStyleNo(desc, unicode, hypertext);
        if (styleNo < 0)
            styleNo = AddStyle(desc, unicode, hypertext);
    }
    FTextStyleMap[key] = styleNo;
    return styleNo;
}

bool TRVRTFImport::StyleHolds(int styleNo, const WideString& text) const
{
    if (FStyle->TextStyles()->Items(styleNo)->Unicode())
        return true;
    const unsigned codePage = StyleCodePage(styleNo);
    if (codePage == CP_SYMBOL)
        return false;
    bool lost = false;
    const int count = static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
    if (count == 0)
        return true;
    const int size = WideCharToMultiByte(codePage, 0, text.data(), count, nullptr, 0, nullptr, &lost);
    return size > 0 && !lost;
}

int TRVRTFImport::StyleHoldingText(int styleNo, const WideString& text, bool unicode)
{
    const int count = FStyle->TextStyles()->Count();
    // The specified style is the caller's choice: its letters are converted as well as they can be.
    if (FProps->TextStyleMode() == rvrsUseSpecified)
        return styleNo;
    const auto found = FHoldingStyleMap.find(FTextStyleKey);
    if (found != FHoldingStyleMap.end() && found->second < count && StyleHolds(found->second, text))
        return found->second;
    const TTextDesc desc = CurrentTextDesc();
    const bool hypertext = IsHypertextAnywhere();
    int result = FindBestStyleNo(desc, unicode, hypertext, &text);
    if (result < 0)
        result = FindBestStyleNo(desc, !unicode, hypertext, &text);
    if (result < 0 && FProps->TextStyleMode() == rvrsAddIfNeeded) {
        // A style of the font's own character set holds its letters, else a Unicode one.
        result = AddStyle(desc, unicode, hypertext);
        if (!StyleHolds(result, text))
            FStyle->TextStyles()->Items(result)->SetUnicode(true);
    }
    if (result < 0)
        return styleNo;
    FHoldingStyleMap[FTextStyleKey] = result;
    return result;
}

int TRVRTFImport::FindStyleNo(const TTextDesc& desc, bool unicode, bool hypertext) const
{
    if (FReader->FontTable().Items.empty())
        return 0;
    // The styles are indexed by what an exact match compares, as they come: a
    // search costs a few lookups, however many styles the sheet holds. The
    // first style that matches wins, as in a search from the start.
    const TFontInfos* styles = FStyle->TextStyles();
    for (int i = FIndexedTextStyles; i < styles->Count(); ++i) {
        const TFontInfo* s = styles->Items(i);
        FExactTextStyles.emplace(
            ExactStyleKey(LowerCase(s->FontName()), s->Charset(), s->Size(), s->Color(), s->BackColor(),
                          s->Style().Bits, s->StyleEx().Contains(rvfsAllCaps), s->CharScale(),
                          s->CharSpacing(), ScriptOf(s->VShift()), s->Unicode(), s->Jump()),
            i);
    }
    FIndexedTextStyles = styles->Count();
    const AnsiString name = LowerCase(desc.FontName);
    int result = -1;
    // A style of the default character set (1) matches any character set.
    for (int charset : {desc.Charset, 1})
        for (bool jump : {false, true}) {
            if (!HypertextFits(jump, hypertext))
                continue;
            const auto found = FExactTextStyles.find(
                ExactStyleKey(name, charset, desc.Size, desc.Color, desc.BackColor, desc.Style, desc.AllCaps,
                              desc.CharScale, desc.CharSpacing, desc.Script, unicode, jump));
            if (found != FExactTextStyles.end() && (result < 0 || found->second < result))
                result = found->second;
        }
    return result;
}

int TRVRTFImport::AddStyle(const TTextDesc& desc, bool unicode, bool hypertext)
{
    TFontInfo* s = FStyle->TextStyles()->Add();
    s->SetStandard(false);
    s->SetJump(hypertext);
    s->SetUnicode(unicode);
    if (!desc.FontName.empty())
        s->SetFontName(desc.FontName);
    s->SetCharset(static_cast<TFontCharset>(desc.Charset));
    s->SetSize(desc.Size);
    s->SetColor(desc.Color);
    s->SetBackColor(desc.BackColor);
    TFontStyles style;
    style.Bits = desc.Style;
    s->SetStyle(style);
    TRVFontStyles styleEx;
    if (desc.AllCaps)
        styleEx.Include(rvfsAllCaps);
    s->SetStyleEx(styleEx);
    s->SetCharScale(desc.CharScale);
    s->SetCharSpacing(desc.CharSpacing);
    s->SetVShift(desc.Script == rtf_ss_Subscript ? -25 : desc.Script == rtf_ss_Superscript ? 45 : 0);
    return FStyle->TextStyles()->Count() - 1;
}

int TRVRTFImport::FindBestStyleNo(const TTextDesc& desc, bool unicode, bool hypertext,
                                  const WideString* holding) const
{
    const TFontInfos* styles = FStyle->TextStyles();
    const AnsiString name = LowerCase(desc.FontName);
    int64_t best = holding ? INT64_MIN : 0;
    int result = holding ? -1 : 0;
    for (int i = 0; i < styles->Count(); ++i) {
        const TFontInfo* s = styles->Items(i);
        if (s->Unicode() != unicode || !HypertextFits(s->Jump(), hypertext) || !AllowUseStyle(i, true))
            continue;
        if (holding && !StyleHolds(i, *holding))
            continue;
        // Scores are summed in 64 bits: extreme values read from a file cannot overflow.
        int64_t score = 0;
        if (LowerCase(s->FontName()) == name)
            score += 10000;
        if (s->Charset() == desc.Charset)
            score += 50000;
        else if (s->Charset() == 1 || desc.Charset == 1)
            score += 12500;
        score += RV_CompareInts(desc.Size, s->Size(), 10000);
        score += RV_CompareColors(s->Color(), desc.Color, 3333, 3000);
        score += RV_CompareColors(s->BackColor(), desc.BackColor, 10000, 50000);
        if (s->StyleEx().Contains(rvfsAllCaps) == desc.AllCaps)
            score += 50000;
        TFontStyles wanted;
        wanted.Bits = desc.Style;
        for (TFontStyle fs : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
            if (s->Style().Contains(fs) == wanted.Contains(fs))
                score += 50000;
        if (s->Style().Empty() == wanted.Empty())
            score += 50000;
        score += Round(300.0L * (1.0L - std::llabs(int64_t(s->CharScale()) - desc.CharScale) / 100.0L));
        score += RV_CompareInts(desc.CharSpacing, s->CharSpacing(), 10000);
        if (ScriptOf(s->VShift()) == desc.Script)
            score += 50000;
        if (!s->StyleEx().Empty())
            score /= 4;
        if (score > best) {
            best = score;
            result = i;
        }
    }
    return result;
}

// ---------------------------------------------------------------------------
// Paragraph styles

void TRVRTFImport::CurrentBorder(TRVBorderStyle& style, int& width, int& internalWidth, TColor& color) const
{
    style = rvbNone;
    width = internalWidth = 0;
    color = clNone;
    const TRVRTFParaProperties& para = FReader->State().ParaProps;
    if (!para.HasBorder())
        return;
    const TRVRTFParaBorder& border = *para.Border;
    TRVRTFSide chosen = rtf_side_Right;
    for (TRVRTFSide side : {rtf_side_Top, rtf_side_Left, rtf_side_Bottom})
        if (SideHasType(border.Side(side))) {
            chosen = side;
            break;
        }
    const TRVRTFBorderSide* side = border.Side(chosen);
    if (!side)
        return;
    const TRVRTFBorderLook look = RVRTFTranslateBorder(side->BorderType, Px(side->Width), Px(side->Width * 2),
                                                       chosen == rtf_side_Right || chosen == rtf_side_Bottom);
    style = look.Style;
    width = look.Width;
    internalWidth = look.InternalWidth;
    color = side->Color == rtfNoColor ? clWindowText : side->Color;
}

void TRVRTFImport::DescribePara(TParaInfo& info, TRVBorderStyle style, int width, int internalWidth,
                                TColor color) const
{
    const TRVRTFParaProperties& para = FReader->State().ParaProps;
    info.SetAlignment(static_cast<TRVAlignment>(para.Alignment));
    int extra = 0;
    if (style != rvbNone) {
        TRVBorder* border = info.Border();
        border->SetStyle(style);
        border->SetWidth(width);
        border->SetInternalWidth(internalWidth);
        border->SetColor(color);
        const TRVRTFParaBorder& sides = *para.Border;
        border->VisibleBorders()->SetValues(
            SideHasType(sides.Side(rtf_side_Left)), SideHasType(sides.Side(rtf_side_Top)),
            SideHasType(sides.Side(rtf_side_Right)), SideHasType(sides.Side(rtf_side_Bottom)));
        extra = border->GetTotalWidth();
    }
    info.SetLeftIndent(Px(para.LeftIndent) + extra);
    info.SetRightIndent(Px(para.RightIndent) + extra);
    info.SetFirstIndent(Px(para.FirstIndent));
    info.SetSpaceBefore(Px(para.SpaceBefore) + extra);
    info.SetSpaceAfter(Px(para.SpaceAfter) + extra);
    if (para.LineSpacingMulti != 0)
        info.SetLineSpacing(std::max(100, std::abs(para.LineSpacing) * 100 / 240));
    info.Background()->SetColor(OrNone(para.Color));
}

int TRVRTFImport::ReturnNewParaNo()
{
    TParaInfos* styles = FStyle->ParaStyles();
    const int count = styles->Count();
    if (FProps->ParaStyleMode() == rvrsUseSpecified)
        return FProps->ParaStyleNo() < count ? FProps->ParaStyleNo() : 0;

    TRVBorderStyle style;
    int width, internalWidth;
    TColor color;
    CurrentBorder(style, width, internalWidth, color);
    TParaInfo wanted(nullptr);
    DescribePara(wanted, style, width, internalWidth, color);
    // The key also tells the border sides apart, which the closest search weighs one by one.
    // It is built in the room of the last one.
    std::string& key = FParaStyleKey;
    key.clear();
    const TRVRTFParaProperties& para = FReader->State().ParaProps;
    for (int64_t v :
         {int64_t(wanted.Alignment()), int64_t(wanted.LeftIndent()), int64_t(wanted.RightIndent()),
          int64_t(wanted.FirstIndent()), int64_t(wanted.SpaceBefore()), int64_t(wanted.SpaceAfter()),
          int64_t(wanted.LineSpacing()), int64_t(para.LineSpacing), int64_t(para.LineSpacingMulti),
          int64_t(wanted.Background()->Color())})
        Put(key, v);
    if (para.HasBorder()) {
        for (TRVRTFSide side : {rtf_side_Left, rtf_side_Top, rtf_side_Right, rtf_side_Bottom}) {
            if (const TRVRTFBorderSide* s = para.Border->Side(side)) {
                Put(key, s->BorderType);
                Put(key, s->Width);
                Put(key, s->Color);
            } else {
                Put(key, -1);
            }
        }
    }
    const auto found = FParaStyleMap.find(key);
    if (found != FParaStyleMap.end() && found->second < count)
        return found->second;

    int paraNo = -1;
    if (FProps->ParaStyleMode() == rvrsUseClosest) {
        paraNo = FindBestParaNo();
    } else {
        for (int i = 0; i < count && paraNo < 0; ++i) {
            const TParaInfo* s = styles->Items(i);
            const bool sameBorder =
                s->Border()->Style() == wanted.Border()->Style() &&
                (wanted.Border()->Style() == rvbNone ||
                 (s->Border()->Width() == width && s->Border()->InternalWidth() == internalWidth &&
                  s->Border()->Color() == color &&
                  s->Border()->VisibleBorders()->IsEqual(wanted.Border()->VisibleBorders())));
            if (sameBorder && s->Alignment() == wanted.Alignment() &&
                s->LeftIndent() == wanted.LeftIndent() && s->RightIndent() == wanted.RightIndent() &&
                s->FirstIndent() == wanted.FirstIndent() && s->SpaceBefore() == wanted.SpaceBefore() &&
                s->SpaceAfter() == wanted.SpaceAfter() && s->LineSpacing() == wanted.LineSpacing() &&
                s->LineSpacingType() == wanted.LineSpacingType() &&
                s->Background()->Color() == wanted.Background()->Color())
                paraNo = i;
        }
        if (paraNo < 0) {
            TParaInfo* added = styles->Add();
            added->Assign(&wanted);
            added->SetStandard(false);
            paraNo = styles->Count() - 1;
        }
    }
    FParaStyleMap[key] = paraNo;
    return paraNo;
}

int TRVRTFImport::FindBestParaNo() const
{
    const TRVRTFParaProperties& para = FReader->State().ParaProps;
    const TParaInfos* styles = FStyle->ParaStyles();
    const int percent = std::max(100, std::abs(para.LineSpacing) * 100 / 240);
    const bool hasBorder = para.HasBorder();
    int64_t best = 0;
    int result = 0;
    for (int i = 0; i < styles->Count(); ++i) {
        if (!AllowUseStyle(i, false))
            continue;
        const TParaInfo* s = styles->Items(i);
        const TRVBorder& border = *s->Border();
        const int w = border.Style() == rvbNone ? 0 : border.GetTotalWidth();
        int64_t score = 0;
        if (s->Alignment() == static_cast<TRVAlignment>(para.Alignment))
            score += 50000;
        score += RV_CompareInts(Px(para.LeftIndent) + w, s->LeftIndent(), 1000);
        score += RV_CompareInts(Px(para.RightIndent) + w, s->RightIndent(), 1000);
        score += RV_CompareInts(Px(para.SpaceBefore) + w, s->SpaceBefore(), 1000);
        score += RV_CompareInts(Px(para.SpaceAfter) + w, s->SpaceAfter(), 1000);
        score += RV_CompareInts(Px(para.FirstIndent), s->FirstIndent(), 1000);
        score += RV_CompareColors(s->Background()->Color(), OrNone(para.Color), 10000, 50000);
        if (para.LineSpacingMulti != 0) {
            if (s->LineSpacingType() == rvlsSpaceBetween)
                score += s->LineSpacing() > 1 ? -20000 : percent == 100 ? 5000 : 0;
            else
                score += RV_CompareInts(percent, std::max(100, s->LineSpacing()), 5000);
        }
        if (!hasBorder) {
            if (border.Style() == rvbNone)
                score += 20000;
        } else {
            for (TRVRTFSide sideNo : {rtf_side_Left, rtf_side_Top, rtf_side_Right, rtf_side_Bottom}) {
                const TRVRTFBorderSide* side = para.Border->Side(sideNo);
                const bool far = sideNo == rtf_side_Right || sideNo == rtf_side_Bottom;
                const TRVRTFBorderLook look =
                    side ? RVRTFTranslateBorder(side->BorderType, Px(side->Width), Px(side->Width * 2), far)
                         : TRVRTFBorderLook();
                const bool shown = border.Style() != rvbNone && ShowsSide(border, sideNo);
                if (look.Style == rvbNone) {
                    if (!shown)
                        score += 20000;
                } else if (shown) {
                    const TColor sideColor = side->Color == rtfNoColor ? clWindowText : side->Color;
                    score += 5000 + RV_CompareInts(look.Width, border.Width(), 1000) +
                             RV_CompareInts(look.InternalWidth, border.InternalWidth(), 1000) +
                             RV_CompareColors(border.Color(), sideColor, 3333, 3000);
                    if (look.Style == border.Style())
                        score += 1000;
                }
            }
        }
        if (score > best) {
            best = score;
            result = i;
        }
    }
    return result;
}
