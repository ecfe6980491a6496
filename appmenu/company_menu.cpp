#include "appmenu/company_menu.h"

#include "app/common/literal_label.h"

#include <wx/menu.h>

namespace veldrix {

std::unique_ptr<wxMenu> MakeCompanyMenu(std::size_t count, const std::function<wxString(unsigned)>& nameAt,
                                        int current, int firstId) {
  auto menu = std::make_unique<wxMenu>();
  for (std::size_t i = 0; i < count; ++i) {
    const int id = firstId + static_cast<int>(i);
    const wxString label = LiteralLabel(nameAt(static_cast<unsigned>(i)));
    // A radio group always shows one item chosen; without the working company in the
    // list none may, so the items are plain check items then.
    wxMenuItem* item = current >= 0 ? menu->AppendRadioItem(id, label) : menu->AppendCheckItem(id, label);
    if (static_cast<int>(i) == current) item->Check(true);
  }
  return menu;
}

}  // namespace veldrix
