// Fuzz target of the component-stream reader: the input is read as a component
// stream into a sample component and into a new component of a registered
// class, as a collection (as the document reader reads style records), and
// converted to text. Every failure must be an Exception; nothing may leak.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/core/classreg.h"
#include "platform/core/compstream.h"
#include "tests/support/compstream_sample.h"

namespace {

struct Registration {
    Registration() { RegisterClass<sample::TSampleComponent>("TSampleComponent"); }
} registration;

void Load(TMemoryStream& m, const uint8_t* data, size_t size)
{
    m.Clear();
    if (size)
        m.WriteBuffer(data, static_cast<int64_t>(size));
    m.SetPosition(0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TMemoryStream m;
    Load(m, data, size);
    try {
        sample::TSampleComponent c(nullptr);
        m.ReadComponent(&c);
    } catch (const Exception&) {
    }

    Load(m, data, size);
    try {
        std::unique_ptr<TComponent> made(m.ReadComponent(nullptr));
    } catch (const Exception&) {
    }

    Load(m, data, size);
    try {
        sample::TSampleComponent c(nullptr);
        TReader reader(m);
        reader.ReadCollection(&c.FItems);
    } catch (const Exception&) {
    }

    Load(m, data, size);
    try {
        TMemoryStream text;
        ObjectBinaryToText(m, text);
    } catch (const Exception&) {
    }
    return 0;
}
