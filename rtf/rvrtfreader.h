// TRVRTFReader: the RTF parser. It reads RTF byte by byte from any stream,
// keeps the group states and the document's tables, and reports text runs,
// pictures, table steps, header and footer groups, marker updates and page
// breaks through events. It knows nothing of documents.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "document/rvrtferr.h"
#include "platform/core/component.h"
#include "platform/graphics/graphic.h"
#include "rtf/rvrtfkeywords.h"
#include "rtf/rvrtfrecords.h"

class TStream;

// UTF-16 text as the bytes a font of code page CodePage shows it with; a
// character the code page lacks becomes '?'. CP_SYMBOL is the encoding of
// symbol fonts: U+F0xx is the byte xx, the bullet U+2022 is 0xB7 (the
// fonts' bullet), a character below U+0080 is its own byte.
AnsiString RVRTFUnicodeToAnsi(const WideString& text, unsigned codePage);

// Where a text run goes relative to the previous one.
enum TRVRTFPosition { rtf_ts_ContinuePara, rtf_ts_NewLine, rtf_ts_NewPara };
enum TRVRTFTableEventKind { rvf_tbl_TableStart, rvf_tbl_TableEnd, rvf_tbl_RowEnd, rvf_tbl_CellEnd };
enum TRVRTFHighlightConvert { rtf_hl_Ignore, rtf_hl_FixedColors, rtf_hl_ColorTable };

class TRVRTFReader;
using TRVRTFNewTextEvent = std::function<void(TRVRTFReader* sender, const AnsiString& text, TRVRTFPosition)>;
using TRVRTFNewUnicodeTextEvent =
    std::function<void(TRVRTFReader* sender, const WideString& text, TRVRTFPosition)>;
// The graphic goes to the listener; it is null for picture types that make none.
// The picture record is null for a picture read from an INCLUDEPICTURE field.
using TRVRTFNewPictureEvent = std::function<void(TRVRTFReader* sender, TRVRTFPicture* picture,
                                                 std::unique_ptr<TGraphic> graphic, TRVRTFPosition)>;
using TRVRTFTableEvent = std::function<void(TRVRTFReader* sender, TRVRTFTableEventKind whatHappens)>;
using TRVRTFHeaderFooterEvent =
    std::function<void(TRVRTFReader* sender, TRVRTFHeaderFooterType hfType, bool starting)>;
using TRVRTFNotifyEvent = std::function<void(TRVRTFReader* sender)>;

// Owns its tables, the current state, the saved states of the open groups,
// the picture being read and the numbering being read. The listener reads the
// current state and the tables while an event runs. Whether OnNewUnicodeText,
// OnNewPicture and OnHeaderFooter are set changes what is read: without them
// \u characters fall back to their replacement text (to their own bytes in
// their font's code page where there is none), picture data is not
// collected, and header and footer groups are skipped.
class TRVRTFReader : public TComponent {
public:
    explicit TRVRTFReader(TComponent* owner);
    ~TRVRTFReader() override;
    const char* ClassName() const override { return "TRVRTFReader"; }
    // DefCodePage (default 0) and ConvertHighlight (default rtf_hl_FixedColors);
    // the events are not streamed.
    const TPropertyTable* PropertyTable() const override;

    // rtf_ec_FileOpenError when the file cannot be opened; else ReadFromStream.
    TRVRTFErrorCode ReadFromFile(const AnsiString& fileName);
    // Reads from the stream's position to its end or to the close of the
    // outermost group; the stream need not seek. Input that does not start
    // with "{\rtf" (after white space) is refused before anything is
    // reported: rtf_ec_StackUnderflow when it starts with '}', else
    // rtf_ec_FileOpenError. rtf_ec_Exception when anything raised.
    TRVRTFErrorCode ReadFromStream(TStream& stream);
    void Clear();

    TRVRTFNewTextEvent OnNewText;
    TRVRTFNewUnicodeTextEvent OnNewUnicodeText;
    TRVRTFNewPictureEvent OnNewPicture;
    TRVRTFTableEvent OnTable;
    TRVRTFHeaderFooterEvent OnHeaderFooter;
    TRVRTFNotifyEvent OnUpdateMarker;
    TRVRTFNotifyEvent OnRequiredPageBreak;
    // A bookmark starts here (\bkmkstart in the body): the text before it has
    // been reported, the name is as read (at most MaxBookmarkName bytes).
    std::function<void(TRVRTFReader* sender, const AnsiString& name)> OnBookmarkStart;

    unsigned DefCodePage = 0;
    TRVRTFHighlightConvert ConvertHighlight = rtf_hl_FixedColors;
    // The folder INCLUDEPICTURE fields are read from. They are read only when
    // ReadExternalPictures is set (loading a file, never pasting) and the
    // folder is given, and only regular files inside it of at most
    // MaxExternalPictureSize bytes.
    AnsiString BasePath;
    bool ReadExternalPictures = false;
    // Whether the numbering text of paragraphs (\listtext, \pntext) is read
    // as text; skipped by default, for listeners that make list markers.
    bool ReadListText = false;
    int64_t MaxExternalPictureSize = 64 * 1024 * 1024;

    // ---- What the listener reads
    TRVRTFReaderState& State() { return *FState; }
    const TRVRTFFontList& FontTable() const { return FFontTable; }
    const TRVRTFColorList& ColorTable() const { return FColorTable; }
    const TRVRTFStyleSheet& StyleSheet() const { return FStyleSheet; }
    const TRVRTFListTable97& ListTable() const { return FListTable; }
    const TRVRTFListOverrideTable97& ListOverrideTable() const { return FListOverrideTable; }
    unsigned CodePage() const { return FCodePage; }
    // For OnHeaderFooter as a group starts: the rest of the group is skipped,
    // as when no listener reads headers and footers (its end is reported).
    void SkipGroup() { FState->Destination = rdsSkip; }
    int GroupLevel() const { return FGroupLevel; }
    int TableLevel() const { return FTableLevel; }

    // Bytes of a code page as UTF-16 (an unconvertible byte becomes '?', the
    // others are kept).
    WideString AnsiToUnicode(const AnsiString& s, unsigned codePage) const;
    // The code page of the bytes of text in font FontIndex of the font table:
    // CP_SYMBOL for a font of the symbol character set, the document's code
    // page for a font of the default character set or for no font, else the
    // code page of the font's character set.
    unsigned FontCodePage(int fontIndex) const;
    // The code page of the text being read: CP_SYMBOL in a symbol font named
    // by a field (SYMBOL), else that of the current font.
    unsigned TextCodePage() const;

    // The deepest group nesting read; deeper input gives rtf_ec_StackOverflow.
    static constexpr int MaxGroupLevel = 1000;
    // Longest control word; longer ones are read whole and ignored.
    static constexpr int MaxKeywordLength = 32;
    static constexpr size_t MaxBookmarkName = 255;

private:
    // ---- Input
    bool Fill(size_t wanted);
    int GetC();
    void UngetC() { FPushedBack = true; }
    bool StartsAsRTF();

    // ---- Parsing
    TRVRTFErrorCode Parse();
    TRVRTFErrorCode ParseLoop();
    TRVRTFErrorCode ParseRtfKeyword();
    TRVRTFErrorCode ParseSpecialKeyword(TRTFIPFN ipfn, int param, bool hasParam);
    // A byte of text or of hexadecimal digits in the normal input state.
    TRVRTFErrorCode ParseOther(int c);
    TRVRTFErrorCode PushRtfState();
    TRVRTFErrorCode PopRtfState();
    TRVRTFErrorCode ParseChar(unsigned char c);
    TRVRTFErrorCode ParsePictureByte(unsigned char c);

    // ---- Text
    TRVRTFErrorCode OutputChar(char c, bool allowTableEnd, bool checkTables);
    TRVRTFErrorCode OutputWideChar(WideChar w);
    TRVRTFErrorCode FlushOutput(TRVRTFPosition nextPosition);
    // Flushes with no table check.
    TRVRTFErrorCode Flush() { return FlushOutput(rtf_ts_ContinuePara); }
    // Flushes after a table check that may open but not close tables.
    TRVRTFErrorCode FlushOpeningTables();
    bool HasPending() const { return !FText.empty() || !FTextW.empty() || FForceText; }

    // ---- Tables and markers
    void CheckTable(bool allowEnd);
    void DoTable(TRVRTFTableEventKind kind);
    // Ends the open tables nested deeper than Level.
    void EndTables(int level);
    void UpdateMarker();

    // ---- Control words (rvrtfreader_props.cpp)
    TRVRTFErrorCode TranslateKeyword(const std::string& keyword, int param, bool hasParam);
    TRVRTFErrorCode ApplyPropChange(TRTFIPROP prop, int value);
    TRVRTFErrorCode ApplyGeneral(TRTFIPROP prop, int value);
    // The groups ApplyGeneral dispatches to.
    TRVRTFErrorCode ApplyCharProp(TRTFIPROP prop, int value);
    TRVRTFErrorCode ApplyFontProp(TRTFIPROP prop, int value);
    TRVRTFErrorCode ApplyParaProp(TRTFIPROP prop, int value);
    TRVRTFErrorCode ApplySectionProp(TRTFIPROP prop, int value);
    TRVRTFErrorCode ApplyDocProp(TRTFIPROP prop, int value);
    TRVRTFErrorCode ApplyTableProp(TRTFIPROP prop, int value);
    // The words of the row record and of its last cell, for ApplyTableProp.
    void ApplyRowProp(TRVRTFRowProperties& row, TRTFIPROP prop, int value);
    void ApplyCellProp(TRVRTFRowProperties& row, TRTFIPROP prop, int value);
    TRVRTFErrorCode ApplyPropChange_SSEntry(TRTFIPROP prop, int value);
    TRVRTFErrorCode ApplyPropChange_Picture(TRTFIPROP prop, int value);
    TRVRTFErrorCode ApplyPropChange_PN(TRTFIPROP prop, int value);
    TRVRTFErrorCode ApplyPropChange_List(TRTFIPROP prop, int value);
    TRVRTFErrorCode ApplyPropChange_ListLevel(TRTFIPROP prop, int value);
    TRVRTFErrorCode ApplyPropChange_LO(TRTFIPROP prop, int value);
    TRVRTFErrorCode ApplyPropChange_LOLevel(TRTFIPROP prop, int value);
    TRVRTFErrorCode ParseSpecialProperty(TRTFIPROP prop, int value);
    TRVRTFErrorCode ApplyUnicode(int value);
    // Characters where text of the current destination is read as bytes:
    // those bytes, in the code page of the font the destination's text is
    // shown in.
    TRVRTFErrorCode ParseWideCharAsBytes(const WideString& text);
    // The same for one \u unit, the halves of a character beyond U+FFFF
    // taken together.
    TRVRTFErrorCode ParseUnicodeAsBytes(WideChar unit);
    unsigned DestinationCodePage() const;
    // A level text that holds \u characters gets its bytes from them, in
    // the code page of the level's font.
    void LevelTextToBytes(TRVRTFListLevel97& level) const;
    // The colour-table entry, or false when the index is out of range.
    bool ColorOf(int index, TColor& color) const;
    int FontIndexOf(int number) const;

    // ---- Destinations, pictures and fields (rvrtfreader_dest.cpp)
    TRVRTFErrorCode ChangeDest(TRTFIDEST dest, int param);
    void ChangeListDest(TRTFIDEST dest, int param);
    TRVRTFErrorCode EndGroupAction(TRTFrds dest);
    TRVRTFErrorCode EndPicture();
    std::unique_ptr<TGraphic> MakeGraphic(TRVRTFPicture& picture, bool& valid);
    void DoNewPicture(TRVRTFPicture* picture, std::unique_ptr<TGraphic> graphic);
    void InsertExternalPicture();
    TRVRTFErrorCode InsertSymbol();

    TStream* FStream = nullptr;
    std::string FBuffer;
    size_t FBufPos = 0;
    bool FStreamEnded = false;
    int FLastChar = 0;
    bool FPushedBack = false;

    AnsiString FText;
    // The name of the bookmark whose group is being read.
    AnsiString FBookmarkName;
    WideString FTextW;

    TRVRTFStyleSheet FStyleSheet;
    TRVRTFFontList FFontTable;
    TRVRTFColorList FColorTable;
    TRVRTFListTable97 FListTable;
    TRVRTFListOverrideTable97 FListOverrideTable;
    std::unique_ptr<TRVRTFReaderState> FState;
    std::unique_ptr<TRVRTFPicture> FPicture;
    std::unique_ptr<TRVRTFMarkerProperties> FMarkerProps;
    std::vector<std::unique_ptr<TRVRTFReaderState>> FStack;
    // States of closed groups, kept for the next groups opened.
    std::vector<std::unique_ptr<TRVRTFReaderState>> FSpareStates;

    unsigned FCodePage = 0;
    int FUnicodeFallback = 1;
    // The first half of a character read as bytes, waiting for the second.
    WideChar FHighSurrogate = 0;
    int FCharsToSkip = 0;
    int FTableLevel = 0;
    int FPNSecLevel = 0;
    bool FForceText = false;
    TRVRTFPosition FPosition = rtf_ts_NewPara;
    // Since the last text, a paragraph or line end or a \pard has begun a
    // line (a cell's own start begins none, and \row takes back the one begun
    // before it, the row's mark): \cell ends it as an empty paragraph or
    // line, the cell's last.
    bool FBreakPending = false;
    // For each open header or footer group that is read, innermost last: its
    // group level and where the text after it goes, which its own text does
    // not change.
    std::vector<std::pair<int, TRVRTFPosition>> FOuterPositions;
    int FGroupLevel = 0;
    int64_t FBinBytesLeft = 0;
    uint8_t FHexByte = 0;
    bool FHighNibbleNext = true;
    bool FSkipDestIfUnknown = false;
};
