// The binding grammar of module XRC pages and the text rules of their actions and values.
#include "plugins/xrc_page_bindings.h"

#include <gtest/gtest.h>

namespace veldrix {
namespace {

TEST(XrcPageBindings, NamesSayWhereTheActionIsAttached) {
  struct Case {
    const char* name;
    BindingKind kind;
    const char* target;
  };
  const Case cases[] = {
      {"toolbar-left:1", BindingKind::kToolbarLeft, ""},    {"toolbar-right:", BindingKind::kToolbarRight, ""},
      {"select:lstA", BindingKind::kSelect, "lstA"},        {"context:gridB", BindingKind::kContext, "gridB"},
      {"text:txtSearch", BindingKind::kText, "txtSearch"},  {"btnSend", BindingKind::kButton, "btnSend"},
      {"Select:lstA", BindingKind::kButton, "Select:lstA"},  // prefixes count letter case
      {"show:pnl", BindingKind::kButton, "show:pnl"},       {"", BindingKind::kNone, ""},
  };
  for (const Case& c : cases) {
    const XrcPageBinding binding = ClassifyBinding(c.name, "act");
    EXPECT_EQ(binding.kind, c.kind) << c.name;
    EXPECT_EQ(binding.target, c.target) << c.name;
    EXPECT_EQ(binding.action, "act");
  }
}

TEST(XrcPageBindings, LookupsKeepBindingOrderAndMatchNamesExactly) {
  const XrcPageBindings bindings(PluginTextPairs{
      {"toolbar-left:a", "refresh"},
      {"toolbar-right:x", "host-close-page"},
      {"toolbar-left:b", "refresh"},
      {"select:lst", "pick"},
      {"select:lst", "second pick"},
      {"context:lst", "preview-xml"},
      {"context:lst", ""},
      {"context:lst", "delete-local"},
      {"context:LST", "other"},
  });
  EXPECT_EQ(bindings.ToolbarActions(BindingKind::kToolbarLeft), (std::vector<wxString>{"refresh", "refresh"}));
  EXPECT_EQ(bindings.ToolbarActions(BindingKind::kToolbarRight), (std::vector<wxString>{"host-close-page"}));
  EXPECT_EQ(bindings.SelectAction("lst"), "pick");
  EXPECT_EQ(bindings.SelectAction("Lst"), "");
  EXPECT_EQ(bindings.ContextActions("lst"), (std::vector<wxString>{"preview-xml", "delete-local"}));
  EXPECT_TRUE(bindings.ContextActions("grid").empty());
}

TEST(XrcPageBindings, ValuesAddressControlsOrTheirVisibility) {
  wxString control;
  EXPECT_EQ(ClassifyValueName("show:pnlA", &control), ValueTarget::kShow);
  EXPECT_EQ(control, "pnlA");
  EXPECT_EQ(ClassifyValueName("enable:btn", &control), ValueTarget::kEnable);
  EXPECT_EQ(control, "btn");
  EXPECT_EQ(ClassifyValueName("lblStatus", &control), ValueTarget::kControl);
  EXPECT_EQ(control, "lblStatus");
  for (const char* yes : {"1", "TAK", "True", "yes"}) EXPECT_TRUE(IsTruthValue(yes)) << yes;
  for (const char* no : {"2", "", "nie", " tak", "0"}) EXPECT_FALSE(IsTruthValue(no)) << no;
}

TEST(XrcPageBindings, ModuleTextsShowAsWritten) {
  // Labels match whole actions: an "async:" action shows its own text.
  EXPECT_EQ(ActionLabel("async:refresh"), "async:refresh");
  EXPECT_EQ(ContextActionLabel("refresh"), "refresh");
}

TEST(XrcPageBindings, DeleteLocalCarriesTheCheckedKeys) {
  EXPECT_EQ(CompleteActionText("delete-local", ""), "delete-local");
  EXPECT_EQ(CompleteActionText("delete-local", "k1\nk2"), "delete-local|k1\nk2");
  EXPECT_EQ(CompleteActionText("download", "k1"), "download");
}

}  // namespace
}  // namespace veldrix
