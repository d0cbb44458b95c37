// Line building: text broken into pieces that fit the line (by spaces for ANSI
// text, by the Unicode line-break rules for Unicode text), inline items placed
// in the line, whole-line items on lines of their own, line ascent and descent
// raised as taller pieces arrive, indents, list markers and hyperlink rectangles.
#include <algorithm>
#include <memory>

#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/core/numbers.h"
#include "platform/core/stringlist.h"
#include "view/crvfdata.h"
#include "view/crvfdata_fit.h"

bool RollViewSafeFormatting = false;

namespace {

int ScaleX(int v, const TRVScreenAndDevice& sad)
{
    return MulDiv(v, sad.DevicePpiX, sad.ScreenPpiX);
}

int ScaleY(int v, const TRVScreenAndDevice& sad)
{
    return MulDiv(v, sad.DevicePpiY, sad.ScreenPpiY);
}

// Keeps the range [offs, offs + len) inside a text of textLen characters.
inline void ClampTextRange(int textLen, int& offs, int& len)
{
    if (offs < 0)
        offs = 0;
    if (offs > textLen)
        offs = textLen;
    if (len > textLen - offs)
        len = textLen - offs;
    if (len < 0)
        len = 0;
}

// The last break character in chars[pos, pos + fit) (-1 when none): a space
// for ANSI text, a Unicode line-break opportunity for Unicode text.
inline int FindBreakChar(TPieceText& chars, int pos, int fit, int remaining, bool unicode)
{
    if (unicode) {
        const WideChar* found = RVU_FindLineBreak(chars.Wide() + pos, fit, remaining);
        if (found != nullptr && found != chars.Wide() + pos + fit)
            return static_cast<int>(found - chars.Wide());
        return -1;
    }
    for (int i = pos + fit - 1; i >= pos; --i)
        if (chars.Ansi()[i] == ' ')
            return i;
    return -1;
}

} // namespace

// ---------------------------------------------------------------------------
// Entry points

void TCustomRVFormattedData::FormatLine(std::string_view text, int offs, int len, int itemNo,
                                        TRVFormatLineState& st)
{
    TCustomRVItemInfo* item = GetItem(itemNo);
    if (item->StyleNo >= 0) {
        FormatTextLine(text, offs, len, itemNo, st);
        return;
    }
    if (!item->GetSameAsPrev() && offs == 0)
        st.NewParagraph = true;
    if (dynamic_cast<TRVRectItemInfo*>(item) != nullptr)
        FormatInlineItem(item, itemNo, st);
    else
        FormatFullLineItem(item, itemNo, st);
}

void TCustomRVFormattedData::FormatWords(int itemNo, TRVFormatLineState& st)
{
    const TCustomRVItemInfo* item = GetItem(itemNo);
    // The item's bytes in place: laying a line out changes no item's text.
    const std::string_view raw = Items->GetView(itemNo);
    int n = RVU_Length(raw, item->ItemOptions);
    if (n == 0) {
        FormatLine(std::string_view(), 0, 0, itemNo, st);
        return;
    }
    const TFontInfo* textStyle = GetRVStyle()->TextStyles()->Items(item->StyleNo);
    const bool allCaps = textStyle->StyleEx().Contains(rvfsAllCaps);
    const AnsiString capitalized = allCaps ? RV_ReturnCapitalized(AnsiString(raw), textStyle) : AnsiString();
    const std::string_view text = allCaps ? std::string_view(capitalized) : raw;
    const TPieceText chars(text, 0, n, item->ItemOptions.Contains(rvioUnicode));
    // Each word after the first is a piece that starts with its space: the
    // justification widens exactly those pieces.
    int offs = 0;
    while (n > 0) {
        int end = offs;
        if (chars.IsSpace(end))
            ++end;
        while (end < chars.Length() && !chars.IsSpace(end))
            ++end;
        const int pieceLen = end - offs;
        FormatLine(text, offs, pieceLen, itemNo, st);
        offs += pieceLen;
        n -= pieceLen;
    }
}

// ---------------------------------------------------------------------------
// Lines

bool TCustomRVFormattedData::StartNewLine(int itemNo, bool softBreak, TRVFormatLineState& st, int& extra)
{
    bool trimmed = false;
    // A line broken inside a paragraph does not end with a space.
    if (softBreak && !st.NoLineYet && st.LineEnd > 0) {
        const int last = st.LineEnd - 1;
        TRVDrawLineInfo* dli = DrawItems[last];
        const TCustomRVItemInfo* lastItem = GetItem(dli->ItemNo);
        if (lastItem->StyleNo >= 0 && dli->Length > 0 &&
            RVU_IsSpace(Items->GetView(dli->ItemNo), dli->Offs + dli->Length - 1, lastItem->ItemOptions) &&
            !IsDrawItemFromNewLine(last)) {
            // The hyperlink rectangle of the piece (the last one made) follows it.
            TRVJumpInfo* jump = Jumps.Count() > 0 ? static_cast<TRVJumpInfo*>(Jumps.Last()) : nullptr;
            if (jump != nullptr && (jump->RVData != this || jump->DrawItemNo != last))
                jump = nullptr;
            if (dli->Length == 1 && last > 0 && DrawItems[last - 1]->ItemNo == dli->ItemNo &&
                !dli->FromNewLine) {
                DrawItems.Delete(last);
                --st.LineEnd;
                if (jump != nullptr) {
                    Jumps.Delete(Jumps.Count() - 1);
                    delete jump;
                }
            } else {
                --dli->Length;
                TRVStyle* rvStyle = GetRVStyle();
                const bool otherStyle = lastItem->StyleNo != st.CurStyleNo;
                if (otherStyle) {
                    rvStyle->ApplyStyle(st.Canvas, lastItem->StyleNo, GetParaBiDiMode(lastItem->ParaNo));
                    ++st.StylesApplied;
                }
                const TFontInfo* lastStyle = rvStyle->TextStyles()->Items(lastItem->StyleNo);
                AnsiString piece = DrawItems.GetString(last, Items);
                if (lastStyle->StyleEx().Contains(rvfsAllCaps))
                    piece = RV_ReturnCapitalized(piece, lastStyle);
                dli->Width = RVU_TextWidth(piece, st.Canvas, lastItem->ItemOptions);
                if (jump != nullptr)
                    jump->Width = dli->Width;
                if (otherStyle && st.CurStyleNo >= 0)
                    ApplyTextStyle(st.CurStyleNo, itemNo, st);
            }
            trimmed = true;
        }
    }

    FinishScreenLine(st.sad, st.LineWidth + st.LineLeft, st.LineEnd, st.NewParagraph, extra, st.NoLineYet);

    const TCustomRVItemInfo* item = GetItem(itemNo);
    if (st.NoteParaStarts && st.NewParagraph && IsParaStart(itemNo))
        NoteParaStart(itemNo, st.BaseLine + extra, st.LineDescent, st);

    TRVStyle* rvStyle = GetRVStyle();
    int left = 0, right = 0;
    GetIndents(itemNo, st.NewParagraph, st.ParaStartItem, left, right);
    if (st.NewParagraph && !item->GetBR()) {
        if (itemNo > 0)
            st.LineDescent +=
                ScaleY(rvStyle->ParaStyles()->Items(GetItemPara(itemNo - 1))->SpaceAfter(), st.sad);
        st.LineDescent += ScaleY(rvStyle->ParaStyles()->Items(item->ParaNo)->SpaceBefore(), st.sad);
    }
    const bool noWrap = rvStyle->ParaStyles()->Items(item->ParaNo)->Options().Contains(rvpaoNoWrap);
    st.LineWidth = (noWrap ? TextWidth : DocumentWidth) - ScaleX(left + right, st.sad);
    st.LineLeft = ScaleX(left, st.sad) + st.sad.DevLeftMargin;
    return trimmed;
}

void TCustomRVFormattedData::RaiseLineAscent(int ascent, TRVFormatLineState& st)
{
    if (ascent <= st.LineAscent)
        return;
    const int delta = ascent - st.LineAscent;
    // Every piece of the line moves down with its baseline.
    for (int i = st.LineEnd - 1; i >= 0; --i) {
        TRVDrawLineInfo* dli = DrawItems[i];
        dli->Top += delta;
        if (dli->FromNewLine)
            break;
    }
    st.BaseLine += delta;
    st.LineAscent = ascent;
}

void TCustomRVFormattedData::ApplyTextStyle(int styleNo, int itemNo, TRVFormatLineState& st)
{
    st.CurStyleNo = styleNo;
    ++st.StylesApplied;
    TRVStyle* rvStyle = GetRVStyle();
    const TFontInfo* textStyle = rvStyle->TextStyles()->Items(styleNo);
    rvStyle->ApplyStyle(st.Canvas, styleNo, GetParaBiDiMode(GetItemPara(itemNo)));
    if (textStyle->CharSpacing() != 0 && st.sad.ScreenPpiX != st.sad.DevicePpiX &&
        GetItemBiDiMode(itemNo) == rvbdUnspecified)
        st.Canvas->SetTextCharacterExtra(ScaleX(textStyle->CharSpacing(), st.sad));
    if (!st.Canvas->GetTextMetrics(st.TextMetric))
        st.TextMetric = TTextMetric();
    st.TextVShift = MulDiv(st.TextMetric.tmHeight, textStyle->VShift(), 100);
}

void TCustomRVFormattedData::InsertDrawItem(TRVDrawLineInfo* dli, int itemNo, bool buildItemJumps,
                                            TRVFormatLineState& st)
{
    std::unique_ptr<TRVDrawLineInfo> owner(dli);
    DrawItems.Insert(st.LineEnd, dli);
    owner.release();
    if (buildItemJumps && GetFlags().Contains(rvflUseJumps))
        GetItem(itemNo)->BuildJumps(dli->Left, dli->Top, JumpCount, &Jumps);
    ++st.LineEnd;
}

void TCustomRVFormattedData::AddJump(const TRVDrawLineInfo* dli, int id, int drawItemNo, TCursor cursor,
                                     TList& list)
{
    auto jump = std::make_unique<TRVJumpInfo>();
    jump->RVData = this;
    jump->Left = dli->Left;
    jump->Top = dli->Top;
    jump->Width = dli->Width;
    jump->Height = dli->Height;
    jump->Id = id;
    jump->DrawItemNo = drawItemNo;
    jump->Cursor = cursor;
    list.Add(jump.get());
    jump.release();
}

void TCustomRVFormattedData::NoteParaStart(int itemNo, int baseLine, int lineDescent,
                                           const TRVFormatLineState& st)
{
    FLastParaStart.Valid = true;
    FLastParaStart.ItemNo = itemNo;
    FLastParaStart.DrawItemNo = st.LineEnd;
    FLastParaStart.BaseLine = baseLine;
    FLastParaStart.LineDescent = lineDescent;
    FLastParaStart.JumpCount = JumpCount;
    FLastParaStart.JumpsCount = Jumps.Count();
    FLastParaStart.UsesWidth = FLayoutUsesWidth;
}

// ---------------------------------------------------------------------------
// Text

void TCustomRVFormattedData::FormatTextLine(std::string_view text, int offs, int len, int itemNo,
                                            TRVFormatLineState& st)
{
    TCustomRVItemInfo* item = GetItem(itemNo);
    TRVStyle* rvStyle = GetRVStyle();
    const TFontInfo* textStyle = rvStyle->TextStyles()->Items(item->StyleNo);
    const TParaInfo* para = rvStyle->ParaStyles()->Items(item->ParaNo);
    const TRVFlags flags = GetFlags();
    const bool unicode = item->ItemOptions.Contains(rvioUnicode);
    const bool sameAsPrev = item->GetSameAsPrev();
    const bool noWrap = para->Options().Contains(rvpaoNoWrap);
    const bool trim = flags.Contains(rvflTrim);
    const bool jump = textStyle->Jump();
    const bool byCharacter = RollViewSafeFormatting || (flags.Contains(rvflPrinting) && !RVNT);

    // The range never reaches past the text, whatever the caller asks.
    const int textLen = RVU_Length(text, item->ItemOptions);
    ClampTextRange(textLen, offs, len);

    if (!sameAsPrev && offs == 0)
        st.NewParagraph = true;
    if (item->StyleNo != st.CurStyleNo)
        ApplyTextStyle(item->StyleNo, itemNo, st);
    const int extLeading = flags.Contains(rvflUseExternalLeading) ? st.TextMetric.tmExternalLeading : 0;
    bool firstPiece = offs == 0;
    const int pieceAscent = st.TextMetric.tmAscent + extLeading + st.TextVShift;
    const int pieceDescent = st.TextMetric.tmDescent - st.TextVShift;
    const bool afterMarker = itemNo > 0 && GetItemStyle(itemNo - 1) == rvsListMarker;

    if (len == 0) {
        FormatEmptyText(item, itemNo, offs, pieceAscent, pieceDescent, jump, st);
        return;
    }

    TPieceText chars(text, offs, len, unicode);
    // The extents measured for the piece hold only in the font they were measured in.
    int stylesApplied = st.StylesApplied;
    bool newLine = firstPiece && !sameAsPrev;
    bool trimmedSpace = false;
    int pos = 0;
    int remaining = len;
    while (remaining > 0) {
        int extra = 0;
        if (newLine) {
            const bool lineTrimmed = StartNewLine(itemNo, !st.NewParagraph, st, extra);
            st.X = 0;
            // A line continued inside a paragraph does not start with a space.
            if (trim && !lineTrimmed && !st.NewParagraph && remaining > 1 && chars.IsSpace(pos)) {
                ++pos;
                --remaining;
            }
        }
        if (st.StylesApplied != stylesApplied) {
            chars.ForgetPrefixes();
            stylesApplied = st.StylesApplied;
        }
        const int avail = std::max(st.LineWidth - st.X, 0);
        TSize whole;
        const int measured = remaining;
        // An unwrapped line takes all its text: its size, when the minimum
        // width measured the whole item just now, is not measured again.
        int fit = noWrap && !byCharacter && offs == 0 && pos == 0 && remaining == textLen &&
                          TakeNotedTextSize(itemNo, st.Canvas, whole)
                      ? remaining
                      : FitChars(chars, pos, remaining, avail, noWrap, byCharacter, st.Canvas, whole);

        if (fit == 0) {
            if (newLine || (firstPiece && afterMarker)) {
                // At least one character goes on a line, a whole one.
                fit = chars.CharEnd(st.Canvas, pos) - pos;
            } else {
                st.X = 0;
                st.NewParagraph = false;
                newLine = true;
                continue;
            }
        }

        if (fit < remaining && !BreakTextPiece(chars, itemNo, pos, remaining, unicode, trim,
                                               newLine || (firstPiece && afterMarker), fit, trimmedSpace)) {
            // The word does not fit here: the rest goes on a new line whole.
            st.NewParagraph = false;
            newLine = true;
            continue;
        }

        const int pieceStart = pos;
        pos += fit;
        remaining -= fit;
        if (trimmedSpace) {
            ++pos;
            --remaining;
            trimmedSpace = false;
        }
        if (!newLine && fit == 0) {
            newLine = true;
            continue;
        }

        // A piece of all the text measured for the fit is not measured again.
        const TSize size =
            whole.cx >= 0 && fit == measured ? whole : chars.Measure(st.Canvas, pieceStart, fit);
        const TRVDrawLineInfo* placed = AddTextPiece(item, itemNo, offs + pieceStart, fit, size, newLine,
                                                     extra, pieceAscent, firstPiece, st);
        // Every piece of one hyperlink item shares its id; JumpCount moves on
        // after the item's first call.
        if (jump && flags.Contains(rvflUseJumps))
            AddJump(placed, JumpCount - (offs > 0 ? 1 : 0), st.LineEnd - 1, textStyle->JumpCursor(), Jumps);

        st.LineDescent = newLine ? pieceDescent : std::max(st.LineDescent, pieceDescent);
        st.X += placed->Width;
        newLine = true;
        st.NewParagraph = false;
        firstPiece = false;
    }
    if (jump && offs == 0) {
        item->SetJumpID(JumpCount);
        ++JumpCount;
    }
}

void TCustomRVFormattedData::FormatEmptyText(TCustomRVItemInfo* item, int itemNo, int offs, int pieceAscent,
                                             int pieceDescent, bool jump, TRVFormatLineState& st)
{
    // An empty item: a 0-wide piece as high as a space in its style.
    const bool sameAsPrev = item->GetSameAsPrev();
    auto dli = std::make_unique<TRVDrawLineInfo>();
    int top;
    if (!sameAsPrev) {
        int extra = 0;
        StartNewLine(itemNo, false, st, extra);
        st.X = 0;
        st.BaseLine += extra;
        top = st.BaseLine + st.LineDescent;
        st.LineAscent = pieceAscent;
        st.BaseLine += st.LineDescent + st.LineAscent;
        st.LineDescent = pieceDescent;
    } else {
        RaiseLineAscent(pieceAscent, st);
        top = st.BaseLine - pieceAscent;
        st.LineDescent = std::max(st.LineDescent, pieceDescent);
    }
    dli->SetData(st.X + st.LineLeft, top, itemNo, !sameAsPrev);
    dli->SetSize(0, st.Canvas->TextHeight(" "));
    dli->Offs = offs + 1;
    dli->Length = 0;
    if (jump)
        item->SetJumpID(-3);
    if (!ShareItems())
        item->DrawItemNo = st.LineEnd;
    InsertDrawItem(dli.release(), itemNo, false, st);
}

bool TCustomRVFormattedData::BreakTextPiece(TPieceText& chars, int itemNo, int pos, int remaining,
                                            bool unicode, bool trim, bool mustPlace, int& fit,
                                            bool& trimmedSpace)
{
    int brk = FindBreakChar(chars, pos, fit, remaining, unicode); // index of the break character
    // A space right at the overflow breaks the line only when trimming.
    // Whether an item follows decides here: a line that ends so
    // depends on what is appended after the last item.
    if (trim && brk < 0 && chars.IsSpace(pos + fit)) {
        const bool lastItem = itemNo + 1 >= GetItemCount();
        if (fit + 1 >= remaining && lastItem)
            FLookedPastEnd = true;
        if (fit + 1 < remaining || (!lastItem && !IsFromNewLine(itemNo + 1))) {
            brk = pos + fit;
            ++fit;
        }
    }
    if (brk >= 0) {
        if (trim && brk != pos && (!unicode || chars.IsSpace(brk))) {
            fit = brk - pos;
            trimmedSpace = true;
        } else {
            fit = brk - pos + 1;
        }
        return true;
    }
    // Otherwise a word longer than the line is cut at fit when it must go here.
    return mustPlace;
}

TRVDrawLineInfo* TCustomRVFormattedData::AddTextPiece(TCustomRVItemInfo* item, int itemNo, int offs, int fit,
                                                      TSize size, bool newLine, int extra, int pieceAscent,
                                                      bool firstPiece, TRVFormatLineState& st)
{
    auto dli = std::make_unique<TRVDrawLineInfo>();
    dli->ItemNo = itemNo;
    dli->Offs = offs + 1;
    dli->Length = fit;
    dli->SetSize(size.cx, size.cy);
    if (!newLine) {
        RaiseLineAscent(pieceAscent, st);
        dli->Top = st.BaseLine - pieceAscent;
        dli->FromNewLine = false;
    } else {
        dli->FromNewLine = true;
        st.X = 0;
        st.BaseLine += extra;
        dli->Top = st.BaseLine + st.LineDescent;
        st.LineAscent = pieceAscent;
        st.BaseLine += st.LineDescent + st.LineAscent;
    }
    dli->Left = st.X + st.LineLeft;
    if (firstPiece && !ShareItems())
        item->DrawItemNo = st.LineEnd;
    TRVDrawLineInfo* placed = dli.get();
    InsertDrawItem(dli.release(), itemNo, false, st);
    return placed;
}

// ---------------------------------------------------------------------------
// Non-text items

void TCustomRVFormattedData::FormatInlineItem(TCustomRVItemInfo* item, int itemNo, TRVFormatLineState& st)
{
    auto* rectItem = static_cast<TRVRectItemInfo*>(item);
    TRVStyle* rvStyle = GetRVStyle();
    const TParaInfo* para = rvStyle->ParaStyles()->Items(item->ParaNo);
    const TRVFlags flags = GetFlags();
    const TRVScreenAndDevice& sad = st.sad;
    std::unique_ptr<TRVDrawLineInfo> dli(flags.Contains(rvflAllowCustomDrawItems)
                                             ? item->CreatePrintingDrawItem(this, sad)
                                             : new TRVDrawLineInfo());

    int xShift = 0;
    int descent = 1;
    item->OnDocWidthChange(
        DocumentWidth - ScaleX(para->LeftIndent() + para->RightIndent() + para->FirstIndent(), sad),
        dli.get(), flags.Contains(rvflPrinting), st.Canvas, this, &sad, xShift, descent, st.Reformat);
    int w, h;
    if (item->GetBoolValueEx(rvbpActualPrintSize, rvStyle)) {
        w = dli->Width;
        h = dli->Height;
    } else {
        w = ScaleX(rectItem->GetWidth(), sad);
        h = ScaleY(rectItem->GetHeight(), sad);
        descent = ScaleY(descent, sad);
    }
    const int vs = rectItem->VShiftAbs ? ScaleY(rectItem->VShift, sad) : MulDiv(h, rectItem->VShift, 100);
    dli->SetSize(w, h);

    const bool sameAsPrev = item->GetSameAsPrev();
    const bool afterMarker = itemNo > 0 && GetItemStyle(itemNo - 1) == rvsListMarker;
    const bool newLine = !sameAsPrev || dynamic_cast<TRVMultiDrawItemInfo*>(dli.get()) != nullptr ||
                         (st.X + w > st.LineWidth && !para->Options().Contains(rvpaoNoWrap) && !afterMarker);
    const int asc = rectItem->VAlign == rvvaBaseline ? h - descent : h / 2;
    int top;
    if (newLine) {
        if (sameAsPrev)
            st.NewParagraph = false;
        int extra = 0;
        StartNewLine(itemNo, sameAsPrev, st, extra);
        dli->FromNewLine = true;
        st.X = 0;
        st.BaseLine += extra;
        top = st.BaseLine + st.LineDescent;
        st.LineAscent = asc + vs;
        st.BaseLine += st.LineDescent + st.LineAscent;
        st.LineDescent = h - st.LineAscent;
    } else {
        RaiseLineAscent(asc + vs, st);
        top = st.BaseLine - asc - vs;
        st.LineDescent = std::max(st.LineDescent, h - asc - vs);
        dli->FromNewLine = false;
    }
    dli->Left = st.X + st.LineLeft + xShift;
    st.X += w + xShift;
    dli->Top = top;
    dli->ItemNo = itemNo;
    dli->Offs = 0;
    dli->Length = 0;
    if (!ShareItems())
        item->DrawItemNo = st.LineEnd;
    TRVDrawLineInfo* placed = dli.get();
    InsertDrawItem(dli.release(), itemNo, true, st);

    if (item->GetBoolValue(rvbpDrawingChangesFont))
        st.CurStyleNo = -1;
    if (item->GetBoolValueEx(rvbpJump, rvStyle)) {
        if (flags.Contains(rvflUseJumps))
            AddJump(placed, JumpCount, st.LineEnd - 1, item->GetHypertextCursor(rvStyle), Jumps);
        item->SetJumpID(JumpCount);
        ++JumpCount;
    }
}

void TCustomRVFormattedData::FormatFullLineItem(TCustomRVItemInfo* item, int itemNo, TRVFormatLineState& st)
{
    TRVStyle* rvStyle = GetRVStyle();
    const TRVScreenAndDevice& sad = st.sad;
    int extra = 0;
    FinishScreenLine(sad, st.LineWidth + st.LineLeft, st.LineEnd, true, extra, st.NoLineYet);
    // The spacing of the closed line stays below it here as after any other line.
    if (st.NoteParaStarts && st.NewParagraph && IsParaStart(itemNo))
        NoteParaStart(itemNo, st.BaseLine + extra, st.LineDescent, st);
    st.BaseLine += extra;
    if (itemNo > 0)
        st.LineDescent += ScaleY(rvStyle->ParaStyles()->Items(GetItemPara(itemNo - 1))->SpaceAfter(), sad);
    const TParaInfo* para = rvStyle->ParaStyles()->Items(item->ParaNo);
    st.LineDescent += ScaleY(para->SpaceBefore(), sad);

    if (item->StyleNo == rvsBreak) {
        st.LineDescent += ScaleY(rvStyle->ParaStyles()->Items(0)->SpaceBefore(), sad);
        const int half = MulDiv(5, sad.DevicePpiY, sad.ScreenPpiY);
        auto dli = std::make_unique<TRVDrawLineInfo>(sad.DevLeftMargin, st.BaseLine + st.LineDescent,
                                                     DocumentWidth, 2 * half + 1, itemNo, true);
        if (!ShareItems())
            item->DrawItemNo = st.LineEnd;
        if (st.NoteParaStarts)
            FRuleDrawItems.push_back(st.LineEnd);
        InsertDrawItem(dli.release(), itemNo, true, st);
        st.BaseLine += st.LineDescent + half + 1;
        st.LineDescent = half;
        st.LineAscent = half;
        return;
    }

    st.LineWidth = DocumentWidth - ScaleX(para->LeftIndent() + para->RightIndent(), sad);
    int x0 = ScaleX(para->LeftIndent(), sad) + sad.DevLeftMargin;
    const TRVFlags flags = GetFlags();
    std::unique_ptr<TRVDrawLineInfo> dli(flags.Contains(rvflAllowCustomDrawItems)
                                             ? item->CreatePrintingDrawItem(this, sad)
                                             : new TRVDrawLineInfo());
    int xShift = 0;
    int descent = 0;
    item->OnDocWidthChange(st.LineWidth, dli.get(), flags.Contains(rvflPrinting), st.Canvas, this, &sad,
                           xShift, descent, st.Reformat);
    if (item->GetBoolValue(rvbpDrawingChangesFont))
        st.CurStyleNo = -1;
    const auto* nonText = dynamic_cast<const TRVNonTextItemInfo*>(item);
    int w = nonText != nullptr ? ScaleX(nonText->GetWidth(), sad) : 0;
    int h = nonText != nullptr ? ScaleY(nonText->GetHeight(), sad) : 0;
    // An item laid out for the device (a printed table) has its size in its draw item.
    if (item->GetBoolValueEx(rvbpActualPrintSize, rvStyle)) {
        w = dli->Width;
        h = dli->Height;
    }
    switch (para->Alignment()) {
    case rvaRight:
        x0 += st.LineWidth - w;
        break;
    case rvaCenter:
        x0 += (st.LineWidth - w) / 2;
        if (x0 < 0)
            x0 = 0;
        break;
    default:
        break;
    }
    dli->SetData(x0 + xShift, st.BaseLine + st.LineDescent, itemNo, true);
    dli->SetSize(w, h);
    if (!ShareItems())
        item->DrawItemNo = st.LineEnd;
    InsertDrawItem(dli.release(), itemNo, true, st);
    st.BaseLine += st.LineDescent + h;
    st.LineAscent = h;
    st.LineDescent = 0;
}

// ---------------------------------------------------------------------------
// Indents

void TCustomRVFormattedData::GetIndents(int itemNo, bool isFirstLine, int& paraStartItem, int& leftIndent,
                                        int& RightIndent)
{
    if (paraStartItem < 0)
        paraStartItem = GetFirstParaItem(itemNo);
    if (State.Contains(rvstFirstParaAborted) && paraStartItem == 0)
        isFirstLine = false;
    TRVStyle* rvStyle = GetRVStyle();
    const TCustomRVItemInfo* item = GetItem(itemNo);
    const TParaInfo* Para = rvStyle->ParaStyles()->Items(item->ParaNo);
    const bool RightToLeft = GetParaBiDiMode(item->ParaNo) == rvbdRightToLeft;
    // A list indent goes to the side the text starts from.
    auto useListIndent = [&](int indent) {
        if (RightToLeft) {
            RightIndent = indent;
            leftIndent = Para->LeftIndent();
        } else {
            leftIndent = indent;
            RightIndent = Para->RightIndent();
        }
    };
    auto markerLevel = [&](int no) -> TRVListLevel* {
        // Text items (most of a document) are never markers: no type query for them.
        const TCustomRVItemInfo* candidate = GetItem(no);
        const auto* marker =
            candidate->StyleNo < 0 ? dynamic_cast<const TRVMarkerItemInfo*>(candidate) : nullptr;
        return marker != nullptr ? marker->GetLevelInfo(rvStyle) : nullptr;
    };
    TRVListLevel* paraLevel = markerLevel(paraStartItem);
    if (isFirstLine) {
        if (TRVListLevel* level = markerLevel(itemNo))
            useListIndent(level->MarkerIndent());
        else if (paraLevel != nullptr)
            useListIndent(paraLevel->LeftIndent());
        else {
            leftIndent = Para->LeftIndent();
            if (!item->GetBR() && !item->GetBoolValue(rvbpFullWidth))
                leftIndent += Para->FirstIndent();
            RightIndent = Para->RightIndent();
        }
        return;
    }
    if (paraLevel != nullptr) {
        useListIndent(paraLevel->LeftIndent());
        return;
    }
    int listNo = -1, level = -1;
    if (paraStartItem == 0 && State.Contains(rvstFirstParaAborted) && GetFirstItemMarker(listNo, level)) {
        if (TRVListLevel* levelInfo = RVGetLevelInfo(rvStyle, listNo, level)) {
            useListIndent(levelInfo->LeftIndent());
            return;
        }
    }
    leftIndent = Para->LeftIndent();
    RightIndent = Para->RightIndent();
}

bool TCustomRVFormattedData::IsDrawItemFromNewLine(int drawItemNo) const
{
    const TRVDrawLineInfo* dli = DrawItems[drawItemNo];
    if (dli->FromNewLine)
        return true;
    if (drawItemNo == 0)
        return false;
    const TRVDrawLineInfo* prev = DrawItems[drawItemNo - 1];
    return prev->ItemNo != dli->ItemNo && GetItemStyle(prev->ItemNo) == rvsListMarker;
}
