// The native class that page script reaches as "app" in every renderer
// process: a plain class whose one public class function answers a greeting.
#pragma once

#include "cef_rtti.h"

class TTestExtension : public TObject {
  NIMBRA_RTTI_CLASS
 public:
  static ustring hello();
};
