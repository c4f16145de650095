#include "SettingInUse.h"

#include "netcfg/SetIP.h"
#include "netcfg/SwitchCheck.h"
#include "support/Strings.h"

#include <algorithm>

namespace {

int FieldPosition(const std::string& name) {
    const auto& fields = TProfileTable::Fields();
    const auto found = std::find_if(fields.begin(), fields.end(), [&](const TFieldDef& field) {
        return SameText(field.Name, name);
    });
    return found == fields.end() ? -1 : static_cast<int>(found - fields.begin());
}

} // namespace

bool RowIsInUse(const TProfileTable& view, int row, const TLiveState& state) {
    if (!state.Present || !view.Active())
        return false;
    TIP request;
    // Filled as an apply would fill it, so that the mark and a switch agree.
    FillStaticRequest(
        request, [&](const std::string& name) { return view.Text(row, FieldPosition(name)); },
        view.Extras(row));
    return IsSettingInUse(request, state);
}

int RowInUse(const TProfileTable& view, const TLiveState& state) {
    if (!state.Present || !view.Active())
        return -1;
    for (int row = 0; row < view.RowCount(); ++row)
        if (RowIsInUse(view, row, state))
            return row;
    return -1;
}

std::string RowTitle(const TProfileTable& view, int row) {
    return row < 0 ? std::string() : view.Text(row, FieldPosition("Title"));
}
