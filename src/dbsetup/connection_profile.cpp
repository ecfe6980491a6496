#include "dbsetup/connection_profile.h"

#include "app/common/i18n.h"
#include "db/driver_registry.h"

const std::vector<wxString>& ServerTypeChoices() {
  static const std::vector<wxString> types{"SQL Server", "SQLite", "MySQL", "PostgreSQL", "Oracle"};
  return types;
}

wxString TrimmedText(const wxString& text) {
  wxString trimmed = text;
  trimmed.Trim(true).Trim(false);
  return trimmed;
}

wxString DescribeConnection(const DbConnectionInfo& info) {
  const wxString type = ServerTypeOf(info);
  const wxString input = ServerInputOf(info);
  if (type.empty()) return input;
  if (input.empty()) return type;
  return type + " - " + input;
}

wxString ConnectionDisplayLabel(const ConnectionProfile& profile) {
  const wxString name = TrimmedText(profile.name);
  return name.empty() ? DescribeConnection(profile.info) : name;
}

wxString UniqueConnectionName(const std::vector<ConnectionProfile>& profiles, const wxString& base) {
  wxString stem = TrimmedText(base);
  if (stem.empty()) stem = _("Połączenie");
  const auto taken = [&profiles](const wxString& candidate) {
    for (const ConnectionProfile& profile : profiles) {
      if (ConnectionDisplayLabel(profile).IsSameAs(candidate, false)) return true;
    }
    return false;
  };
  wxString candidate = stem + " " + _("kopia");
  for (int number = 2; taken(candidate); ++number) {
    candidate = wxString::Format("%s %s %d", stem, _("kopia"), number);
  }
  return candidate;
}

wxString DriverNameForChoice(const wxString& serverType) {
  RegisterBuiltinDrivers();
  const wxString wanted = serverType.Lower();
  for (const wxString& name : DriverRegistry::instance().names()) {
    const wxString lower = name.Lower();
    if (lower.Contains(wanted) && !lower.Contains("unavailable")) return name;
  }
  return wxString();
}

int DefaultPortForChoice(const wxString& serverType) {
  if (serverType.IsSameAs("SQL Server", false)) return 1433;
  if (serverType.IsSameAs("MySQL", false)) return 3306;
  if (serverType.IsSameAs("PostgreSQL", false)) return 5432;
  if (serverType.IsSameAs("Oracle", false)) return 1521;
  return 0;
}
