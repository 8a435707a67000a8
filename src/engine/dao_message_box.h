// engine/dao_message_box: the message box of the components and windows, captioned and iconed
// by its kind, and the warning box that lets the user silence repeated errors. Decides nothing
// about errors itself; boxes are shown through the GUI services.
#pragma once
#include <string>

namespace qb {

// The kind of a message box: it selects the caption and the icon.
enum TMsgCaptions { mcInformation, mcConfirmation, mcWarning, mcError };

// Set once the user answers Yes in ShowErrorBox; never cleared by the program. Process-wide,
// GUI thread only.
extern bool SuppressErrorBoxes;

// Shows TEXT in the application's modal message box with FLAGS (buttons, icon, default button)
// and returns the identifier of the pressed button. KIND gives the caption ("Information",
// "Confirmation", "Warning", "Error") and, only when FLAGS carry no icon of their own, the
// icon (information, question, exclamation, stop). Raises what the GUI services raise.
int ShowMessageBox(const std::string& text, TMsgCaptions kind, int flags);

// Call inside a catch block. When the exception being handled is an Exception and
// SuppressErrorBoxes is off, shows its message followed by the "Suppress Further Messages ?"
// question in a Warning box with Yes and No; Yes sets SuppressErrorBoxes. Otherwise shows
// nothing.
void ShowErrorBox();

}  // namespace qb
