// The document tree as the render process reads it.
#pragma once

#include "cef_forward.h"

class ICefDomNode : public virtual ICefBase {};

class TCefDomNodeRef : public TCefBaseRefT<cef_domnode_t, ICefDomNode> {
  NIMBRA_WRAPPER_HEAD(TCefDomNodeRef, ICefDomNode, cef_domnode_t)
};
