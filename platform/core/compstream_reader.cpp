// The component-stream reader. The input is untrusted: every length is checked
// against the bytes left before anything is allocated or read, nesting is
// bounded, and anything that does not follow the format raises EReadError.
#include "platform/core/compstream.h"

#include <cstring>
#include <limits>
#include <memory>

#include "platform/core/classreg.h"
#include "platform/core/codepages.h"
#include "platform/core/collection.h"
#include "platform/core/component.h"
#include "platform/core/streams.h"

namespace {

[[noreturn]] void InvalidImage()
{
    throw EReadError(FilerConst::SInvalidImage);
}
[[noreturn]] void InvalidValue()
{
    throw EReadError(FilerConst::SInvalidPropertyValue);
}

// Counts one level of nesting for as long as it lives.
class TNesting {
public:
    explicit TNesting(int& depth) : FDepth(depth)
    {
        if (FDepth >= FilerConst::MaxNesting)
            InvalidImage();
        ++FDepth;
    }
    ~TNesting() { --FDepth; }
    TNesting(const TNesting&) = delete;
    TNesting& operator=(const TNesting&) = delete;

private:
    int& FDepth;
};

// An identifier, or two joined by a dot ("Owner.Name").
bool IsComponentReference(const AnsiString& reference)
{
    const size_t dot = reference.find('.');
    if (dot == AnsiString::npos)
        return IsValidIdent(reference);
    return IsValidIdent(reference.substr(0, dot)) && IsValidIdent(reference.substr(dot + 1));
}

WideString UnitsFromBytes(const AnsiString& bytes)
{
    WideString result(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = static_cast<WideChar>(static_cast<uint8_t>(bytes[2 * i]) |
                                          (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
    return result;
}

} // namespace

TReader::TReader(TStream& stream, int bufSize) : TFiler(stream, bufSize)
{
    FPosition = stream.Position();
    FEnd = stream.Size();
    if (FEnd < FPosition)
        FEnd = FPosition;
}

// ---------------------------------------------------------------------------
// Bytes

void TReader::Read(void* buffer, int64_t count)
{
    if (count < 0 || count > Remaining())
        throw EReadError(SysConst::SReadError);
    if (count == 0)
        return;
    FStream.ReadBuffer(buffer, count);
    FPosition += count;
}

uint8_t TReader::ReadByte()
{
    uint8_t b = 0;
    Read(&b, 1);
    return b;
}

uint32_t TReader::ReadUInt32()
{
    uint8_t b[4];
    Read(b, 4);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

int64_t TReader::ReadLength(int64_t unitSize)
{
    const int64_t count = ReadUInt32();
    // A length beyond what is left is a corrupt (or hostile) stream: refuse it
    // before making room for it.
    if (count * unitSize > Remaining())
        throw EReadError(SysConst::SReadError);
    return count;
}

TValueType TReader::NextValue()
{
    const uint8_t tag = ReadByte();
    FStream.Seek(-1, soCurrent);
    --FPosition;
    return static_cast<TValueType>(tag);
}

TValueType TReader::ReadValue()
{
    return static_cast<TValueType>(ReadByte());
}

void TReader::CheckValue(TValueType value)
{
    if (ReadValue() != value)
        InvalidValue();
}

// ---------------------------------------------------------------------------
// Values

namespace {

int64_t SignExtend(uint64_t value, int bits)
{
    const uint64_t sign = uint64_t{1} << (bits - 1);
    return static_cast<int64_t>((value ^ sign) - sign);
}

} // namespace

int64_t TReader::ReadInt64()
{
    uint8_t b[8] = {};
    auto little = [&](int count) {
        Read(b, count);
        uint64_t v = 0;
        for (int i = 0; i < count; ++i)
            v |= static_cast<uint64_t>(b[i]) << (8 * i);
        return v;
    };
    switch (ReadValue()) {
    case vaInt8:
        return SignExtend(little(1), 8);
    case vaInt16:
        return SignExtend(little(2), 16);
    case vaInt32:
        return SignExtend(little(4), 32);
    case vaInt64:
        return static_cast<int64_t>(little(8));
    case vaQWord: {
        const uint64_t v = little(8);
        if (v > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
            InvalidValue();
        return static_cast<int64_t>(v);
    }
    default:
        InvalidValue();
    }
}

int TReader::ReadInteger()
{
    const TValueType tag = NextValue();
    if (tag != vaInt8 && tag != vaInt16 && tag != vaInt32 && tag != vaInt64)
        InvalidValue();
    const int64_t v = ReadInt64();
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
        InvalidValue();
    return static_cast<int>(v);
}

bool TReader::ReadBoolean()
{
    switch (ReadValue()) {
    case vaFalse:
        return false;
    case vaTrue:
        return true;
    default:
        InvalidValue();
    }
}

double TReader::ReadFloat()
{
    switch (NextValue()) {
    case vaExtended: {
        ReadValue();
        uint8_t b[10];
        Read(b, 10);
        return ExtendedToDouble(b);
    }
    case vaSingle: {
        ReadValue();
        const uint32_t bits = ReadUInt32();
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }
    case vaDate: {
        ReadValue();
        const uint64_t bits = ReadUInt32() | (static_cast<uint64_t>(ReadUInt32()) << 32);
        double d;
        std::memcpy(&d, &bits, 8);
        return d;
    }
    case vaCurrency: {
        ReadValue();
        const uint64_t bits = ReadUInt32() | (static_cast<uint64_t>(ReadUInt32()) << 32);
        return static_cast<double>(static_cast<int64_t>(bits)) / 10000.0;
    }
    default:
        return static_cast<double>(ReadInt64());
    }
}

AnsiString TReader::ReadStr()
{
    const uint8_t length = ReadByte();
    AnsiString s(length, '\0');
    Read(s.data(), length);
    return s;
}

AnsiString TReader::ReadString()
{
    const TValueType tag = ReadValue();
    AnsiString bytes;
    switch (tag) {
    case vaString:
        bytes.resize(ReadByte());
        break;
    case vaLString:
    case vaUTF8String:
        bytes.resize(static_cast<size_t>(ReadLength(1)));
        break;
    case vaWString:
    case vaUString:
        bytes.resize(static_cast<size_t>(ReadLength(2) * 2));
        break;
    default:
        InvalidValue();
    }
    Read(bytes.data(), static_cast<int64_t>(bytes.size()));
    if (tag == vaUTF8String)
        return WideToAnsi(UTF8Decode(bytes));
    if (tag == vaWString || tag == vaUString)
        return WideToAnsi(UnitsFromBytes(bytes));
    return bytes;
}

WideString TReader::ReadWideString()
{
    switch (NextValue()) {
    case vaWString:
    case vaUString: {
        ReadValue();
        AnsiString bytes(static_cast<size_t>(ReadLength(2) * 2), '\0');
        Read(bytes.data(), static_cast<int64_t>(bytes.size()));
        return UnitsFromBytes(bytes);
    }
    case vaUTF8String: {
        ReadValue();
        AnsiString bytes(static_cast<size_t>(ReadLength(1)), '\0');
        Read(bytes.data(), static_cast<int64_t>(bytes.size()));
        return UTF8Decode(bytes);
    }
    default:
        return AnsiToWide(ReadString());
    }
}

AnsiString TReader::ReadIdent()
{
    switch (ReadValue()) {
    case vaIdent:
        return ReadStr();
    case vaFalse:
        return "False";
    case vaTrue:
        return "True";
    case vaNil:
        return "nil";
    case vaNull:
        return "Null";
    default:
        InvalidValue();
    }
}

uint32_t TReader::ReadSet(const std::vector<AnsiString>& names)
{
    CheckValue(vaSet);
    uint32_t mask = 0;
    for (;;) {
        const AnsiString name = ReadStr();
        if (name.empty())
            return mask;
        int index = -1;
        for (size_t i = 0; i < names.size() && i < 32; ++i)
            if (SameText(names[i], name))
                index = static_cast<int>(i);
        if (index < 0)
            InvalidValue();
        mask |= uint32_t{1} << index;
    }
}

AnsiString TReader::ReadBinary()
{
    CheckValue(vaBinary);
    AnsiString bytes(static_cast<size_t>(ReadLength(1)), '\0');
    Read(bytes.data(), static_cast<int64_t>(bytes.size()));
    return bytes;
}

void TReader::SkipValue()
{
    auto skip = [this](int64_t count) {
        if (count > Remaining())
            throw EReadError(SysConst::SReadError);
        FStream.Seek(count, soCurrent);
        FPosition += count;
    };
    switch (ReadValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
        return;
    case vaList: {
        TNesting nesting(FNesting);
        while (!EndOfList())
            SkipValue();
        ReadListEnd();
        return;
    }
    case vaInt8:
        return skip(1);
    case vaInt16:
        return skip(2);
    case vaInt32:
    case vaSingle:
        return skip(4);
    case vaInt64:
    case vaQWord:
    case vaCurrency:
    case vaDate:
        return skip(8);
    case vaExtended:
        return skip(10);
    case vaString:
    case vaIdent:
        return skip(ReadByte());
    case vaBinary:
    case vaLString:
    case vaUTF8String:
        return skip(ReadLength(1));
    case vaWString:
    case vaUString:
        return skip(ReadLength(2) * 2);
    case vaSet:
        while (!ReadStr().empty()) {
        }
        return;
    case vaCollection:
        return ReadCollection(nullptr);
    default:
        InvalidImage();
    }
}

// ---------------------------------------------------------------------------
// Properties and collections

void TReader::DefineProperty(const AnsiString& name, const TReaderProc& readData,
                             const TWriterProc& writeData, bool hasData)
{
    (void)writeData;
    (void)hasData;
    if (FPropFound || !readData || !SameText(name, FPropName))
        return;
    FPropFound = true;
    readData(this);
    // ReadData may have read nested properties, which reuse these fields; the
    // property asked about is handled whatever they hold now.
    FPropName.clear();
    FPropFound = true;
}

void TReader::DefineBinaryProperty(const AnsiString& name, const TStreamProc& readData,
                                   const TStreamProc& writeData, bool hasData)
{
    (void)writeData;
    (void)hasData;
    if (FPropFound || !readData || !SameText(name, FPropName))
        return;
    FPropFound = true;
    CheckValue(vaBinary);
    const int64_t count = ReadLength(1);
    // The block is read in place, through a window of its bytes: nested blocks
    // are not copied again at every level. The reader goes on after it,
    // whatever ReadData took.
    const int64_t start = FPosition;
    {
        TStreamWindow data(FStream, start, count, false);
        readData(data);
    }
    if (FStream.Seek(start + count, soBeginning) != start + count)
        throw EReadError(SysConst::SReadError);
    FPosition = start + count;
    FPropName.clear();
    FPropFound = true;
}

void TReader::ReadPropValue(TPersistent* instance, const TPropInfo& prop)
{
    switch (prop.Kind) {
    case pkInteger:
    case pkColor:
        if (NextValue() == vaIdent) {
            int value = 0;
            if (!prop.IdentToInt || !prop.IdentToInt(ReadIdent(), value))
                InvalidValue();
            prop.SetOrd(instance, value);
        } else {
            prop.SetOrd(instance, ReadInteger());
        }
        return;
    case pkInt64:
        prop.SetOrd(instance, ReadInt64());
        return;
    case pkBoolean: {
        if (NextValue() == vaIdent) {
            // The class library reads booleans as identifiers, so "True" spelt out is a boolean too.
            const AnsiString ident = ReadIdent();
            if (!SameText(ident, "True") && !SameText(ident, "False"))
                InvalidValue();
            prop.SetOrd(instance, SameText(ident, "True") ? 1 : 0);
        } else {
            prop.SetOrd(instance, ReadBoolean() ? 1 : 0);
        }
        return;
    }
    case pkEnumeration: {
        const int value = GetEnumValue(prop, ReadIdent());
        if (value < 0)
            InvalidValue();
        prop.SetOrd(instance, value);
        return;
    }
    case pkSet:
        prop.SetOrd(instance, ReadSet(prop.EnumNames));
        return;
    case pkString:
        prop.SetStr(instance, ReadString());
        return;
    case pkWideString:
        prop.SetWide(instance, ReadWideString());
        return;
    case pkFloat:
        prop.SetFloat(instance, ReadFloat());
        return;
    case pkBinary:
        prop.SetStr(instance, ReadBinary());
        return;
    case pkComponent: {
        // The component may come later in the stream: the reference is set
        // once the whole stream has been read.
        const AnsiString reference = ReadIdent();
        if (SameText(reference, "nil")) {
            prop.SetComponent(instance, nullptr);
            return;
        }
        if (!IsComponentReference(reference))
            InvalidValue();
        FFixups.push_back(TFixup{instance, &prop, reference, FRoot});
        return;
    }
    case pkObject:
    case pkCollection: {
        // An owned object is read into, never replaced: nil leaves it as it is.
        const TValueType tag = NextValue();
        if (tag == vaNil) {
            ReadValue();
            return;
        }
        auto* collection = dynamic_cast<TCollection*>(prop.GetObject(instance));
        if (tag != vaCollection || (!collection && prop.Kind == pkObject))
            InvalidValue();
        ReadValue();
        ReadCollection(collection);
        return;
    }
    }
}

void TReader::ReadProperty(TPersistent* instance)
{
    const AnsiString path = ReadStr();
    // "Font.Height": every part before the last names a sub-object.
    TPersistent* target = instance;
    size_t start = 0;
    for (size_t dot = path.find('.'); dot != AnsiString::npos; dot = path.find('.', start)) {
        const TPropInfo* prop = GetPropInfo(target, path.substr(start, dot - start));
        target = prop && prop->Kind == pkObject ? prop->GetObject(target) : nullptr;
        if (!target)
            return SkipValue();
        start = dot + 1;
    }
    const AnsiString name = path.substr(start);
    if (const TPropInfo* prop = GetPropInfo(target, name))
        return ReadPropValue(target, *prop);

    if (!target)
        return SkipValue();
    // Not published: perhaps a property the object streams itself.
    FPropName = name;
    FPropFound = false;
    target->DefineProperties(this);
    const bool handled = FPropFound;
    FPropName.clear();
    FPropFound = false;
    // Every value is tagged, so one that nobody knows can be stepped over.
    if (!handled)
        SkipValue();
}

void TReader::ReadProperties(TPersistent* instance)
{
    while (!EndOfList())
        ReadProperty(instance);
    ReadListEnd();
}

void TReader::ReadCollection(TCollection* collection)
{
    if (NextValue() == vaCollection)
        ReadValue();
    TNesting nesting(FNesting);
    if (collection)
        collection->BeginUpdate();
    try {
        if (collection && !EndOfList())
            collection->Clear();
        while (!EndOfList()) {
            // An item may start with its order, which the class library ignores too.
            const TValueType tag = NextValue();
            if (tag == vaInt8 || tag == vaInt16 || tag == vaInt32)
                ReadInteger();
            ReadListBegin();
            if (collection) {
                ReadProperties(collection->Add());
            } else {
                while (!EndOfList()) {
                    ReadStr();
                    SkipValue();
                }
                ReadListEnd();
            }
        }
        ReadListEnd();
    } catch (...) {
        if (collection)
            collection->EndUpdate();
        throw;
    }
    if (collection)
        collection->EndUpdate();
}

// ---------------------------------------------------------------------------
// Components

void TReader::ReadSignature()
{
    char signature[4];
    if (Remaining() < 4)
        InvalidImage();
    Read(signature, 4);
    if (std::memcmp(signature, FilerConst::Signature, 4) != 0)
        InvalidImage();
}

void TReader::ReadPrefix(TFilerFlags& flags, int& childPos)
{
    flags = 0;
    childPos = 0;
    if ((NextValue() & 0xF0) != 0xF0)
        return;
    flags = ReadByte() & 0x0F;
    if (flags & ffChildPos)
        childPos = ReadInteger();
}

TComponent* TReader::ReadComponentRecord(TComponent* component, TComponent* parent, bool isRoot)
{
    TNesting nesting(FNesting);
    TFilerFlags flags = 0;
    int childPos = 0;
    ReadPrefix(flags, childPos);
    const AnsiString className = ReadStr();
    const AnsiString name = ReadStr();

    // A component made here is freed again when its reading fails.
    std::unique_ptr<TComponent> created;
    TComponent* result = component;
    if (!result) {
        TComponent* owner = isRoot ? nullptr : (FRoot ? FRoot : parent);
        TPersistent* instance = FindClass(className)->Create(owner);
        result = dynamic_cast<TComponent*>(instance);
        if (!result) {
            delete instance;
            InvalidImage();
        }
        created.reset(result);
        if (parent)
            result->SetParentComponent(parent);
    }
    if (isRoot)
        FRoot = result;

    const size_t loadedBefore = FLoaded.size();
    try {
        result->Include(csLoading);
        result->Include(csReading);
        FLoaded.push_back(result);
        if (result->Name() != name)
            result->SetName(name);
        ReadProperties(result);
        while (!EndOfList())
            ReadComponentRecord(nullptr, result, false);
        ReadListEnd();
    } catch (...) {
        if (created) {
            // Whatever was read into it goes with it.
            FLoaded.resize(loadedBefore);
            if (isRoot)
                FRoot = nullptr;
        }
        throw;
    }
    created.release();
    return result;
}

TComponent* TReader::FindComponentReference(TComponent* root, const AnsiString& reference)
{
    if (!root)
        return nullptr;
    const size_t dot = reference.find('.');
    if (dot == AnsiString::npos) {
        if (TComponent* found = root->FindComponent(reference))
            return found;
        return SameText(root->Name(), reference) ? root : nullptr;
    }
    // "Owner.Name": the owner is the root, a component of the root, the
    // root's own owner or a component of that, else a top-level component of
    // that name (a control read on its own, as a document's control item is,
    // refers to components of the form it was saved from).
    const AnsiString ownerName = reference.substr(0, dot);
    TComponent* owner = SameText(root->Name(), ownerName) ? root : root->FindComponent(ownerName);
    if (!owner && root->Owner()) {
        TComponent* outer = root->Owner();
        owner = SameText(outer->Name(), ownerName) ? outer : outer->FindComponent(ownerName);
    }
    if (!owner)
        owner = FindGlobalComponent(ownerName);
    return owner ? owner->FindComponent(reference.substr(dot + 1)) : nullptr;
}

void TReader::FixupReferences()
{
    std::vector<TFixup> fixups;
    fixups.swap(FFixups);
    for (const TFixup& fixup : fixups)
        // A name that finds nothing (or a component of a class the property
        // does not take) leaves the reference null.
        if (!fixup.Prop->SetComponent(fixup.Instance, FindComponentReference(fixup.Root, fixup.Reference)))
            fixup.Prop->SetComponent(fixup.Instance, nullptr);
}

void TReader::EndLoading(bool succeeded)
{
    std::vector<TComponent*> loaded;
    loaded.swap(FLoaded);
    for (TComponent* component : loaded)
        component->Exclude(csReading);
    if (!succeeded) {
        // The objects the references were to be set in may be gone with the failed read.
        FFixups.clear();
        for (TComponent* component : loaded)
            component->Exclude(csLoading);
        return;
    }
    // References first, so that Loaded sees every component it refers to.
    FixupReferences();
    for (TComponent* component : loaded)
        component->Loaded();
}

TComponent* TReader::ReadComponent(TComponent* component)
{
    // Read on its own (not inside a root's record), the component hears Loaded
    // as soon as its record is complete.
    const bool outermost = FComponentDepth == 0;
    ++FComponentDepth;
    TComponent* result = nullptr;
    try {
        result = ReadComponentRecord(component, nullptr, false);
    } catch (...) {
        --FComponentDepth;
        if (outermost)
            EndLoading(false);
        throw;
    }
    --FComponentDepth;
    if (outermost)
        EndLoading(true);
    return result;
}

TComponent* TReader::ReadRootComponent(TComponent* root)
{
    ReadSignature();
    ++FComponentDepth;
    TComponent* result = nullptr;
    try {
        result = ReadComponentRecord(root, nullptr, true);
    } catch (...) {
        --FComponentDepth;
        EndLoading(false);
        throw;
    }
    --FComponentDepth;
    EndLoading(true);
    return result;
}

TComponent* TStream::ReadComponent(TComponent* instance)
{
    TReader reader(*this, 4096);
    return reader.ReadRootComponent(instance);
}
