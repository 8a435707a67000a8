// app/progress/progress_types: the enumerations and event types shared by the progress
// indicator component and its window. Declarations only.
#pragma once
#include <QObject>
#include <functional>

namespace qb {

class TProgressDialog;

// The cancel button of the progress window: shown and enabled / shown disabled / hidden.
enum TCancelBtnState { cbsAllowCancel, cbsDisableCancelBtn, cbsHideCancelBtn };

// The frame of the progress window: a tool-window frame with a small caption, a dialog frame,
// or a dialog frame without a caption bar.
enum TCaptionStyle { csSmallCaption, csNormalCaption, csNoCaption };

// Where a window is placed when it is shown: poDesigned at its Left and Top; poDefault,
// poDefaultPosOnly and poDefaultSizeOnly where the window system puts it (poDefaultSizeOnly
// keeps Left and Top); poScreenCenter in the middle of the screen it is on; poDesktopCenter in
// the middle of the whole desktop.
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter };

// The long operation: runs inside the progress window (SENDER), which it may ask whether the
// user cancelled and through which it lets pending events run. DATA is what Execute was given.
using TStartOperationEvent = std::function<void(TProgressDialog& sender, QObject* data)>;

// Asked when the user presses cancel; CANCEL_OPERATION arrives true and may be set false to
// refuse the cancel.
using TProgressOperationCancelEvent = std::function<void(TProgressDialog& sender, bool& cancel_operation)>;

}  // namespace qb
