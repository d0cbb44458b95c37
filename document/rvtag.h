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
    TRVTag(int32_t value) : FBits(IntegerBits(value)) {}
    explicit TRVTag(AnsiString text) : FBits(StringBits(new AnsiString(std::move(text)))) {}
    TRVTag(const TRVTag& other)
        : FBits(other.IsString() ? StringBits(new AnsiString(*other.Text())) : other.FBits)
    {}
    TRVTag(TRVTag&& other) noexcept : FBits(std::exchange(other.FBits, IntegerBits(0))) {}
    ~TRVTag() { delete Text(); }
    TRVTag& operator=(const TRVTag& other)
    {
        if (this != &other) {
            TRVTag copy(other);
            std::swap(FBits, copy.FBits);
        }
        return *this;
    }
    TRVTag& operator=(TRVTag&& other) noexcept
    {
        std::swap(FBits, other.FBits);
        return *this;
    }

    bool IsString() const { return (FBits & 1) == 0; }
    // The integer of an integer tag; 0 for a string tag.
    int32_t AsInteger() const
    {
        return IsString() ? 0 : static_cast<int32_t>(static_cast<uint32_t>(FBits >> 1));
    }
    // The text of a string tag; empty for an integer tag.
    const AnsiString& AsString() const;

    // Equal when both are integers of the same value or both are strings with
    // the same bytes (case-sensitive).
    bool operator==(const TRVTag& other) const;
    bool operator!=(const TRVTag& other) const { return !(*this == other); }

private:
    // One word for either kind: an integer shifted left with the lowest bit
    // set, or the address of the owned text (heap addresses are even).
    static uint64_t IntegerBits(int32_t value) { return (uint64_t{static_cast<uint32_t>(value)} << 1) | 1; }
    static uint64_t StringBits(AnsiString* text) { return reinterpret_cast<uintptr_t>(text); }
    AnsiString* Text() const
    {
        return IsString() ? reinterpret_cast<AnsiString*>(static_cast<uintptr_t>(FBits)) : nullptr;
    }

    uint64_t FBits = 1; // the integer 0
};
static_assert(sizeof(TRVTag) == 8, "a tag is one word: every item carries one");

// A new tag for another holder. Tags are values, so this is a plain copy in
// both kinds of document; a string tag gets its own copy of the text.
TRVTag RV_CopyTag(const TRVTag& tag, bool tagsArePChars);

// Whether two tags are the same. Integer tags compare as integers; with string
// tags, two "no string" tags (integer 0) are equal, "no string" never equals a
// string (not even an empty one), and two strings compare byte for byte. Both
// rules are plain value equality, so the flag only documents the caller's mode.
bool RV_CompareTags(const TRVTag& tag1, const TRVTag& tag2, bool tagsArePChars);
