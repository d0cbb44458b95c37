// The document library's fixed messages: the texts of the errors it raises and
// of the notices its viewer draws. Constants only.
#pragma once

// ERollViewError messages.
inline constexpr const char* errRVUnicodeOperation = "Can't perform Unicode operation";
inline constexpr const char* errRVItemTypeRegistered =
    "Can't register RollView item type - this StyleNo is already registered";
inline constexpr const char* errRVInternalPrinting = "Internal printing error";
inline constexpr const char* errRVInvalidRVF = "Invalid RVF format";
inline constexpr const char* errRVItemInfoKind = "Can't get or set this kind of information for this item";
inline constexpr const char* errRVItemIndex = "Item index is out of bounds";
inline constexpr const char* errRVCheckpointIndex = "Invalid checkpoint index - %d"; // Format with the index
inline constexpr const char* errRVNilParameter = "Parameter can't be NIL";
inline constexpr const char* errRVCheckpointData = "Invalid checkpoint data";
inline constexpr const char* errRVCheckpointExists = "Checkpoint already exists";
inline constexpr const char* errRVTagsTypesMismatch =
    "Can't assign RollView to RollView - tags types mismatch";
inline constexpr const char* errRVNotFormatted = "RollView must be formatted for this operation";
inline constexpr const char* errRVNoMemory = "No memory";

// Drawn by the viewer: in place of a document that has no style sheet (Format
// with the control's name), and before the message of a failed paint.
inline constexpr const char* errRVNoStyle =
    "Style is not defined\rCreate a TRVStyle object and assign it to %s.Style";
inline constexpr const char* errRVPaintError = "Error:";
