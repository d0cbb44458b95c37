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

TFiler::TFiler(TStream& stream, int bufSize) : FStream(stream)
{
    (void)bufSize;
}

// ---------------------------------------------------------------------------
// 80-bit extended floats.

void DoubleToExtended(double value, uint8_t bytes[10])
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
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
        bytes[i] = static_cast<uint8_t>(mantissa >> (8 * i));
    const unsigned top = (sign << 15) | biased;
    bytes[8] = static_cast<uint8_t>(top);
    bytes[9] = static_cast<uint8_t>(top >> 8);
}

double ExtendedToDouble(const uint8_t bytes[10])
{
    uint64_t mantissa = 0;
    for (int i = 0; i < 8; ++i)
        mantissa |= static_cast<uint64_t>(bytes[i]) << (8 * i);
    const unsigned top = static_cast<unsigned>(bytes[8]) | (static_cast<unsigned>(bytes[9]) << 8);
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

TWriter::TWriter(TStream& stream, int bufSize) : TFiler(stream, bufSize) {}

int64_t TWriter::Position() const
{
    return FStream.Position();
}

void TWriter::Write(const void* buffer, int64_t count)
{
    FStream.WriteBuffer(buffer, count);
}

void TWriter::WriteUInt32(uint32_t value)
{
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    Write(bytes, 4);
}

void TWriter::WriteValue(TValueType value)
{
    const uint8_t tag = value;
    Write(&tag, 1);
}

void TWriter::WriteInteger(int64_t value)
{
    if (value >= -128 && value <= 127) {
        WriteValue(vaInt8);
        const uint8_t b = static_cast<uint8_t>(value);
        Write(&b, 1);
    } else if (value >= -32768 && value <= 32767) {
        WriteValue(vaInt16);
        const uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
        Write(b, 2);
    } else if (value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max()) {
        WriteValue(vaInt32);
        WriteUInt32(static_cast<uint32_t>(value));
    } else {
        WriteValue(vaInt64);
        const uint64_t v = static_cast<uint64_t>(value);
        WriteUInt32(static_cast<uint32_t>(v));
        WriteUInt32(static_cast<uint32_t>(v >> 32));
    }
}

void TWriter::WriteBoolean(bool value)
{
    WriteValue(value ? vaTrue : vaFalse);
}

void TWriter::WriteFloat(double value)
{
    uint8_t bytes[10];
    DoubleToExtended(value, bytes);
    WriteValue(vaExtended);
    Write(bytes, 10);
}

void TWriter::WriteString(const AnsiString& value)
{
    if (value.size() <= 255) {
        WriteValue(vaString);
        const uint8_t length = static_cast<uint8_t>(value.size());
        Write(&length, 1);
    } else {
        if (value.size() > std::numeric_limits<uint32_t>::max())
            throw EWriteError(SysConst::SWriteError);
        WriteValue(vaLString);
        WriteUInt32(static_cast<uint32_t>(value.size()));
    }
    Write(value.data(), static_cast<int64_t>(value.size()));
}

void TWriter::WriteWideString(const WideString& value)
{
    if (value.size() > std::numeric_limits<uint32_t>::max() / 2)
        throw EWriteError(SysConst::SWriteError);
    WriteValue(vaWString);
    WriteUInt32(static_cast<uint32_t>(value.size()));
    // UTF-16 code units, low byte first, whatever the machine's order.
    AnsiString bytes;
    bytes.reserve(value.size() * 2);
    for (WideChar c : value) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    Write(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TWriter::WriteUTF8String(const AnsiString& value)
{
    if (value.size() > std::numeric_limits<uint32_t>::max())
        throw EWriteError(SysConst::SWriteError);
    WriteValue(vaUTF8String);
    WriteUInt32(static_cast<uint32_t>(value.size()));
    Write(value.data(), static_cast<int64_t>(value.size()));
}

void TWriter::WriteStr(const AnsiString& value)
{
    // Truncating a name would make a stream that reads back as something else.
    if (value.size() > 255)
        throw EWriteError(SysConst::SWriteError);
    const uint8_t length = static_cast<uint8_t>(value.size());
    Write(&length, 1);
    Write(value.data(), static_cast<int64_t>(value.size()));
}

void TWriter::WriteIdent(const AnsiString& ident)
{
    if (SameText(ident, "False"))
        WriteValue(vaFalse);
    else if (SameText(ident, "True"))
        WriteValue(vaTrue);
    else if (SameText(ident, "Null"))
        WriteValue(vaNull);
    else if (SameText(ident, "nil"))
        WriteValue(vaNil);
    else {
        WriteValue(vaIdent);
        WriteStr(ident);
    }
}

void TWriter::WriteSet(uint32_t value, const std::vector<AnsiString>& names)
{
    WriteValue(vaSet);
    for (size_t i = 0; i < names.size() && i < 32; ++i)
        if (value & (uint32_t{1} << i))
            WriteStr(names[i]);
    WriteStr(AnsiString());
}

void TWriter::WriteBinary(const void* data, int64_t count)
{
    if (count < 0 || count > std::numeric_limits<uint32_t>::max())
        throw EWriteError(SysConst::SWriteError);
    WriteValue(vaBinary);
    WriteUInt32(static_cast<uint32_t>(count));
    Write(data, count);
}

void TWriter::WriteSignature()
{
    Write(FilerConst::Signature, 4);
}

void TWriter::WritePrefix(TFilerFlags flags, int childPos)
{
    if (flags == 0)
        return;
    const uint8_t prefix = static_cast<uint8_t>(0xF0 | (flags & 0x0F));
    Write(&prefix, 1);
    if (flags & ffChildPos)
        WriteInteger(childPos);
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

void TWriter::WritePropName(const AnsiString& name)
{
    WriteStr(FPropPath + name);
}

void TWriter::DefineProperty(const AnsiString& name, const TReaderProc& readData,
                             const TWriterProc& writeData, bool hasData)
{
    (void)readData;
    if (!hasData || !writeData)
        return;
    WritePropName(name);
    writeData(this);
}

void TWriter::DefineBinaryProperty(const AnsiString& name, const TStreamProc& readData,
                                   const TStreamProc& writeData, bool hasData)
{
    (void)readData;
    if (!hasData || !writeData)
        return;
    WritePropName(name);
    const int64_t countPos = Position();
    if (countPos < 0) {
        // A stream that cannot tell its position cannot be patched: the data is
        // gathered first, as its length comes before it.
        TMemoryStream data;
        writeData(data);
        WriteBinary(data.Memory(), data.Size());
        return;
    }
    // The data is written in place after a placeholder length, which is patched
    // once the data's size is known: a block nested in a block nested in a
    // block is written once, not copied again at every level.
    WriteValue(vaBinary);
    WriteUInt32(0);
    const int64_t start = countPos + 5;
    TStreamWindow data(FStream, start, 0, true);
    writeData(data);
    const int64_t count = data.Size();
    if (count > std::numeric_limits<uint32_t>::max() ||
        FStream.Seek(countPos + 1, soBeginning) != countPos + 1)
        throw EWriteError(SysConst::SWriteError);
    WriteUInt32(static_cast<uint32_t>(count));
    if (FStream.Seek(start + count, soBeginning) != start + count)
        throw EWriteError(SysConst::SWriteError);
}

AnsiString TWriter::ComponentReference(const TComponent* component) const
{
    if (!component || component->Name().empty())
        return AnsiString();
    // The root and the components it owns are named alone; a component of
    // another owner is named through that owner ("Form1.Style1").
    if (FRoot && (component == FRoot || component->Owner() == FRoot))
        return component->Name();
    const TComponent* owner = component->Owner();
    if (owner && !owner->Name().empty())
        return owner->Name() + "." + component->Name();
    return AnsiString();
}

void TWriter::WriteProperty(TPersistent* instance, const TPropInfo& prop)
{
    switch (prop.Kind) {
    case pkObject: {
        TPersistent* sub = prop.GetObject(instance);
        if (!sub)
            return;
        TWriterNesting nesting(FNesting, FPropPath);
        FPropPath += prop.Name + ".";
        WriteProperties(sub);
        return;
    }
    case pkCollection: {
        auto* collection = dynamic_cast<TCollection*>(prop.GetObject(instance));
        if (!collection)
            return;
        WritePropName(prop.Name);
        WriteCollection(collection);
        return;
    }
    case pkComponent: {
        // A component that cannot be named is not written: reading leaves the reference null.
        const AnsiString reference = ComponentReference(prop.GetComponent(instance));
        if (reference.empty())
            return;
        WritePropName(prop.Name);
        WriteIdent(reference);
        return;
    }
    default:
        break;
    }

    WritePropName(prop.Name);
    switch (prop.Kind) {
    case pkInteger:
    case pkColor: {
        const int64_t value = prop.GetOrd(instance);
        AnsiString ident;
        if (prop.IntToIdent && value >= std::numeric_limits<int32_t>::min() &&
            value <= std::numeric_limits<int32_t>::max() && prop.IntToIdent(static_cast<int>(value), ident))
            WriteIdent(ident);
        else
            WriteInteger(value);
        break;
    }
    case pkInt64:
        WriteInteger(prop.GetOrd(instance));
        break;
    case pkBoolean:
        WriteBoolean(prop.GetOrd(instance) != 0);
        break;
    case pkEnumeration: {
        const AnsiString name = GetEnumName(prop, prop.GetOrd(instance));
        if (name.empty()) // an ordinal outside the enumeration has no name to be written by
            throw EWriteError(FilerConst::SInvalidPropertyValue);
        WriteIdent(name);
        break;
    }
    case pkSet:
        WriteSet(static_cast<uint32_t>(prop.GetOrd(instance)), prop.EnumNames);
        break;
    case pkString:
        WriteString(prop.GetStr(instance));
        break;
    case pkWideString:
        WriteWideString(prop.GetWide(instance));
        break;
    case pkFloat:
        WriteFloat(prop.GetFloat(instance));
        break;
    case pkBinary: {
        const AnsiString bytes = prop.GetStr(instance);
        WriteBinary(bytes.data(), static_cast<int64_t>(bytes.size()));
        break;
    }
    default:
        break;
    }
}

void TWriter::WriteProperties(TPersistent* instance)
{
    if (const TPropertyTable* table = GetPropertyTable(instance))
        for (const TPropInfo* prop : table->AllProps())
            if (IsStoredProp(instance, *prop) && !IsDefaultPropValue(instance, *prop))
                WriteProperty(instance, *prop);
    if (instance)
        instance->DefineProperties(this);
}

void TWriter::WriteCollection(TCollection* value)
{
    TWriterNesting nesting(FNesting, FPropPath);
    // Item properties are not prefixed with the path of the collection's owner.
    FPropPath.clear();
    WriteValue(vaCollection);
    if (value)
        for (int i = 0; i < value->Count(); ++i) {
            WriteListBegin();
            WriteProperties(value->GetItem(i));
            WriteListEnd();
        }
    WriteListEnd();
}

void TWriter::WriteComponent(TComponent* component)
{
    if (!component)
        throw EWriteError(SysConst::SWriteError);
    TWriterNesting nesting(FNesting, FPropPath);
    FPropPath.clear();
    const bool wasWriting = (component->ComponentState() & csWriting) != 0;
    component->Include(csWriting);
    try {
        WriteStr(component->ClassName());
        WriteStr(component->Name());
        WriteProperties(component);
        WriteListEnd();
        component->GetChildren([this](TComponent* child) { WriteComponent(child); }, FRoot);
        WriteListEnd();
    } catch (...) {
        if (!wasWriting)
            component->Exclude(csWriting);
        throw;
    }
    if (!wasWriting)
        component->Exclude(csWriting);
}

void TWriter::WriteRootComponent(TComponent* root)
{
    FRoot = root;
    WriteSignature();
    WriteComponent(root);
}

void TStream::WriteComponent(TComponent* instance)
{
    TWriter writer(*this, 4096);
    writer.WriteRootComponent(instance);
}
