// The engine's menu model: an ordered list of items (commands, check and
// radio items, separators and sub-menus), each with a label, a group, an
// accelerator and visible, enabled and checked flags. Items are found by
// command id (the first item with it) or by position. There is no export
// that makes one: the engine makes them for the menus it offers the program,
// on its UI thread, which is the only thread that uses them.
#ifndef NIMBRA_DEVENGINE_MENU_MODEL_H
#define NIMBRA_DEVENGINE_MENU_MODEL_H

#include "cef_capi.h"

namespace devengine {

// An empty menu; its one reference belongs to the caller.
cef_menu_model_t* NewMenuModel();

}  // namespace devengine

#endif
