// Line building: text broken into pieces that fit the line (by spaces for ANSI
// text, by the Unicode line-break rules for Unicode text), inline items placed
// in the line, whole-line items on lines of their own, line ascent and descent
// raised as taller pieces arrive, indents, list markers and hyperlink rectangles.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/core/charnextw.h"
#include "platform/core/codepages.h"
#include "platform/core/numbers.h"
#include "platform/core/stringlist.h"
#include "view/crvfdata.h"

bool RollViewSafeFormatting = false;

namespace {

int ScaleX(int V, const TRVScreenAndDevice& sad)
{
    return MulDiv(V, sad.DevicePpiX, sad.ScreenPpiX);
}

int ScaleY(int V, const TRVScreenAndDevice& sad)
{
    return MulDiv(V, sad.DevicePpiY, sad.ScreenPpiY);
}

// The characters of one text piece being laid out: ANSI bytes or UTF-16
// units, addressed by character index from the start of the range.
class TPieceText {
public:
    TPieceText(const AnsiString& Text, int Offs, int Len, bool Unicode)
        : FUnicode(Unicode), FLen(Len), FRaw(Text.data() + (Unicode ? 2 * static_cast<size_t>(Offs) : Offs))
    {
        if (Unicode) {
            FWide.resize(static_cast<size_t>(Len));
            for (int i = 0; i < Len; ++i) {
                const size_t b = static_cast<size_t>(Offs + i) * 2;
                FWide[static_cast<size_t>(i)] = static_cast<WideChar>(
                    static_cast<unsigned char>(Text[b]) | static_cast<unsigned char>(Text[b + 1]) << 8);
            }
        } else {
            FAnsi = Text.data() + Offs;
        }
    }

    bool Unicode() const { return FUnicode; }
    int Length() const { return FLen; }
    const WideChar* Wide() const { return FWide.c_str(); }
    const char* Ansi() const { return FAnsi; }
    // The item's own bytes of character Index.
    const char* Raw(int Index) const { return FRaw + (FUnicode ? 2 * static_cast<size_t>(Index) : Index); }

    bool IsSpace(int Index) const
    {
        if (Index < 0 || Index >= FLen)
            return false;
        return FUnicode ? FWide[static_cast<size_t>(Index)] == 0x0020 : FAnsi[Index] == ' ';
    }

    TSize Measure(TCanvas* Canvas, int Start, int Count) const
    {
        TSize Size;
        bool Ok = FUnicode ? Canvas->GetTextExtentPoint32W(Wide() + Start, Count, Size)
                           : Canvas->GetTextExtentPoint32A(FAnsi + Start, Count, Size);
        // A failing measurement gives a zero size.
        return Ok ? Size : TSize();
    }

    // The end of the character (Unicode: the cluster) that starts at Start.
    int CharEnd(TCanvas* Canvas, int Start) const
    {
        if (Start >= FLen)
            return FLen;
        if (FUnicode)
            return std::min(static_cast<int>(CharNextW(Wide() + Start) - Wide()), FLen);
        const unsigned CodePage = Canvas->FontCodePage();
        if (CodePageMaxCharSize(CodePage) == 1)
            return Start + 1;
        const char* Next = CharNextExA(CodePage, FAnsi + Start, FAnsi + FLen);
        return std::max(static_cast<int>(Next - FAnsi), Start + 1);
    }

    // The last character boundary at or before Pos, counting from Start (a
    // boundary): no piece of multi-byte ANSI text ends inside a character.
    int AnsiBoundaryBefore(TCanvas* Canvas, int Start, int Pos) const
    {
        const unsigned CodePage = Canvas->FontCodePage();
        if (FUnicode || CodePageMaxCharSize(CodePage) == 1)
            return Pos;
        int Boundary = Start;
        while (Boundary < Pos) {
            const int Next = CharEnd(Canvas, Boundary);
            if (Next > Pos)
                break;
            Boundary = Next;
        }
        return Boundary;
    }

private:
    bool FUnicode;
    int FLen;
    const char* FRaw;
    WideString FWide;
    const char* FAnsi = nullptr;
};

// The number of characters from Pos (of Remaining) that fit in Avail pixels:
// the whole text measured once, then an interpolation search. Whole gets the
// size of all Remaining characters when they were measured (else cx -1).
int FitChars(const TPieceText& Chars, int Pos, int Remaining, int Avail, bool NoWrap, bool ByCharacter,
             TCanvas* Canvas, TSize& Whole)
{
    Whole = TSize{-1, 0};
    int Fit;
    if (ByCharacter) {
        if (NoWrap)
            return Remaining;
        Fit = 0;
        TSize Size;
        RVU_GetTextExtentExPointPC(Canvas, Chars.Raw(Pos), Remaining, Avail, Fit, nullptr,
                                   Chars.Unicode() ? TRVItemOptions{rvioUnicode} : TRVItemOptions(), Size);
    } else {
        Whole = Chars.Measure(Canvas, Pos, Remaining);
        if (NoWrap || (Whole.cx > 0 && Whole.cx <= Avail))
            return Remaining;
        // Interpolation between a count that fits (Lo, WLo) and one that does
        // not (Hi, WHi). Counts times widths exceed 32 bits on long lines.
        int Lo = 0;
        int Hi = Remaining;
        int64_t WLo = 0;
        int64_t WHi = Whole.cx;
        while (Lo + 1 < Hi) {
            if (WHi == WLo)
                ++WHi;
            int64_t Mid = int64_t(Hi - Lo) * (int64_t(Avail) - WLo) / (WHi - WLo) + Lo;
            Mid = std::clamp<int64_t>(Mid, Lo + 1, Hi - 1);
            const int W = Chars.Measure(Canvas, Pos, static_cast<int>(Mid)).cx;
            if (W == Avail) {
                Lo = Hi = static_cast<int>(Mid);
            } else if (W < Avail && W > 0) {
                Lo = static_cast<int>(Mid);
                WLo = W;
            } else {
                Hi = static_cast<int>(Mid);
                WHi = W;
            }
        }
        Fit = Lo;
    }
    if (Chars.Unicode()) {
        // A piece never ends inside a character cluster.
        const WideChar* p = Chars.Wide() + Pos;
        const int Old = Fit;
        while (Fit < Remaining && CharPrevW(p, p + Fit + 1) != p + Fit)
            ++Fit;
        if (Fit != Old && Chars.Measure(Canvas, Pos, Fit).cx > Avail)
            Fit = static_cast<int>(CharPrevW(p, p + Fit - 1) - p);
    } else {
        Fit = Chars.AnsiBoundaryBefore(Canvas, Pos, Pos + Fit) - Pos;
    }
    return Fit;
}

} // namespace

// ---------------------------------------------------------------------------
// Entry points

void TCustomRVFormattedData::FormatLine(const AnsiString& Text, int Offs, int Len, int ItemNo,
                                        TRVFormatLineState& st)
{
    TCustomRVItemInfo* Item = GetItem(ItemNo);
    if (Item->StyleNo >= 0) {
        FormatTextLine(Text, Offs, Len, ItemNo, st);
        return;
    }
    if (!Item->GetSameAsPrev() && Offs == 0)
        st.NewParagraph = true;
    if (dynamic_cast<TRVRectItemInfo*>(Item) != nullptr)
        FormatInlineItem(Item, ItemNo, st);
    else
        FormatFullLineItem(Item, ItemNo, st);
}

void TCustomRVFormattedData::FormatWords(int ItemNo, TRVFormatLineState& st)
{
    const TCustomRVItemInfo* Item = GetItem(ItemNo);
    const AnsiString& Raw = Items->Get(ItemNo);
    int n = RVU_Length(Raw, Item->ItemOptions);
    if (n == 0) {
        FormatLine(AnsiString(), 0, 0, ItemNo, st);
        return;
    }
    const TFontInfo* TextStyle = GetRVStyle()->TextStyles()->Items(Item->StyleNo);
    const bool AllCaps = TextStyle->StyleEx().Contains(rvfsAllCaps);
    const AnsiString Capitalized = AllCaps ? RV_ReturnCapitalized(Raw, TextStyle) : AnsiString();
    const AnsiString& Text = AllCaps ? Capitalized : Raw;
    const TPieceText Chars(Text, 0, n, Item->ItemOptions.Contains(rvioUnicode));
    // Each word after the first is a piece that starts with its space: the
    // justification widens exactly those pieces.
    int Offs = 0;
    while (n > 0) {
        int End = Offs;
        if (Chars.IsSpace(End))
            ++End;
        while (End < Chars.Length() && !Chars.IsSpace(End))
            ++End;
        const int PieceLen = End - Offs;
        FormatLine(Text, Offs, PieceLen, ItemNo, st);
        Offs += PieceLen;
        n -= PieceLen;
    }
}

// ---------------------------------------------------------------------------
// Lines

bool TCustomRVFormattedData::StartNewLine(int ItemNo, bool SoftBreak, TRVFormatLineState& st, int& Extra)
{
    bool Trimmed = false;
    // A line broken inside a paragraph does not end with a space.
    if (SoftBreak && !st.NoLineYet && st.LineEnd > 0) {
        const int Last = st.LineEnd - 1;
        TRVDrawLineInfo* dli = DrawItems[Last];
        const TCustomRVItemInfo* LastItem = GetItem(dli->ItemNo);
        if (LastItem->StyleNo >= 0 && dli->Length > 0 &&
            RVU_IsSpace(Items->Get(dli->ItemNo), dli->Offs + dli->Length - 1, LastItem->ItemOptions) &&
            !IsDrawItemFromNewLine(Last)) {
            // The hyperlink rectangle of the piece (the last one made) follows it.
            TRVJumpInfo* Jump = Jumps.Count() > 0 ? static_cast<TRVJumpInfo*>(Jumps.Last()) : nullptr;
            if (Jump != nullptr && (Jump->RVData != this || Jump->DrawItemNo != Last))
                Jump = nullptr;
            if (dli->Length == 1 && Last > 0 && DrawItems[Last - 1]->ItemNo == dli->ItemNo &&
                !dli->FromNewLine) {
                DrawItems.Delete(Last);
                --st.LineEnd;
                if (Jump != nullptr) {
                    Jumps.Delete(Jumps.Count() - 1);
                    delete Jump;
                }
            } else {
                --dli->Length;
                TRVStyle* RVStyle = GetRVStyle();
                const bool OtherStyle = LastItem->StyleNo != st.CurStyleNo;
                if (OtherStyle)
                    RVStyle->ApplyStyle(st.Canvas, LastItem->StyleNo, GetParaBiDiMode(LastItem->ParaNo));
                const TFontInfo* LastStyle = RVStyle->TextStyles()->Items(LastItem->StyleNo);
                AnsiString Piece = DrawItems.GetString(Last, Items);
                if (LastStyle->StyleEx().Contains(rvfsAllCaps))
                    Piece = RV_ReturnCapitalized(Piece, LastStyle);
                dli->Width = RVU_TextWidth(Piece, st.Canvas, LastItem->ItemOptions);
                if (Jump != nullptr)
                    Jump->Width = dli->Width;
                if (OtherStyle && st.CurStyleNo >= 0)
                    ApplyTextStyle(st.CurStyleNo, ItemNo, st);
            }
            Trimmed = true;
        }
    }

    FinishScreenLine(st.sad, st.LineWidth + st.LineLeft, st.LineEnd, st.NewParagraph, Extra, st.NoLineYet);

    const TCustomRVItemInfo* Item = GetItem(ItemNo);
    if (st.NoteParaStarts && st.NewParagraph && IsParaStart(ItemNo))
        NoteParaStart(ItemNo, st.BaseLine + Extra, st.LineDescent, st);

    TRVStyle* RVStyle = GetRVStyle();
    int Left = 0, Right = 0;
    GetIndents(ItemNo, st.NewParagraph, st.ParaStartItem, Left, Right);
    if (st.NewParagraph && !Item->GetBR()) {
        if (ItemNo > 0)
            st.LineDescent +=
                ScaleY(RVStyle->ParaStyles()->Items(GetItemPara(ItemNo - 1))->SpaceAfter(), st.sad);
        st.LineDescent += ScaleY(RVStyle->ParaStyles()->Items(Item->ParaNo)->SpaceBefore(), st.sad);
    }
    const bool NoWrap = RVStyle->ParaStyles()->Items(Item->ParaNo)->Options().Contains(rvpaoNoWrap);
    st.LineWidth = (NoWrap ? TextWidth : DocumentWidth) - ScaleX(Left + Right, st.sad);
    st.LineLeft = ScaleX(Left, st.sad) + st.sad.DevLeftMargin;
    return Trimmed;
}

void TCustomRVFormattedData::RaiseLineAscent(int Ascent, TRVFormatLineState& st)
{
    if (Ascent <= st.LineAscent)
        return;
    const int Delta = Ascent - st.LineAscent;
    // Every piece of the line moves down with its baseline.
    for (int i = st.LineEnd - 1; i >= 0; --i) {
        TRVDrawLineInfo* dli = DrawItems[i];
        dli->Top += Delta;
        if (dli->FromNewLine)
            break;
    }
    st.BaseLine += Delta;
    st.LineAscent = Ascent;
}

void TCustomRVFormattedData::ApplyTextStyle(int StyleNo, int ItemNo, TRVFormatLineState& st)
{
    st.CurStyleNo = StyleNo;
    TRVStyle* RVStyle = GetRVStyle();
    const TFontInfo* TextStyle = RVStyle->TextStyles()->Items(StyleNo);
    RVStyle->ApplyStyle(st.Canvas, StyleNo, GetParaBiDiMode(GetItemPara(ItemNo)));
    if (TextStyle->CharSpacing() != 0 && st.sad.ScreenPpiX != st.sad.DevicePpiX &&
        GetItemBiDiMode(ItemNo) == rvbdUnspecified)
        st.Canvas->SetTextCharacterExtra(ScaleX(TextStyle->CharSpacing(), st.sad));
    if (!st.Canvas->GetTextMetrics(st.TextMetric))
        st.TextMetric = TTextMetric();
    st.TextVShift = MulDiv(st.TextMetric.tmHeight, TextStyle->VShift(), 100);
}

void TCustomRVFormattedData::InsertDrawItem(TRVDrawLineInfo* dli, int ItemNo, bool BuildItemJumps,
                                            TRVFormatLineState& st)
{
    std::unique_ptr<TRVDrawLineInfo> Owner(dli);
    DrawItems.Insert(st.LineEnd, dli);
    Owner.release();
    if (BuildItemJumps && GetFlags().Contains(rvflUseJumps))
        GetItem(ItemNo)->BuildJumps(dli->Left, dli->Top, JumpCount, &Jumps);
    ++st.LineEnd;
}

void TCustomRVFormattedData::AddJump(TRVDrawLineInfo* dli, int Id, int DrawItemNo, TCursor Cursor)
{
    auto Jump = std::make_unique<TRVJumpInfo>();
    Jump->RVData = this;
    Jump->Left = dli->Left;
    Jump->Top = dli->Top;
    Jump->Width = dli->Width;
    Jump->Height = dli->Height;
    Jump->Id = Id;
    Jump->DrawItemNo = DrawItemNo;
    Jump->Cursor = Cursor;
    Jumps.Add(Jump.get());
    Jump.release();
}

void TCustomRVFormattedData::NoteParaStart(int ItemNo, int BaseLine, int LineDescent,
                                           const TRVFormatLineState& st)
{
    FLastParaStart.Valid = true;
    FLastParaStart.ItemNo = ItemNo;
    FLastParaStart.DrawItemNo = st.LineEnd;
    FLastParaStart.BaseLine = BaseLine;
    FLastParaStart.LineDescent = LineDescent;
    FLastParaStart.JumpCount = JumpCount;
    FLastParaStart.JumpsCount = Jumps.Count();
    FLastParaStart.UsesWidth = FLayoutUsesWidth;
}

// ---------------------------------------------------------------------------
// Text

void TCustomRVFormattedData::FormatTextLine(const AnsiString& Text, int Offs, int Len, int ItemNo,
                                            TRVFormatLineState& st)
{
    TCustomRVItemInfo* Item = GetItem(ItemNo);
    TRVStyle* RVStyle = GetRVStyle();
    const TFontInfo* TextStyle = RVStyle->TextStyles()->Items(Item->StyleNo);
    const TParaInfo* Para = RVStyle->ParaStyles()->Items(Item->ParaNo);
    const TRVFlags Flags = GetFlags();
    const bool Unicode = Item->ItemOptions.Contains(rvioUnicode);
    const bool SameAsPrev = Item->GetSameAsPrev();
    const bool NoWrap = Para->Options().Contains(rvpaoNoWrap);
    const bool Trim = Flags.Contains(rvflTrim);
    const bool Jump = TextStyle->Jump();
    const bool ByCharacter = RollViewSafeFormatting || (Flags.Contains(rvflPrinting) && !RVNT);

    // The range never reaches past the text, whatever the caller asks.
    const int TextLen = RVU_Length(Text, Item->ItemOptions);
    if (Offs < 0)
        Offs = 0;
    if (Offs > TextLen)
        Offs = TextLen;
    if (Len > TextLen - Offs)
        Len = TextLen - Offs;
    if (Len < 0)
        Len = 0;

    if (!SameAsPrev && Offs == 0)
        st.NewParagraph = true;
    if (Item->StyleNo != st.CurStyleNo)
        ApplyTextStyle(Item->StyleNo, ItemNo, st);
    const int ExtLeading = Flags.Contains(rvflUseExternalLeading) ? st.TextMetric.tmExternalLeading : 0;
    bool FirstPiece = Offs == 0;
    const int PieceAscent = st.TextMetric.tmAscent + ExtLeading + st.TextVShift;
    const int PieceDescent = st.TextMetric.tmDescent - st.TextVShift;
    const bool AfterMarker = ItemNo > 0 && GetItemStyle(ItemNo - 1) == rvsListMarker;

    if (Len == 0) {
        // An empty item: a 0-wide piece as high as a space in its style.
        auto dli = std::make_unique<TRVDrawLineInfo>();
        int Top;
        if (!SameAsPrev) {
            int Extra = 0;
            StartNewLine(ItemNo, false, st, Extra);
            st.X = 0;
            st.BaseLine += Extra;
            Top = st.BaseLine + st.LineDescent;
            st.LineAscent = PieceAscent;
            st.BaseLine += st.LineDescent + st.LineAscent;
            st.LineDescent = PieceDescent;
        } else {
            RaiseLineAscent(PieceAscent, st);
            Top = st.BaseLine - PieceAscent;
            st.LineDescent = std::max(st.LineDescent, PieceDescent);
        }
        dli->SetData(st.X + st.LineLeft, Top, ItemNo, !SameAsPrev);
        dli->SetSize(0, st.Canvas->TextHeight(" "));
        dli->Offs = Offs + 1;
        dli->Length = 0;
        if (Jump)
            Item->JumpID = -3;
        if (!ShareItems())
            Item->DrawItemNo = st.LineEnd;
        InsertDrawItem(dli.release(), ItemNo, false, st);
        return;
    }

    const TPieceText Chars(Text, Offs, Len, Unicode);
    bool NewLine = FirstPiece && !SameAsPrev;
    bool TrimmedSpace = false;
    int Pos = 0;
    int Remaining = Len;
    while (Remaining > 0) {
        int Extra = 0;
        if (NewLine) {
            const bool LineTrimmed = StartNewLine(ItemNo, !st.NewParagraph, st, Extra);
            st.X = 0;
            // A line continued inside a paragraph does not start with a space.
            if (Trim && !LineTrimmed && !st.NewParagraph && Remaining > 1 && Chars.IsSpace(Pos)) {
                ++Pos;
                --Remaining;
            }
        }
        const int Avail = std::max(st.LineWidth - st.X, 0);
        TSize Whole;
        const int Measured = Remaining;
        int Fit = FitChars(Chars, Pos, Remaining, Avail, NoWrap, ByCharacter, st.Canvas, Whole);

        if (Fit == 0) {
            if (NewLine || (FirstPiece && AfterMarker)) {
                // At least one character goes on a line, a whole one.
                Fit = Chars.CharEnd(st.Canvas, Pos) - Pos;
            } else {
                st.X = 0;
                st.NewParagraph = false;
                NewLine = true;
                continue;
            }
        }

        if (Fit < Remaining) {
            int Brk = -1; // index of the break character
            if (Unicode) {
                const WideChar* Found = RVU_FindLineBreak(Chars.Wide() + Pos, Fit, Remaining);
                if (Found != nullptr && Found != Chars.Wide() + Pos + Fit)
                    Brk = static_cast<int>(Found - Chars.Wide());
            } else {
                for (int i = Pos + Fit - 1; i >= Pos; --i)
                    if (Chars.Ansi()[i] == ' ') {
                        Brk = i;
                        break;
                    }
            }
            // A space right at the overflow breaks the line only when trimming.
            if (Trim && Brk < 0 && Chars.IsSpace(Pos + Fit) &&
                (Fit + 1 < Remaining || (ItemNo + 1 < GetItemCount() && !IsFromNewLine(ItemNo + 1)))) {
                Brk = Pos + Fit;
                ++Fit;
            }
            if (Brk >= 0) {
                if (Trim && Brk != Pos && (!Unicode || Chars.IsSpace(Brk))) {
                    Fit = Brk - Pos;
                    TrimmedSpace = true;
                } else {
                    Fit = Brk - Pos + 1;
                }
            } else if (!(NewLine || (FirstPiece && AfterMarker))) {
                // The word does not fit here: the rest goes on a new line whole.
                st.NewParagraph = false;
                NewLine = true;
                continue;
            }
            // Otherwise a word longer than the line is cut at Fit.
        }

        const int PieceStart = Pos;
        Pos += Fit;
        Remaining -= Fit;
        if (TrimmedSpace) {
            ++Pos;
            --Remaining;
            TrimmedSpace = false;
        }
        if (!NewLine && Fit == 0) {
            NewLine = true;
            continue;
        }

        // A piece of all the text measured for the fit is not measured again.
        const TSize Size =
            Whole.cx >= 0 && Fit == Measured ? Whole : Chars.Measure(st.Canvas, PieceStart, Fit);
        auto dli = std::make_unique<TRVDrawLineInfo>();
        dli->ItemNo = ItemNo;
        dli->Offs = Offs + PieceStart + 1;
        dli->Length = Fit;
        dli->SetSize(Size.cx, Size.cy);
        if (!NewLine) {
            RaiseLineAscent(PieceAscent, st);
            dli->Top = st.BaseLine - PieceAscent;
            dli->FromNewLine = false;
        } else {
            dli->FromNewLine = true;
            st.X = 0;
            st.BaseLine += Extra;
            dli->Top = st.BaseLine + st.LineDescent;
            st.LineAscent = PieceAscent;
            st.BaseLine += st.LineDescent + st.LineAscent;
        }
        dli->Left = st.X + st.LineLeft;
        if (FirstPiece && !ShareItems())
            Item->DrawItemNo = st.LineEnd;
        TRVDrawLineInfo* Placed = dli.get();
        InsertDrawItem(dli.release(), ItemNo, false, st);
        // Every piece of one hyperlink item shares its id; JumpCount moves on
        // after the item's first call.
        if (Jump && Flags.Contains(rvflUseJumps))
            AddJump(Placed, JumpCount - (Offs > 0 ? 1 : 0), st.LineEnd - 1, TextStyle->JumpCursor());

        st.LineDescent = NewLine ? PieceDescent : std::max(st.LineDescent, PieceDescent);
        st.X += Placed->Width;
        NewLine = true;
        st.NewParagraph = false;
        FirstPiece = false;
    }
    if (Jump && Offs == 0) {
        Item->JumpID = JumpCount;
        ++JumpCount;
    }
}

// ---------------------------------------------------------------------------
// Non-text items

void TCustomRVFormattedData::FormatInlineItem(TCustomRVItemInfo* Item, int ItemNo, TRVFormatLineState& st)
{
    auto* RectItem = static_cast<TRVRectItemInfo*>(Item);
    TRVStyle* RVStyle = GetRVStyle();
    const TParaInfo* Para = RVStyle->ParaStyles()->Items(Item->ParaNo);
    const TRVFlags Flags = GetFlags();
    const TRVScreenAndDevice& sad = st.sad;
    std::unique_ptr<TRVDrawLineInfo> dli(Flags.Contains(rvflAllowCustomDrawItems)
                                             ? Item->CreatePrintingDrawItem(this, sad)
                                             : new TRVDrawLineInfo());

    int XShift = 0;
    int Descent = 1;
    Item->OnDocWidthChange(
        DocumentWidth - ScaleX(Para->LeftIndent() + Para->RightIndent() + Para->FirstIndent(), sad),
        dli.get(), Flags.Contains(rvflPrinting), st.Canvas, this, &sad, XShift, Descent, st.Reformat);
    int W, H;
    if (Item->GetBoolValueEx(rvbpActualPrintSize, RVStyle)) {
        W = dli->Width;
        H = dli->Height;
    } else {
        W = ScaleX(RectItem->GetWidth(), sad);
        H = ScaleY(RectItem->GetHeight(), sad);
        Descent = ScaleY(Descent, sad);
    }
    const int VS = RectItem->VShiftAbs ? ScaleY(RectItem->VShift, sad) : MulDiv(H, RectItem->VShift, 100);
    dli->SetSize(W, H);

    const bool SameAsPrev = Item->GetSameAsPrev();
    const bool AfterMarker = ItemNo > 0 && GetItemStyle(ItemNo - 1) == rvsListMarker;
    const bool NewLine = !SameAsPrev || dynamic_cast<TRVMultiDrawItemInfo*>(dli.get()) != nullptr ||
                         (st.X + W > st.LineWidth && !Para->Options().Contains(rvpaoNoWrap) && !AfterMarker);
    const int Asc = RectItem->VAlign == rvvaBaseline ? H - Descent : H / 2;
    int Top;
    if (NewLine) {
        if (SameAsPrev)
            st.NewParagraph = false;
        int Extra = 0;
        StartNewLine(ItemNo, SameAsPrev, st, Extra);
        dli->FromNewLine = true;
        st.X = 0;
        st.BaseLine += Extra;
        Top = st.BaseLine + st.LineDescent;
        st.LineAscent = Asc + VS;
        st.BaseLine += st.LineDescent + st.LineAscent;
        st.LineDescent = H - st.LineAscent;
    } else {
        RaiseLineAscent(Asc + VS, st);
        Top = st.BaseLine - Asc - VS;
        st.LineDescent = std::max(st.LineDescent, H - Asc - VS);
        dli->FromNewLine = false;
    }
    dli->Left = st.X + st.LineLeft + XShift;
    st.X += W + XShift;
    dli->Top = Top;
    dli->ItemNo = ItemNo;
    dli->Offs = 0;
    dli->Length = 0;
    if (!ShareItems())
        Item->DrawItemNo = st.LineEnd;
    TRVDrawLineInfo* Placed = dli.get();
    InsertDrawItem(dli.release(), ItemNo, true, st);

    if (Item->GetBoolValue(rvbpDrawingChangesFont))
        st.CurStyleNo = -1;
    if (Item->GetBoolValueEx(rvbpJump, RVStyle)) {
        if (Flags.Contains(rvflUseJumps))
            AddJump(Placed, JumpCount, st.LineEnd - 1, Item->GetHypertextCursor(RVStyle));
        Item->JumpID = JumpCount;
        ++JumpCount;
    }
}

void TCustomRVFormattedData::FormatFullLineItem(TCustomRVItemInfo* Item, int ItemNo, TRVFormatLineState& st)
{
    TRVStyle* RVStyle = GetRVStyle();
    const TRVScreenAndDevice& sad = st.sad;
    int Extra = 0;
    FinishScreenLine(sad, st.LineWidth + st.LineLeft, st.LineEnd, true, Extra, st.NoLineYet);
    // The spacing of the closed line stays below it here as after any other line.
    if (st.NoteParaStarts && st.NewParagraph && IsParaStart(ItemNo))
        NoteParaStart(ItemNo, st.BaseLine + Extra, st.LineDescent, st);
    st.BaseLine += Extra;
    if (ItemNo > 0)
        st.LineDescent += ScaleY(RVStyle->ParaStyles()->Items(GetItemPara(ItemNo - 1))->SpaceAfter(), sad);
    const TParaInfo* Para = RVStyle->ParaStyles()->Items(Item->ParaNo);
    st.LineDescent += ScaleY(Para->SpaceBefore(), sad);

    if (Item->StyleNo == rvsBreak) {
        st.LineDescent += ScaleY(RVStyle->ParaStyles()->Items(0)->SpaceBefore(), sad);
        const int Half = MulDiv(5, sad.DevicePpiY, sad.ScreenPpiY);
        auto dli = std::make_unique<TRVDrawLineInfo>(sad.DevLeftMargin, st.BaseLine + st.LineDescent,
                                                     DocumentWidth, 2 * Half + 1, ItemNo, true);
        if (!ShareItems())
            Item->DrawItemNo = st.LineEnd;
        InsertDrawItem(dli.release(), ItemNo, true, st);
        st.BaseLine += st.LineDescent + Half + 1;
        st.LineDescent = Half;
        st.LineAscent = Half;
        return;
    }

    st.LineWidth = DocumentWidth - ScaleX(Para->LeftIndent() + Para->RightIndent(), sad);
    int X0 = ScaleX(Para->LeftIndent(), sad) + sad.DevLeftMargin;
    const TRVFlags Flags = GetFlags();
    std::unique_ptr<TRVDrawLineInfo> dli(Flags.Contains(rvflAllowCustomDrawItems)
                                             ? Item->CreatePrintingDrawItem(this, sad)
                                             : new TRVDrawLineInfo());
    int XShift = 0;
    int Descent = 0;
    Item->OnDocWidthChange(st.LineWidth, dli.get(), Flags.Contains(rvflPrinting), st.Canvas, this, &sad,
                           XShift, Descent, st.Reformat);
    if (Item->GetBoolValue(rvbpDrawingChangesFont))
        st.CurStyleNo = -1;
    const auto* NonText = dynamic_cast<const TRVNonTextItemInfo*>(Item);
    const int W = NonText != nullptr ? ScaleX(NonText->GetWidth(), sad) : 0;
    const int H = NonText != nullptr ? ScaleY(NonText->GetHeight(), sad) : 0;
    switch (Para->Alignment()) {
    case rvaRight:
        X0 += st.LineWidth - W;
        break;
    case rvaCenter:
        X0 += (st.LineWidth - W) / 2;
        if (X0 < 0)
            X0 = 0;
        break;
    default:
        break;
    }
    dli->SetData(X0 + XShift, st.BaseLine + st.LineDescent, ItemNo, true);
    dli->SetSize(W, H);
    if (!ShareItems())
        Item->DrawItemNo = st.LineEnd;
    InsertDrawItem(dli.release(), ItemNo, true, st);
    st.BaseLine += st.LineDescent + H;
    st.LineAscent = H;
    st.LineDescent = 0;
}

// ---------------------------------------------------------------------------
// Indents

void TCustomRVFormattedData::GetIndents(int ItemNo, bool IsFirstLine, int& ParaStartItem, int& LeftIndent,
                                        int& RightIndent)
{
    if (ParaStartItem < 0)
        ParaStartItem = GetFirstParaItem(ItemNo);
    if (State.Contains(rvstFirstParaAborted) && ParaStartItem == 0)
        IsFirstLine = false;
    TRVStyle* RVStyle = GetRVStyle();
    const TCustomRVItemInfo* Item = GetItem(ItemNo);
    const TParaInfo* Para = RVStyle->ParaStyles()->Items(Item->ParaNo);
    const bool RightToLeft = GetParaBiDiMode(Item->ParaNo) == rvbdRightToLeft;
    // A list indent goes to the side the text starts from.
    auto UseListIndent = [&](int Indent) {
        if (RightToLeft) {
            RightIndent = Indent;
            LeftIndent = Para->LeftIndent();
        } else {
            LeftIndent = Indent;
            RightIndent = Para->RightIndent();
        }
    };
    auto MarkerLevel = [&](int No) -> TRVListLevel* {
        const auto* Marker = dynamic_cast<const TRVMarkerItemInfo*>(GetItem(No));
        return Marker != nullptr ? Marker->GetLevelInfo(RVStyle) : nullptr;
    };
    TRVListLevel* ParaLevel = MarkerLevel(ParaStartItem);
    if (IsFirstLine) {
        if (TRVListLevel* Level = MarkerLevel(ItemNo))
            UseListIndent(Level->MarkerIndent());
        else if (ParaLevel != nullptr)
            UseListIndent(ParaLevel->LeftIndent());
        else {
            LeftIndent = Para->LeftIndent();
            if (!Item->GetBR() && !Item->GetBoolValue(rvbpFullWidth))
                LeftIndent += Para->FirstIndent();
            RightIndent = Para->RightIndent();
        }
        return;
    }
    if (ParaLevel != nullptr) {
        UseListIndent(ParaLevel->LeftIndent());
        return;
    }
    int ListNo = -1, Level = -1;
    if (ParaStartItem == 0 && State.Contains(rvstFirstParaAborted) && GetFirstItemMarker(ListNo, Level)) {
        if (TRVListLevel* LevelInfo = RVGetLevelInfo(RVStyle, ListNo, Level)) {
            UseListIndent(LevelInfo->LeftIndent());
            return;
        }
    }
    LeftIndent = Para->LeftIndent();
    RightIndent = Para->RightIndent();
}

bool TCustomRVFormattedData::IsDrawItemFromNewLine(int DrawItemNo) const
{
    const TRVDrawLineInfo* dli = DrawItems[DrawItemNo];
    if (dli->FromNewLine)
        return true;
    if (DrawItemNo == 0)
        return false;
    const TRVDrawLineInfo* Prev = DrawItems[DrawItemNo - 1];
    return Prev->ItemNo != dli->ItemNo && GetItemStyle(Prev->ItemNo) == rvsListMarker;
}
