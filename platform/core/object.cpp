// TPersistent's copying protocol: Assign asks the source to copy itself into the
// destination, and a pair that neither side knows raises the assign error.
#include "platform/core/object.h"

#include "platform/core/sysutils.h"

void TPersistent::Assign(const TPersistent* source)
{
    // The destination did not recognise Source (a subclass would have handled
    // it before calling here), so the source gets its turn through AssignTo.
    if (source)
        source->AssignTo(this);
    else
        AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const
{
    // Neither side knows the other: the message names the source first.
    dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const
{
    const char* sourceName = source ? source->ClassName() : "nil";
    throw EConvertError(Format(SysConst::SAssignError, {sourceName, ClassName()}));
}
