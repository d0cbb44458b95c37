// The component-stream writer: values in their tagged form, property lists from
// the property tables, collections and component records; and the 80-bit float
// conversion both directions use.
#include "platform/core/compstream.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "platform/core/collection.h"
#include "platform/core/component.h"
#include "platform/core/streams.h"

TFiler::TFiler(TStream& Stream, int BufSize) : FStream(Stream)
{
    (void)BufSize;
}

// ---------------------------------------------------------------------------
// 80-bit extended floats.

void DoubleToExtended(double Value, uint8_t Bytes[10])
{
    uint64_t bits = 0;
    std::memcpy(&bits, &Value, sizeof bits);
    const unsigned sign = static_cast<unsigned>(bits >> 63);
    const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
    uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);

    uint64_t mantissa = 0;
    unsigned biased = 0;
    if (exponent == 0x7FF) {
        // Infinity keeps a zero fraction; a NaN keeps its payload (and stays a NaN).
        biased = 0x7FFF;
        mantissa = (uint64_t{1} << 63) | (fraction << 11);
    } else if (exponent == 0) {
        if (fraction != 0) {
            // A subnormal double is a normal extended: shift its leading 1 up to the integer bit.
            int shift = 0;
            while (!(fraction & (uint64_t{1} << 52))) {
                fraction <<= 1;
                ++shift;
            }
            biased = static_cast<unsigned>(16383 - 1022 - shift);
            mantissa = fraction << 11;
        }
    } else {
        biased = static_cast<unsigned>(exponent - 1023 + 16383);
        mantissa = (uint64_t{1} << 63) | (fraction << 11);
    }
    for (int i = 0; i < 8; ++i)
        Bytes[i] = static_cast<uint8_t>(mantissa >> (8 * i));
    const unsigned top = (sign << 15) | biased;
    Bytes[8] = static_cast<uint8_t>(top);
    Bytes[9] = static_cast<uint8_t>(top >> 8);
}

double ExtendedToDouble(const uint8_t Bytes[10])
{
    uint64_t mantissa = 0;
    for (int i = 0; i < 8; ++i)
        mantissa |= static_cast<uint64_t>(Bytes[i]) << (8 * i);
    const unsigned top = static_cast<unsigned>(Bytes[8]) | (static_cast<unsigned>(Bytes[9]) << 8);
    const bool negative = (top & 0x8000) != 0;
    const int exponent = static_cast<int>(top & 0x7FFF);

    double result;
    if (exponent == 0x7FFF) {
        // Infinity when the fraction below the integer bit is zero, else a NaN.
        result = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity()
                                      : std::numeric_limits<double>::quiet_NaN();
    } else if (mantissa == 0) {
        result = 0.0;
    } else {
        // ldexp rounds to the nearest double and gives 0 or infinity out of range.
        result = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
    }
    return negative ? -result : result;
}

// ---------------------------------------------------------------------------
// TWriter

TWriter::TWriter(TStream& Stream, int BufSize) : TFiler(Stream, BufSize) {}

int64_t TWriter::Position() const
{
    return FStream.Position();
}

void TWriter::Write(const void* Buffer, int64_t Count)
{
    FStream.WriteBuffer(Buffer, Count);
}

void TWriter::WriteUInt32(uint32_t Value)
{
    const uint8_t bytes[4] = {static_cast<uint8_t>(Value), static_cast<uint8_t>(Value >> 8),
                              static_cast<uint8_t>(Value >> 16), static_cast<uint8_t>(Value >> 24)};
    Write(bytes, 4);
}

void TWriter::WriteValue(TValueType Value)
{
    const uint8_t tag = Value;
    Write(&tag, 1);
}

void TWriter::WriteInteger(int64_t Value)
{
    if (Value >= -128 && Value <= 127) {
        WriteValue(vaInt8);
        const uint8_t b = static_cast<uint8_t>(Value);
        Write(&b, 1);
    } else if (Value >= -32768 && Value <= 32767) {
        WriteValue(vaInt16);
        const uint8_t b[2] = {static_cast<uint8_t>(Value), static_cast<uint8_t>(Value >> 8)};
        Write(b, 2);
    } else if (Value >= std::numeric_limits<int32_t>::min() && Value <= std::numeric_limits<int32_t>::max()) {
        WriteValue(vaInt32);
        WriteUInt32(static_cast<uint32_t>(Value));
    } else {
        WriteValue(vaInt64);
        const uint64_t v = static_cast<uint64_t>(Value);
        WriteUInt32(static_cast<uint32_t>(v));
        WriteUInt32(static_cast<uint32_t>(v >> 32));
    }
}

void TWriter::WriteBoolean(bool Value)
{
    WriteValue(Value ? vaTrue : vaFalse);
}

void TWriter::WriteFloat(double Value)
{
    uint8_t bytes[10];
    DoubleToExtended(Value, bytes);
    WriteValue(vaExtended);
    Write(bytes, 10);
}

void TWriter::WriteString(const AnsiString& Value)
{
    if (Value.size() <= 255) {
        WriteValue(vaString);
        const uint8_t length = static_cast<uint8_t>(Value.size());
        Write(&length, 1);
    } else {
        if (Value.size() > std::numeric_limits<uint32_t>::max())
            throw EWriteError(SysConst::SWriteError);
        WriteValue(vaLString);
        WriteUInt32(static_cast<uint32_t>(Value.size()));
    }
    Write(Value.data(), static_cast<int64_t>(Value.size()));
}

void TWriter::WriteWideString(const WideString& Value)
{
    if (Value.size() > std::numeric_limits<uint32_t>::max() / 2)
        throw EWriteError(SysConst::SWriteError);
    WriteValue(vaWString);
    WriteUInt32(static_cast<uint32_t>(Value.size()));
    // UTF-16 code units, low byte first, whatever the machine's order.
    AnsiString bytes;
    bytes.reserve(Value.size() * 2);
    for (WideChar c : Value) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    Write(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TWriter::WriteUTF8String(const AnsiString& Value)
{
    if (Value.size() > std::numeric_limits<uint32_t>::max())
        throw EWriteError(SysConst::SWriteError);
    WriteValue(vaUTF8String);
    WriteUInt32(static_cast<uint32_t>(Value.size()));
    Write(Value.data(), static_cast<int64_t>(Value.size()));
}

void TWriter::WriteStr(const AnsiString& Value)
{
    // Truncating a name would make a stream that reads back as something else.
    if (Value.size() > 255)
        throw EWriteError(SysConst::SWriteError);
    const uint8_t length = static_cast<uint8_t>(Value.size());
    Write(&length, 1);
    Write(Value.data(), static_cast<int64_t>(Value.size()));
}

void TWriter::WriteIdent(const AnsiString& Ident)
{
    if (SameText(Ident, "False"))
        WriteValue(vaFalse);
    else if (SameText(Ident, "True"))
        WriteValue(vaTrue);
    else if (SameText(Ident, "Null"))
        WriteValue(vaNull);
    else if (SameText(Ident, "nil"))
        WriteValue(vaNil);
    else {
        WriteValue(vaIdent);
        WriteStr(Ident);
    }
}

void TWriter::WriteSet(uint32_t Value, const std::vector<AnsiString>& Names)
{
    WriteValue(vaSet);
    for (size_t i = 0; i < Names.size() && i < 32; ++i)
        if (Value & (uint32_t{1} << i))
            WriteStr(Names[i]);
    WriteStr(AnsiString());
}

void TWriter::WriteBinary(const void* Data, int64_t Count)
{
    if (Count < 0 || Count > std::numeric_limits<uint32_t>::max())
        throw EWriteError(SysConst::SWriteError);
    WriteValue(vaBinary);
    WriteUInt32(static_cast<uint32_t>(Count));
    Write(Data, Count);
}

void TWriter::WriteSignature()
{
    Write(FilerConst::Signature, 4);
}

void TWriter::WritePrefix(TFilerFlags Flags, int ChildPos)
{
    if (Flags == 0)
        return;
    const uint8_t prefix = static_cast<uint8_t>(0xF0 | (Flags & 0x0F));
    Write(&prefix, 1);
    if (Flags & ffChildPos)
        WriteInteger(ChildPos);
}

namespace {

// One level of nesting, with the property path restored when it ends. A
// sub-object that leads back to its owner would otherwise recurse forever.
class TWriterNesting {
public:
    TWriterNesting(int& depth, AnsiString& path) : FDepth(depth), FPath(path), FSavedPath(path)
    {
        if (FDepth >= FilerConst::MaxNesting)
            throw EWriteError(SysConst::SWriteError);
        ++FDepth;
    }
    ~TWriterNesting()
    {
        --FDepth;
        FPath = FSavedPath;
    }
    TWriterNesting(const TWriterNesting&) = delete;
    TWriterNesting& operator=(const TWriterNesting&) = delete;

private:
    int& FDepth;
    AnsiString& FPath;
    AnsiString FSavedPath;
};

} // namespace

void TWriter::WritePropName(const AnsiString& Name)
{
    WriteStr(FPropPath + Name);
}

void TWriter::DefineProperty(const AnsiString& Name, const TReaderProc& ReadData,
                             const TWriterProc& WriteData, bool HasData)
{
    (void)ReadData;
    if (!HasData || !WriteData)
        return;
    WritePropName(Name);
    WriteData(this);
}

void TWriter::DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData,
                                   const TStreamProc& WriteData, bool HasData)
{
    (void)ReadData;
    if (!HasData || !WriteData)
        return;
    // The length comes first, so the data is gathered before anything is written.
    TMemoryStream data;
    WriteData(data);
    WritePropName(Name);
    WriteBinary(data.Memory(), data.Size());
}

void TWriter::WriteProperty(TPersistent* Instance, const TPropInfo& Prop)
{
    switch (Prop.Kind) {
    case pkObject: {
        TPersistent* sub = Prop.GetObject(Instance);
        if (!sub)
            return;
        TWriterNesting nesting(FNesting, FPropPath);
        FPropPath += Prop.Name + ".";
        WriteProperties(sub);
        return;
    }
    case pkCollection: {
        auto* collection = dynamic_cast<TCollection*>(Prop.GetObject(Instance));
        if (!collection)
            return;
        WritePropName(Prop.Name);
        WriteCollection(collection);
        return;
    }
    default:
        break;
    }

    WritePropName(Prop.Name);
    switch (Prop.Kind) {
    case pkInteger:
    case pkColor: {
        const int64_t value = Prop.GetOrd(Instance);
        AnsiString ident;
        if (Prop.IntToIdent && value >= std::numeric_limits<int32_t>::min() &&
            value <= std::numeric_limits<int32_t>::max() && Prop.IntToIdent(static_cast<int>(value), ident))
            WriteIdent(ident);
        else
            WriteInteger(value);
        break;
    }
    case pkInt64:
        WriteInteger(Prop.GetOrd(Instance));
        break;
    case pkBoolean:
        WriteBoolean(Prop.GetOrd(Instance) != 0);
        break;
    case pkEnumeration: {
        const AnsiString name = GetEnumName(Prop, Prop.GetOrd(Instance));
        if (name.empty()) // an ordinal outside the enumeration has no name to be written by
            throw EWriteError(FilerConst::SInvalidPropertyValue);
        WriteIdent(name);
        break;
    }
    case pkSet:
        WriteSet(static_cast<uint32_t>(Prop.GetOrd(Instance)), Prop.EnumNames);
        break;
    case pkString:
        WriteString(Prop.GetStr(Instance));
        break;
    case pkWideString:
        WriteWideString(Prop.GetWide(Instance));
        break;
    case pkFloat:
        WriteFloat(Prop.GetFloat(Instance));
        break;
    case pkBinary: {
        const AnsiString bytes = Prop.GetStr(Instance);
        WriteBinary(bytes.data(), static_cast<int64_t>(bytes.size()));
        break;
    }
    default:
        break;
    }
}

void TWriter::WriteProperties(TPersistent* Instance)
{
    if (const TPropertyTable* table = GetPropertyTable(Instance))
        for (const TPropInfo* prop : table->AllProps())
            if (IsStoredProp(Instance, *prop) && !IsDefaultPropValue(Instance, *prop))
                WriteProperty(Instance, *prop);
    if (Instance)
        Instance->DefineProperties(this);
}

void TWriter::WriteCollection(TCollection* Value)
{
    TWriterNesting nesting(FNesting, FPropPath);
    // Item properties are not prefixed with the path of the collection's owner.
    FPropPath.clear();
    WriteValue(vaCollection);
    if (Value)
        for (int i = 0; i < Value->Count(); ++i) {
            WriteListBegin();
            WriteProperties(Value->GetItem(i));
            WriteListEnd();
        }
    WriteListEnd();
}

void TWriter::WriteComponent(TComponent* Component)
{
    if (!Component)
        throw EWriteError(SysConst::SWriteError);
    TWriterNesting nesting(FNesting, FPropPath);
    FPropPath.clear();
    const bool wasWriting = (Component->ComponentState() & csWriting) != 0;
    Component->Include(csWriting);
    try {
        WriteStr(Component->ClassName());
        WriteStr(Component->Name());
        WriteProperties(Component);
        WriteListEnd();
        Component->GetChildren([this](TComponent* child) { WriteComponent(child); }, FRoot);
        WriteListEnd();
    } catch (...) {
        if (!wasWriting)
            Component->Exclude(csWriting);
        throw;
    }
    if (!wasWriting)
        Component->Exclude(csWriting);
}

void TWriter::WriteRootComponent(TComponent* Root)
{
    FRoot = Root;
    WriteSignature();
    WriteComponent(Root);
}

void TStream::WriteComponent(TComponent* Instance)
{
    TWriter writer(*this, 4096);
    writer.WriteRootComponent(Instance);
}
