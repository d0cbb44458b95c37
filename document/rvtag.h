// The tag that every item and checkpoint carries: an integer, or, in documents
// that keep their tags as strings, a text owned by its holder.
#pragma once

#include <cstdint>
#include <utility>

#include "platform/core/types.h"

// A tag value. It holds either a signed 32-bit integer or a string of its own;
// copying a tag copies the string, so every holder owns its text and nothing
// has to be freed by hand. In a document that keeps its tags as strings, the
// integer 0 stands for "no string" and is distinct from an empty string; in
// other documents only integers are stored. A default tag is the integer 0.
class TRVTag {
public:
    TRVTag() = default;
    TRVTag(int32_t Value) : FValue(Value) {}
    explicit TRVTag(AnsiString Text) : FText(std::move(Text)), FIsString(true) {}

    bool IsString() const { return FIsString; }
    // The integer of an integer tag; 0 for a string tag.
    int32_t AsInteger() const { return FIsString ? 0 : FValue; }
    // The text of a string tag; empty for an integer tag.
    const AnsiString& AsString() const { return FText; }

    // Equal when both are integers of the same value or both are strings with
    // the same bytes (case-sensitive).
    bool operator==(const TRVTag& Other) const;
    bool operator!=(const TRVTag& Other) const { return !(*this == Other); }

private:
    AnsiString FText;
    int32_t FValue = 0;
    bool FIsString = false;
};

// A new tag for another holder. Tags are values, so this is a plain copy in
// both kinds of document; a string tag gets its own copy of the text.
TRVTag RV_CopyTag(const TRVTag& Tag, bool TagsArePChars);

// Whether two tags are the same. Integer tags compare as integers; with string
// tags, two "no string" tags (integer 0) are equal, "no string" never equals a
// string (not even an empty one), and two strings compare byte for byte. Both
// rules are plain value equality, so the flag only documents the caller's mode.
bool RV_CompareTags(const TRVTag& Tag1, const TRVTag& Tag2, bool TagsArePChars);
