// Behaviour that tests can ask of the engine through the environment. The
// program never sets these; they let a test provoke what a real engine may do.
#ifndef NIMBRA_DEVENGINE_TEST_HOOKS_H
#define NIMBRA_DEVENGINE_TEST_HOOKS_H

#include <optional>
#include <string>

namespace devengine {

// NIMBRA_ENGINE_REFUSE_INITIALIZE set and not empty: cef_initialize answers 0.
bool InitializeRefusedByTest();

// NIMBRA_ENGINE_DIALOG_ANSWER set and not empty: the engine's own dialogs
// show nothing and answer with its text at once (see own_dialogs.h).
std::optional<std::wstring> DialogAnswerByTest();

}  // namespace devengine

#endif
