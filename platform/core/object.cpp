// TPersistent's copying protocol: Assign asks the source to copy itself into the
// destination, and a pair that neither side knows raises the assign error.
#include "platform/core/object.h"

#include "platform/core/sysutils.h"

void TPersistent::Assign(const TPersistent* Source)
{
    // The destination did not recognise Source (a subclass would have handled
    // it before calling here), so the source gets its turn through AssignTo.
    if (Source)
        Source->AssignTo(this);
    else
        AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) const
{
    // Neither side knows the other: the message names the source first.
    Dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* Source) const
{
    const char* sourceName = Source ? Source->ClassName() : "nil";
    throw EConvertError(Format(SysConst::SAssignError, {sourceName, ClassName()}));
}
