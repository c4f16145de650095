#include "SettingsTransfer.h"

#include "store/CsvExchange.h"
#include "store/ProfileStore.h"
#include "support/Error.h"

#include <algorithm>

namespace {

// The CSV columns that are the view's fields, Title onwards; the extras follow them.
constexpr std::size_t FieldColumns = 7;
constexpr int TitleField = 2;

} // namespace

TImportCount ImportSettingsFile(TProfileTable& table, const std::string& adapterId,
                                const std::string& path) {
    std::vector<TProfileTable::TRowValues> rows;
    std::vector<TSettingExtras> extras;
    try {
        for (const TCsvSetting& setting : ReadSettingsFile(path)) {
            TProfileTable::TRowValues& row = rows.emplace_back();
            row[0] = adapterId;
            std::copy(setting.begin(), setting.begin() + FieldColumns, row.begin() + 1);
            extras.push_back(CsvExtras(setting));
        }
    } catch (const TError& error) {
        throw TError(std::string(error.what()) + "; nothing was imported");
    }
    const auto stored = static_cast<std::size_t>(table.AppendDistinctRows(rows, extras));
    return {stored, rows.size() - stored};
}

std::size_t ExportSettingsFile(const TProfileTable& table, const std::string& path) {
    std::vector<TCsvSetting> settings;
    for (int row = 0; row < table.RowCount(); ++row) {
        TCsvSetting& setting = settings.emplace_back();
        for (std::size_t column = 0; column < FieldColumns; ++column)
            setting[column] = table.Text(row, static_cast<int>(column) + TitleField);
        SetCsvExtras(setting, table.Extras(row));
    }
    WriteSettingsFile(path, settings);
    return settings.size();
}
