#include "cef_base.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Header entries of every program record.
int CEF_CALLBACK OwnAddRef(cef_base_t* self) { return CefObjectOfRecord(self)->AddRef(); }
int CEF_CALLBACK OwnRelease(cef_base_t* self) { return CefObjectOfRecord(self)->Release(); }
int CEF_CALLBACK OwnGetRefct(cef_base_t* self) { return CefObjectOfRecord(self)->RefCount(); }

}  // namespace

int TInterfacedObject::AddRef() noexcept { return ++FRefCount; }

int TInterfacedObject::Release() noexcept {
  const int count = --FRefCount;
  if (count == 0) delete this;
  return count;
}

void* CefRecordOf(ICefBase* intf) { return intf ? intf->Wrap() : nullptr; }

TCefBaseOwn* CefObjectOfRecord(const void* record) {
  TCefBaseOwn* owner;
  std::memcpy(&owner, static_cast<const char*>(record) - sizeof(void*), sizeof owner);
  return owner;
}

TCefBaseOwn::TCefBaseOwn(size_t recordSize) {
  auto* block = static_cast<char*>(std::calloc(1, recordSize + sizeof(void*)));
  if (!block) throw std::bad_alloc();
  TCefBaseOwn* self = this;
  std::memcpy(block, &self, sizeof self);
  FData = block + sizeof(void*);
  auto* header = static_cast<cef_base_t*>(FData);
  header->size = recordSize;
  header->add_ref = OwnAddRef;
  header->release = OwnRelease;
  header->get_refct = OwnGetRefct;
}

TCefBaseOwn::~TCefBaseOwn() { std::free(static_cast<char*>(FData) - sizeof(void*)); }

void* TCefBaseOwn::Wrap() {
  AddRef();
  return FData;
}

TCefBaseRef::TCefBaseRef(void* data) : FData(data) {}

TCefBaseRef::~TCefBaseRef() {
  auto* header = static_cast<cef_base_t*>(FData);
  if (header->release) header->release(header);
}

void* TCefBaseRef::Wrap() {
  auto* header = static_cast<cef_base_t*>(FData);
  if (header->add_ref) header->add_ref(header);
  return FData;
}

void CefReportCallbackError(const std::exception* error) noexcept {
  try {
    std::string text = "Nimbra: error in an engine callback: ";
    text += error ? error->what() : "unknown error";
    text += "\n";
    OutputDebugStringA(text.c_str());
  } catch (...) {
    OutputDebugStringA("Nimbra: error in an engine callback\n");
  }
}
