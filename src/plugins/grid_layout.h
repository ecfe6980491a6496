// The user's layout of one module grid: which of the module's columns show, in
// which order, and three colours. Kept per module and grid name in the program's
// configuration under "/PluginGrid/"; grids of the same module and name on
// different pages share one layout.
#pragma once

#include <wx/arrstr.h>
#include <wx/colour.h>
#include <wx/dynarray.h>
#include <wx/string.h>

#include <cstddef>
#include <vector>

namespace veldrix {

struct GridLayout {
  std::vector<int> order;     // definition index shown at each position
  std::vector<bool> visible;  // per definition index
  wxColour header;
  wxColour selection;
  wxColour line;

  // Every column visible in definition order, the default colours.
  static GridLayout Default(std::size_t columns);
  static wxColour DefaultHeaderColour();
  static wxColour DefaultSelectionColour();
  static wxColour DefaultLineColour();

  std::size_t Columns() const { return visible.size(); }
  // The definitions shown, in display order.
  std::vector<int> VisibleDefinitions() const;
  void ResetColours();
  // 0 the header, 1 the selection, else the line colour (the colours dialog's order).
  wxColour& Colour(int which) { return which == 0 ? header : which == 1 ? selection : line; }
};

// "/PluginGrid/" + module + "/" + grid: the module is the last folder name of the
// module's folder ("Plugin" when there is none), the grid its window name ("Grid"
// when empty); "/" and "\" in either become "_".
wxString GridLayoutPath(const wxString& moduleFolder, const wxString& gridName);

// "r,g,b" with three decimal integers 0..255 (more tokens are ignored); anything
// else gives the fallback.
wxColour ParseColourText(const wxString& text, const wxColour& fallback);
wxString FormatColourText(const wxColour& colour);

// The stored layout of `columns` columns from the installed configuration; the
// default without one. A stored order that is out of range or repeats a column
// falls back to definition order; with no column visible the first shows.
GridLayout ReadGridLayout(const wxString& path, std::size_t columns);
// Writes order, visibility and colours; false, with the reason for the user, when
// the file did not take them or there is no configuration.
bool WriteGridLayout(const wxString& path, const GridLayout& layout, wxString* error = nullptr);

// The columns dialog's answer (one entry per position: the definition index when
// shown, its bitwise complement when hidden) taken into the layout. An answer of
// another length or naming a column twice leaves the layout as it was. Hiding
// every column keeps definition 0 visible, as reading the layout back would.
void ApplyColumnArrangement(GridLayout& layout, const wxArrayInt& answer);

// The dialog's items for the layout: one per position, checked when visible.
wxArrayInt ColumnArrangementOrder(const GridLayout& layout);

}  // namespace veldrix
