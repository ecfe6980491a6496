// A value bound to one "?" parameter of a statement run by SQLData::ExecPrepared,
// and what that run reports back.
#pragma once

#include <wx/string.h>

#include <cstdint>

enum SqlValueKind : std::uint32_t {
  SqlValueNull = 0,
  SqlValueInt = 1,
  SqlValueInt64 = 2,
  SqlValueDouble = 3,
  SqlValueBool = 4,
  SqlValueText = 5,
};

// Only the member named by kind is meaningful. Int64 and Double values are made
// with the named constructors (an int64_t or double overload would make literals
// like 0 ambiguous). A value the caller made with Secret (a password hash, a salt,
// a stored token) is bound as any text but never written to a log or trace.
struct SqlValue {
  SqlValueKind kind = SqlValueNull;
  std::int32_t intValue = 0;
  std::int64_t int64Value = 0;
  double doubleValue = 0.0;
  bool boolValue = false;
  wxString textValue;
  bool secret = false;

  SqlValue() = default;
  SqlValue(int value) : kind(SqlValueInt), intValue(value) {}
  SqlValue(bool value) : kind(SqlValueBool), boolValue(value) {}
  SqlValue(const wxString& value) : kind(SqlValueText), textValue(value) {}
  SqlValue(const char* value) : kind(SqlValueText), textValue(wxString::FromUTF8(value)) {}
  SqlValue(const wchar_t* value) : kind(SqlValueText), textValue(value) {}

  static SqlValue Null() { return SqlValue(); }
  static SqlValue Int64(std::int64_t value) {
    SqlValue v;
    v.kind = SqlValueInt64;
    v.int64Value = value;
    return v;
  }
  static SqlValue Double(double value) {
    SqlValue v;
    v.kind = SqlValueDouble;
    v.doubleValue = value;
    return v;
  }
  static SqlValue Secret(const wxString& value) {
    SqlValue v(value);
    v.secret = true;
    return v;
  }
};

struct SqlExecResult {
  std::int32_t changes = 0;
  std::int64_t newRowId = 0;
};
