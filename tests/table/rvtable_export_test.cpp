// Tables exported to RTF, HTML and plain text: the control words of merges,
// widths, borders and nesting; twips rounding; HTML cells, colours, escaping
// and CSS; the text separators; and the output read back by LibreOffice,
// html5lib and headless Chromium where they are installed.
#include <gtest/gtest.h>

#include <climits>

#include "document/crvdata_rtfsave.h"
#include "platform/graphics/bitmap.h"
#include "tests/support/headlessbrowser.h"
#include "tests/support/tempdir.h"
#include "tests/support/testtablestore.h"

namespace {

AnsiString Missing(const AnsiString& Text, const AnsiString& Part)
{
    return Text.find(Part) != AnsiString::npos ? AnsiString() : "missing: " + Part + "\nin: " + Text;
}

int CountOf(const AnsiString& Text, const AnsiString& Part)
{
    int Count = 0;
    for (size_t p = Text.find(Part); p != AnsiString::npos; p = Text.find(Part, p + 1))
        ++Count;
    return Count;
}

// The document's RTF at 96 pixels per inch (15 twips per pixel).
std::string DocRTF(TTableDoc& Doc)
{
    const int Saved = RollViewPixelsPerInch;
    RollViewPixelsPerInch = 96;
    TMemoryStream S;
    EXPECT_TRUE(Doc.Data.SaveRTFToStream(S, false, 0, clNone, nullptr, nullptr, nullptr, nullptr, nullptr,
                                         nullptr, 0));
    RollViewPixelsPerInch = Saved;
    return StreamBytes(S);
}

std::string DocHTML(TTableDoc& Doc, bool CSS, const std::string& Path = std::string())
{
    TMemoryStream S;
    int Counter = 0;
    TColor FileColor = clNone;
    if (CSS)
        EXPECT_TRUE(Doc.Data.SaveHTMLToStreamEx(S, Path, "t", "img", "", "", "", TRVSaveOptions(), clWhite,
                                                FileColor, Counter, 0, 0, 0, 0, nullptr, nullptr));
    else
        EXPECT_TRUE(Doc.Data.SaveHTMLToStream(S, Path, "t", "img", TRVSaveOptions(), clWhite, Counter, 0, 0,
                                              0, 0, nullptr, nullptr));
    return StreamBytes(S);
}

struct TWordsCase {
    const char* Name;
    std::function<void(TTableDoc&)> Build;
    std::vector<AnsiString> Present;
    std::vector<AnsiString> Absent;
};

TRVTableItemInfo* Table2x2(TTableDoc& D)
{
    TRVTableItemInfo* T = D.AddTable(2, 2);
    SetCellText(T->GetCells(0, 0), "x");
    return T;
}

const TWordsCase RTFCases[] = {
    {"ColSpan",
     [](TTableDoc& D) { MergeBlock(Table2x2(D), 0, 0, 2, 1); },
     {"\\clmgf\\clftsWidth1\\rollviewcbw0\\rollviewcbh0\\clcbpat17\\cellx", "\\clmrg\\clcbpat17\\cellx",
      "x\\cell}{\\cell}}"},
     {"\\clvmgf", "\\clvmrg"}},
    {"Block",
     [](TTableDoc& D) { MergeBlock(Table2x2(D), 0, 0, 2, 2); },
     {"\\clvmgf\\clmgf\\clftsWidth1", "\\clmrg\\clvmgf\\clcbpat", "\\clvmrg\\clmgf\\clcbpat",
      "\\clvmrg\\clmrg\\clcbpat"},
     {}},
    {"Nested",
     [](TTableDoc& D) { AddNestedTable(D); },
     // The nested cells come before their row's definition.
     {"in1\\nestcell}}\\pard\\intbl\\itap2{\\*\\nesttableprops\\trowd\\trgaph30\\trleft0\\itap2",
      "\\cellx4425\\nestrow}}", "\\nestrow}}\\cell}}\\pard\\intbl\\itap1\\row}"},
     {"\\itap3", "{\\*\\nesttableprops\\trowd\\trgaph30\\trleft0\\itap1"}},
    {"PercentWidth",
     [](TTableDoc& D) { Table2x2(D)->BestWidth = -50; },
     {"\\trwWidth2500\\trftsWidth2", "\\rollviewtbw-50"},
     {"\\trftsWidth1"}},
    {"AutoWidth", [](TTableDoc& D) { Table2x2(D); }, {"\\trftsWidth1\\rollviewtbw0"}, {"\\trwWidth"}},
    {"PixelWidth",
     [](TTableDoc& D) {
         TRVTableItemInfo* T = Table2x2(D);
         T->BestWidth = 100;
         T->BorderWidth = 2;
     },
     {"\\trwWidth1560\\trftsWidth3\\rollviewtbw100"},
     {}},
    {"CellWidths",
     [](TTableDoc& D) {
         TRVTableItemInfo* T = Table2x2(D);
         T->GetCells(0, 0)->BestWidth = -25;
         T->GetCells(0, 1)->BestWidth = 40;
         T->GetCells(1, 1)->BestWidth = 40;
         T->Options.Include(rvtoRTFSaveCellPixelBestWidth);
         T->GetCells(1, 0)->BestHeight = 20;
     },
     {"\\clwWidth1250\\clftsWidth2\\rollviewcbw-25", "\\clwWidth600\\clftsWidth3\\rollviewcbw40", "\\trrh300",
      "\\rollviewcbh20"},
     {}},
    {"NoBorderWordsAtWidthZero",
     [](TTableDoc& D) {
         TRVTableItemInfo* T = Table2x2(D);
         T->BorderStyle = rvtbColor;
         T->CellBorderStyle = rvtbColor;
     },
     {},
     {"brdr"}},
    {"ColourBorders",
     [](TTableDoc& D) {
         TRVTableItemInfo* T = Table2x2(D);
         T->BorderWidth = 1;
         T->BorderStyle = rvtbRaisedColor;
         T->BorderColor = clRed;
         T->BorderLightColor = clLime;
     },
     {"\\trbrdrl\\brdrs\\brdrw15\\brdrcf4\\trbrdrt\\brdrs\\brdrw15\\brdrcf4"
      "\\trbrdrr\\brdrs\\brdrw15\\brdrcf6\\trbrdrb\\brdrs\\brdrw15\\brdrcf6"},
     {}},
    {"HiddenCellSide",
     [](TTableDoc& D) {
         TRVTableItemInfo* T = Table2x2(D);
         T->CellBorderWidth = 1;
         T->CellBorderStyle = rvtbLowered;
         T->GetCells(0, 0)->VisibleBorders->SetLeft(false);
     },
     {"\\clbrdrt\\brdrinset\\brdrw15\\clbrdrr\\brdrinset\\brdrw15\\clbrdrb\\brdrinset\\brdrw15\\clcbpat"},
     {"\\clbrdrl\\brdrinset\\brdrw15\\clbrdrt\\brdrinset\\brdrw15\\clbrdrr\\brdrinset\\brdrw15\\clbrdrb\\brdr"
      "inse"
      "t\\brdrw15\\clcbpat17\\clftsWidth1"}},
    // Half of an odd spacing is an exact half twip: 7.5 goes to 8, 22.5 to 22.
    {"HalvesToEven",
     [](TTableDoc& D) {
         Table2x2(D)->CellHSpacing = 1;
         Table2x2(D)->CellHSpacing = 3;
     },
     {"\\trspdl8\\trspdr8", "\\trspdl22\\trspdr22"},
     {}},
    // Values a file may hold: lengths clamped, never overflowing.
    {"HostileLengths",
     [](TTableDoc& D) {
         TRVTableItemInfo* T = Table2x2(D);
         T->BestWidth = INT_MAX;
         T->BorderWidth = INT_MAX;
         T->CellPadding = INT_MAX;
         T->CellHSpacing = INT_MAX;
         Table2x2(D)->BestWidth = -INT_MAX;
     },
     {"\\trwWidth2147483647\\trftsWidth3", "\\trwWidth2147483647\\trftsWidth2", "\\trpaddl2147483647"},
     {}},
    {"HeadingRowAndAlignment",
     [](TTableDoc& D) {
         TRVTableItemInfo* T = Table2x2(D);
         T->HeadingRowCount = 1;
         T->GetCells(1, 1)->VAlign = rvcBottom;
         T->Rows->Get(0)->VAlign = rvcMiddle;
     },
     {"\\itap1\\trhdr", "\\clvertalb\\cellx", "\\clvertalc\\cellx"},
     {}},
};

TEST(TableRTF, ControlWordsOfTheEdgeCases)
{
    for (const TWordsCase& C : RTFCases) {
        SCOPED_TRACE(C.Name);
        TTableDoc Doc;
        C.Build(Doc);
        const AnsiString Rtf = DocRTF(Doc);
        for (const AnsiString& P : C.Present)
            EXPECT_EQ(Missing(Rtf, P), "");
        for (const AnsiString& A : C.Absent)
            EXPECT_EQ(Rtf.find(A), AnsiString::npos) << A;
    }
}

TEST(TableRTF, EverySlotHasItsRightEdgeAndTheContentIsWrittenOnce)
{
    TTableDoc Doc;
    AddMergedTable(Doc);
    const AnsiString Rtf = DocRTF(Doc);
    EXPECT_EQ(CountOf(Rtf, "\\cellx"), 9);
    EXPECT_EQ(CountOf(Rtf, "\\cell}"), 9);
    EXPECT_EQ(CountOf(Rtf, "\\row}"), 3);
    EXPECT_EQ(CountOf(Rtf, " c\\cell}"), 1);
    EXPECT_EQ(CountOf(Rtf, "\\trhdr"), 1);
}

TEST(TableRTF, ATableNeverLaidOutIsLaidOutFirst)
{
    TTableDoc Doc;
    TRVTableItemInfo* T = Table2x2(Doc);
    ASSERT_EQ(T->GetWidth(), 0);
    const AnsiString Rtf = DocRTF(Doc);
    EXPECT_GT(T->GetWidth(), 0);
    EXPECT_LE(T->GetWidth(), 600);
    EXPECT_EQ(Rtf.find("\\cellx0"), AnsiString::npos);
}

// ---------------------------------------------------------------------------
// HTML

TEST(TableHTML, CellsColoursAndEmptyCells)
{
    TTableDoc Doc;
    TRVTableItemInfo* T = AddMergedTable(Doc);
    T->GetCells(2, 1)->Clear();
    T->GetCells(2, 1)->AddNL("", 0, 0);
    T->GetCells(0, 2)->Color = clWindow;
    for (bool CSS : {false, true}) {
        SCOPED_TRACE(CSS);
        const AnsiString Html = DocHTML(Doc, CSS);
        EXPECT_EQ(CountOf(Html, "<TD"), 7); // covered slots write nothing
        EXPECT_EQ(CountOf(Html, "</TD>"), 7);
        EXPECT_EQ(Missing(Html, CSS ? "<TD colspan=2 style=" : "<TD colspan=2>"), "");
        EXPECT_EQ(Missing(Html, CSS ? "<TD rowspan=2 style=" : "<TD rowspan=2>"), "");
        EXPECT_EQ(Missing(Html, CSS ? "; \">&nbsp;\r\n</TD>" : "<TD>&nbsp;\r\n</TD>"), "");
        // The red cell has its colour; the one coloured as the table has none.
        EXPECT_EQ(CountOf(Html, "<TD bgcolor=#FF0000"), 1);
        EXPECT_EQ(CountOf(Html, "<TD bgcolor=#FFFFFF"), 0);
        EXPECT_EQ(Missing(Html, "<TABLE width=80% bgcolor=#FFFFFF border=1"), "");
        EXPECT_EQ(Missing(Html, "<TR valign=middle>"), "");
    }
}

TEST(TableHTML, AttributeValuesAreEscapedAndStylesHaveNoBraces)
{
    TTableDoc Doc;
    TRVTableItemInfo* T = Table2x2(Doc);
    TBitmap Picture;
    Picture.SetSize(2, 2);
    T->SetBackgroundImage(&Picture);
    T->GetCells(0, 1)->SetBackgroundImage(&Picture);
    T->GetCells(0, 1)->SetBackgroundStyle(rvbsCentered);
    T->CellBorderWidth = 1;
    T->BorderWidth = 0;
    Doc.Data.ImageLocation = "a\"b<c&d.png";
    const AnsiString Html = DocHTML(Doc, true);
    EXPECT_EQ(CountOf(Html, "background=\"a&quot;b&lt;c&amp;d.png\""), 2);
    EXPECT_EQ(Html.find("c&d"), AnsiString::npos);
    EXPECT_EQ(
        Missing(Html, " border=1 background=\"a&quot;b&lt;c&amp;d.png\" style=\"border-width : 0px;\">"), "");
    EXPECT_EQ(Missing(Html, "style=\"border-width : 1px; background-position: center center; "
                            "background-repeat: no-repeat;\""),
              "");
    EXPECT_EQ(Html.find("style='{"), AnsiString::npos);
}

// Prints each table of an HTML file as its grid rebuilt from colspan and
// rowspan: rows joined by "|", slots by ","; a slot covered from the left is
// "<", from above "^". Columns that every row covers from the left (a reader's
// narrow extra columns) are dropped.
const char* const GridScript = R"(import sys, html5lib
doc = html5lib.parse(open(sys.argv[1], 'rb').read(), namespaceHTMLElements=False)
def rows_of(t):
    out = []
    def walk(e):
        for ch in e:
            if ch.tag == 'tr': out.append(ch)
            elif ch.tag in ('tbody', 'thead', 'tfoot'): walk(ch)
    walk(t)
    return out
for t in doc.iter('table'):
    g = {}
    for r, tr in enumerate(rows_of(t)):
        c = 0
        for td in tr:
            if td.tag not in ('td', 'th'): continue
            while (r, c) in g: c += 1
            cs = int(td.get('colspan', '1')); rs = int(td.get('rowspan', '1'))
            own = [x for x in td.itertext() if x.strip()]
            txt = ' '.join(''.join(own).split()) if not td.findall('.//table') else '#'
            for dr in range(rs):
                for dc in range(cs):
                    g[(r + dr, c + dc)] = txt if (dr, dc) == (0, 0) else ('<' if dc else '^')
            c += cs
    R = max(k[0] for k in g) + 1; C = max(k[1] for k in g) + 1
    cols = [c for c in range(C) if not all(g.get((r, c)) == '<' for r in range(R))]
    print('|'.join(','.join(g.get((r, c), '?') for c in cols) for r in range(R)))
)";

// The document with a merged table (heading row, percent width), a nested
// table and a table with a 2 x 2 block, as the grids GridScript prints.
void BuildGridDoc(TTableDoc& Doc)
{
    // Paragraphs between the tables: readers join adjacent tables.
    AddMergedTable(Doc);
    Doc.Data.AddNL("one", 0, 0);
    AddNestedTable(Doc);
    Doc.Data.AddNL("two", 0, 0);
    TRVTableItemInfo* T = Doc.AddTable(3, 3);
    MergeBlock(T, 1, 1, 2, 2);
    const char* Names[3][3] = {{"p", "q", "r"}, {"s", "t", ""}, {"u", "", ""}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            if (T->GetCells(r, c) != nullptr)
                SetCellText(T->GetCells(r, c), Names[r][c]);
}
const char* const ExpectedGrids = "a,<,b|d,e,c|g,h,^\n"
                                  "outer,#\n"
                                  "in1|in2\n"
                                  "p,q,r|s,t,<|u,^,<\n";

TEST(TableRealPrograms, Html5libRebuildsTheSourceGrids)
{
    const std::string Python = PythonWithHTML5Lib();
    if (Python.empty())
        GTEST_SKIP() << "python3 with html5lib is not installed";
    TempDir Dir;
    TTableDoc Doc;
    BuildGridDoc(Doc);
    const std::string Script = Dir.Write("grid.py", GridScript);
    for (bool CSS : {false, true}) {
        const std::string Page = Dir.Write("page.html", DocHTML(Doc, CSS));
        int Status = 0;
        EXPECT_EQ(RunCommand(Python + " '" + Script + "' '" + Page + "' 2>&1", Status), ExpectedGrids) << CSS;
    }
}

TEST(TableRealPrograms, LibreOfficeReadsTheRTFGridsAndUnrtfTheText)
{
    const std::string Python = PythonWithHTML5Lib();
    if (!LibreOfficeAvailable() || Python.empty())
        GTEST_SKIP() << "LibreOffice or html5lib is not installed";
    TempDir Dir;
    TTableDoc Doc;
    BuildGridDoc(Doc);
    const std::string Rtf = Dir.Write("doc.rtf", DocRTF(Doc));
    const std::string Script = Dir.Write("grid.py", GridScript);
    ASSERT_TRUE(LibreOfficeConvert(Dir.Path(), "html", Dir.File("out"), {Rtf}));
    int Status = 0;
    EXPECT_EQ(RunCommand(Python + " '" + Script + "' '" + Dir.Path() + "/out/doc.html' 2>&1", Status),
              ExpectedGrids);
    if (ProgramAvailable("/usr/bin/unrtf")) {
        const std::string Text = RunCommand("unrtf --text '" + Rtf + "' 2>/dev/null", Status);
        for (const char* Word : {"outer", "in1", "in2", "g", "h", "p", "u"})
            EXPECT_NE(Text.find(Word), std::string::npos) << Word;
    }
}

// Headless Chromium's computed styles of a table whose cells alone have
// borders: the table's own border is 0 pixels wide, the cells' 1 pixel.
TEST(TableRealPrograms, ChromiumAppliesTheTableStyles)
{
    if (!ChromiumAvailable())
        GTEST_SKIP() << "Chromium is not installed";
    TempDir Dir;
    TTableDoc Doc;
    TRVTableItemInfo* T = Table2x2(Doc);
    T->BorderWidth = 0;
    T->CellBorderWidth = 2;
    T->CellBorderStyle = rvtbColor;
    T->CellBorderColor = clRed;
    T->Color = clYellow;
    AnsiString Page = DocHTML(Doc, true);
    Page.insert(Page.rfind("</BODY>"),
                "<pre id=\"out\"></pre><script>"
                "var t = document.querySelector('table'), d = document.querySelector('td');"
                "var s = getComputedStyle(t), c = getComputedStyle(d);"
                "document.getElementById('out').textContent = 'table=' + s.borderTopWidth + '\\n' +"
                "'cell=' + c.borderTopWidth + ' ' + c.borderTopStyle + ' ' + c.borderTopColor + '\\n' +"
                "'back=' + s.backgroundColor;</script>");
    const std::string File = Dir.Write("page.html", Page);
    const auto Values = ParseKeyValueLines(ChromiumRunPage(File, Dir.Path()));
    ASSERT_FALSE(Values.empty());
    EXPECT_EQ(Values.at("table"), "0px");
    EXPECT_EQ(Values.at("cell"), "2px solid rgb(255, 0, 0)");
    EXPECT_EQ(Values.at("back"), "rgb(255, 255, 0)");
}

// ---------------------------------------------------------------------------
// Plain text

TEST(TableText, CellsJoinedByTheSeparators)
{
    struct TCase {
        const char* Name;
        std::function<void(TRVTableItemInfo*)> Change;
        const char* Expected;
    };
    const TCase Cases[] = {
        {"Plain", [](TRVTableItemInfo*) {}, "a|b;c|d;"},
        // A covered slot gives no text but keeps its separator.
        {"Merged", [](TRVTableItemInfo* T) { MergeBlock(T, 0, 0, 2, 1); }, "a|;c|d;"},
        {"EmptyCell", [](TRVTableItemInfo* T) { SetCellText(T->GetCells(1, 0), ""); }, "a|b;|d;"},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TTableDoc Doc;
        TRVTableItemInfo* T = Doc.AddTable(2, 2);
        const char* Texts[] = {"a", "b", "c", "d"};
        for (int i = 0; i < 4; ++i)
            SetCellText(T->GetCells(i / 2, i % 2), Texts[i]);
        T->TextColSeparator = "|";
        T->TextRowSeparator = ";";
        C.Change(T);
        EXPECT_EQ(T->AsText(80, &Doc.Data, "", "", false, false), C.Expected);
        // UTF-16: every byte of the 8-bit text followed by a zero.
        std::string Wide;
        for (const char* p = C.Expected; *p; ++p)
            Wide += std::string(1, *p) + '\0';
        EXPECT_EQ(T->AsText(80, &Doc.Data, "", "", false, true), Wide);
    }
}

} // namespace
