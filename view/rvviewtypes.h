// Small types of the viewer and its root document data: how Tab moves among
// the focusable items of a viewer, and the options of a text search. (When the
// checkpoint-visible event fires, TCPEventKind, is the layout layer's.)
#pragma once

#include <cstdint>

#include "document/rvset.h"

// Which key moves the keyboard focus among the focusable items of a viewer.
enum TRVTabNavigationType : uint8_t { rvtnNone, rvtnTab, rvtnCtrlTab };

enum TRVSearchOption { rvsroMatchCase, rvsroDown, rvsroWholeWord };
using TRVSearchOptions = TRVSet<TRVSearchOption, uint8_t>;
