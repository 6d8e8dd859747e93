#include "dom_records.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>
#include <utility>

#include "ascii.h"
#include "dom_markup.h"
#include "engine_object.h"
#include "engine_strings.h"
#include "exports.h"
#include "url.h"

namespace devengine::renderer {
namespace {

using page::Node;

cef_string_userfree_t Text(std::wstring_view text) { return NewUserFreeString(text); }

bool IsElementNamed(const Node& node, std::wstring_view name) {
  return node.kind == Node::Kind::Element && node.name == name;
}

bool IsFormControl(const Node& node) {
  static constexpr std::array<std::wstring_view, 4> kControls = {L"INPUT", L"SELECT", L"TEXTAREA",
                                                                 L"BUTTON"};
  return node.kind == Node::Kind::Element &&
         std::ranges::find(kControls, node.name) != kControls.end();
}

std::wstring AttributeOr(const Node& node, std::wstring_view name, std::wstring_view fallback) {
  const std::wstring* value = node.Attribute(name);
  return value == nullptr || value->empty() ? std::wstring(fallback) : AsciiLower(*value);
}

std::wstring FormControlType(const Node& node) {
  if (!IsFormControl(node)) return {};
  if (node.name == L"INPUT") return AttributeOr(node, L"type", L"text");
  if (node.name == L"BUTTON") return AttributeOr(node, L"type", L"submit");
  if (node.name == L"SELECT") {
    return node.Attribute(L"multiple") != nullptr ? L"select-multiple" : L"select-one";
  }
  return L"textarea";
}

// Text fields take typing; so does any element marked content-editable.
bool TakesTyping(const Node& node) {
  if (node.kind != Node::Kind::Element || node.Attribute(L"disabled") != nullptr ||
      node.Attribute(L"readonly") != nullptr) {
    return false;
  }
  if (const std::wstring* editable = node.Attribute(L"contenteditable")) {
    return AsciiLower(*editable) != L"false";
  }
  static constexpr std::array<std::wstring_view, 8> kTextInputs = {
      L"text", L"search", L"password", L"email", L"url", L"tel", L"number", L""};
  if (node.name == L"TEXTAREA") return true;
  return node.name == L"INPUT" &&
         std::ranges::find(kTextInputs, AttributeOr(node, L"type", L"")) != kTextInputs.end();
}

std::wstring TextContent(const Node& node) {
  if (node.kind == Node::Kind::Text) return node.text;
  std::wstring text;
  for (const auto& child : node.children) text += TextContent(*child);
  return text;
}

const Node* FindElementWithId(const Node& node, std::wstring_view id) {
  if (const std::wstring* own = node.Attribute(L"id");
      node.kind == Node::Kind::Element && own != nullptr && *own == id) {
    return &node;
  }
  for (const auto& child : node.children) {
    if (const Node* found = FindElementWithId(*child, id)) return found;
  }
  return nullptr;
}

// The position of `node` among its parent's children.
std::ptrdiff_t IndexOf(const Node& node) {
  const auto& siblings = node.parent->children;
  const auto at =
      std::ranges::find_if(siblings, [&](const auto& child) { return child.get() == &node; });
  return at - siblings.begin();
}

class DomDocument final : public EngineObject<cef_domdocument_t> {
 public:
  explicit DomDocument(std::shared_ptr<LiveDocument> document);

 private:
  cef_domnode_t* RecordOf(page::Node* node) const { return NewDomNode(document_, node); }
  page::Document& tree() const { return document_->tree(); }

  cef_dom_document_type_t GetType() { return kDomHtmlDocument; }
  cef_domnode_t* GetDocument() { return RecordOf(tree().root.get()); }
  cef_domnode_t* GetBody() { return RecordOf(tree().Body()); }
  cef_domnode_t* GetHead() { return RecordOf(tree().Head()); }
  cef_string_userfree_t GetTitle() { return Text(tree().Title()); }
  cef_domnode_t* GetElementById(const cef_string_t* id) {
    const std::wstring wanted = ToWString(id);
    if (wanted.empty()) return nullptr;
    return RecordOf(const_cast<page::Node*>(FindElementWithId(*tree().root, wanted)));
  }
  // Nothing has the focus or a selection in a page nobody types into.
  cef_domnode_t* GetFocusedNode() { return nullptr; }
  int HasSelection() { return 0; }
  cef_domnode_t* GetSelectionStartNode() { return nullptr; }
  int GetSelectionStartOffset() { return 0; }
  cef_domnode_t* GetSelectionEndNode() { return nullptr; }
  int GetSelectionEndOffset() { return 0; }
  cef_string_userfree_t GetSelectionAsMarkup() { return Text({}); }
  cef_string_userfree_t GetSelectionAsText() { return Text({}); }
  cef_string_userfree_t GetBaseUrl() { return Text(BaseUrl()); }
  cef_string_userfree_t GetCompleteUrl(const cef_string_t* partial_url) {
    return Text(ResolveUrl(BaseUrl(), ToWString(partial_url)).value_or(std::wstring()));
  }

  // The first BASE element with an address decides; else the page's own.
  std::wstring BaseUrl() const {
    for (const page::Node* base : tree().ElementsByTag(L"BASE")) {
      if (const std::wstring* href = base->Attribute(L"href")) {
        if (auto resolved = ResolveUrl(document_->url(), *href)) return *resolved;
      }
    }
    return document_->url();
  }

  std::shared_ptr<LiveDocument> document_;
};

class DomNode final : public EngineObject<cef_domnode_t> {
 public:
  DomNode(std::shared_ptr<LiveDocument> document, page::Node& node);

 private:
  // The node behind a record of this class; null for any other record, so
  // that a record the program made itself is never taken for one.
  static DomNode* Of(cef_domnode_t* record) {
    if (record == nullptr || record->base.size != sizeof(cef_domnode_t) ||
        record->get_name != EntryOf<&DomNode::GetName>) {
      return nullptr;
    }
    return static_cast<DomNode*>(FromRecord(record));
  }

  cef_domnode_t* RecordOf(page::Node* node) const { return NewDomNode(document_, node); }
  bool IsElementNode() const { return node_.kind == page::Node::Kind::Element; }
  page::Node* Sibling(std::ptrdiff_t step) const {
    if (node_.parent == nullptr) return nullptr;
    const std::ptrdiff_t at = IndexOf(node_) + step;
    const auto& siblings = node_.parent->children;
    return at < 0 || at >= std::ssize(siblings) ? nullptr : siblings[at].get();
  }

  cef_dom_node_type_t GetType() {
    switch (node_.kind) {
      case page::Node::Kind::Document:
        return kDomDocumentNode;
      case page::Node::Kind::Text:
        return kDomTextNode;
      case page::Node::Kind::Comment:
        return kDomCommentNode;
      case page::Node::Kind::Element:
        break;
    }
    return kDomElementNode;
  }
  int IsText() { return Flag(node_.kind == page::Node::Kind::Text); }
  int IsElement() { return Flag(IsElementNode()); }
  int IsEditable() { return Flag(TakesTyping(node_)); }
  int IsFormControlElement() { return Flag(IsFormControl(node_)); }
  cef_string_userfree_t GetFormControlElementType() { return Text(FormControlType(node_)); }
  int IsSame(cef_domnode_t* that) {
    const auto other = RecordRef<cef_domnode_t>::Adopt(that);
    const DomNode* node = Of(that);
    return Flag(node != nullptr && &node->node_ == &node_);
  }
  cef_string_userfree_t GetName() { return Text(node_.name); }
  // Text and comments hold their text; form controls their value.
  cef_string_userfree_t GetValue() {
    if (!IsElementNode()) return Text(node_.text);
    if (IsElementNamed(node_, L"TEXTAREA")) return Text(TextContent(node_));
    const std::wstring* value = IsFormControl(node_) ? node_.Attribute(L"value") : nullptr;
    return Text(value == nullptr ? std::wstring_view() : std::wstring_view(*value));
  }
  int SetValue(const cef_string_t* value) {
    if (node_.kind == page::Node::Kind::Text || node_.kind == page::Node::Kind::Comment) {
      node_.text = ToWString(value);
      return 1;
    }
    if (!IsFormControl(node_) || node_.name == L"TEXTAREA") return 0;
    return SetAttribute(L"value", ToWString(value));
  }
  cef_string_userfree_t GetAsMarkup() { return Text(MarkupOf(node_)); }
  cef_domdocument_t* GetDocument() { return NewDomDocument(document_); }
  cef_domnode_t* GetParent() { return RecordOf(node_.parent); }
  cef_domnode_t* GetPreviousSibling() { return RecordOf(Sibling(-1)); }
  cef_domnode_t* GetNextSibling() { return RecordOf(Sibling(+1)); }
  int HasChildren() { return Flag(!node_.children.empty()); }
  cef_domnode_t* GetFirstChild() {
    return RecordOf(node_.children.empty() ? nullptr : node_.children.front().get());
  }
  cef_domnode_t* GetLastChild() {
    return RecordOf(node_.children.empty() ? nullptr : node_.children.back().get());
  }
  void AddEventListener(const cef_string_t* event_type, cef_domevent_listener_t* listener,
                        int use_capture) {
    auto held = RecordRef<cef_domevent_listener_t>::Adopt(listener);
    std::wstring type = ToWString(event_type);
    if (!held || type.empty()) return;
    document_->AddListener(node_, std::move(type), use_capture != 0, std::move(held));
  }
  cef_string_userfree_t GetElementTagName() {
    return Text(IsElementNode() ? std::wstring_view(node_.name) : std::wstring_view());
  }
  int HasElementAttributes() { return Flag(IsElementNode() && !node_.attributes.empty()); }
  int HasElementAttribute(const cef_string_t* name) {
    return Flag(IsElementNode() && node_.Attribute(AsciiLower(ViewOf(name))) != nullptr);
  }
  cef_string_userfree_t GetElementAttribute(const cef_string_t* name) {
    const std::wstring* value =
        IsElementNode() ? node_.Attribute(AsciiLower(ViewOf(name))) : nullptr;
    return Text(value == nullptr ? std::wstring_view() : std::wstring_view(*value));
  }
  void GetElementAttributes(cef_string_map_t map) {
    if (!IsElementNode()) return;
    for (const auto& [name, value] : node_.attributes) {
      const cef_string_t key = Borrow(name);
      const cef_string_t text = Borrow(value);
      cef_string_map_append(map, &key, &text);
    }
  }
  int SetElementAttribute(const cef_string_t* name, const cef_string_t* value) {
    return SetAttribute(AsciiLower(ViewOf(name)), ToWString(value));
  }
  cef_string_userfree_t GetElementInnerText() {
    return Text(IsElementNode() ? page::InnerText(node_) : std::wstring());
  }

  int SetAttribute(std::wstring name, std::wstring value) {
    if (!IsElementNode() || name.empty()) return 0;
    auto& attributes = node_.attributes;
    const auto at =
        std::ranges::find(attributes, name, &std::pair<std::wstring, std::wstring>::first);
    if (at != attributes.end()) {
      at->second = std::move(value);
    } else {
      attributes.emplace_back(std::move(name), std::move(value));
    }
    return 1;
  }

  std::shared_ptr<LiveDocument> document_;
  page::Node& node_;
};

class DomEvent final : public EngineObject<cef_domevent_t> {
 public:
  DomEvent(std::shared_ptr<LiveDocument> document, DomEventFacts facts);

 private:
  cef_string_userfree_t GetType() { return Text(facts_.type); }
  cef_dom_event_category_t GetCategory() { return facts_.category; }
  cef_dom_event_phase_t GetPhase() { return facts_.phase; }
  int CanBubble() { return Flag(facts_.can_bubble); }
  int CanCancel() { return Flag(facts_.can_cancel); }
  cef_domdocument_t* GetDocument() { return NewDomDocument(document_); }
  cef_domnode_t* GetTarget() { return NewDomNode(document_, facts_.target); }
  cef_domnode_t* GetCurrentTarget() { return NewDomNode(document_, facts_.current_target); }

  std::shared_ptr<LiveDocument> document_;
  DomEventFacts facts_;
};

DomDocument::DomDocument(std::shared_ptr<LiveDocument> document) : document_(std::move(document)) {
  cef_domdocument_t& record = entries();
  record.get_type = EntryOf<&DomDocument::GetType>;
  record.get_document = EntryOf<&DomDocument::GetDocument>;
  record.get_body = EntryOf<&DomDocument::GetBody>;
  record.get_head = EntryOf<&DomDocument::GetHead>;
  record.get_title = EntryOf<&DomDocument::GetTitle>;
  record.get_element_by_id = EntryOf<&DomDocument::GetElementById>;
  record.get_focused_node = EntryOf<&DomDocument::GetFocusedNode>;
  record.has_selection = EntryOf<&DomDocument::HasSelection>;
  record.get_selection_start_node = EntryOf<&DomDocument::GetSelectionStartNode>;
  record.get_selection_start_offset = EntryOf<&DomDocument::GetSelectionStartOffset>;
  record.get_selection_end_node = EntryOf<&DomDocument::GetSelectionEndNode>;
  record.get_selection_end_offset = EntryOf<&DomDocument::GetSelectionEndOffset>;
  record.get_selection_as_markup = EntryOf<&DomDocument::GetSelectionAsMarkup>;
  record.get_selection_as_text = EntryOf<&DomDocument::GetSelectionAsText>;
  record.get_base_url = EntryOf<&DomDocument::GetBaseUrl>;
  record.get_complete_url = EntryOf<&DomDocument::GetCompleteUrl>;
}

DomNode::DomNode(std::shared_ptr<LiveDocument> document, page::Node& node)
    : document_(std::move(document)), node_(node) {
  cef_domnode_t& record = entries();
  record.get_type = EntryOf<&DomNode::GetType>;
  record.is_text = EntryOf<&DomNode::IsText>;
  record.is_element = EntryOf<&DomNode::IsElement>;
  record.is_editable = EntryOf<&DomNode::IsEditable>;
  record.is_form_control_element = EntryOf<&DomNode::IsFormControlElement>;
  record.get_form_control_element_type = EntryOf<&DomNode::GetFormControlElementType>;
  record.is_same = EntryOf<&DomNode::IsSame>;
  record.get_name = EntryOf<&DomNode::GetName>;
  record.get_value = EntryOf<&DomNode::GetValue>;
  record.set_value = EntryOf<&DomNode::SetValue>;
  record.get_as_markup = EntryOf<&DomNode::GetAsMarkup>;
  record.get_document = EntryOf<&DomNode::GetDocument>;
  record.get_parent = EntryOf<&DomNode::GetParent>;
  record.get_previous_sibling = EntryOf<&DomNode::GetPreviousSibling>;
  record.get_next_sibling = EntryOf<&DomNode::GetNextSibling>;
  record.has_children = EntryOf<&DomNode::HasChildren>;
  record.get_first_child = EntryOf<&DomNode::GetFirstChild>;
  record.get_last_child = EntryOf<&DomNode::GetLastChild>;
  record.add_event_listener = EntryOf<&DomNode::AddEventListener>;
  record.get_element_tag_name = EntryOf<&DomNode::GetElementTagName>;
  record.has_element_attributes = EntryOf<&DomNode::HasElementAttributes>;
  record.has_element_attribute = EntryOf<&DomNode::HasElementAttribute>;
  record.get_element_attribute = EntryOf<&DomNode::GetElementAttribute>;
  record.get_element_attributes = EntryOf<&DomNode::GetElementAttributes>;
  record.set_element_attribute = EntryOf<&DomNode::SetElementAttribute>;
  record.get_element_inner_text = EntryOf<&DomNode::GetElementInnerText>;
}

DomEvent::DomEvent(std::shared_ptr<LiveDocument> document, DomEventFacts facts)
    : document_(std::move(document)), facts_(std::move(facts)) {
  cef_domevent_t& record = entries();
  record.get_type = EntryOf<&DomEvent::GetType>;
  record.get_category = EntryOf<&DomEvent::GetCategory>;
  record.get_phase = EntryOf<&DomEvent::GetPhase>;
  record.can_bubble = EntryOf<&DomEvent::CanBubble>;
  record.can_cancel = EntryOf<&DomEvent::CanCancel>;
  record.get_document = EntryOf<&DomEvent::GetDocument>;
  record.get_target = EntryOf<&DomEvent::GetTarget>;
  record.get_current_target = EntryOf<&DomEvent::GetCurrentTarget>;
}

}  // namespace

LiveDocument::LiveDocument(std::shared_ptr<page::Document> tree, std::wstring url)
    : tree_(std::move(tree)), url_(std::move(url)) {}

void LiveDocument::AddListener(const page::Node& node, std::wstring event_type, bool use_capture,
                               RecordRef<cef_domevent_listener_t> listener) {
  if (!shown_) return;
  listeners_.push_back({&node, std::move(event_type), use_capture, std::move(listener)});
}

void LiveDocument::Detach() {
  shown_ = false;
  // Moved out first: letting a listener go runs program code, which may
  // drop the last hold on this very document.
  const std::vector<Listener> released = std::exchange(listeners_, {});
}

cef_domdocument_t* NewDomDocument(std::shared_ptr<LiveDocument> document) {
  if (!document) return nullptr;
  return MakeEngineObject<DomDocument>(std::move(document))->record();
}

cef_domnode_t* NewDomNode(std::shared_ptr<LiveDocument> document, page::Node* node) {
  if (!document || node == nullptr) return nullptr;
  return MakeEngineObject<DomNode>(std::move(document), *node)->record();
}

cef_domevent_t* NewDomEvent(std::shared_ptr<LiveDocument> document, DomEventFacts facts) {
  if (!document) return nullptr;
  return MakeEngineObject<DomEvent>(std::move(document), std::move(facts))->record();
}

}  // namespace devengine::renderer
