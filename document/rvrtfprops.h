// RTF import as the document library sees it: the import settings every viewer
// owns, and the door through which the RTF import subsystem, which stands above
// this layer, plugs in the converter that turns RTF into a document's items.
#pragma once

#include <functional>
#include <memory>

#include "document/rvrtferr.h"
#include "platform/core/object.h"
#include "platform/core/types.h"

class TCustomRVData;
class TStream;
class TRVRTFReaderProperties;
class TRVRTFPicture;
class TCustomRVItemInfo;
class TGraphic;

// Whether text arrives as Unicode: rvruMixed and rvruOnlyUnicode have Unicode
// text reported as such; rvruOnlyUnicode also wants Unicode text styles for
// ANSI text.
enum TRVReaderUnicode { rvruMixed, rvruNoUnicode, rvruOnlyUnicode };
// How the text and paragraph styles of imported text are chosen.
enum TRVReaderStyleMode { rvrsUseSpecified, rvrsUseClosest, rvrsAddIfNeeded };
// What becomes of RTF highlighting.
enum TRVRTFHighlight { rtfhlIgnore, rtfhlFixedColors, rtfhlColorTable };

// Raised (as Exception) by SetTextStyleNo and SetParaStyleNo for a negative value.
inline constexpr const char* errRVRTFNegativeValue = "Value must not be negative";

// One RTF load: reads RTF from the stream's position and appends what it reads
// to RVData as the settings of Properties say, leaving what it appended before
// a failure in place. The RTF import subsystem implements it.
class TRVRTFConverter {
public:
    virtual ~TRVRTFConverter() = default;
    virtual TRVRTFErrorCode ReadFromStream(TRVRTFReaderProperties& properties, TStream& stream,
                                           TCustomRVData* rvData) = 0;
};

// Makes the converter of one load (owned by the caller).
using TRVRTFConverterFactory = std::function<std::unique_ptr<TRVRTFConverter>()>;
// Installs the factory every TRVRTFReaderProperties uses from then on (an
// empty one removes it) and returns the one it replaces. The RTF import calls
// it once at start-up; until then no RTF can be read.
TRVRTFConverterFactory RVSetRTFConverterFactory(TRVRTFConverterFactory factory);
// Whether a factory is installed.
bool RVRTFConverterInstalled();

// The RTF import settings of a viewer, and the two load operations that go
// through the installed converter. It keeps only settings: everything of one
// load lives in that load's converter, made and freed by the operation.
// Without a converter, or without a target, a load reads nothing, leaves the
// target unchanged and answers rtf_ec_Assertion.
class TRVRTFReaderProperties : public TPersistent {
public:
    // The import defaults (see the fields).
    TRVRTFReaderProperties();
    const char* ClassName() const override { return "TRVRTFReaderProperties"; }
    // Every setting of another TRVRTFReaderProperties (not BasePath, which
    // belongs to the viewer); other sources go to TPersistent::Assign.
    void Assign(const TPersistent* source) override;
    // The settings below, each with its default; the viewer publishes the
    // object as its RTFReadProperties (rvrtfprops_stream.cpp).
    const TPropertyTable* PropertyTable() const override;

    // rtf_ec_FileOpenError when the file cannot be opened; else ReadFromStream.
    TRVRTFErrorCode ReadFromFile(const AnsiString& fileName, TCustomRVData* rvData);
    // Appends the RTF read from the stream's position after RVData's last item;
    // the converter's result, rtf_ec_Exception when it raised.
    TRVRTFErrorCode ReadFromStream(TStream& stream, TCustomRVData* rvData);

    // ---- Settings
    TRVReaderUnicode UnicodeMode() const { return FUnicodeMode; }
    void SetUnicodeMode(TRVReaderUnicode value) { FUnicodeMode = value; }
    TRVReaderStyleMode TextStyleMode() const { return FTextStyleMode; }
    void SetTextStyleMode(TRVReaderStyleMode value) { FTextStyleMode = value; }
    // List markers are made only with rvrsAddIfNeeded.
    TRVReaderStyleMode ParaStyleMode() const { return FParaStyleMode; }
    void SetParaStyleMode(TRVReaderStyleMode value) { FParaStyleMode = value; }
    bool IgnorePictures() const { return FIgnorePictures; }
    void SetIgnorePictures(bool value) { FIgnorePictures = value; }
    bool UseHypertextStyles() const { return FUseHypertextStyles; }
    void SetUseHypertextStyles(bool value) { FUseHypertextStyles = value; }
    // The styles used with rvrsUseSpecified; a negative value raises Exception
    // "Value must not be negative" and keeps the old one.
    int TextStyleNo() const { return FTextStyleNo; }
    void SetTextStyleNo(int value);
    int ParaStyleNo() const { return FParaStyleNo; }
    void SetParaStyleNo(int value);
    bool SkipHiddenText() const { return FSkipHiddenText; }
    void SetSkipHiddenText(bool value) { FSkipHiddenText = value; }
    bool AutoHideTableGridLines() const { return FAutoHideTableGridLines; }
    void SetAutoHideTableGridLines(bool value) { FAutoHideTableGridLines = value; }
    bool LineBreaksAsParagraphs() const { return FLineBreaksAsParagraphs; }
    void SetLineBreaksAsParagraphs(bool value) { FLineBreaksAsParagraphs = value; }
    TRVRTFHighlight ConvertHighlight() const { return FConvertHighlight; }
    void SetConvertHighlight(TRVRTFHighlight value) { FConvertHighlight = value; }

    // The folder of the document being read: relative picture and hyperlink
    // targets are taken from there. Set by the viewer.
    AnsiString BasePath;

    // Where header and footer groups go: when given, a load clears them and
    // reads the groups into them; else the groups are skipped. Not owned.
    TCustomRVData* Header() const { return FHeader; }
    void SetHeader(TCustomRVData* value) { FHeader = value; }
    TCustomRVData* Footer() const { return FFooter; }
    void SetFooter(TCustomRVData* value) { FFooter = value; }
    // The distances of the header and the footer from the page edge, in
    // screen pixels, as the last load read them.
    int HeaderYPx = 0;
    int FooterYPx = 0;

    // Tables: a cell border that doubles the facing border of the cell on its
    // left or above is hidden when the table has no spacing that way; a table
    // without a width of its own gets the width of its column grid.
    bool HideDoubleCellBorders = true;
    bool TableWidthFromGrid = false;

    // Asked before a style of the sheet is chosen as the closest one
    // (styleNo, textStyle, allow); setting allow to false skips the style.
    std::function<void(int styleNo, bool textStyle, bool& allow)> OnAllowUseStyle;

    // Asked for every picture a load reads, in place of the picture item the
    // import would make: (target, graphic, hypertext, item, freeGraphic,
    // rtfPicture). Graphic is the picture read, or null when it could not be
    // made (a type without a decoder, bad data); rtfPicture is the picture's
    // record with its data rewound, or null for a picture a field included.
    // The handler may set item to an item of its own for the target, which the
    // import takes over and places (its style number and tag pass through the
    // target's hyperlink reading when the picture is a link); with item left
    // null nothing is placed. The import frees the graphic afterwards unless the
    // handler clears freeGraphic (it keeps it) or the item holds it.
    std::function<void(TCustomRVData* rvData, TGraphic* graphic, bool hypertext, TCustomRVItemInfo*& item,
                       bool& freeGraphic, TRVRTFPicture* rtfPicture)>
        OnCustomImageItem;

private:
    TRVReaderUnicode FUnicodeMode = rvruNoUnicode;
    TRVReaderStyleMode FTextStyleMode = rvrsUseClosest;
    TRVReaderStyleMode FParaStyleMode = rvrsUseClosest;
    bool FIgnorePictures = false;
    bool FUseHypertextStyles = false;
    int FTextStyleNo = 0;
    int FParaStyleNo = 0;
    bool FSkipHiddenText = true;
    bool FAutoHideTableGridLines = false;
    bool FLineBreaksAsParagraphs = false;
    TRVRTFHighlight FConvertHighlight = rtfhlColorTable;
    TCustomRVData* FHeader = nullptr;
    TCustomRVData* FFooter = nullptr;
};
