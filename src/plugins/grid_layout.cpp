#include "plugins/grid_layout.h"

#include "app/common/config_access.h"

#include <wx/config.h>
#include <wx/filename.h>
#include <wx/tokenzr.h>

namespace veldrix {
namespace {

wxString SafeName(wxString name) {
  name.Replace("/", "_");
  name.Replace("\\", "_");
  return name;
}

bool ParseColourComponent(wxString token, unsigned char* out) {
  token.Trim(true).Trim(false);
  if (token.empty()) return false;
  for (wxUniChar c : token) {
    if (c < '0' || c > '9') return false;
  }
  unsigned long value = 0;
  if (!token.ToULong(&value, 10) || value > 255) return false;
  *out = static_cast<unsigned char>(value);
  return true;
}

std::vector<int> IdentityOrder(std::size_t columns) {
  std::vector<int> order(columns);
  for (std::size_t i = 0; i < columns; ++i) order[i] = static_cast<int>(i);
  return order;
}

bool AnyVisible(const std::vector<bool>& visible) {
  for (bool shown : visible) {
    if (shown) return true;
  }
  return false;
}

}  // namespace

GridLayout GridLayout::Default(std::size_t columns) {
  GridLayout layout;
  layout.order = IdentityOrder(columns);
  layout.visible.assign(columns, true);
  layout.ResetColours();
  return layout;
}

wxColour GridLayout::DefaultHeaderColour() { return wxColour(255, 255, 255); }
wxColour GridLayout::DefaultSelectionColour() { return wxColour(225, 240, 250); }
wxColour GridLayout::DefaultLineColour() { return wxColour(225, 225, 225); }

void GridLayout::ResetColours() {
  header = DefaultHeaderColour();
  selection = DefaultSelectionColour();
  line = DefaultLineColour();
}

std::vector<int> GridLayout::VisibleDefinitions() const {
  std::vector<int> shown;
  for (int definition : order) {
    if (definition >= 0 && static_cast<std::size_t>(definition) < visible.size() &&
        visible[static_cast<std::size_t>(definition)]) {
      shown.push_back(definition);
    }
  }
  return shown;
}

wxString GridLayoutPath(const wxString& moduleFolder, const wxString& gridName) {
  wxString module;
  if (!moduleFolder.empty()) {
    const wxArrayString dirs = wxFileName::DirName(moduleFolder).GetDirs();
    if (!dirs.empty()) module = dirs.Last();
  }
  if (module.empty()) module = "Plugin";
  const wxString grid = gridName.empty() ? wxString("Grid") : gridName;
  return "/PluginGrid/" + SafeName(module) + "/" + SafeName(grid);
}

wxColour ParseColourText(const wxString& text, const wxColour& fallback) {
  const wxArrayString tokens = wxSplit(text, ',', '\0');
  if (tokens.size() < 3) return fallback;
  unsigned char rgb[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    if (!ParseColourComponent(tokens[static_cast<std::size_t>(i)], &rgb[i])) return fallback;
  }
  return wxColour(rgb[0], rgb[1], rgb[2]);
}

wxString FormatColourText(const wxColour& colour) {
  return wxString::Format("%d,%d,%d", colour.Red(), colour.Green(), colour.Blue());
}

GridLayout ReadGridLayout(const wxString& path, std::size_t columns) {
  GridLayout layout = GridLayout::Default(columns);
  ConfigAccess config;
  if (!config) return layout;

  std::vector<bool> used(columns, false);
  for (std::size_t i = 0; i < columns; ++i) {
    long definition = static_cast<long>(i);
    config->Read(path + wxString::Format("/Order%d", static_cast<int>(i)), &definition, static_cast<long>(i));
    if (definition < 0 || static_cast<std::size_t>(definition) >= columns ||
        used[static_cast<std::size_t>(definition)]) {
      layout.order = IdentityOrder(columns);
      break;
    }
    used[static_cast<std::size_t>(definition)] = true;
    layout.order[i] = static_cast<int>(definition);
  }
  for (std::size_t i = 0; i < columns; ++i) {
    bool shown = true;
    config->Read(path + wxString::Format("/Visible%d", static_cast<int>(i)), &shown, true);
    layout.visible[i] = shown;
  }
  if (columns > 0 && !AnyVisible(layout.visible)) layout.visible[0] = true;

  wxString text;
  if (config->Read(path + "/HeaderColour", &text)) layout.header = ParseColourText(text, layout.header);
  if (config->Read(path + "/SelectionColour", &text)) layout.selection = ParseColourText(text, layout.selection);
  if (config->Read(path + "/LineColour", &text)) layout.line = ParseColourText(text, layout.line);
  return layout;
}

bool WriteGridLayout(const wxString& path, const GridLayout& layout, wxString* error) {
  ConfigAccess config;
  if (!config) return FlushConfig(nullptr, error);
  for (std::size_t i = 0; i < layout.order.size(); ++i) {
    config->Write(path + wxString::Format("/Order%lu", static_cast<unsigned long>(i)),
                  static_cast<long>(layout.order[i]));
  }
  for (std::size_t i = 0; i < layout.visible.size(); ++i) {
    config->Write(path + wxString::Format("/Visible%lu", static_cast<unsigned long>(i)),
                  static_cast<bool>(layout.visible[i]));
  }
  config->Write(path + "/HeaderColour", FormatColourText(layout.header));
  config->Write(path + "/SelectionColour", FormatColourText(layout.selection));
  config->Write(path + "/LineColour", FormatColourText(layout.line));
  // Written through at once, as every other setting: a crash must not lose it.
  return FlushConfig(config.get(), error);
}

void ApplyColumnArrangement(GridLayout& layout, const wxArrayInt& answer) {
  const std::size_t columns = layout.Columns();
  if (answer.size() != columns) return;
  std::vector<int> order(columns);
  std::vector<bool> visible(columns, false);
  std::vector<bool> seen(columns, false);
  for (std::size_t p = 0; p < columns; ++p) {
    const int entry = answer[p];
    const int definition = entry >= 0 ? entry : ~entry;
    if (definition < 0 || static_cast<std::size_t>(definition) >= columns ||
        seen[static_cast<std::size_t>(definition)]) {
      return;
    }
    seen[static_cast<std::size_t>(definition)] = true;
    order[p] = definition;
    visible[static_cast<std::size_t>(definition)] = entry >= 0;
  }
  if (columns > 0 && !AnyVisible(visible)) visible[0] = true;
  layout.order = order;
  layout.visible = visible;
}

wxArrayInt ColumnArrangementOrder(const GridLayout& layout) {
  wxArrayInt items;
  for (int definition : layout.order) {
    const bool shown = definition >= 0 && static_cast<std::size_t>(definition) < layout.visible.size() &&
                       layout.visible[static_cast<std::size_t>(definition)];
    items.Add(shown ? definition : ~definition);
  }
  return items;
}

}  // namespace veldrix
