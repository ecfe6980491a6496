// The two dialogs between the start of the program and its main window: the
// first administrator of an empty program database, and the login with its choice
// of saved connections. Both are laid out by XRC files in the program's "ui" folder;
// the login sequence of the main window calls them and acts on their results.
#pragma once

#include <wx/arrstr.h>
#include <wx/string.h>

#include <functional>

class AuthService;
class wxDialog;
class wxStaticText;
class wxWindow;

// What the login dialog asks its caller to do besides logging in.
struct LoginDatabaseRequest {
  bool openConfiguration = false;  // the user pressed the database button
  int index = -1;                  // never set by the dialog; >= 0 would name a saved connection
};

// Result of ShowAuthLoginDialog.
enum AuthLoginResult : int {
  kAuthLoginNone = 0,           // cancelled, closed, layout missing, or five failed attempts
  kAuthLoginDone = 1,           // a user is logged in
  kAuthLoginConfiguration = 2,  // the user asked for the database configuration
};

// Switches the program database to saved connection `index`; false with a reason.
using ConnectionSwitchCallback = std::function<bool(int index, wxString* error)>;
// Asked after a correct password whether the login may complete; false with a message.
using LoginAllowedCallback = std::function<bool(wxWindow* dialog, wxString* message)>;

// End code of the login dialog's database button.
constexpr int kAuthLoginDatabaseButtonCode = 6310;
// The login dialog gives up after this many failed attempts in one call.
constexpr int kAuthMaxLoginAttempts = 5;
// The error label shows at most this many characters (longer texts end in "...").
constexpr std::size_t kAuthErrorTextMax = 86;

// The layout's full path: "ui/<name>" beside the executable, else below the working
// folder, else in the source tree; the first one when none exists.
wxString FindAuthUiFile(const wxString& fileName);

// Loads dialog object `dialogName` from layout `fileName`, sets the illustration and
// centres it; null on failure. The caller destroys the dialog.
wxDialog* LoadAuthDialog(wxWindow* parent, const wxString& fileName, const wxString& dialogName);

// What a one-line error label shows for `text`, and its tooltip (empty when the
// whole text is shown): line breaks become blanks, an empty text one blank.
void FormatAuthErrorText(const wxString& text, wxString* shown, wxString* tooltip);
// Shows `text` in the label as FormatAuthErrorText says; nothing for a null label.
void SetAuthErrorText(wxStaticText* label, const wxString& text);

// The user name of the last successful login ("/Security/Login" "LastUsername" of
// the installed configuration); empty without one.
wxString ReadLastLoginName();
// Remembers a user name (trimmed; an empty one is not written) and flushes; false,
// with the reason for the user, when the file did not take it.
bool WriteLastLoginName(const wxString& username, wxString* error = nullptr);

// Creates the first administrator; true when one was created. Cancelling returns false.
bool ShowAuthSetupDialog(wxWindow* parent, AuthService* service);

// Shows the login until a user logs in, the user asks for the database configuration,
// the dialog is closed, or the fifth attempt failed. `request` may be null; both
// callbacks may be empty.
AuthLoginResult ShowAuthLoginDialog(wxWindow* parent, AuthService* service, const wxArrayString& savedConnectionNames,
                                    int activeIndex, LoginDatabaseRequest* request,
                                    ConnectionSwitchCallback onSwitch, LoginAllowedCallback onAllowed);
