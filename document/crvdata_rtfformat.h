// The RTF writer's own pieces shared by its two files: the tables a save
// shares with every nested document, the document header, and the character
// and paragraph formatting of styles.
#pragma once

#include "document/crvdata.h"

class TCustomRVItemInfo;
class TStream;

// The tables of one RTF save, made by its outermost call and handed down to
// items and nested documents. None of the pointers is owned.
struct TRVRTFSaveTables {
    TRVColorList* ColorList = nullptr;     // index 0 is the automatic colour
    TRVIntegerList* StyleToFont = nullptr; // font number of each text style
    TRVRTFFontTable* FontTable = nullptr;
    double TwipsPerPixel = 15;
};

// A colour's index in the colour table; -1 when it is not there.
int RVRTFColorIndex(const TRVColorList* colorList, TColor color);
// Fills the font table and the style-to-font map from the text styles and the
// fonts of list levels.
void RVMakeRTFFontTable(TRVStyle* rvStyle, TRVRTFFontTable* fontTable, TRVIntegerList* styleToFont);
// The header up to the list tables and the Unicode skip count; the list
// tables themselves come from the document (SaveRTFListTable97).
void RVWriteRTFHeaderStart(TStream& stream, TCustomRVData* rvData, const TRVRTFSaveTables& tables);
// The character formatting of text style StyleNo, ended by a blank.
void RVWriteRTFTextStyle(TStream& stream, TCustomRVData* rvData, int styleNo, const TRVRTFSaveTables& tables,
                         bool inStyleSheet);
// The paragraph formatting of paragraph style ParaNo, ended by a blank.
// FirstItem is the paragraph's first item (none in the style sheet); Level
// the nesting level of the document (written outside the style sheet).
void RVWriteRTFParaStyle(TStream& stream, TCustomRVData* rvData, int paraNo,
                         const TCustomRVItemInfo* firstItem, int level, const TRVRTFSaveTables& tables,
                         bool inStyleSheet);
