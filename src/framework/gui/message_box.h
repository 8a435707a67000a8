// framework/gui/message_box: the message box vocabulary the windows speak (button-set, icon and
// default-button flags; identifiers of the pressed button) and the rules that read the flags.
// Shows nothing itself: boxes are shown by the GUI services.
#pragma once
#include <string>
#include <vector>

namespace qb {

// Button sets (low nibble of the flags).
inline constexpr int MB_OK = 0x0;
inline constexpr int MB_OKCANCEL = 0x1;
inline constexpr int MB_ABORTRETRYIGNORE = 0x2;
inline constexpr int MB_YESNOCANCEL = 0x3;
inline constexpr int MB_YESNO = 0x4;
inline constexpr int MB_RETRYCANCEL = 0x5;
inline constexpr int MB_TYPEMASK = 0xF;

// Icons (second nibble). Any other value in the icon nibble means no icon.
inline constexpr int MB_ICONSTOP = 0x10;
inline constexpr int MB_ICONERROR = 0x10;
inline constexpr int MB_ICONHAND = 0x10;
inline constexpr int MB_ICONQUESTION = 0x20;
inline constexpr int MB_ICONEXCLAMATION = 0x30;
inline constexpr int MB_ICONWARNING = 0x30;
inline constexpr int MB_ICONINFORMATION = 0x40;
inline constexpr int MB_ICONASTERISK = 0x40;
inline constexpr int MB_ICONMASK = 0xF0;

// Default button (third nibble): the first, second, third or fourth button of the set.
inline constexpr int MB_DEFBUTTON1 = 0x000;
inline constexpr int MB_DEFBUTTON2 = 0x100;
inline constexpr int MB_DEFBUTTON3 = 0x200;
inline constexpr int MB_DEFBUTTON4 = 0x300;
inline constexpr int MB_DEFMASK = 0xF00;

// Identifiers of the pressed button.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

enum class MessageIcon { kNone, kStop, kQuestion, kExclamation, kInformation };

// The buttons a box with FLAGS offers, as identifiers in on-screen order (MB_YESNOCANCEL gives
// IDYES, IDNO, IDCANCEL). Raises Exception when the button-set nibble names no known set.
std::vector<int> MessageBoxButtons(int flags);

// The identifier of the default button of a box with FLAGS: the MB_DEFBUTTONn-th of its buttons,
// or the first when the set has fewer buttons. Raises Exception as MessageBoxButtons.
int MessageBoxDefaultButton(int flags);

// The identifier a box with FLAGS gives when the user closes it without choosing a button
// (Escape, the window's close box): IDCANCEL when the set has Cancel, IDOK for a lone OK,
// IDNO for Yes/No, IDABORT for Abort/Retry/Ignore. Raises Exception as MessageBoxButtons.
int MessageBoxCloseAnswer(int flags);

// The icon selected by the icon nibble of FLAGS.
MessageIcon MessageBoxIcon(int flags);

// "IDYES", "IDCANCEL", ...; "ID?<n>" for an unknown identifier. For messages and logs.
std::string ButtonIdName(int id);

}  // namespace qb
