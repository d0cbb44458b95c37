// The roots of the class hierarchy: TObject (virtual destruction, class name)
// and TPersistent (copying between objects with Assign/AssignTo), and the
// notify event that most components raise.
#pragma once

#include <functional>

#include "platform/core/callhold.h"
#include "platform/core/types.h"

class TFiler;
class TPropertyTable;

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    // The class's name as the class library spells it ("TBitmap"); streams and
    // registries find classes by it. Every class that is stored or registered
    // by name overrides it.
    virtual const char* ClassName() const { return "TObject"; }
};

// An event: a callable member, called only when set. Sender is the object that raises it.
using TNotifyEvent = TEvent<void(TObject* sender)>;

class TPersistent : public TObject {
public:
    const char* ClassName() const override { return "TPersistent"; }

    // Copies Source into this object. A subclass handles the sources it knows and
    // passes the rest here; the default asks Source to AssignTo this object. A
    // pair that neither side knows raises EConvertError "Cannot assign a <source
    // class> to a <this class>", with "nil" as the source class for a null Source.
    virtual void Assign(const TPersistent* source);

    // Streaming (see typinfo.h and compstream.h): the table of the properties the
    // class publishes (none by default; a subclass's table names its parent's), and
    // the properties it streams itself through Filer->DefineProperty/DefineBinaryProperty.
    virtual const TPropertyTable* PropertyTable() const { return nullptr; }
    virtual void DefineProperties(TFiler* filer) { (void)filer; }

protected:
    // Copies this object into Dest when this class knows Dest's; the default
    // raises the assign error.
    virtual void AssignTo(TPersistent* dest) const;
    // The owner in the object tree (for names in messages); none by default.
    virtual TPersistent* GetOwner() const { return nullptr; }

private:
    [[noreturn]] void AssignError(const TPersistent* source) const;
};
