// Test helper: one row of a text, decimal, flag, integer DVModel.
#pragma once

#include "sqldata/dv_model.h"

inline void AppendFourKindRow(DVModel& model, const wxString& text, double amount, bool flag, long number) {
  model.AppendValue(wxVariant(text), 0);
  model.AppendValue(wxVariant(amount), 1);
  model.AppendValue(wxVariant(flag), 2);
  model.AppendValue(wxVariant(number), 3);
  ++model.rowCount;
}
