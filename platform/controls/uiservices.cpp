// Which UI services are in force.
#include "platform/controls/uiservices.h"

namespace {
TUIServices* installed = nullptr;
}

TUIServices& UIServices()
{
    return installed ? *installed : QtUIServices();
}

TUIServices* SetUIServices(TUIServices* Services)
{
    TUIServices* previous = installed;
    installed = Services;
    return previous;
}
