// Which UI services are in force.
#include "platform/controls/uiservices.h"

namespace {
TUIServices* installed = nullptr;
}

TUIServices& UIServices()
{
    return installed ? *installed : QtUIServices();
}

TUIServices* SetUIServices(TUIServices* services)
{
    TUIServices* previous = installed;
    installed = services;
    return previous;
}
