// The one permission test of the program, over the logged-in user of an
// AuthService: the main window answers VeldrixFrame::HasPermission with it, and
// through that the start page, the tab openers and the module host.
#pragma once

#include <wx/string.h>

class AuthService;

// Nobody logged in: false. An administrator: true for every key, also an empty one
// or one that no catalogue lists. Anyone else: true when one of the user's roles
// grants the key; an empty key, a missing database or a failed query give false.
bool UserHasPermission(const AuthService* service, const wxString& key);

// The query that finds a grant; both texts are quoted as SQL literals.
wxString UserPermissionSql(const wxString& username, const wxString& key);
