// The engine binding: loader and settings, object bridge and strings, engine
// interfaces with their wrappers and handler bases.
#pragma once

#include "cef_api.h"
#include "cef_base.h"
#include "cef_convert.h"
#include "cef_forward.h"
#include "cef_handlers.h"
#include "cef_interfaces.h"
#include "cef_loader.h"
#include "cef_string.h"
#include "cef_wrappers.h"
