// engine/dao_message_box: captions and icons by kind, and the suppressible warning box.
// Holds no state but SuppressErrorBoxes.
#include "engine/dao_message_box.h"

#include <exception>

#include "core/exception.h"
#include "core/resource_strings.h"
#include "framework/gui/gui_services.h"

namespace qb {

bool SuppressErrorBoxes = false;

namespace {

struct KindLook {
  int caption;
  int icon;
};

KindLook LookOf(TMsgCaptions kind) {
  switch (kind) {
    case mcInformation:
      return {kResCaptionInformation, MB_ICONINFORMATION};
    case mcConfirmation:
      return {kResCaptionConfirmation, MB_ICONQUESTION};
    case mcWarning:
      return {kResCaptionWarning, MB_ICONEXCLAMATION};
    case mcError:
      break;
  }
  return {kResCaptionError, MB_ICONSTOP};
}

}  // namespace

int ShowMessageBox(const std::string& text, TMsgCaptions kind, int flags) {
  const KindLook look = LookOf(kind);
  if ((flags & MB_ICONMASK) == 0) flags |= look.icon;
  return Gui().MessageBox(text, ResString(look.caption), flags);
}

void ShowErrorBox() {
  if (SuppressErrorBoxes) return;
  std::exception_ptr current = std::current_exception();
  if (!current) return;
  std::string message;
  try {
    std::rethrow_exception(current);
  } catch (const Exception& error) {
    message = error.Message();
  } catch (...) {
    return;
  }
  const std::string text = message + ResString(kResSuppressFurtherMessages);
  if (ShowMessageBox(text, mcWarning, MB_YESNO) == IDYES) SuppressErrorBoxes = true;
}

}  // namespace qb
