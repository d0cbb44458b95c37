// A corpus of RTF made by the writers that run here (LibreOffice from HTML,
// .odt, .docx and text; pandoc when installed), made in the test: our import
// reads the text LibreOffice reads from each file, the pictures, tables and
// list numbers survive, and what our writer makes of it LibreOffice reads to
// the same text. And documents and cells that end in empty lines, whose
// shape LibreOffice reads from our RTF as we do, and we from its RTF.
//
// Differences to LibreOffice's text conversion that the comparison allows:
// blanks at the ends of lines and empty lines (LibreOffice writes a covered
// slot of a vertically merged cell as an empty line, and indents list
// items), and the width of blank runs: a tab is stored as spaces in our
// documents, and our writer keeps runs of spaces as alternating six-per-em
// spaces and spaces.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>

#include "document/rvuni.h"
#include "platform/core/codepages.h"
#include "tests/support/headlessbrowser.h"
#include "tests/support/rtfemptyends.h"
#include "tests/support/rtfimport.h"
#include "tests/support/tablegridcheck.h"
#include "tests/support/tempdir.h"
#include "tests/support/testtable.h"

namespace {

// Text of a text item as UTF-16.
WideString ItemLetters(TCustomRVData& data, int i)
{
    const AnsiString& text = data.GetItemText(i);
    if (data.GetItem(i)->ItemOptions.Contains(rvioUnicode))
        return WideString(reinterpret_cast<const WideChar*>(text.data()), text.size() / 2);
    const int charset = data.GetRVStyle()->TextStyles()->Items(data.GetItem(i)->StyleNo)->Charset();
    return AnsiToWide(text, RVU_Charset2CodePage(charset));
}

// The document as lines of text, as a text conversion writes it: a line per
// paragraph, a line per cell paragraph (row by row), a list item's number
// before its text.
void AppendLines(TCustomRVData& data, std::vector<WideString>& lines)
{
    for (int i = 0; i < data.GetItemCount(); ++i) {
        TCustomRVItemInfo* item = data.GetItem(i);
        if (i == 0 || !item->GetSameAsPrev() || lines.empty())
            lines.emplace_back();
        if (auto* table = dynamic_cast<TRVTableItemInfo*>(item)) {
            for (int r = 0; r < table->Rows->Count(); ++r)
                for (int c = 0; c < table->Rows->GetColCount(); ++c)
                    if (TRVTableCellData* cell = table->GetCells(r, c))
                        AppendLines(*cell, lines);
        } else if (auto* marker = dynamic_cast<TRVMarkerItemInfo*>(item)) {
            lines.back() += UTF8Decode(marker->DisplayString) + u' ';
        } else if (item->StyleNo >= 0) {
            lines.back() += ItemLetters(data, i);
        }
    }
}

// Lines trimmed of blanks, runs of blanks made one, empty lines dropped,
// joined by "\n" (UTF-8).
std::string Normalised(const std::vector<std::string>& lines)
{
    std::string out;
    for (std::string raw : lines) {
        std::string line;
        for (size_t i = 0; i < raw.size();) {
            const bool sixPerEm = raw.compare(i, 3, "\xE2\x80\x86") == 0;
            if (sixPerEm || raw[i] == '\t' || raw[i] == ' ') {
                if (line.empty() || line.back() != ' ')
                    line += ' ';
                i += sixPerEm ? 3 : 1;
            } else {
                line += raw[i++];
            }
        }
        const size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos)
            continue;
        line = line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
        out += line + "\n";
    }
    return out;
}

std::string OurText(TCustomRVData& data)
{
    std::vector<WideString> lines;
    AppendLines(data, lines);
    std::vector<std::string> utf8;
    for (const WideString& line : lines)
        utf8.push_back(UTF8Encode(line));
    return Normalised(utf8);
}

std::string TheirText(const std::string& txt)
{
    std::vector<std::string> lines;
    std::istringstream in(WithoutByteOrderMark(txt));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return Normalised(lines);
}

// A small PNG file.
std::string PngFile()
{
    const std::string hex = PngHex(8, 6);
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

const char* const CorpusHTML = R"(<html><head><meta charset="utf-8"><title>t</title></head><body>
<p>First paragraph with <b>bold</b> and <a href="http://example.com/x">a link</a>.</p>
<table border="1"><tr><td colspan="2">wide</td><td>c</td></tr>
<tr><td rowspan="2">tall</td><td>e</td><td>f</td></tr><tr><td>h</td><td>i</td></tr></table>
<ol><li>one</li><li>two</li><li>three</li></ol>
<p>Picture: <img src="pic.png" width="8" height="6"></p>
<p>Русский текст, ελληνικά, Türkçe ığ, čeština, Zażółć.</p>
</body></html>
)";

const char* const CorpusText = "Plain text in several scripts.\nРусский текст.\nΕλληνικά.\nTürkçe ığ.\n";

// Page header and body, for the header targets.
const char* const CorpusHeaderRTF =
    R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}{\header\pard Page header text\par}\pard Body text\par})";

const char* const CorpusMarkdown = "Markdown *text* with [a link](http://example.com/md).\n\n"
                                   "1. first\n2. second\n\n"
                                   "| A | B |\n|---|---|\n| a1 | b1 |\n| a2 | b2 |\n";

// The corpus is made once for the tests of the suite, and LibreOffice's text
// of each file is asked once.
class TRTFCorpus : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!LibreOfficeAvailable())
            return;
        RV_RegisterRTFImport();
        Dir = new TempDir;
        Corpus = new std::vector<std::pair<std::string, std::string>>(MakeCorpus());
        Texts = new std::map<std::string, std::string>;
    }
    static void TearDownTestSuite()
    {
        delete Corpus;
        delete Texts;
        delete Dir;
        Corpus = nullptr;
        Texts = nullptr;
        Dir = nullptr;
    }
    void SetUp() override
    {
        if (!Dir)
            GTEST_SKIP() << "LibreOffice is not installed";
    }
    static bool Soffice(const std::string& convertTo, const std::string& outDir, const std::string& file)
    {
        return LibreOfficeConvert(Dir->Path(), convertTo, Dir->File(outDir), {file});
    }
    // LibreOffice's own text of an RTF file.
    static std::string LibreOfficeText(const std::string& rtf, const std::string& name)
    {
        const auto known = Texts->find(rtf);
        if (known != Texts->end())
            return known->second;
        EXPECT_TRUE(Soffice("txt:Text (encoded):UTF8", "txt_" + name, rtf));
        const std::string base = rtf.substr(rtf.find_last_of('/') + 1);
        return (*Texts)[rtf] = TheirText(
                   Dir->Read(Dir->File("txt_" + name + "/" + base.substr(0, base.rfind('.')) + ".txt")));
    }
    // The corpus: name and RTF file.
    static std::vector<std::pair<std::string, std::string>> MakeCorpus()
    {
        Dir->Write("pic.png", PngFile());
        Dir->Write("a.html", CorpusHTML);
        Dir->Write("plain.txt", CorpusText);
        Dir->Write("hf.rtf", CorpusHeaderRTF);
        std::vector<std::pair<std::string, std::string>> corpus;
        EXPECT_TRUE(Soffice("rtf:Rich Text Format", "from_html", Dir->File("a.html")));
        corpus.push_back({"html", Dir->File("from_html/a.rtf")});
        EXPECT_TRUE(Soffice("odt", "odt", Dir->File("a.html")));
        EXPECT_TRUE(Soffice("rtf:Rich Text Format", "from_odt", Dir->File("odt/a.odt")));
        corpus.push_back({"odt", Dir->File("from_odt/a.rtf")});
        EXPECT_TRUE(Soffice("docx:MS Word 2007 XML", "docx", Dir->File("a.html")));
        EXPECT_TRUE(Soffice("rtf:Rich Text Format", "from_docx", Dir->File("docx/a.docx")));
        corpus.push_back({"docx", Dir->File("from_docx/a.rtf")});
        EXPECT_TRUE(Soffice("rtf:Rich Text Format", "from_text", Dir->File("plain.txt")));
        corpus.push_back({"text", Dir->File("from_text/plain.rtf")});
        EXPECT_TRUE(Soffice("odt", "hf_odt", Dir->File("hf.rtf")));
        EXPECT_TRUE(Soffice("rtf:Rich Text Format", "from_hf", Dir->File("hf_odt/hf.odt")));
        corpus.push_back({"header", Dir->File("from_hf/hf.rtf")});
        if (ProgramAvailable("/usr/bin/pandoc")) {
            Dir->Write("md.md", CorpusMarkdown);
            int status = 0;
            RunCommand("pandoc -s -t rtf -o '" + Dir->File("md.rtf") + "' '" + Dir->File("md.md") + "' 2>&1",
                       status);
            if (status == 0)
                corpus.push_back({"pandoc", Dir->File("md.rtf")});
        }
        return corpus;
    }

    static TempDir* Dir;
    static std::vector<std::pair<std::string, std::string>>* Corpus;
    static std::map<std::string, std::string>* Texts;
};

TempDir* TRTFCorpus::Dir = nullptr;
std::vector<std::pair<std::string, std::string>>* TRTFCorpus::Corpus = nullptr;
std::map<std::string, std::string>* TRTFCorpus::Texts = nullptr;

struct TLoaded {
    TRVStyle Style{nullptr};
    TRVRTFReaderProperties Props;
    TRTFTestData Data{&Style, &Props};
    TTestSubRVData Header{&Data};
    TTestSubRVData Footer{&Data};
    TRVRTFErrorCode Load(const std::string& file)
    {
        Props.SetUnicodeMode(rvruMixed);
        Props.SetTextStyleMode(rvrsAddIfNeeded);
        Props.SetParaStyleMode(rvrsAddIfNeeded);
        Props.SetHeader(&Header);
        Props.SetFooter(&Footer);
        return Props.ReadFromFile(file, &Data);
    }
};

// Every item of the document and its cells, tables first-to-last.
void Walk(TCustomRVData& data, const std::function<void(TCustomRVData&, int)>& visit)
{
    for (int i = 0; i < data.GetItemCount(); ++i) {
        visit(data, i);
        if (auto* table = dynamic_cast<TRVTableItemInfo*>(data.GetItem(i)))
            for (int r = 0; r < table->Rows->Count(); ++r)
                for (int c = 0; c < table->Rows->GetColCount(); ++c)
                    if (TRVTableCellData* cell = table->GetCells(r, c))
                        Walk(*cell, visit);
    }
}

} // namespace

TEST_F(TRTFCorpus, OurImportReadsWhatLibreOfficeReads)
{
    for (const auto& [name, file] : *Corpus) {
        SCOPED_TRACE(name);
        TLoaded doc;
        ASSERT_EQ(doc.Load(file), rtf_ec_OK);
        EXPECT_EQ(OurText(doc.Data), LibreOfficeText(file, name));

        int pictures = 0, markers = 0;
        std::vector<TRVTableItemInfo*> tables;
        Walk(doc.Data, [&](TCustomRVData& data, int i) {
            TCustomRVItemInfo* item = data.GetItem(i);
            pictures += item->StyleNo == rvsPicture || item->StyleNo == rvsHotPicture;
            if (auto* marker = dynamic_cast<TRVMarkerItemInfo*>(item)) {
                EXPECT_EQ(marker->Counter, ++markers) << "list numbers go on";
            }
            if (auto* table = dynamic_cast<TRVTableItemInfo*>(item)) {
                EXPECT_EQ(tablegrid::GridFault(*table->Rows), "");
                tables.push_back(table);
            }
        });
        if (name == "html" || name == "odt" || name == "docx") {
            EXPECT_EQ(pictures, 1);
            EXPECT_EQ(markers, 3);
            ASSERT_EQ(tables.size(), 1u);
            // The spans of the cells "wide" and "tall".
            EXPECT_EQ(tablegrid::Shape(*tables[0]->Rows), "2x1 . 1x1 |1x2 1x1 1x1 |. 1x1 1x1 |");
        }
        if (name == "pandoc") {
            // Pandoc writes list numbers as text.
            EXPECT_EQ(markers, 0);
            ASSERT_EQ(tables.size(), 1u);
            EXPECT_EQ(tablegrid::Shape(*tables[0]->Rows), "1x1 1x1 |1x1 1x1 |1x1 1x1 |");
        }
        if (name == "header") {
            EXPECT_EQ(RTFSummary(doc.Header), "Page header text");
        }
    }
}

TEST_F(TRTFCorpus, OurRTFOfTheCorpusReadsBackInLibreOffice)
{
    for (const auto& [name, file] : *Corpus) {
        SCOPED_TRACE(name);
        TLoaded doc;
        ASSERT_EQ(doc.Load(file), rtf_ec_OK);
        TStringStream rtf;
        ASSERT_TRUE(doc.Data.SaveRTFToStream(rtf, false, 0, clWindow, nullptr, nullptr, nullptr, nullptr,
                                             nullptr, nullptr, 0));
        const std::string ours = Dir->Write("ours_" + name + ".rtf", rtf.DataString());
        EXPECT_EQ(LibreOfficeText(ours, "ours_" + name), LibreOfficeText(file, name));
    }
}

namespace {

// Writes next to each flat ODF file named on the command line (name.fodt)
// its shape as rtfemptyends::Shape gives a document's (name.fodt.shape): the
// body's paragraphs, their line breaks and tables. A rule of ours is an
// empty paragraph of 3-point text with a bottom border; the empty 3-point
// paragraph that follows it (the mark its RTF ends with) is part of it.
const char* const FodtShapeScript = R"(import sys, xml.etree.ElementTree as ET
NS = {'style': 'style:1.0', 'text': 'text:1.0', 'table': 'table:1.0', 'fo': 'xsl-fo-compatible:1.0',
      'office': 'office:1.0'}
def q(ns, name): return '{urn:oasis:names:tc:opendocument:xmlns:%s}%s' % (NS[ns], name)
def shape(path):
    root = ET.parse(path).getroot()
    styles = {}
    for s in root.iter(q('style', 'style')):
        p, t = s.find(q('style', 'paragraph-properties')), s.find(q('style', 'text-properties'))
        styles[s.get(q('style', 'name'))] = (
            p is not None and p.get(q('fo', 'border-bottom'), 'none') != 'none',
            t is not None and t.get(q('fo', 'font-size')) == '3pt')
    def text(e):
        out = e.text or ''
        for c in e:
            if c.tag == q('text', 'line-break'): out += '|'
            elif c.tag == q('text', 's'): out += ' ' * int(c.get(q('text', 'c'), '1'))
            elif c.tag == q('text', 'tab'): out += '\t'
            else: out += text(c)
            out += c.tail or ''
        return out
    def flow(e):
        out, rule = [], False
        for c in e:
            if c.tag == q('table', 'table'):
                out.append(table(c))
            elif c.tag in (q('text', 'p'), q('text', 'h')):
                border, small = styles.get(c.get(q('text', 'style-name')), (False, False))
                t = text(c)
                if t == '' and small and (border or rule):
                    if border: out.append('[hr]')
                    rule = border
                    continue
                out.append(t)
            else:
                continue
            rule = False
        return '\n'.join(out)
    def table(t):
        rows = []
        for c in t:
            if c.tag == q('table', 'table-row'): rows.append(c)
            elif c.tag in (q('table', 'table-header-rows'), q('table', 'table-rows')):
                rows += c.findall(q('table', 'table-row'))
        cells = [[c for c in r if c.tag == q('table', 'table-cell')] for r in rows]
        out = '[%dx%d:' % (len(rows), max(len(r) for r in cells))
        for i, r in enumerate(cells):
            for j, c in enumerate(r):
                out += (' / ' if j else ' | ' if i else ' ') + flow(c)
        return out + ']'
    return flow(root.find(q('office', 'body')).find(q('office', 'text')))
for path in sys.argv[1:]:
    open(path + '.shape', 'w', encoding='utf-8').write(shape(path))
)";

class TRTFEmptyEnds : public ::testing::Test {
protected:
    TRTFEmptyEnds() { RV_RegisterRTFImport(); }
    void SetUp() override
    {
        int status = 0;
        RunCommand("command -v python3", status);
        if (!LibreOfficeAvailable() || status != 0)
            GTEST_SKIP() << "LibreOffice or python3 is not installed";
    }
    TempDir Dir;
};

} // namespace

// The documents and cells of rtfemptyends::Cases at depths 0 to 2: LibreOffice
// reads our RTF of them as our reader does, and its RTF of what it read reads
// the same in ours. A paragraph always follows a table in LibreOffice: a
// document or cell that ends in a table has an empty one after it there, and
// in LibreOffice's RTF.
TEST_F(TRTFEmptyEnds, EmptyLastLinesReadAlikeHereAndInLibreOffice)
{
    const std::vector<rtfemptyends::TCase> cases = rtfemptyends::Cases();
    std::vector<std::string> names, files, shapes;
    for (int depth = 0; depth <= 2; ++depth)
        for (size_t i = 0; i < cases.size(); ++i) {
            TRVStyle style(nullptr);
            TTestRVData source(&style);
            cases[i].Build(NestTables(&source, depth));
            TStringStream rtf;
            ASSERT_TRUE(source.SaveRTFToStream(rtf, false, 0, clWindow, nullptr, nullptr, nullptr, nullptr,
                                               nullptr, nullptr, 0));
            names.push_back("ends" + std::to_string(depth) + "_" + std::to_string(i));
            files.push_back(Dir.Write(names.back() + ".rtf", rtf.DataString()));
            shapes.push_back(rtfemptyends::Shape(source, true));
        }
    ASSERT_TRUE(LibreOfficeConvert(Dir.Path(), "fodt", Dir.File("fodt"), files));
    ASSERT_TRUE(LibreOfficeConvert(Dir.Path(), "rtf:Rich Text Format", Dir.File("rtf"), files));
    std::string command = "python3 '" + Dir.Write("shape.py", FodtShapeScript) + "'";
    for (const std::string& name : names)
        command += " '" + Dir.File("fodt/" + name + ".fodt") + "'";
    int status = 0;
    const std::string output = RunCommand(command + " 2>&1", status);
    ASSERT_EQ(status, 0) << output;
    for (size_t k = 0; k < names.size(); ++k) {
        SCOPED_TRACE(cases[k % cases.size()].Name + " at depth " + std::to_string(k / cases.size()));
        EXPECT_EQ(Dir.Read("fodt/" + names[k] + ".fodt.shape"), shapes[k]);
        TLoaded theirs;
        ASSERT_EQ(theirs.Load(Dir.File("rtf/" + names[k] + ".rtf")), rtf_ec_OK);
        EXPECT_EQ(rtfemptyends::Shape(theirs.Data, false), shapes[k]);
    }
}
