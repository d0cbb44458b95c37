// The small records the document writers share: the RTF font table, the layout
// block of the document format and the HTML picture cache.
#pragma once

#include <cstdint>

#include "document/rvclasses.h"
#include "document/rvtypes.h"
#include "platform/core/colors.h"
#include "platform/core/types.h"
#include "platform/graphics/graphic.h"

class TCustomImageList;
class TStream;

// One font of an RTF font table; its index in the table is its RTF font number.
class TRVRTFFontTableItem : public TObject {
public:
    const char* ClassName() const override { return "TRVRTFFontTableItem"; }
    AnsiString FontName;
    uint8_t Charset = 0;
};

// The fonts an RTF writer has met, in order; owns its entries.
class TRVRTFFontTable : public TRVList {
public:
    const char* ClassName() const override { return "TRVRTFFontTable"; }
    // The first entry of this name (compared ignoring case) and charset; -1 when none.
    int Find(const AnsiString& fontName, uint8_t charset) const;
    // Find, else a new entry at the end; the entry's index.
    int AddUnique(const AnsiString& fontName, uint8_t charset);
    TRVRTFFontTableItem* Get(int index) const;
    void Put(int index, TRVRTFFontTableItem* value); // frees the entry it replaces
};

// The layout of a document as the document format carries it: margins, text
// width limits and reading direction, and the state of a printed page.
class TRVLayoutInfo : public TObject {
public:
    const char* ClassName() const override { return "TRVLayoutInfo"; }

    // The binary block: [with SizePrefix: block length + 8] 0, L, six margins and
    // widths, the reading direction byte (L = 25), then, when either paragraph
    // flag is set, the two flags and the first marker's list and level (L = 41).
    // All integers 32-bit little-endian.
    void SaveToStream(TStream& stream, bool includeSize) const;
    // Reads a block written by SaveToStream and sets Loaded. ERollViewError
    // "Invalid RVF format" when L is below 25 or the block is longer than what
    // remains of the stream; nothing is changed then. Bytes of a longer block
    // that this version does not know are skipped.
    void LoadFromStream(TStream& stream, bool includeSize);
    // The block (without the size prefix) as hexadecimal text, and back.
    void SaveTextToStream(TStream& stream) const;
    void LoadText(const AnsiString& s);
    // The raw bytes of a binary record (without the size prefix).
    void LoadBinary(const AnsiString& s);

    bool Loaded = false;
    int LeftMargin = 0;
    int RightMargin = 0;
    int TopMargin = 0;
    int BottomMargin = 0;
    int MinTextWidth = 0;
    int MaxTextWidth = 0;
    TRVBiDiMode BiDiMode = rvbdUnspecified;
    int LastParaAborted = 0;
    int FirstParaAborted = 0;
    int FirstMarkerListNo = -1;
    int FirstMarkerLevel = 0;
};

// A picture file already written beside an HTML page, so that the same bullet
// or hot-spot image is written once. Refers to its image list and graphic
// without owning them.
class TRVHTMLBulletInfo : public TObject {
public:
    const char* ClassName() const override { return "TRVHTMLBulletInfo"; }
    AnsiString FileName;
    TCustomImageList* ImageList = nullptr;
    int ImageIndex = 0;
    TColor BackColor = 0;
    TGraphic* Graphic = nullptr;
};

// Whether pictures of the graphic's class are written to HTML pages in their own
// format (see RV_RegisterHTMLGraphicFormat); false before any registration.
bool RV_IsHTMLGraphicFormat(const TGraphic* graphic);
// Adds the class to the process-wide list of HTML picture formats when it is not
// there yet; the class's index in the list (-1 for no class).
int RV_RegisterHTMLGraphicFormat(TGraphicClass graphicClass);

// ---- HTML pages (crvdata_htmlsave.cpp, crvdata_htmlcss.cpp)

// Text escaped for the body of an HTML page: & < > as entities, runs of
// blanks as "&nbsp;" and blanks (a leading and a trailing blank too); an empty
// text gives "&nbsp;" with NoEmptyLines. With SpecialCode (a style that holds
// HTML code) the text comes back unchanged.
AnsiString RV_MakeHTMLStr(const AnsiString& str, bool noEmptyLines, bool specialCode);
// The HTML character-set name of a font character set; empty for the sets
// that have none (ANSI and default among them).
AnsiString RV_CharSet2HTMLLang(int charset);
