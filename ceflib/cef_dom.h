// The document tree as the render process reads it: documents, nodes and the
// events that listeners receive. Used only inside the renderer's DOM visitor
// and event-listener calls, on the thread the engine makes them on. Getters
// that find nothing answer a null interface or an empty text.
#pragma once

#include "cef_closures.h"
#include "cef_forward.h"

using TCefDomDocumentType = cef_dom_document_type_t;
using TCefDomNodeType = cef_dom_node_type_t;
using TCefDomEventCategory = cef_dom_event_category_t;
using TCefDomEventPhase = cef_dom_event_phase_t;

class ICefDomDocument : public virtual ICefBase {
 public:
  using PNode = TInterfacePtr<ICefDomNode>;

  virtual TCefDomDocumentType GetType() = 0;
  virtual PNode GetDocument() = 0;
  virtual PNode GetBody() = 0;
  virtual PNode GetHead() = 0;
  virtual ustring GetTitle() = 0;
  virtual PNode GetElementById(const ustring& id) = 0;
  virtual PNode GetFocusedNode() = 0;
  virtual bool HasSelection() = 0;
  virtual PNode GetSelectionStartNode() = 0;
  virtual int GetSelectionStartOffset() = 0;
  virtual PNode GetSelectionEndNode() = 0;
  virtual int GetSelectionEndOffset() = 0;
  virtual ustring GetSelectionAsMarkup() = 0;
  virtual ustring GetSelectionAsText() = 0;
  virtual ustring GetBaseUrl() = 0;
  virtual ustring GetCompleteUrl(const ustring& partialUrl) = 0;
};

class ICefDomNode : public virtual ICefBase {
 public:
  using PNode = TInterfacePtr<ICefDomNode>;

  virtual TCefDomNodeType GetType() = 0;
  virtual bool IsText() = 0;
  virtual bool IsElement() = 0;
  virtual bool IsEditable() = 0;
  virtual bool IsFormControlElement() = 0;
  virtual ustring GetFormControlElementType() = 0;
  virtual bool IsSame(const PNode& that) = 0;
  virtual ustring GetName() = 0;
  virtual ustring GetValue() = 0;
  virtual bool SetValue(const ustring& value) = 0;
  virtual ustring GetAsMarkup() = 0;
  virtual TInterfacePtr<ICefDomDocument> GetDocument() = 0;
  virtual PNode GetParent() = 0;
  virtual PNode GetPreviousSibling() = 0;
  virtual PNode GetNextSibling() = 0;
  virtual bool HasChildren() = 0;
  virtual PNode GetFirstChild() = 0;
  virtual PNode GetLastChild() = 0;
  virtual void AddEventListener(const ustring& eventType, bool useCapture,
                                const TInterfacePtr<ICefDomEventListener>& listener) = 0;
  // An empty closure registers nothing.
  virtual void AddEventListenerProc(const ustring& eventType, bool useCapture,
                                    const TCefDomEventListenerProc& proc) = 0;
  virtual ustring GetElementTagName() = 0;
  virtual bool HasElementAttributes() = 0;
  virtual bool HasElementAttribute(const ustring& attrName) = 0;
  virtual ustring GetElementAttribute(const ustring& attrName) = 0;
  virtual void GetElementAttributes(cef_string_map_t attrMap) = 0;
  virtual bool SetElementAttribute(const ustring& attrName, const ustring& value) = 0;
  virtual ustring GetElementInnerText() = 0;
};

class ICefDomEvent : public virtual ICefBase {
 public:
  virtual ustring GetType() = 0;
  virtual TCefDomEventCategory GetCategory() = 0;
  virtual TCefDomEventPhase GetPhase() = 0;
  virtual bool CanBubble() = 0;
  virtual bool CanCancel() = 0;
  virtual TInterfacePtr<ICefDomDocument> GetDocument() = 0;
  virtual TInterfacePtr<ICefDomNode> GetTarget() = 0;
  virtual TInterfacePtr<ICefDomNode> GetCurrentTarget() = 0;
};

class TCefDomDocumentRef : public TCefBaseRefT<cef_domdocument_t, ICefDomDocument> {
  NIMBRA_WRAPPER_HEAD(TCefDomDocumentRef, ICefDomDocument, cef_domdocument_t)

  using Rec = cef_domdocument_t;
  TCefDomDocumentType GetType() override { return Call<TCefDomDocumentType>(&Rec::get_type); }
  PNode GetDocument() override { return Call<PNode>(&Rec::get_document); }
  PNode GetBody() override { return Call<PNode>(&Rec::get_body); }
  PNode GetHead() override { return Call<PNode>(&Rec::get_head); }
  ustring GetTitle() override { return Call<ustring>(&Rec::get_title); }
  PNode GetElementById(const ustring& id) override {
    return Call<PNode>(&Rec::get_element_by_id, id);
  }
  PNode GetFocusedNode() override { return Call<PNode>(&Rec::get_focused_node); }
  bool HasSelection() override { return Call<bool>(&Rec::has_selection); }
  PNode GetSelectionStartNode() override { return Call<PNode>(&Rec::get_selection_start_node); }
  int GetSelectionStartOffset() override { return Call<int>(&Rec::get_selection_start_offset); }
  PNode GetSelectionEndNode() override { return Call<PNode>(&Rec::get_selection_end_node); }
  int GetSelectionEndOffset() override { return Call<int>(&Rec::get_selection_end_offset); }
  ustring GetSelectionAsMarkup() override { return Call<ustring>(&Rec::get_selection_as_markup); }
  ustring GetSelectionAsText() override { return Call<ustring>(&Rec::get_selection_as_text); }
  ustring GetBaseUrl() override { return Call<ustring>(&Rec::get_base_url); }
  ustring GetCompleteUrl(const ustring& partialUrl) override {
    return Call<ustring>(&Rec::get_complete_url, partialUrl);
  }
};

class TCefDomNodeRef : public TCefBaseRefT<cef_domnode_t, ICefDomNode> {
  NIMBRA_WRAPPER_HEAD(TCefDomNodeRef, ICefDomNode, cef_domnode_t)

  using Rec = cef_domnode_t;
  TCefDomNodeType GetType() override { return Call<TCefDomNodeType>(&Rec::get_type); }
  bool IsText() override { return Call<bool>(&Rec::is_text); }
  bool IsElement() override { return Call<bool>(&Rec::is_element); }
  bool IsEditable() override { return Call<bool>(&Rec::is_editable); }
  bool IsFormControlElement() override { return Call<bool>(&Rec::is_form_control_element); }
  ustring GetFormControlElementType() override {
    return Call<ustring>(&Rec::get_form_control_element_type);
  }
  bool IsSame(const PNode& that) override { return Call<bool>(&Rec::is_same, that); }
  ustring GetName() override { return Call<ustring>(&Rec::get_name); }
  ustring GetValue() override { return Call<ustring>(&Rec::get_value); }
  bool SetValue(const ustring& value) override { return Call<bool>(&Rec::set_value, value); }
  ustring GetAsMarkup() override { return Call<ustring>(&Rec::get_as_markup); }
  TInterfacePtr<ICefDomDocument> GetDocument() override {
    return Call<TInterfacePtr<ICefDomDocument>>(&Rec::get_document);
  }
  PNode GetParent() override { return Call<PNode>(&Rec::get_parent); }
  PNode GetPreviousSibling() override { return Call<PNode>(&Rec::get_previous_sibling); }
  PNode GetNextSibling() override { return Call<PNode>(&Rec::get_next_sibling); }
  bool HasChildren() override { return Call<bool>(&Rec::has_children); }
  PNode GetFirstChild() override { return Call<PNode>(&Rec::get_first_child); }
  PNode GetLastChild() override { return Call<PNode>(&Rec::get_last_child); }
  void AddEventListener(const ustring& eventType, bool useCapture,
                        const TInterfacePtr<ICefDomEventListener>& listener) override {
    Call(&Rec::add_event_listener, eventType, listener, useCapture);
  }
  void AddEventListenerProc(const ustring& eventType, bool useCapture,
                            const TCefDomEventListenerProc& proc) override;
  ustring GetElementTagName() override { return Call<ustring>(&Rec::get_element_tag_name); }
  bool HasElementAttributes() override { return Call<bool>(&Rec::has_element_attributes); }
  bool HasElementAttribute(const ustring& attrName) override {
    return Call<bool>(&Rec::has_element_attribute, attrName);
  }
  ustring GetElementAttribute(const ustring& attrName) override {
    return Call<ustring>(&Rec::get_element_attribute, attrName);
  }
  void GetElementAttributes(cef_string_map_t attrMap) override {
    Call(&Rec::get_element_attributes, attrMap);
  }
  bool SetElementAttribute(const ustring& attrName, const ustring& value) override {
    return Call<bool>(&Rec::set_element_attribute, attrName, value);
  }
  ustring GetElementInnerText() override { return Call<ustring>(&Rec::get_element_inner_text); }
};

class TCefDomEventRef : public TCefBaseRefT<cef_domevent_t, ICefDomEvent> {
  NIMBRA_WRAPPER_HEAD(TCefDomEventRef, ICefDomEvent, cef_domevent_t)

  using Rec = cef_domevent_t;
  ustring GetType() override { return Call<ustring>(&Rec::get_type); }
  TCefDomEventCategory GetCategory() override {
    return Call<TCefDomEventCategory>(&Rec::get_category);
  }
  TCefDomEventPhase GetPhase() override { return Call<TCefDomEventPhase>(&Rec::get_phase); }
  bool CanBubble() override { return Call<bool>(&Rec::can_bubble); }
  bool CanCancel() override { return Call<bool>(&Rec::can_cancel); }
  TInterfacePtr<ICefDomDocument> GetDocument() override {
    return Call<TInterfacePtr<ICefDomDocument>>(&Rec::get_document);
  }
  TInterfacePtr<ICefDomNode> GetTarget() override {
    return Call<TInterfacePtr<ICefDomNode>>(&Rec::get_target);
  }
  TInterfacePtr<ICefDomNode> GetCurrentTarget() override {
    return Call<TInterfacePtr<ICefDomNode>>(&Rec::get_current_target);
  }
};
