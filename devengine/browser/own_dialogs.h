// The engine's own dialogs, for what a page asks when the program does not
// answer it: alert, confirm and prompt, the before-unload confirmation and
// the print dialog. Each is modal to the top-level window of `owner` and runs
// on the UI thread until it is closed.
//
// Every question is traced (`dialog kind=<kind> message="..." default="..."`,
// for all but print the dialog's own texts `title="..." accept_button="..."
// cancel_button="..."` in the engine's language, then
// `answer=<accept|cancel>`). With NIMBRA_ENGINE_DIALOG_ANSWER set, no
// dialog shows: "accept" accepts (a prompt keeps its default text),
// "accept:<text>" accepts with that text, anything else cancels.
#ifndef NIMBRA_DEVENGINE_BROWSER_OWN_DIALOGS_H
#define NIMBRA_DEVENGINE_BROWSER_OWN_DIALOGS_H

#include <windows.h>

#include <string>

#include "renderer/pipe_messages.h"

namespace devengine::browser {

renderer::messages::DialogAnswer ShowOwnDialog(HWND owner, renderer::DialogKind kind,
                                               const std::wstring& message,
                                               const std::wstring& defaultText);

}  // namespace devengine::browser

#endif
