// Behaviour that tests can ask of the engine through the environment. The
// program never sets these; they let a test provoke what a real engine may do.
#ifndef NIMBRA_DEVENGINE_TEST_HOOKS_H
#define NIMBRA_DEVENGINE_TEST_HOOKS_H

namespace devengine {

// NIMBRA_ENGINE_REFUSE_INITIALIZE set and not empty: cef_initialize answers 0.
bool InitializeRefusedByTest();

}  // namespace devengine

#endif
