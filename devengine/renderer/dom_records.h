// The document tree as the renderer's program reads it: the engine's
// document, node and event records over a parsed page.
//
// A frame holds the LiveDocument it shows; every record made over it holds
// it too, so a node the program keeps stays valid after the frame shows
// another page. All of it is used on the renderer's main thread only.
#ifndef NIMBRA_DEVENGINE_RENDERER_DOM_RECORDS_H
#define NIMBRA_DEVENGINE_RENDERER_DOM_RECORDS_H

#include <memory>
#include <string>
#include <vector>

#include "cef_capi.h"
#include "page/html.h"
#include "record_ref.h"

namespace devengine::renderer {

// Node type codes, those of the W3C document object model.
enum DomNodeType : cef_dom_node_type_t {
  kDomElementNode = 1,
  kDomTextNode = 3,
  kDomCommentNode = 8,
  kDomDocumentNode = 9,
};
// Document type codes: every document here is an HTML one.
enum DomDocumentType : cef_dom_document_type_t { kDomUnknownDocument = 0, kDomHtmlDocument = 1 };

class LiveDocument {
 public:
  struct Listener {
    const page::Node* node;
    std::wstring event_type;
    bool use_capture;
    RecordRef<cef_domevent_listener_t> listener;
  };

  LiveDocument(std::shared_ptr<page::Document> tree, std::wstring url);

  page::Document& tree() const { return *tree_; }
  const std::wstring& url() const { return url_; }
  // Listeners fire while the document is shown; the listener record is held
  // until then. A document no longer shown lets `listener` go at once.
  void AddListener(const page::Node& node, std::wstring event_type, bool use_capture,
                   RecordRef<cef_domevent_listener_t> listener);
  const std::vector<Listener>& listeners() const { return listeners_; }
  // The frame shows another document: every listener is let go.
  void Detach();

 private:
  std::shared_ptr<page::Document> tree_;
  std::wstring url_;
  std::vector<Listener> listeners_;
  bool shown_ = true;
};

// Each answers a new record with one reference for the caller; a null node
// gives a null record.
cef_domdocument_t* NewDomDocument(std::shared_ptr<LiveDocument> document);
cef_domnode_t* NewDomNode(std::shared_ptr<LiveDocument> document, page::Node* node);

struct DomEventFacts {
  std::wstring type;
  cef_dom_event_category_t category = 0;
  cef_dom_event_phase_t phase = 0;
  bool can_bubble = false;
  bool can_cancel = false;
  page::Node* target = nullptr;
  page::Node* current_target = nullptr;
};
cef_domevent_t* NewDomEvent(std::shared_ptr<LiveDocument> document, DomEventFacts facts);

}  // namespace devengine::renderer

#endif
