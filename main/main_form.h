// The main window.
#pragma once

#include "application.h"

class TMainForm : public TForm {
 public:
  TMainForm();
};
