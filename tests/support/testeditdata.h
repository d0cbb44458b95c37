// TEditFixture holds a style sheet with the text and paragraph styles the
// editing tests use and a headless editor on it (tests/support/testeditor.h),
// whose document data is d; and the RVF of documents made in another editor
// on the same sheet, as they reach the clipboard.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/rvitem.h"
#include "document/rvitem_pictures.h"
#include "document/rvstyle.h"
#include "document/rvstyle_list.h"
#include "document/rvstyle_para.h"
#include "document/rvstyle_text.h"
#include "document/rvuni.h"
#include "edit/rvervdata.h"
#include "platform/core/codepages.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/support/editinvariant.h"
#include "tests/support/streambytes.h"
#include "tests/support/testeditor.h"

// An RVF block as the clipboard holds one: Length in four bytes (the lowest
// first), then the RVF, then Tail.
inline AnsiString RVFClipboardBlock(const AnsiString& rvf, uint32_t length,
                                    const AnsiString& tail = AnsiString())
{
    return Count32(length) + rvf + tail;
}
inline AnsiString RVFClipboardBlock(const AnsiString& rvf)
{
    return RVFClipboardBlock(rvf, static_cast<uint32_t>(rvf.size()));
}

// Text styles: 0 the default (8-bit), and the ones added below. Paragraph
// styles: 0 the default, and the ones added below.
class TEditFixture : public ::testing::Test {
protected:
    TEditFixture()
    {
        Uni = AddText([](TFontInfo* f) { f->SetUnicode(true); });
        ModifyProtected =
            AddText([](TFontInfo* f) { f->SetProtection(TRVProtectOptions{rvprModifyProtect}); });
        DeleteProtected =
            AddText([](TFontInfo* f) { f->SetProtection(TRVProtectOptions{rvprDeleteProtect}); });
        StartProtected =
            AddText([](TFontInfo* f) { f->SetProtection(TRVProtectOptions{rvprParaStartProtect}); });
        ReadOnlyPara = AddPara([](TParaInfo* p) { p->SetOptions(TRVParaOptions{rvpaoReadOnly}); });
        Indented = AddPara([](TParaInfo* p) { p->SetFirstIndent(14); });
        NoReturns = AddPara([](TParaInfo* p) { p->SetOptions(TRVParaOptions{rvpaoDoNotWantReturns}); });
        TRVListLevel* Level = Style.ListStyles()->Add()->Levels()->Add();
        Level->SetListType(rvlstDecimal);
        Level->SetLeftIndent(24);
        Level->SetFirstIndent(0);
        d = Editor.NewEditor(&Style);
    }
    // A numbered paragraph (list 0): its marker and text.
    void AddNumbered(const AnsiString& Text, int ParaNo = 0)
    {
        d->SetListMarkerInfo(-1, 0, 0, 1, ParaNo, false);
        d->AddNL(Text, 0, -1);
        d->GetItem(d->GetItemCount() - 1)->ParaNo = ParaNo;
    }

    int AddText(const std::function<void(TFontInfo*)>& Set)
    {
        Set(Style.TextStyles()->Add());
        return Style.TextStyles()->Count() - 1;
    }
    int AddPara(const std::function<void(TParaInfo*)>& Set)
    {
        Set(Style.ParaStyles()->Add());
        return Style.ParaStyles()->Count() - 1;
    }

    // A paragraph (ParaNo 0 unless given) or, with ParaNo -1, a text item continuing the line.
    void AddText(const AnsiString& Text, int StyleNo = 0, int ParaNo = 0)
    {
        if (Style.TextStyles()->Items(StyleNo)->Unicode())
            d->AddNLWTag(UTF8Decode(Text), StyleNo, ParaNo, TRVTag());
        else
            d->AddNL(Text, StyleNo, ParaNo);
    }
    TCustomRVItemInfo* NewPicture(int Width = 20, int Height = 10)
    {
        auto* Bitmap = new TBitmap;
        Bitmap->SetPixelFormat(pf24bit);
        Bitmap->SetSize(Width, Height);
        return new TRVGraphicItemInfo(d, Bitmap, rvvaBaseline);
    }
    void AddPicture(int ParaNo)
    {
        TCustomRVItemInfo* Item = NewPicture();
        Item->ParaNo = ParaNo < 0 ? 0 : ParaNo;
        d->AddItem(AnsiString(), Item);
        // Appending starts a paragraph: a picture continuing the line says so afterwards.
        if (ParaNo < 0 && d->GetItemCount() > 1) {
            Item->SetSameAsPrev(true);
            Item->ParaNo = d->GetItemPara(d->GetItemCount() - 2);
        }
    }

    // The item's text as UTF-8 (Unicode items converted; a lone surrogate
    // reads as U+FFFD).
    AnsiString Text(int ItemNo) const
    {
        if (d->GetItemStyle(ItemNo) < 0)
            return AnsiString();
        if (!d->GetItemOptions(ItemNo).Contains(rvioUnicode))
            return d->GetItemText(ItemNo);
        return UTF8Encode(RVU_RawUnicodeToWideString(d->GetItemText(ItemNo)));
    }
    std::vector<AnsiString> Texts() const
    {
        std::vector<AnsiString> r;
        for (int i = 0; i < d->GetItemCount(); ++i)
            r.push_back(d->GetItemStyle(i) < 0 ? AnsiString("<") + std::to_string(d->GetItemStyle(i)) + ">"
                                               : Text(i));
        return r;
    }
    void Caret(int ItemNo, int Offs) { d->SetCaretAtItem(ItemNo, Offs, false); }
    TTestRollViewEdit* Edit() { return Editor.Edit; }
    // Runs Command as one editing command and checks the editing invariant
    // after it (tests/support/editinvariant.h); true when it changed the document.
    bool Run(const std::string& Name, const std::function<void()>& Command)
    {
        return editinvariant::Run(*d, Name, Command);
    }

    // The RVF of a document that Build makes in another headless editor on
    // the same style sheet (of its selection only, when SelectionOnly).
    AnsiString RVFOf(const std::function<void(TRVEditRVData&)>& Build, bool SelectionOnly = false)
    {
        THeadlessEditor Other;
        TRVEditRVData* Data = Other.NewEditor(&Style);
        Build(*Data);
        TStringStream Stream;
        Data->SaveRVFToStream(Stream, SelectionOnly, clWindow, nullptr, nullptr);
        return Stream.DataString();
    }
    // The RVF of a document of one paragraph of Text in text style 0.
    AnsiString RVFOf(const AnsiString& Text)
    {
        return RVFOf([&](TRVEditRVData& Data) { Data.AddNL(Text, 0, 0); });
    }
    std::pair<int, int> CaretPos() { return {d->GetCurItemNo(), d->GetOffsetInCurItem()}; }

    TRVStyle Style{nullptr};
    THeadlessEditor Editor;
    TRVEditRVData* d = nullptr;
    int Uni = 0;
    int ModifyProtected = 0;
    int DeleteProtected = 0;
    int StartProtected = 0;
    int ReadOnlyPara = 0;
    int Indented = 0;
    int NoReturns = 0;
};
