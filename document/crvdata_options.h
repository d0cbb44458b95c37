// The state flags and option sets of a document's item store, and the small
// enumerations its readers, writers and controls name: the settings half of
// document/crvdata.h.
#pragma once

#include <cstdint>

#include "document/rvset.h"

// State flags of a document data; a set held in 32 bits (bit n is member n).
enum TRVState {
    rvstMakingSelection,
    rvstDrawHover,
    rvstSkipFormatting,
    rvstFormatParas,
    rvstIgnoreNextMouseDown,
    rvstChangingBkPalette,
    rvstCompletelySelected,
    rvstClearing,
    rvstResizing,
    rvstDoNotMoveChildren,
    rvstForceStyleChangeEvent,
    rvstIgnoreNextChar,
    rvstDoNotTab,
    rvstDeselecting,
    rvstUnAssigningChosen,
    rvstNoScroll,
    rvstFinalizingUndo,
    rvstRTFSkipPar,
    rvstLoadingAsPartOfItem,
    rvstMarkersBadlyNeeded,
    rvstReformatParentOnExit,
    rvstNoKillFocusEvents,
    rvstEditorUnformatted,
    rvstNameSet,
    rvstFirstParaAborted,
    rvstLastParaAborted,
};
using TRVStates = TRVSet<TRVState, uint32_t>;

// Display options of a viewer, 16 bits. Under rvoTagsArePChars every tag of the
// document is a string.
enum TRVOption {
    rvoAllowSelection,
    rvoSingleClick,
    rvoScrollToEnd,
    rvoClientTextWidth,
    rvoShowCheckpoints,
    rvoShowPageBreaks,
    rvoTagsArePChars,
    rvoAutoCopyText,
    rvoAutoCopyUnicodeText,
    rvoAutoCopyRVF,
    rvoAutoCopyImage,
    rvoAutoCopyRTF,
    rvoFormatInvalidate,
    rvoDblClickSelectsWord,
    rvoRClickDeselects,
};
using TRVOptions = TRVSet<TRVOption, uint16_t>;

// What the document format writes and how its reader copes, 16 bits.
enum TRVFOption {
    rvfoSavePicturesBody,
    rvfoSaveControlsBody,
    rvfoIgnoreUnknownPicFmt,
    rvfoIgnoreUnknownCtrls,
    rvfoConvUnknownStylesToZero,
    rvfoConvLargeImageIdxToZero,
    rvfoSaveBinary,
    rvfoUseStyleNames,
    rvfoSaveBack,
    rvfoLoadBack,
    rvfoSaveTextStyles,
    rvfoSaveParaStyles,
    rvfoSaveLayout,
    rvfoLoadLayout,
};
using TRVFOptions = TRVSet<TRVFOption, uint16_t>;

// What the last read of the document format had to change or skip.
enum TRVFWarning {
    rvfwUnknownPicFmt,
    rvfwUnknownCtrls,
    rvfwConvUnknownStyles,
    rvfwConvLargeImageIdx,
    rvfwConvToUnicode,
    rvfwConvFromUnicode,
    rvfwInvalidPicture,
};
using TRVFWarnings = TRVSet<TRVFWarning, uint8_t>;

enum TRVRTFOption {
    rvrtfSaveStyleSheet,
    rvrtfDuplicateUnicode,
    rvrtfSaveEMFAsWMF,
    rvrtfSaveJpegAsJpeg,
    rvrtfSaveBitmapDefault,
    rvrtfSaveEMFDefault,
};
using TRVRTFOptions = TRVSet<TRVRTFOption, uint8_t>;

// How style records of a read document are applied.
enum TRVFReaderStyleMode { rvf_sIgnore, rvf_sInsertMap, rvf_sInsertMerge };

// What part of a document a writer saves.
enum TRVFSaveScope { rvfss_Full, rvfss_Selection, rvfss_Page };

// Where extra RTF or HTML code supplied by the viewer's events goes.
enum TRVRTFSaveArea {
    rv_rtfs_TextStyle,
    rv_rtfs_ParaStyle,
    rv_rtfs_CellProps,
    rv_rtfs_RowProps,
    rv_rtfs_Doc
};
enum TRVHTMLSaveArea { rv_thms_Head, rv_thms_BodyAttribute, rv_thms_Body, rv_thms_End };

// Notifications about the control of a control item.
enum TRVControlAction {
    rvcaAfterRVFLoad,
    rvcaDestroy,
    rvcaMoveToUndoList,
    rvcaMoveFromUndoList,
    rvcaDestroyInUndoList,
    rvcaBeforeRVFSave,
    rvcaAfterRVFSave,
};
