// The RTF import into documents: the converter that TRVRTFReaderProperties
// runs for every load. It drives a TRVRTFReader and turns what the reader
// reports into items of the target document (text, pictures, hyperlinks, list
// markers, page breaks, headers and footers), choosing or adding the text,
// paragraph and list styles of the target's style sheet.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "document/rvrtfprops.h"
#include "document/rvstyle_para.h"
#include "rtf/rvrtfreader.h"

class TCustomRVItemInfo;
class TRVGraphicItemInfo;
class TRVStyle;
class TRVListLevel;
class TRVTableItemInfo;
class TRVTableCellData;

// Installs the converter of this subsystem into the document layer (any number
// of times; it also runs at start-up of any program that links the import).
// Until it runs, RTF loads report rtf_ec_Assertion.
void RV_RegisterRTFImport();

// An RTF border side as a paragraph border: WidthPx is the RTF width already in
// pixels (rounded), DoubleWidthPx twice the RTF width in pixels (rounded); a
// far side is the right or the bottom one.
struct TRVRTFBorderLook {
    TRVBorderStyle Style = rvbNone;
    int Width = 0;
    int InternalWidth = 0;
    bool operator==(const TRVRTFBorderLook& o) const
    {
        return Style == o.Style && Width == o.Width && InternalWidth == o.InternalWidth;
    }
};
TRVRTFBorderLook RVRTFTranslateBorder(TRVRTFBorderType type, int widthPx, int doubleWidthPx, bool farSide);

// One load. Made by the factory that RV_RegisterRTFImport installs, used once.
class TRVRTFImport : public TRVRTFConverter {
public:
    TRVRTFErrorCode ReadFromStream(TRVRTFReaderProperties& properties, TStream& stream,
                                   TCustomRVData* rvData) override;

private:
    // ---- Reader events (rvrtfimport.cpp)
    void InitReader(TRVRTFReader& reader, TCustomRVData* rvData);
    void NewText(const AnsiString& text, TRVRTFPosition position);
    void NewUnicodeText(const WideString& text, TRVRTFPosition position);
    void AddText(const AnsiString* ansi, const WideString* wide, TRVRTFPosition position);
    void NewPicture(TRVRTFPicture* picture, std::unique_ptr<TGraphic> graphic, TRVRTFPosition position);
    // The item the program's OnCustomImageItem makes for a picture (none: the
    // picture is dropped), its style and tag read as a link when it is one.
    std::unique_ptr<TCustomRVItemInfo> CustomImageItem(TRVRTFPicture* picture,
                                                       std::unique_ptr<TGraphic> graphic, bool hypertext,
                                                       const AnsiString& target, const AnsiString& extras,
                                                       AnsiString& text);
    // The display size of a picture scaled by its record, or a metafile's.
    void ScalePicture(TRVGraphicItemInfo& item, const TRVRTFPicture* picture) const;
    void HeaderFooter(TRVRTFHeaderFooterType hfType, bool starting);
    // A bookmark becomes a checkpoint of the next item placed.
    void BookmarkStart(const AnsiString& name);
    // Gives item ItemNo of the current target the first bookmark waiting for an item.
    void PlaceCheckpoint(int itemNo);
    // Bookmarks after the last item: the first waits as the document's pending checkpoint.
    void PlaceLastCheckpoints();
    void SetTarget(TCustomRVData* target);
    // The code page of the bytes of an ANSI text style.
    unsigned StyleCodePage(int styleNo) const;

    // ---- Horizontal rules
    // Whether the empty paragraph being ended is in the form our writer gives
    // a horizontal rule (Bordered) or in that of the empty paragraph it
    // writes after one: plain 3-point text, no indents, spacing or list, and
    // a single bottom border with no space for the rule, no border after it.
    bool IsWrittenRule(bool bordered) const;
    // The rule of the current paragraph's bottom border.
    void InsertRule();

    // ---- Placing items
    // The paragraph style of an item at Position: chosen for a new paragraph,
    // else the one of the paragraph it continues.
    int ReturnParaNo(TRVRTFPosition position);
    // KeepParaNo: the item brings its paragraph style (a table, or an item
    // moved out of one) and makes no list marker.
    void InsertItem(AnsiString& text, std::unique_ptr<TCustomRVItemInfo> item, TRVRTFPosition position,
                    bool keepParaNo = false);
    // An empty text item in the style of empty text (0, or the specified one).
    std::unique_ptr<TCustomRVItemInfo> MakeEmptyText() const;
    bool InMain() const { return FTarget == FMain; }
    // The hyperlink of the current field: target and switches.
    bool IsHypertext(AnsiString& target, AnsiString& extras) const;
    // The current field instruction names a hyperlink anywhere.
    bool IsHypertextAnywhere() const;

    // ---- Tables (rvrtfimport_tables.cpp; the rows: rvrtfimport_tablerows.cpp)
    // One open table level: the table being built, the row being read (the
    // single row of a second table), the column grid in twips and what the
    // rows gave for the table's borders, padding and spacing.
    struct TTableLevel {
        ~TTableLevel();
        // The document the tables stand in until the table is inserted: it
        // holds no items and answers the style sheet and settings of the place
        // the table goes to.
        std::unique_ptr<TCustomRVData> Holder;
        int SavedRow = -1, SavedCol = -1;
        std::vector<int> Grid;
        std::unique_ptr<TRVTableItemInfo> Table;
        std::unique_ptr<TRVTableItemInfo> RowBuffer;
        // The last row was ended by \row and nothing was read after it.
        bool RowEnded = false;
        // The bookmarks read before the first row: the table's own.
        std::vector<AnsiString> Bookmarks;
        bool AnyCellBorder = false, TableBorderAgrees = true, HaveTableBorder = false;
        bool PrivateWidths = false, HaveVSpacing = false, HaveHSpacing = false;
        int TableBorderType = 0, TableBorderTw = 0;
        int64_t PaddingSum = 0, PaddingCount = 0;
        int64_t CellBorderSum = 0, CellBorderCount = 0, BorderSum = 0, BorderCount = 0;
        int64_t VSpacingSum = 0, HSpacingSum = 0, VSpacingTop = 0, VSpacingBottom = 0;
        int PrevSpacingBottom = 0;
        TColor CellBorderColor = clNone;
        bool CellBorderColorsAgree = true;
        TRVRTFAlignment Alignment = rtf_al_Left;
        // The widest row's width as read (twips, or minus fiftieths of a percent).
        int RawWidth = 0;
        // Cells merged down (\clvmrg) whose rows are not merged yet, by the
        // column of their main cell: its row, the column after the block and
        // the last row the block reaches so far.
        struct TVMerge {
            int Row = 0, EndCol = 0, LastRow = 0;
        };
        std::map<int, TVMerge> VMerges;
    };
    void ReaderTable(TRVRTFTableEventKind whatHappens);
    void TableStart();
    void CellEnd();
    void RowEnd();
    void TableEnd();
    // The cell of the row being read at the current column, emptied for what the
    // reader sends it.
    TRVTableCellData* BufferCell(TTableLevel& level, int col) const;
    // Moves the row just read into the table with its row and cell records.
    void AssignRowProperties(TTableLevel& level);
    // Its steps: the row's place in the grid (IDX gets the grid index of each
    // cell boundary; the result is how many cells found a place), the table-wide
    // attributes the row gives, its cells' attributes and content, and its
    // merged cells with their widths.
    int PlaceRowInGrid(TTableLevel& level, const std::vector<int>& bounds, int count, std::vector<int>& idx);
    void AssignRowTableAttributes(TTableLevel& level, const TRVRTFRowProperties& row, int r);
    void AssignRowCells(TTableLevel& level, const TRVRTFRowProperties& row, int r,
                        const std::vector<int>& idx, int placed, int read);
    void MergeRowCells(TTableLevel& level, const TRVRTFRowProperties& row, int r, const std::vector<int>& idx,
                       int placed);
    // The grid boundary for X (within the grid tolerance) after column After, a
    // new one when none matches: the table gets a column there and the earlier
    // rows' cells that it splits are merged back across it.
    int GridIndex(TTableLevel& level, int x, int after);
    void SplitGridColumn(TTableLevel& level, int col);
    // Merges the blocks of merged rows that end above row BeforeRow.
    void MergeVMerges(TTableLevel& level, int beforeRow);
    void FinishTable(TTableLevel& level);
    // One empty paragraph in the styles of empty text.
    void MakeEmptyCell(TRVTableCellData* cell);
    // The paragraph style of a table or an empty cell's paragraph.
    int GetEmptyParaNo(TRVAlignment alignment);
    // Where items go when no table is open: the header, the footer or the main data.
    TCustomRVData* OutsideTarget() const;

    // ---- List markers (rvrtfimport_lists.cpp)
    bool InsertMarker(int paraNo);
    // The current paragraph gets a list marker when it starts.
    bool ParagraphNumbered() const;
    bool InsertMarker97(int paraNo);
    void UpdateMarker();
    // A marker that ends its target gets the empty text that completes its line.
    void CloseMarker();
    int GetMarkerIndex(const TRVRTFMarkerProperties& marker);
    void MergeListTable97();
    void FillLevel97(TRVListLevel& level, const TRVRTFListLevel97& source) const;

    // ---- Styles (rvrtfimport_styles.cpp)
    struct TTextDesc {
        AnsiString FontName; // lower-cased for comparing, as read for adding
        int Charset = 1;
        int Size = 10;
        TColor Color = 0, BackColor = 0;
        uint8_t Style = 0;
        bool AllCaps = false;
        int CharScale = 100;
        int CharSpacing = 0;
        TRVRTFSScriptType Script = rtf_ss_Normal;
    };
    TTextDesc CurrentTextDesc() const;
    int ReturnStyleNo(bool unicode);
    // For ANSI text in code page CodePage whose letters the chosen style
    // StyleNo cannot hold: the closest style that holds them (one of its own
    // code page, of a code page that holds the letters, or a Unicode style),
    // added when the mode allows; StyleNo when none does.
    int StyleHoldingText(int styleNo, const WideString& text, bool unicode);
    // Whether text style StyleNo can keep the letters of Text.
    bool StyleHolds(int styleNo, const WideString& text) const;
    int FindStyleNo(const TTextDesc& desc, bool unicode, bool hypertext) const;
    // With Holding given, only styles that keep its letters are candidates,
    // and -1 answers that none is.
    int FindBestStyleNo(const TTextDesc& desc, bool unicode, bool hypertext,
                        const WideString* holding = nullptr) const;
    int AddStyle(const TTextDesc& desc, bool unicode, bool hypertext);
    bool HypertextFits(bool styleJump, bool hypertext) const;
    // The paragraph style of a new paragraph.
    int ReturnNewParaNo();
    void CurrentBorder(TRVBorderStyle& style, int& width, int& internalWidth, TColor& color) const;
    // Fills Para from the current paragraph properties and the given border.
    void DescribePara(TParaInfo& para, TRVBorderStyle style, int width, int internalWidth,
                      TColor color) const;
    int FindBestParaNo() const;
    bool AllowUseStyle(int styleNo, bool textStyle) const;
    int Px(int twips) const;

    TRVRTFReaderProperties* FProps = nullptr;
    TRVRTFReader* FReader = nullptr;
    TCustomRVData* FMain = nullptr;
    TCustomRVData* FTarget = nullptr;
    TRVStyle* FStyle = nullptr;
    double FTwipsToPixels = 96.0 / 1440;
    int FIndex = 0;
    // The last item inserted into the current target (-1: none).
    int FLastInserted = -1;
    bool FFirstItem = true;
    bool FPageBreak = false;
    bool FAborted = false;
    // The last item placed is a rule read from its paragraph: an empty
    // paragraph right after it may be the one written with it.
    bool FAfterRule = false;
    // The paragraph or line start of text that was dropped (hidden text), kept
    // for the next item.
    TRVRTFPosition FHeldPosition = rtf_ts_ContinuePara;
    // Names of the bookmarks read and not yet given to an item, in order.
    std::vector<AnsiString> FBookmarks;
    // The old-style marker whose list waits for the paragraph's formatting.
    int FPendingMarker = -1;
    // The list style of each list of the reader's list table, once merged;
    // merged again when a later list table replaces the one merged.
    std::vector<int> FLists97;
    int FListsMergedAt = -1;
    // A description and its chosen style, for this load: every run with the
    // same formatting gets the same answer without searching the sheet again.
    std::map<std::string, int> FTextStyleMap;
    // The text styles by the key of an exact match, the first of each key;
    // the styles from FIndexedTextStyles on are not in it yet.
    mutable std::unordered_map<std::string, int> FExactTextStyles;
    mutable int FIndexedTextStyles = 0;
    std::map<std::string, int> FParaStyleMap;
    // The description of the last run whose style was chosen, for the style
    // that holds letters its first choice could not.
    std::string FTextStyleKey;
    std::string FParaStyleKey; // the key of the last paragraph looked up
    std::map<std::string, int> FHoldingStyleMap;

    // The open table levels, innermost last, and the current row and column.
    std::vector<std::unique_ptr<TTableLevel>> FTables;
    int FRow = -1, FCol = -1;
    // The header or footer group being read, where a table level ends.
    TRVRTFHeaderFooterType FHFType = rtf_hf_MainText;
    // What the open header and footer groups were read into before each, outermost first.
    std::vector<TRVRTFHeaderFooterType> FOuterHFTypes;
    int FEmptyParaNo = -1;
};
