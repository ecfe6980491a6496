// The bindings of a module's XRC page: {name, action} pairs the module returns with
// its page schema. The name says where the action is attached (a toolbar, a list's
// selection or context menu, a filter input, or a button of that name); the action
// is the text the module receives. Also the labels the host gives known actions
// and the rules for the values the module sends back. Pure text rules.
#pragma once

#include "pluginmanager/plugin_module.h"

#include <wx/string.h>

#include <vector>

namespace veldrix {

enum class BindingKind {
  kToolbarLeft,   // "toolbar-left:" + anything
  kToolbarRight,  // "toolbar-right:" + anything
  kSelect,        // "select:" + control
  kContext,       // "context:" + control
  kText,          // "text:" + control
  kButton,        // any other non-empty name: a button of that name
  kNone,          // an empty name
};

struct XrcPageBinding {
  BindingKind kind = BindingKind::kNone;
  wxString target;  // the control name; empty for toolbar tools
  wxString action;
};

// Prefixes match case-sensitively at the start of the name.
XrcPageBinding ClassifyBinding(const wxString& name, const wxString& action);

class XrcPageBindings {
 public:
  XrcPageBindings() = default;
  explicit XrcPageBindings(const PluginTextPairs& pairs);

  const std::vector<XrcPageBinding>& All() const { return bindings_; }
  // Actions of the toolbar bindings of one kind, in binding order.
  std::vector<wxString> ToolbarActions(BindingKind kind) const;
  // The first "select:" action of the control (names compared exactly); empty when none.
  wxString SelectAction(const wxString& control) const;
  // The non-empty "context:" actions of the control, in binding order.
  std::vector<wxString> ContextActions(const wxString& control) const;

 private:
  std::vector<XrcPageBinding> bindings_;
};

// What a value name the module returns addresses.
enum class ValueTarget { kShow, kEnable, kControl };
ValueTarget ClassifyValueName(const wxString& name, wxString* control);

// "1", "true", "tak" or "yes" in any letter case; anything else is false.
bool IsTruthValue(const wxString& value);

// Labels of the actions the host knows (exact match); any other action is its own
// label. Not translated: the labels name the module's own views.
wxString ActionLabel(const wxString& action);
wxString ContextActionLabel(const wxString& action);

// The action text a synchronous action is sent with: "delete-local" carries the
// keys of the checked invoice rows after a "|", one per line; any other action
// is sent as it is.
wxString CompleteActionText(const wxString& action, const wxString& checkedKeys);

}  // namespace veldrix
