// Deleting the styles a document does not use: what counts as used, and the
// renumbering of every reference that remains.
#include <gtest/gtest.h>

#include "document/crvdata.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "tests/document/doctestdata.h"

namespace {

// Text styles "t0".."t4", paragraph styles "p0".."p3", list styles "l0".."l2";
// none of them standard.
void SetUpStyles(TRVStyle& style)
{
    TFontInfos* text = style.TextStyles();
    while (text->Count() > 5)
        text->Delete(text->Count() - 1);
    for (int i = 0; i < 5; ++i) {
        text->Items(i)->SetStyleName("t" + IntToStr(i));
        text->Items(i)->SetStandard(false);
    }
    TParaInfos* paras = style.ParaStyles();
    while (paras->Count() < 4)
        paras->Add();
    for (int i = 0; i < 4; ++i) {
        paras->Items(i)->SetStyleName("p" + IntToStr(i));
        paras->Items(i)->SetStandard(false);
    }
    for (int i = 0; i < 3; ++i) {
        TRVListInfo* list = style.ListStyles()->Add();
        list->SetStyleName("l" + IntToStr(i));
        list->SetStandard(false);
    }
}

// The names of the styles left, then their references: "t0>1" for the next
// style, "t0^2" for the base style.
std::string Sheet(TRVStyle& style)
{
    std::string s;
    for (int i = 0; i < style.TextStyles()->Count(); ++i) {
        const TFontInfo* f = style.TextStyles()->Items(i);
        s += std::string(f->StyleName()) +
             (f->NextStyleNo() >= 0 ? ">" + std::to_string(f->NextStyleNo()) : "") +
             (f->BaseStyleNo() >= 0 ? "^" + std::to_string(f->BaseStyleNo()) : "") + " ";
    }
    for (int i = 0; i < style.ParaStyles()->Count(); ++i) {
        const TParaInfo* p = style.ParaStyles()->Items(i);
        s += std::string(p->StyleName()) +
             (p->NextParaNo() >= 0 ? ">" + std::to_string(p->NextParaNo()) : "") + " ";
    }
    for (int i = 0; i < style.ListStyles()->Count(); ++i)
        s += std::string(style.ListStyles()->Items(i)->StyleName()) + " ";
    return s;
}

struct TStylesCase {
    const char* Name;
    void (*Build)(TRVStyle&, TTestRVData&);
    bool Text, Paras, Lists;
    const char* Sheet; // the styles left
    const char* Shape; // the items after
};

} // namespace

TEST(StylesTest, UnusedStylesGoAndEveryReferenceIsRenumbered)
{
    const TStylesCase cases[] = {
        {"nothing flagged", [](TRVStyle&, TTestRVData& d) { d.AddNL("a", 3, 2); }, false, false, false,
         "t0 t1 t2 t3 t4 p0 p1 p2 p3 l0 l1 l2 ", "P2:a@3"},
        {"unused text styles",
         [](TRVStyle&, TTestRVData& d) {
             d.AddNL("a", 0, 0);
             d.AddNL("b", 3, 0);
         },
         true, false, false, "t0 t3 p0 p1 p2 p3 l0 l1 l2 ", "P0:a P0:b@1"},
        // Style 1 is unused, so 3 is not kept by it.
        {"chains and cycles keep styles",
         [](TRVStyle& s, TTestRVData& d) {
             s.TextStyles()->Items(0)->SetNextStyleNo(2);
             s.TextStyles()->Items(2)->SetBaseStyleNo(4);
             s.TextStyles()->Items(4)->SetNextStyleNo(0);
             s.TextStyles()->Items(1)->SetNextStyleNo(3);
             d.AddNL("a", 0, 0);
         },
         true, false, false, "t0>1 t2^2 t4>0 p0 p1 p2 p3 l0 l1 l2 ", "P0:a"},
        {"references outside the collections",
         [](TRVStyle& s, TTestRVData& d) {
             s.TextStyles()->Items(0)->SetNextStyleNo(5);
             s.TextStyles()->Items(0)->SetBaseStyleNo(99);
             s.ParaStyles()->Items(0)->SetNextParaNo(4);
             d.AddNL("a", 0, 0);
         },
         true, true, false, "t0 p0 l0 l1 l2 ", "P0:a"},
        {"the default Unicode style is kept",
         [](TRVStyle& s, TTestRVData& d) {
             s.SetDefUnicodeStyle(4);
             d.AddNL("a", 0, 0);
         },
         true, false, false, "t0 t4 p0 p1 p2 p3 l0 l1 l2 ", "P0:a"},
        {"standard styles survive",
         [](TRVStyle& s, TTestRVData& d) {
             s.TextStyles()->Items(2)->SetStandard(true);
             d.AddNL("a", 4, 0);
         },
         true, false, false, "t2 t4 p0 p1 p2 p3 l0 l1 l2 ", "P0:a@1"},
        {"paragraph styles of every item",
         [](TRVStyle&, TTestRVData& d) {
             d.AddNL("a", 0, 3);
             d.AddBreak();
             d.GetItem(1)->ParaNo = 1;
             d.AddBulletEx("b", 0, nullptr, 3);
         },
         false, true, false, "t0 t1 t2 t3 t4 p1 p3 l0 l1 l2 ", "P1:a P0:<break> P1:<bullet>"},
        // Paragraph style 3 refers on to 2, text style 3 is based on 1; a marker uses list 2.
        {"every collection at once",
         [](TRVStyle& s, TTestRVData& d) {
             s.ParaStyles()->Items(3)->SetNextParaNo(2);
             s.TextStyles()->Items(3)->SetBaseStyleNo(1);
             s.ListStyles()->Items(1)->SetBaseStyleNo(0);
             d.AddItem("", new TRVMarkerItemInfo(&d, 2, 0, 1, false));
             d.GetItem(0)->ParaNo = 3;
             d.AddNL("x", 3, -1);
         },
         true, true, true, "t1 t3^0 p2 p3>0 l2 ", "P1:<marker > +x@1"},
        {"numbers outside the style sheet stay",
         [](TRVStyle&, TTestRVData& d) {
             d.AddNL("a", 0, 0);
             d.AddNL("b", 99, 0);
             d.GetItem(1)->ParaNo = 42;
         },
         true, true, true, "t0 p0 ", "P0:a P42:b@99"},
    };
    for (const TStylesCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TRVStyle style(nullptr);
        SetUpStyles(style);
        TTestRVData data(&style);
        c.Build(style, data);
        data.DeleteUnusedStyles(c.Text, c.Paras, c.Lists);
        EXPECT_EQ(Sheet(style), c.Sheet);
        EXPECT_EQ(Shape(data), c.Shape);
        if (auto* marker = dynamic_cast<TRVMarkerItemInfo*>(data.GetItem(0))) {
            EXPECT_EQ(marker->ListNo, 0);
        }
    }
}

TEST(StylesTest, DefaultUnicodeStyleNumberFollowsOrGoes)
{
    TRVStyle style(nullptr);
    SetUpStyles(style);
    TTestRVData data(&style);
    style.SetDefUnicodeStyle(4);
    data.AddNL("a", 0, 0);
    data.DeleteUnusedStyles(true, false, false);
    EXPECT_EQ(style.DefUnicodeStyle(), 1);
    style.SetDefUnicodeStyle(7);
    data.DeleteUnusedStyles(true, false, false);
    EXPECT_EQ(style.DefUnicodeStyle(), -1);
    EXPECT_EQ(style.TextStyles()->Count(), 1);
}

TEST(StylesTest, LongReferenceChainIsFollowedToItsEnd)
{
    TRVStyle style(nullptr);
    TFontInfos* styles = style.TextStyles();
    while (styles->Count() < 5000)
        styles->Add()->SetStandard(false);
    for (int i = 0; i < 4999; ++i)
        styles->Items(i)->SetNextStyleNo(i + 1);
    TTestRVData data(&style);
    data.AddNL("a", 0, 0);
    data.DeleteUnusedStyles(true, false, false);
    EXPECT_EQ(styles->Count(), 5000);

    TTestRVData bare; // without a style sheet nothing happens
    bare.AddNL("a", 3, 0);
    bare.DeleteUnusedStyles(true, true, true);
    EXPECT_EQ(bare.GetItemStyle(0), 3);
}
