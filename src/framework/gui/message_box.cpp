// framework/gui/message_box: reads message box flags; knows nothing of how a box is shown.
#include "framework/gui/message_box.h"

#include <cstdio>

#include "core/exception.h"

namespace qb {

std::vector<int> MessageBoxButtons(int flags) {
  switch (flags & MB_TYPEMASK) {
    case MB_OK: return {IDOK};
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
  }
  throw Exception("Message box flags 0x" + [&] {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(flags));
    return std::string(buffer);
  }() + " name no known button set.");
}

int MessageBoxDefaultButton(int flags) {
  std::vector<int> buttons = MessageBoxButtons(flags);
  size_t index = static_cast<size_t>((flags & MB_DEFMASK) >> 8);
  return index < buttons.size() ? buttons[index] : buttons.front();
}

int MessageBoxCloseAnswer(int flags) {
  std::vector<int> buttons = MessageBoxButtons(flags);
  for (int preferred : {IDCANCEL, IDOK, IDNO, IDABORT}) {
    for (int id : buttons) {
      if (id == preferred) return id;
    }
  }
  return buttons.front();
}

MessageIcon MessageBoxIcon(int flags) {
  switch (flags & MB_ICONMASK) {
    case MB_ICONSTOP: return MessageIcon::kStop;
    case MB_ICONQUESTION: return MessageIcon::kQuestion;
    case MB_ICONEXCLAMATION: return MessageIcon::kExclamation;
    case MB_ICONINFORMATION: return MessageIcon::kInformation;
    default: return MessageIcon::kNone;
  }
}

std::string ButtonIdName(int id) {
  switch (id) {
    case IDOK: return "IDOK";
    case IDCANCEL: return "IDCANCEL";
    case IDABORT: return "IDABORT";
    case IDRETRY: return "IDRETRY";
    case IDIGNORE: return "IDIGNORE";
    case IDYES: return "IDYES";
    case IDNO: return "IDNO";
  }
  return "ID?" + std::to_string(id);
}

}  // namespace qb
