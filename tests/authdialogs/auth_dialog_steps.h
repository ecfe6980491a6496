// Steps of a ModalScript that fill the first-administrator and login dialogs
// through their controls and press OK, optionally saving a screenshot first.
#pragma once

#include "gui_support.h"
#include "modal_script.h"

namespace veldrix::test {

inline ModalScript::Action LogInStep(const wxString& name, const wxString& password,
                                     const wxString& screenshot = wxString()) {
  return [=](wxDialog* dialog) {
    ModalScript::Type(dialog, "AuthLoginUsername", name);
    ModalScript::Type(dialog, "AuthLoginPassword", password);
    if (!screenshot.empty()) SaveScreenshot(dialog, screenshot);
    ModalScript::Click(dialog, wxID_OK);
  };
}

inline ModalScript::Action CreateAdministratorStep(const wxString& name, const wxString& password,
                                                   const wxString& confirmation,
                                                   const wxString& screenshot = wxString()) {
  return [=](wxDialog* dialog) {
    ModalScript::Type(dialog, "AuthSetupUsername", name);
    ModalScript::Type(dialog, "AuthSetupDisplayName", "Anna Nowak");
    ModalScript::Type(dialog, "AuthSetupPassword", password);
    ModalScript::Type(dialog, "AuthSetupPasswordConfirm", confirmation);
    if (!screenshot.empty()) SaveScreenshot(dialog, screenshot);
    ModalScript::Click(dialog, wxID_OK);
  };
}

}  // namespace veldrix::test
