// The tag that every item and checkpoint carries: an integer, or, in documents
// that keep their tags as strings, a text owned by its holder.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "platform/core/types.h"

// A tag value. It holds either a signed 32-bit integer or a string of its own;
// copying a tag copies the string, so every holder owns its text and nothing
// has to be freed by hand. In a document that keeps its tags as strings, the
// integer 0 stands for "no string" and is distinct from an empty string; in
// other documents only integers are stored. A default tag is the integer 0.
// Every item carries one, so it stays small: a string tag keeps its text on the
// heap, an integer tag allocates nothing.
class TRVTag {
public:
    TRVTag() = default;
    TRVTag(int32_t value) : FValue(value) {}
    explicit TRVTag(AnsiString text) : FText(std::make_unique<AnsiString>(std::move(text))) {}
    TRVTag(const TRVTag& other)
        : FText(other.FText ? std::make_unique<AnsiString>(*other.FText) : nullptr), FValue(other.FValue)
    {}
    TRVTag(TRVTag&& other) noexcept = default;
    TRVTag& operator=(const TRVTag& other)
    {
        if (this != &other) {
            FText = other.FText ? std::make_unique<AnsiString>(*other.FText) : nullptr;
            FValue = other.FValue;
        }
        return *this;
    }
    TRVTag& operator=(TRVTag&& other) noexcept = default;

    bool IsString() const { return FText != nullptr; }
    // The integer of an integer tag; 0 for a string tag.
    int32_t AsInteger() const { return FText ? 0 : FValue; }
    // The text of a string tag; empty for an integer tag.
    const AnsiString& AsString() const;

    // Equal when both are integers of the same value or both are strings with
    // the same bytes (case-sensitive).
    bool operator==(const TRVTag& other) const;
    bool operator!=(const TRVTag& other) const { return !(*this == other); }

private:
    std::unique_ptr<AnsiString> FText; // null for an integer tag
    int32_t FValue = 0;
};

// A new tag for another holder. Tags are values, so this is a plain copy in
// both kinds of document; a string tag gets its own copy of the text.
TRVTag RV_CopyTag(const TRVTag& tag, bool tagsArePChars);

// Whether two tags are the same. Integer tags compare as integers; with string
// tags, two "no string" tags (integer 0) are equal, "no string" never equals a
// string (not even an empty one), and two strings compare byte for byte. Both
// rules are plain value equality, so the flag only documents the caller's mode.
bool RV_CompareTags(const TRVTag& tag1, const TRVTag& tag2, bool tagsArePChars);
