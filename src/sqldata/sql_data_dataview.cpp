// SQLData::InsertRowsDataView: the rows of a query into a DVModel, read by the kind
// of each model column.
#include "sqldata/sql_data.h"

#include "sqldata/db_log.h"
#include "sqldata/dv_model.h"

#include <algorithm>

namespace {

const char* const kContext = "InsertRowsDataView";

// The 1-based row number in place of the query's first column, in the column's kind.
void AppendRowNumber(DVModel& model, unsigned int column, unsigned int number) {
  switch (model.ColumnKind(column)) {
    case DVColumnDecimal: model.AppendDecimal(column, number); break;
    case DVColumnFlag: model.AppendFlag(column, true); break;
    case DVColumnInteger: model.AppendInteger(column, static_cast<long>(number)); break;
    default: model.AppendText(column, wxString::Format("%u", number)); break;
  }
}

void AppendCell(DVModel& model, unsigned int column, const SqlRow& row) {
  const int cell = static_cast<int>(column);
  switch (model.ColumnKind(column)) {
    case DVColumnDecimal: model.AppendDecimal(column, row.asDouble(cell)); break;
    case DVColumnFlag: model.AppendFlag(column, row.asLong(cell) != 0); break;
    case DVColumnInteger: model.AppendInteger(column, row.asLong(cell)); break;
    default: model.AppendText(column, row.text(cell)); break;
  }
}

}  // namespace

int SQLData::InsertRowsDataView(wxObjectDataPtr<DVModel>& model, bool numberRows, wxString sql, wxString key) {
  if (!model) {
    errorFlag = true;
    lastError = FormatDbError(kContext, "no list model");
    LogDbError(kContext, sql, "no list model");
    return -1;
  }
  model->Clear(false);
  model->InitStorage();
  const int modelColumns = static_cast<int>(model->GetColumnCount());

  const Session session = PrepareSession(kContext);
  if (session == Session::Lost) return -1;
  if (session == Session::Closed) {
    errorFlag = true;
    lastError = FormatDbError(kContext, "DB not open");
    LogDbError(kContext, sql, "DB not open");
    return -1;
  }

  long keyNumber = 0;
  const bool keyIsNumber = !key.empty() && key.ToLong(&keyNumber, 10);
  const bool sqlite = IsSQLite();
  int found = -1;
  DVModel& target = *model;
  const bool ok = ForEachRow(kContext, sql, [&](const SqlRow& row) {
    const int resultColumns = row.columnCount();
    const int used = std::min(resultColumns, modelColumns);
    const unsigned int rowIndex = static_cast<unsigned int>(target.rowCount);
    for (int i = 0; i < used; ++i) {
      if (numberRows && i == 0) {
        AppendRowNumber(target, 0, rowIndex + 1);
      } else {
        AppendCell(target, static_cast<unsigned int>(i), row);
      }
    }
    ++target.rowCount;
    if (resultColumns > 0 && !key.empty()) {
      // The key is the last result column, also when the model shows fewer columns.
      const int keyColumn = resultColumns - 1;
      // SQLite hands an integer key column over as its number; the drivers as text.
      const wxString keyText =
          sqlite && keyColumn < modelColumns && target.ColumnKind(static_cast<unsigned int>(keyColumn)) ==
                                                     DVColumnInteger
              ? wxString::Format("%ld", row.asLong(keyColumn))
              : row.text(keyColumn);
      long value = 0;
      const bool matches = keyIsNumber ? keyText.ToLong(&value, 10) && value == keyNumber : keyText == key;
      if (matches) found = static_cast<int>(rowIndex);
    }
    return true;
  });
  // Also after a failure, so the view agrees with the rows that were read.
  target.Reset(static_cast<unsigned int>(target.rowCount));
  return ok ? found : -1;
}
