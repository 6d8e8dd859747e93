#include "cef_dom.h"

#include "cef_wrappers.h"

void TCefDomNodeRef::AddEventListenerProc(const ustring& eventType, bool useCapture,
                                          const TCefDomEventListenerProc& proc) {
  if (!proc) return;
  AddEventListener(eventType, useCapture, CefNew<TCefFastDomEventListener>(proc));
}
