// Component streams: the class library's binary form of components, collections
// and their properties (signature "TPF0", tagged little-endian values), with its
// writer (TWriter), its reader (TReader) and a text dump (ObjectBinaryToText).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/core/object.h"
#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"

class TCollection;
class TComponent;
class TReader;
class TStream;
class TWriter;

// The tag in front of every value.
enum TValueType : uint8_t {
    vaNull = 0, // end of a list (or a null value)
    vaList = 1, // values up to vaNull
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5, // 80-bit float
    vaString = 6,   // length byte, bytes
    vaIdent = 7,    // length byte, identifier
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,  // 32-bit length, bytes
    vaSet = 11,     // identifiers (length byte each) ended by an empty one
    vaLString = 12, // 32-bit length, bytes
    vaNil = 13,
    vaCollection = 14, // items up to vaNull: [order integer] vaList properties vaNull
    vaSingle = 15,     // 32-bit float
    vaCurrency = 16,   // 64-bit integer in units of 1/10000
    vaDate = 17,       // 64-bit float
    vaWString = 18,    // 32-bit count, UTF-16 code units
    vaInt64 = 19,
    vaUTF8String = 20, // 32-bit length, UTF-8 bytes
    vaUString = 21,    // 32-bit count, UTF-16 code units
    vaQWord = 22,      // unsigned 64-bit integer
};

// The prefix byte 0xF0 | flags of a component record, followed by the child
// position (an integer) when ffChildPos is set.
enum TFilerFlag : unsigned { ffInherited = 1, ffChildPos = 2, ffInline = 4 };
using TFilerFlags = unsigned;

namespace FilerConst {
inline constexpr char Signature[4] = {'T', 'P', 'F', '0'};
// Lists, collections, sub-objects and child components nest at most this deep.
inline constexpr int MaxNesting = 64;
inline constexpr const char* SInvalidImage = "Invalid stream format";
inline constexpr const char* SInvalidPropertyValue = "Invalid property value";
} // namespace FilerConst

using TReaderProc = std::function<void(TReader* reader)>;
using TWriterProc = std::function<void(TWriter* writer)>;
using TStreamProc = std::function<void(TStream& stream)>;

// The common base of the writer and the reader. A class streams extra properties
// of its own by declaring them from DefineProperties: the writer calls WriteData
// when HasData is true, the reader calls ReadData when it meets the name.
// Neither owns the stream; both read and write it directly, so its position is
// always just after the last byte handled. BufSize is the class library's
// argument and is not needed here.
class TFiler : public TObject {
public:
    TFiler(TStream& stream, int bufSize);
    const char* ClassName() const override { return "TFiler"; }

    TStream& Stream() const { return FStream; }
    // The component whose stream this is: the owner of child components read.
    TComponent* Root() const { return FRoot; }
    void SetRoot(TComponent* value) { FRoot = value; }

    virtual void DefineProperty(const AnsiString& name, const TReaderProc& readData,
                                const TWriterProc& writeData, bool hasData) = 0;
    // The value is a vaBinary block; ReadData gets it as a stream positioned at
    // its start, WriteData fills an empty stream.
    virtual void DefineBinaryProperty(const AnsiString& name, const TStreamProc& readData,
                                      const TStreamProc& writeData, bool hasData) = 0;

protected:
    TStream& FStream;
    TComponent* FRoot = nullptr;
};

// Writes values, property lists, collections and components. A property is
// written only when it is stored and differs from its default; the properties
// of a sub-object are written with its name in front ("Font.Height"); a
// reference to another component is written as its name (see
// ComponentReference). A failed write raises EWriteError.
class TWriter : public TFiler {
public:
    explicit TWriter(TStream& stream, int bufSize = 4096);
    const char* ClassName() const override { return "TWriter"; }

    void DefineProperty(const AnsiString& name, const TReaderProc& readData, const TWriterProc& writeData,
                        bool hasData) override;
    void DefineBinaryProperty(const AnsiString& name, const TStreamProc& readData,
                              const TStreamProc& writeData, bool hasData) override;

    void WriteValue(TValueType value);
    void WriteListBegin() { WriteValue(vaList); }
    void WriteListEnd() { WriteValue(vaNull); }
    // The smallest form that holds the value: vaInt8, vaInt16, vaInt32, else vaInt64.
    void WriteInteger(int64_t value);
    void WriteBoolean(bool value);
    void WriteFloat(double value); // vaExtended
    // vaString up to 255 bytes, vaLString beyond.
    void WriteString(const AnsiString& value);
    void WriteWideString(const WideString& value); // vaWString
    void WriteUTF8String(const AnsiString& value); // vaUTF8String
    // "False", "True", "nil" and "Null" (any case) become their own tags.
    void WriteIdent(const AnsiString& ident);
    // The members of bit mask Value by their names in Names.
    void WriteSet(uint32_t value, const std::vector<AnsiString>& names);
    void WriteBinary(const void* data, int64_t count);
    // vaCollection, then each item's properties between vaList and vaNull, then vaNull.
    void WriteCollection(TCollection* value);
    // The published properties (through the object's table), then the defined ones.
    void WriteProperties(TPersistent* instance);
    // A component record: class name, name, properties, vaNull, children, vaNull.
    void WriteComponent(TComponent* component);
    // The signature, then Root's record; Root becomes the filer's root.
    void WriteRootComponent(TComponent* root);

    void WriteSignature();
    // A short string: a length byte and at most 255 bytes (EWriteError beyond).
    void WriteStr(const AnsiString& value);
    void WritePrefix(TFilerFlags flags, int childPos);
    int64_t Position() const;

private:
    void Write(const void* buffer, int64_t count);
    void WriteUInt32(uint32_t value);
    void WritePropName(const AnsiString& name);
    void WriteProperty(TPersistent* instance, const TPropInfo& prop);
    // The name a component reference is written by; empty when it has none.
    AnsiString ComponentReference(const TComponent* component) const;

    AnsiString FPropPath; // "Font." while a sub-object's properties are written
    int FNesting = 0;
};

// Reads what TWriter writes, from an untrusted stream: every length is checked
// against the bytes left before anything is allocated, nesting is limited to
// FilerConst::MaxNesting, and a stream that ends early or does not follow the
// format raises EReadError ("Stream read error", "Invalid stream format",
// "Invalid property value") without reading out of bounds. Properties that the
// object does not publish or define are skipped. Values are converted where the
// class library converts them (any integer form, any string form).
class TReader : public TFiler {
public:
    explicit TReader(TStream& stream, int bufSize = 4096);
    const char* ClassName() const override { return "TReader"; }

    void DefineProperty(const AnsiString& name, const TReaderProc& readData, const TWriterProc& writeData,
                        bool hasData) override;
    void DefineBinaryProperty(const AnsiString& name, const TStreamProc& readData,
                              const TStreamProc& writeData, bool hasData) override;

    // The tag of the next value without taking it.
    TValueType NextValue();
    TValueType ReadValue();
    // Takes the next tag; EReadError "Invalid property value" when it is not Value.
    void CheckValue(TValueType value);
    bool EndOfList() { return NextValue() == vaNull; }
    void ReadListBegin() { CheckValue(vaList); }
    void ReadListEnd() { CheckValue(vaNull); }

    int ReadInteger();       // vaInt8/16/32 (and vaInt64 within 32 bits)
    int64_t ReadInt64();     // any integer form
    bool ReadBoolean();      // vaFalse/vaTrue
    double ReadFloat();      // vaExtended, vaSingle, vaDate, vaCurrency or an integer
    AnsiString ReadString(); // any string form; wide forms in the ANSI code page
    WideString ReadWideString();
    AnsiString ReadIdent(); // vaIdent, or "False", "True", "nil", "Null" for their tags
    uint32_t ReadSet(const std::vector<AnsiString>& names); // unknown names are errors
    AnsiString ReadBinary();                                // vaBinary

    // The items of a collection, after its vaCollection tag (taken here when it
    // has not been taken already). Items that follow replace the collection's
    // items; an empty list leaves them as they are.
    void ReadCollection(TCollection* collection);
    // Properties of Instance up to the end of the list (the vaNull is taken).
    void ReadProperties(TPersistent* instance);
    // One property: its name, then its value into Instance (or skipped).
    void ReadProperty(TPersistent* instance);
    // A component record into Component, or, when it is null, into a new
    // component of the class the record names (owned by Root). Children are read
    // as components owned by Root. The component is marked csLoading | csReading
    // and hears Loaded once the root's reading is complete.
    TComponent* ReadComponent(TComponent* component);
    // The signature and the root record, into Root or a new component of the
    // registered class the stream names (the caller owns it).
    TComponent* ReadRootComponent(TComponent* root);
    // Sets the component references read so far. ReadComponent and
    // ReadRootComponent do it once the whole record has been read (before any
    // Loaded), so that a reference may name a component read after it; a
    // caller that reads properties on its own calls it when done.
    void FixupReferences();
    // The component a reference names, seen from Root: "Name" is a component
    // Root owns, or Root itself; "Owner.Name" a component of the owner named,
    // which is Root, one of Root's components, Root's owner or one of its
    // components. Null when there is none.
    static TComponent* FindComponentReference(TComponent* root, const AnsiString& reference);

    void ReadSignature();
    AnsiString ReadStr();
    void ReadPrefix(TFilerFlags& flags, int& childPos);
    // Steps over one value of any kind.
    void SkipValue();
    int64_t Position() const { return FPosition; }
    // Bytes left in the stream.
    int64_t Remaining() const { return FEnd - FPosition; }

private:
    void Read(void* buffer, int64_t count);
    uint8_t ReadByte();
    uint32_t ReadUInt32();
    // A 32-bit byte count checked against the bytes left.
    int64_t ReadLength(int64_t unitSize);
    void ReadPropValue(TPersistent* instance, const TPropInfo& prop);
    TComponent* ReadComponentRecord(TComponent* component, TComponent* parent, bool isRoot);
    void EndLoading(bool succeeded);

    int64_t FPosition = 0;
    int64_t FEnd = 0;
    int FNesting = 0;
    int FComponentDepth = 0;
    AnsiString FPropName;             // the defined property looked for
    bool FPropFound = false;          // ... and whether a DefineProperty call took it
    std::vector<TComponent*> FLoaded; // components read, to hear Loaded at the end
    // A component reference read, to be set at the end: the object and its
    // property, the name read, and the root it was read under.
    struct TFixup {
        TPersistent* Instance;
        const TPropInfo* Prop;
        AnsiString Reference;
        TComponent* Root;
    };
    std::vector<TFixup> FFixups;
};

// The 80-bit extended form of the format (little-endian: 64-bit mantissa with
// its integer bit, then sign and 15-bit exponent), to and from double.
void DoubleToExtended(double value, uint8_t bytes[10]);
double ExtendedToDouble(const uint8_t bytes[10]);

// Converts a component stream to the class library's text form ("object Name:
// TClass", "Prop = value", "end"). Raises EReadError for a stream that is not valid.
void ObjectBinaryToText(TStream& input, TStream& output);
