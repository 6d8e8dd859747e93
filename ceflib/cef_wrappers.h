// Every wrapper of an engine record: each holds one engine reference and
// forwards its interface's operations to the record's entries (cef_convert.h).
#pragma once

#include "cef_browser.h"
#include "cef_dom.h"
#include "cef_utils.h"
#include "cef_values.h"
#include "cef_closures.h"
