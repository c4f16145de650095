#pragma once
// Which stored setting an adapter uses now: the one the grid marks and the details name.

#include "netcfg/LiveState.h"
#include "store/ProfileStore.h"

#include <string>

// The first visible row of view whose values (address, mask, gateway, DNS; not the proxy)
// the adapter's state shows in use; -1 for none, and at once for an adapter Windows does
// not have.
int RowInUse(const TProfileTable& view, const TLiveState& state);

// Whether the adapter's state shows a visible row's values in use, as RowInUse judges them.
bool RowIsInUse(const TProfileTable& view, int row, const TLiveState& state);

// The title of a visible row; "" for -1.
std::string RowTitle(const TProfileTable& view, int row);
