// Loading RTF into a headless document for tests: a root document data that
// answers its RTF settings and records the hyperlinks it is asked to read, a
// style sheet, and a readable summary of what a load made.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/rvitem.h"
#include "document/rvmarker.h"
#include "document/rvrtfprops.h"
#include "document/rvstyle.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/png.h"
#include "rtf/rvrtfimport.h"
#include "table/rvtable.h"
#include "tests/support/testrvdata.h"

// A document whose hyperlinks are recorded and kept as string tags.
class TRTFTestData : public TTestRVData {
public:
    TRTFTestData(TRVStyle* style, TRVRTFReaderProperties* props) : TTestRVData(style), Props(props) {}
    TRVRTFReaderProperties* GetRTFProperties() override { return Props; }
    void ReadHyperlink(const AnsiString& target, const AnsiString& extras, TRVLoadFormat, int&, TRVTag& tag,
                       AnsiString&) override
    {
        Links.push_back({target, extras});
        tag = TRVTag(target);
    }
    struct TLink {
        AnsiString Target, Extras;
    };
    TRVRTFReaderProperties* Props;
    std::vector<TLink> Links;
};

inline std::string RTFSummary(TCustomRVData& data);

// A table as "[RxC: cell / cell | cell ...]": each cell's summary, covered
// slots left out, rows divided by "|".
inline std::string RTFTableSummary(TRVTableItemInfo& table)
{
    std::string out =
        "[" + std::to_string(table.Rows->Count()) + "x" + std::to_string(table.Rows->GetColCount()) + ":";
    for (int r = 0; r < table.Rows->Count(); ++r) {
        if (r > 0)
            out += " |";
        bool first = true;
        for (int c = 0; c < table.Rows->GetColCount(); ++c)
            if (TRVTableCellData* cell = table.GetCells(r, c)) {
                out += first ? " " : " / ";
                first = false;
                out += RTFSummary(*cell);
            }
    }
    return out + "]";
}

// The document's items in a line: "\n" before an item that starts a
// paragraph (not the first), "|" before one that starts a line, "#L.l" for a
// marker of list L at level l, "[pic]" for a picture, "[hr]" for a horizontal
// rule, "^" before an item with a page break before it, a table as
// RTFTableSummary. Unicode text shows as its ASCII bytes.
inline std::string RTFSummary(TCustomRVData& data)
{
    std::string out;
    for (int i = 0; i < data.GetItemCount(); ++i) {
        TCustomRVItemInfo* item = data.GetItem(i);
        if (i > 0 && !item->GetSameAsPrev())
            out += item->GetBR() ? "|" : "\n";
        if (item->GetPageBreakBefore())
            out += "^";
        if (auto* marker = dynamic_cast<TRVMarkerItemInfo*>(item)) {
            out += "#" + std::to_string(marker->ListNo) + "." + std::to_string(marker->Level);
        } else if (item->StyleNo == rvsPicture || item->StyleNo == rvsHotPicture) {
            out += "[pic]";
        } else if (item->StyleNo == rvsBreak) {
            out += "[hr]";
        } else if (auto* table = dynamic_cast<TRVTableItemInfo*>(item)) {
            out += RTFTableSummary(*table);
        } else {
            const AnsiString& text = data.GetItemText(i);
            if (item->ItemOptions.Contains(rvioUnicode)) {
                for (size_t k = 0; k + 1 < text.size(); k += 2)
                    out += text[k + 1] == 0 ? text[k] : '?';
            } else {
                out += text;
            }
        }
    }
    return out;
}

// A PNG file of a Width x Height picture, as hexadecimal digits for RTF.
inline std::string PngHex(int width, int height)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf32bit);
    bitmap.SetSize(width, height);
    TPNGImage png;
    png.Assign(&bitmap);
    TStringStream stream;
    png.SaveToStream(stream);
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : stream.DataString()) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

class TRTFImportTest : public ::testing::Test {
protected:
    TRTFImportTest() { RV_RegisterRTFImport(); }

    TRVRTFErrorCode Load(const std::string& rtf)
    {
        TStringStream stream(rtf);
        return Props.ReadFromStream(stream, &Data);
    }
    std::string Summary() { return RTFSummary(Data); }
    // Source written as RTF by our writer and read into Data (cleared first).
    TRVRTFErrorCode ReadBack(TCustomRVData& source)
    {
        TMemoryStream rtf;
        if (!source.SaveRTFToStream(rtf, false, 0, clWindow, nullptr, nullptr, nullptr, nullptr, nullptr,
                                    nullptr, 0))
            return rtf_ec_Exception;
        rtf.SetPosition(0);
        Data.Clear();
        return Props.ReadFromStream(rtf, &Data);
    }
    // Every item's text and paragraph style exists in the sheet.
    void ExpectStylesInRange()
    {
        for (int i = 0; i < Data.GetItemCount(); ++i) {
            const TCustomRVItemInfo* item = Data.GetItem(i);
            EXPECT_GE(item->ParaNo, 0);
            EXPECT_LT(item->ParaNo, Style.ParaStyles()->Count());
            EXPECT_LT(item->StyleNo, Style.TextStyles()->Count());
        }
    }

    TRVStyle Style{nullptr};
    TRVRTFReaderProperties Props;
    TRTFTestData Data{&Style, &Props};
};
