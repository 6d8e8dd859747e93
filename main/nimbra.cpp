// The entry routine. The same executable is the browser process and every
// engine sub-process: the engine decides which inside LoadEngine.
#include <windows.h>

#include <cstdlib>

#include "FormLocal.h"
#include "application.h"
#include "cef_loader.h"
#include "main_form.h"
#include "main_module.h"
#include "mo_en.h"
#include "mo_fr.h"

namespace {

// Module initialisation in the run-time's order; finalisation in reverse.
// A module with nothing to release has no finaliser.
struct TModule {
  void (*Initialization)();
  void (*Finalization)();
};
const TModule Modules[] = {
    {CeflibInitialization, CeflibFinalization},
    {FormLocalInitialization, FormLocalFinalization},
    {MainInitialization, MainFinalization},
    {mo_enInitialization, nullptr},
    {mo_frInitialization, nullptr},
};

class TModuleScope {
 public:
  TModuleScope() {
    for (const TModule& m : Modules) {
      m.Initialization();
      ++FStarted;
    }
  }
  ~TModuleScope() {
    while (FStarted > 0)
      if (const auto finalization = Modules[--FStarted].Finalization) finalization();
  }

 private:
  size_t FStarted = 0;
};

int RunProcess() {
  EngineSettings.Locale = L"fr";
  EngineSettings.SingleProcess = false;
  if (LoadEngine()) {
    Application.Initialize();
    Application.CreateForm<TMainForm>();
    Application.Run();
    Application.DestroyForms();
  }
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int exitCode = 0;
  {
    TModuleScope modules;
    try {
      exitCode = RunProcess();
    } catch (const Exception& e) {
      Application.DestroyForms();
      ShowUncaughtError(e);
      exitCode = 1;
    } catch (const std::exception& e) {
      Application.DestroyForms();
      ShowUncaughtError(Exception(Utf8ToWide(e.what())));
      exitCode = 1;
    }
  }
  return exitCode;
}
