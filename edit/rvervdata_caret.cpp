// The caret: the stops of the caret's line, placing the caret rectangle that
// the host paints, the current styles that follow it, and the editor's layout
// (which keeps the caret at its item position and gives an empty editor its
// first line).
#include <algorithm>

#include "document/rvitem.h"
#include "document/rvstyle.h"
#include "document/rvstyle_text.h"
#include "document/rvuni.h"
#include "edit/rvchars.h"
#include "edit/rvervdata.h"

namespace {

constexpr int CaretWidth = 1;
constexpr int MaxCaretHeight = 1000;

} // namespace

void TRVEditRVData::OnChangeCaretLine(int DIOffs)
{
    CharPos.clear();
    if (CaretDrawItemNo < 0 || CaretDrawItemNo >= DrawItems.Count()) {
        CaretDrawItemNo = -1;
        CaretOffs = -1;
        return;
    }
    // No match yet: -1 never collides with a stop index.
    CaretOffs = -1;
    int First = 0;
    int Last = 0;
    GetScreenLineBounds(CaretDrawItemNo, First, Last);
    if (GetItemStyle(DrawItems[First]->ItemNo) == rvsListMarker && First < Last) {
        if (First == CaretDrawItemNo) {
            CaretDrawItemNo = First + 1;
            DIOffs = GetOffsBeforeDrawItem(CaretDrawItemNo) - 2;
        }
        ++First;
    }
    TCanvas* Canvas = GetCanvas();
    auto Add = [&](int X, int DrawItemNo, int Offset, int XShift) {
        CharPos.push_back({X, DrawItemNo, Offset, XShift});
        return static_cast<int>(CharPos.size()) - 1;
    };
    for (int d = First; d <= Last; ++d) {
        const TRVDrawLineInfo* dli = DrawItems[d];
        const int ItemNo = dli->ItemNo;
        const bool IsText = GetItemStyle(ItemNo) >= 0;
        const bool IsCaretItem = d == CaretDrawItemNo;
        const AnsiString s = IsText ? DrawItems.GetString(d, Items) : AnsiString();
        if (d == First && (!IsText || !s.empty())) {
            const int i = Add(dli->Left, d, IsText ? 1 : 0, 1);
            if (IsCaretItem && DIOffs < 0)
                CaretOffs = i;
        }
        if (IsText && !s.empty() && Canvas) {
            const TRVItemOptions Options = GetItemOptions(ItemNo);
            const bool Unicode = Options.Contains(rvioUnicode);
            Style->ApplyStyle(Canvas, GetItemStyle(ItemNo), GetParaBiDiMode(GetItemPara(ItemNo)));
            const int n = RVU_Length(s, Options);
            std::vector<int> Extents(static_cast<size_t>(n) + 1, 0);
            int Fit = 0;
            RVU_GetTextExtentExPoint(Canvas, s, std::max(dli->Width, 1) * 10, Fit, Extents.data(), Options);
            // Units before the caret in this draw item; a position inside a
            // character selects the stop before it.
            const int Units = DIOffs + 1;
            for (int b : RVE_CharBoundaries(s, Unicode, GetStyleCodePage(GetItemStyle(ItemNo)))) {
                if (IsCaretItem && Units > 0 && Units < b && CaretOffs < 0 && !CharPos.empty())
                    CaretOffs = static_cast<int>(CharPos.size()) - 1;
                const int i =
                    Add(Extents[static_cast<size_t>(b - 1)] + dli->Left + dli->SpaceBefore, d, b + 1, 1);
                if (IsCaretItem && Units == b)
                    CaretOffs = i;
            }
            if (IsCaretItem && Units > 0 && Units < n && CaretOffs < 0 && !CharPos.empty())
                CaretOffs = static_cast<int>(CharPos.size()) - 1;
        }
        const int End = Add(dli->Left + dli->Width, d, GetOffsAfterDrawItem(d), IsText ? 1 : 2);
        const bool PastEnd = IsText ? DIOffs > dli->Length - 2 : DIOffs >= -1;
        if ((d + 1 == CaretDrawItemNo && DIOffs < 0) || (IsCaretItem && PastEnd))
            CaretOffs = End;
    }
    if (CaretOffs < 0 && !CharPos.empty())
        CaretOffs = 0;
}

void TRVEditRVData::ChangeCaret(bool, bool ScrollToCaret, bool KeepStyles, bool)
{
    if (State.Contains(rvstSkipFormatting))
        return;
    if (PartialSelectedItem) {
        Host->SetCaret(TRect(), false);
        Host->CaretMoved();
        return;
    }
    int h = 0;
    int CaretX = 0;
    int CaretY = 0;
    const TRVDrawLineInfo* dli = nullptr;
    if (CaretDrawItemNo >= 0 && DrawItems.Count() > 0) {
        if (CaretOffs < 0 || CaretOffs >= static_cast<int>(CharPos.size())) {
            // A caret that lost its stop goes back to the document's start,
            // quietly: the edit before it has been made and must be reported.
            CaretDrawItemNo = 0;
            int Offs = GetOffsBeforeDrawItem(0);
            AdjustMarkerCaret(true, Offs);
            OnChangeCaretLine(Offs - 2);
        }
        if (CaretOffs >= 0 && CaretOffs < static_cast<int>(CharPos.size())) {
            const TRVCharPos& Stop = CharPos[static_cast<size_t>(CaretOffs)];
            CaretDrawItemNo = Stop.DrawItemNo;
            dli = DrawItems[CaretDrawItemNo];
            h = std::min(dli->Height + 2, MaxCaretHeight);
            CaretX = Stop.X - 1 + Stop.XShift;
            CaretY = dli->Top - 1;
        }
    }
    if (dli) {
        const int Top = dli->Top + dli->Height - h;
        CaretRect = TRect{CaretX - CaretWidth / 2, Top, CaretX - CaretWidth / 2 + CaretWidth, Top + h};
    } else {
        CaretRect = TRect();
    }
    const bool Show = h != 0 && Host->Focused() && !(Host->ReadOnly() && HideReadOnlyCaret);
    TRect Client = CaretRect;
    Client.Left -= GetHOffs();
    Client.Right -= GetHOffs();
    Client.Top -= GetVOffs();
    Client.Bottom -= GetVOffs();
    Host->SetCaret(Client, Show);
    CaretHeight = h;
    if (dli) {
        const int ItemNo = dli->ItemNo;
        if (!KeepStyles)
            CurParaStyleNo = GetItemPara(ItemNo);
        const int StyleNo = GetItemStyle(ItemNo);
        if (StyleNo >= 0 && !KeepStyles) {
            if (Style->TextStyles()->Items(StyleNo)->Protection().Contains(rvprDoNotAutoSwitch)) {
                CurTextStyleNo = LastAutoTextStyleNo;
            } else {
                CurTextStyleNo = StyleNo;
                LastAutoTextStyleNo = StyleNo;
            }
        }
    }
    if (ScrollToCaret && h != 0 && !MouseCaptureItem)
        ShowRectangle(CaretX, CaretY, 5, h);
    Host->CaretMoved();
}

void TRVEditRVData::SetCaretAtItem(int ItemNo, int Offs, bool)
{
    int DrawOffs = 0;
    Item2DrawItem(ItemNo, Offs, CaretDrawItemNo, DrawOffs);
    if (CaretDrawItemNo < 0) {
        CaretDrawItemNo = DrawItems.Count() > 0 ? 0 : -1;
        DrawOffs = CaretDrawItemNo >= 0 ? GetOffsBeforeDrawItem(0) : 0;
    }
    AdjustMarkerCaret(true, DrawOffs);
    OnChangeCaretLine(DrawOffs - 2);
    ChangeCaret(false, true, false, true);
}

void TRVEditRVData::MoveCaretTo(int DrawItemNo, int DrawOffs)
{
    CaretDrawItemNo = DrawItemNo;
    OnChangeCaretLine(DrawOffs - 2);
}

// ---------------------------------------------------------------------------
// Layout

void TRVEditRVData::PrepareForEdit()
{
    if (GetItemCount() != 0 || !Style)
        return;
    AddNL(AnsiString(), CurTextStyleNo, CurParaStyleNo);
    if (Style->TextStyles()->Items(CurTextStyleNo)->Unicode())
        GetItem(0)->ItemOptions.Include(rvioUnicode);
    Format_(false, true, false, 0, GetCanvas(), false, false);
    if (DrawItems.Count() > 0) {
        CaretDrawItemNo = 0;
        OnChangeCaretLine(-1);
    }
}

void TRVEditRVData::Format_(bool Resized, bool Force, bool NoScroll, int Depth, TCanvas* Canvas, bool Tail,
                            bool Reformat)
{
    PrepareForEdit();
    const bool Place = Depth == 0 && Style && !State.Contains(rvstSkipFormatting);
    int SavedItem = -1;
    int SavedOffs = 0;
    if (Place && (Resized || Tail) && CaretOffs >= 0 && CaretOffs < static_cast<int>(CharPos.size()))
        DrawItem2Item(CharPos[static_cast<size_t>(CaretOffs)].DrawItemNo,
                      CharPos[static_cast<size_t>(CaretOffs)].Offset, SavedItem, SavedOffs);
    TCustomRVFormattedData::Format_(Resized, Force, NoScroll, Depth, Canvas, Tail, Reformat);
    if (Depth == 0)
        DocumentMinWidth = CalculateMinDocWidthPlus(nullptr, nullptr);
    if (!Place)
        return;
    if (SavedItem >= 0 && SavedItem < GetItemCount()) {
        int DrawOffs = 0;
        Item2DrawItem(SavedItem, SavedOffs, CaretDrawItemNo, DrawOffs);
        OnChangeCaretLine(DrawOffs - 2);
    } else if (DrawItems.Count() > 0) {
        CaretDrawItemNo = 0;
        int Offs = GetOffsBeforeDrawItem(0);
        AdjustMarkerCaret(true, Offs);
        OnChangeCaretLine(Offs - 2);
    } else {
        CharPos.clear();
        CaretDrawItemNo = -1;
        CaretOffs = -1;
    }
    ChangeCaret(false, false, !State.Contains(rvstEditorUnformatted), false);
    State.Exclude(rvstEditorUnformatted);
}
