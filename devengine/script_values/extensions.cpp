// Extensions: script text registered once for the process and run in every
// new document context, whose `native function NAME();` declarations stand
// for functions the extension's program handler implements.
#include <mutex>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "engine_strings.h"
#include "engine_object.h"
#include "exports.h"
#include "heap_records.h"
#include "record_ref.h"
#include "script_values.h"

namespace devengine::script_values {
namespace {

// Each declaration becomes a variable holding the native function, which
// waits under a name script does not use in a scope only the extension's own
// code sees, so functions it defines still reach it when page script calls
// them later.
struct Prepared {
  std::wstring code;
  std::vector<std::pair<std::wstring, std::wstring>> natives;  // hidden name, function name
};

Prepared Prepare(const std::wstring& code) {
  static const std::wregex declaration(
      LR"(native\s+function\s+([A-Za-z_$][A-Za-z0-9_$]*)\s*\([^)]*\)\s*;?)");
  Prepared prepared;
  std::wsregex_iterator at(code.begin(), code.end(), declaration), end;
  auto copied = code.begin();
  for (; at != end; ++at) {
    const std::wsmatch& match = *at;
    const std::wstring hidden = L"$extensionNative" + std::to_wstring(prepared.natives.size());
    prepared.code.append(copied, match[0].first);
    prepared.code += L"var " + match[1].str() + L" = " + hidden + L";";
    copied = match[0].second;
    prepared.natives.emplace_back(hidden, match[1].str());
  }
  prepared.code.append(copied, code.end());
  return prepared;
}

// Prepared once, when registered, rather than for every document.
struct Extension {
  std::wstring name;
  Prepared prepared;
  cef_v8handler_t* handler;  // held by the registry's reference below
};

struct Registry {
  std::mutex lock;
  std::vector<Extension> extensions;
  std::vector<RecordRef<cef_v8handler_t>> handlers;
};

Registry& Extensions() { return Immortal<Registry>(); }

}  // namespace

void RunExtensions(script::Context& context) {
  std::vector<Extension> extensions;
  {
    std::lock_guard<std::mutex> hold(Extensions().lock);
    extensions = Extensions().extensions;
  }
  for (const Extension& extension : extensions) {
    const Prepared& prepared = extension.prepared;
    std::vector<std::pair<std::wstring, script::Value>> hidden;
    for (const auto& [hiddenName, name] : prepared.natives) {
      auto native =
          NewProgramFunction(RecordRef<cef_v8handler_t>::Retain(extension.handler).Detach());
      hidden.emplace_back(hiddenName, context.NewFunction(name, std::move(native)));
    }
    // An extension that fails to run leaves the page as it was.
    context.Eval(prepared.code, L"extension:" + extension.name, 1, hidden);
  }
}

}  // namespace devengine::script_values

DEVENGINE_EXPORT int CEF_EXPORT_CC cef_register_extension(const cef_string_t* extension_name,
                                                          const cef_string_t* javascript_code,
                                                          cef_v8handler_t* handler) {
  return devengine::Refusing([&]() -> int {
    using devengine::RecordRef;
    auto held = RecordRef<cef_v8handler_t>::Adopt(handler);
    if (extension_name == nullptr || extension_name->length == 0 || javascript_code == nullptr) {
      return 0;
    }
    auto& registry = devengine::script_values::Extensions();
    std::lock_guard<std::mutex> hold(registry.lock);
    const std::wstring name = devengine::ToWString(extension_name);
    for (const auto& extension : registry.extensions) {
      if (extension.name == name) return 0;
    }
    registry.extensions.push_back(
        {name, devengine::script_values::Prepare(devengine::ToWString(javascript_code)),
         held.get()});
    registry.handlers.push_back(std::move(held));
    return 1;
  });
}
