// The settings a program starts the engine with.
#ifndef NIMBRA_DEVENGINE_ENGINE_SETTINGS_H
#define NIMBRA_DEVENGINE_ENGINE_SETTINGS_H

#include "cef_capi.h"

namespace devengine {

// The engine's own copy of a program's settings; every text in it is
// engine-owned, so the program may free its record at once.
class OwnedSettings {
 public:
  explicit OwnedSettings(const cef_settings_t& from);
  OwnedSettings(const OwnedSettings&) = delete;
  OwnedSettings& operator=(const OwnedSettings&) = delete;
  ~OwnedSettings();

  const cef_settings_t& get() const { return settings_; }

 private:
  cef_settings_t settings_;
};

// Traces the `initialize` line: every field of the record as the program
// passed it.
void TraceSettings(const cef_settings_t& settings);

}  // namespace devengine

#endif
