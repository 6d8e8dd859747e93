// The main window. It holds the main browser view `crm`, which fills the
// client area and shows the address given on the command line.
#pragma once

#include <memory>

#include "application.h"
#include "chromium.h"

class TMainForm : public TForm {
 public:
  TMainForm();

  TChromium& crm() noexcept { return *Fcrm; }

 private:
  // Destroyed before the form's window, as the browser views go first.
  std::unique_ptr<TChromium> Fcrm;
};

// The first argument of the process's command line: blanks separate
// arguments, double quotes group one and are dropped. Empty when none.
std::wstring FirstCommandLineArgument(const std::wstring& commandLine);
