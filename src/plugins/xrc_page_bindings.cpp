#include "plugins/xrc_page_bindings.h"

namespace veldrix {
namespace {

struct Prefix {
  const char* text;
  BindingKind kind;
};

const Prefix kPrefixes[] = {
    {"toolbar-left:", BindingKind::kToolbarLeft},
    {"toolbar-right:", BindingKind::kToolbarRight},
    {"select:", BindingKind::kSelect},
    {"context:", BindingKind::kContext},
    {"text:", BindingKind::kText},
};

struct Label {
  const char* action;
  const char* label;
};

const Label kActionLabels[] = {
    {"view-queue", "Do wysłania"},
    {"view-sent", "Wysłane do KSeF"},
    {"view-sales", "Sprzedażowe w KSeF"},
    {"view-purchase", "Zakupowe w KSeF"},
    {"view-logs", "Logi KSeF"},
    {"download", "Pobierz"},
    {"send-selected", "Wyślij do KSeF"},
    {"check-status", "Sprawdź status"},
    {"download-details", "Pobierz szczegóły"},
    {"refresh", "Odśwież"},
    {"host-close-page", "Zamknij"},
};

const Label kContextLabels[] = {
    {"preview-xml", "Podgląd XML"},
    {"preview-log", "Szczegóły logu"},
    {"delete-local", "Usuń z pobranej listy"},
};

template <std::size_t N>
wxString LookUpLabel(const Label (&table)[N], const wxString& action) {
  for (const Label& entry : table) {
    if (action == entry.action) return wxString::FromUTF8(entry.label);
  }
  return action;
}

}  // namespace

XrcPageBinding ClassifyBinding(const wxString& name, const wxString& action) {
  XrcPageBinding binding;
  binding.action = action;
  if (name.empty()) return binding;
  for (const Prefix& prefix : kPrefixes) {
    wxString rest;
    if (name.StartsWith(prefix.text, &rest)) {
      binding.kind = prefix.kind;
      const bool toolbar = prefix.kind == BindingKind::kToolbarLeft || prefix.kind == BindingKind::kToolbarRight;
      if (!toolbar) binding.target = rest;
      return binding;
    }
  }
  binding.kind = BindingKind::kButton;
  binding.target = name;
  return binding;
}

XrcPageBindings::XrcPageBindings(const PluginTextPairs& pairs) {
  bindings_.reserve(pairs.size());
  for (const auto& pair : pairs) bindings_.push_back(ClassifyBinding(pair.first, pair.second));
}

std::vector<wxString> XrcPageBindings::ToolbarActions(BindingKind kind) const {
  std::vector<wxString> actions;
  for (const XrcPageBinding& binding : bindings_) {
    if (binding.kind == kind) actions.push_back(binding.action);
  }
  return actions;
}

wxString XrcPageBindings::SelectAction(const wxString& control) const {
  for (const XrcPageBinding& binding : bindings_) {
    if (binding.kind == BindingKind::kSelect && binding.target == control) return binding.action;
  }
  return wxString();
}

std::vector<wxString> XrcPageBindings::ContextActions(const wxString& control) const {
  std::vector<wxString> actions;
  for (const XrcPageBinding& binding : bindings_) {
    if (binding.kind == BindingKind::kContext && binding.target == control && !binding.action.empty()) {
      actions.push_back(binding.action);
    }
  }
  return actions;
}

ValueTarget ClassifyValueName(const wxString& name, wxString* control) {
  wxString rest;
  if (name.StartsWith("show:", &rest)) {
    if (control) *control = rest;
    return ValueTarget::kShow;
  }
  if (name.StartsWith("enable:", &rest)) {
    if (control) *control = rest;
    return ValueTarget::kEnable;
  }
  if (control) *control = name;
  return ValueTarget::kControl;
}

bool IsTruthValue(const wxString& value) {
  const wxString lower = value.Lower();
  return lower == "1" || lower == "true" || lower == "tak" || lower == "yes";
}

wxString ActionLabel(const wxString& action) { return LookUpLabel(kActionLabels, action); }

wxString ContextActionLabel(const wxString& action) { return LookUpLabel(kContextLabels, action); }

wxString CompleteActionText(const wxString& action, const wxString& checkedKeys) {
  if (action != "delete-local" || checkedKeys.empty()) return action;
  return action + "|" + checkedKeys;
}

}  // namespace veldrix
