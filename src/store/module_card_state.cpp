#include "store/module_card_state.h"

#include "app/common/i18n.h"
#include "app/common/text_folding.h"
#include "store/store_client.h"
#include "store/store_versions.h"

namespace veldrix {

namespace {

const wxColour kPendingBackground(255, 249, 230);
const wxColour kUpdateBackground(255, 247, 232);
const wxColour kInstalledBackground(241, 250, 244);
const wxColour kPendingText(184, 112, 0);
const wxColour kUpdateText(202, 112, 0);
const wxColour kGoodText(24, 128, 74);

}  // namespace

wxString RequiredProgramVersion(const StoreModuleEntry& entry) {
  return entry.file.min_app_version.empty() ? entry.min_app_version : entry.file.min_app_version;
}

ModuleCardState DescribeModuleCard(const StoreModuleEntry& entry, const ModuleCardInput& input) {
  ModuleCardState s;
  s.installed = !input.installedVersion.empty();
  s.updateAvailable = s.installed && entry.has_file && CompareVersions(input.installedVersion, entry.latest_version) == -1;
  s.requiredVersion = RequiredProgramVersion(entry);
  s.compatible = s.requiredVersion.empty() || CompareVersions(input.programVersion, s.requiredVersion) >= 0;
  s.changePending = input.installPending || input.removalPending;

  if (s.changePending) {
    s.background = kPendingBackground;
  } else if (s.updateAvailable) {
    s.background = kUpdateBackground;
  } else if (s.installed) {
    s.background = kInstalledBackground;
  } else {
    s.background = wxColour(255, 255, 255);
  }

  const wxString installedState = wxString::Format(_("● Zainstalowany • wersja %s"), input.installedVersion);
  if (input.removalPending) {
    s.stateText = _("● Odinstalowanie przygotowane • wymagany restart");
    s.stateColour = kPendingText;
  } else if (input.installPending) {
    s.stateText = _("● Instalacja przygotowana • wymagany restart");
    s.stateColour = kPendingText;
  } else if (s.updateAvailable) {
    s.stateText = installedState + _(" • dostępna aktualizacja");
    s.stateColour = kUpdateText;
  } else if (s.installed) {
    s.stateText = installedState;
    s.stateColour = kGoodText;
  } else {
    s.stateText = wxString::FromUTF8("● ") + _("Dostępny");
    s.stateColour = kGoodText;
  }

  s.versionsText = wxString::Format(
      _("Zainstalowana: %s   •   Dostępna: %s"), s.installed ? input.installedVersion : wxString::FromUTF8("—"),
      entry.has_file ? entry.latest_version : _("brak paczki dla Linux/x86_64"));
  if (!s.requiredVersion.empty()) s.versionsText += wxString::Format(_("   •   Wymaga Veldrix %s+"), s.requiredVersion);

  if (s.changePending) {
    s.primaryLabel = _("Wymagany restart programu");
  } else if (!entry.has_file) {
    s.primaryLabel = _("Paczka jeszcze niedostępna");
  } else if (!s.compatible) {
    s.primaryLabel = wxString::Format(_("Wymaga Veldrix %s lub nowszej"), s.requiredVersion);
  } else if (!s.installed) {
    s.primaryLabel = _("Zainstaluj moduł");
    s.primaryEnabled = true;
  } else if (s.updateAvailable) {
    s.primaryLabel = _("Pobierz i przygotuj aktualizację");
    s.primaryEnabled = true;
  } else {
    s.primaryLabel = _("Moduł jest aktualny");
  }
  s.offersUninstall = s.installed && !s.changePending;
  // The address comes from the catalogue: only a web page of the rules the store
  // itself keeps is offered, never a file or another program's scheme.
  s.offersDetails = IsStoreUrlAllowed(entry.details_url);
  return s;
}

bool MatchesStoreSearch(const StoreModuleEntry& entry, const wxString& foldedSearch) {
  const std::wstring needle = foldedSearch.ToStdWstring();
  return ContainsFolded(entry.name.ToStdWstring(), needle) || ContainsFolded(entry.description.ToStdWstring(), needle);
}

bool PassesStoreFilter(int filter, const ModuleCardState& state) {
  switch (static_cast<StoreFilter>(filter)) {
    case StoreFilter::kInstalled: return state.installed;
    case StoreFilter::kUpdates: return state.updateAvailable;
    default: return true;
  }
}

}  // namespace veldrix
