// The engine's script context record, the documents contexts belong to, and
// the exports that find the thread's current context and stack.
#include <algorithm>
#include <thread>
#include <utility>
#include <vector>

#include "engine_object.h"
#include "engine_strings.h"
#include "exports.h"
#include "record_ref.h"
#include "script_values.h"

namespace devengine::script_values {
namespace {

struct Document {
  std::shared_ptr<script::Context> context;
  RecordRef<cef_browser_t> browser;
  RecordRef<cef_frame_t> frame;
};

// The documents of this thread, which own their contexts.
thread_local std::vector<Document> documents;

const Document* DocumentOf(const std::shared_ptr<script::Context>& context) {
  if (context == nullptr) return nullptr;
  const auto found = std::find_if(documents.begin(), documents.end(),
                                  [&](const Document& doc) { return doc.context == context; });
  return found == documents.end() ? nullptr : &*found;
}

class ContextRecord : public EngineObject<cef_v8context_t> {
 public:
  explicit ContextRecord(const std::shared_ptr<script::Context>& context) : context_(context) {
    cef_v8context_t& r = entries();
    r.get_task_runner = EntryOf<&ContextRecord::GetTaskRunner>;
    r.is_valid = EntryOf<&ContextRecord::IsValid>;
    r.get_browser = EntryOf<&ContextRecord::GetBrowser>;
    r.get_frame = EntryOf<&ContextRecord::GetFrame>;
    r.get_global = EntryOf<&ContextRecord::GetGlobal>;
    r.enter = EntryOf<&ContextRecord::Enter>;
    r.exit = EntryOf<&ContextRecord::Exit>;
    r.is_same = EntryOf<&ContextRecord::IsSame>;
    r.eval = EntryOf<&ContextRecord::Eval>;
  }

  static ContextRecord* Of(cef_v8context_t* record) {
    if (record == nullptr || record->is_valid != EntryOf<&ContextRecord::IsValid>) return nullptr;
    return static_cast<ContextRecord*>(FromRecord(record));
  }
  std::shared_ptr<script::Context> Live() const {
    if (std::this_thread::get_id() != thread_) return nullptr;
    auto context = context_.lock();
    return context != nullptr && context->IsValid() ? context : nullptr;
  }

 private:
  cef_task_runner_t* GetTaskRunner() {
    return std::this_thread::get_id() == thread_ ? cef_task_runner_get_for_current_thread()
                                                 : nullptr;
  }
  int IsValid() { return Flag(Live() != nullptr); }
  cef_browser_t* GetBrowser() {
    const Document* document = DocumentOf(Live());
    if (document == nullptr) return nullptr;
    return RecordRef<cef_browser_t>::Retain(document->browser.get()).Detach();
  }
  cef_frame_t* GetFrame() {
    const Document* document = DocumentOf(Live());
    if (document == nullptr) return nullptr;
    return RecordRef<cef_frame_t>::Retain(document->frame.get()).Detach();
  }
  cef_v8value_t* GetGlobal() {
    auto context = Live();
    if (context == nullptr) return nullptr;
    return NewValueRecord(context->Global(), context);
  }
  int Enter() {
    auto context = Live();
    return Flag(context != nullptr && context->Enter());
  }
  int Exit() {
    auto context = Live();
    return Flag(context != nullptr && context->Exit());
  }
  int IsSame(cef_v8context_t* that) {
    const auto other = RecordRef<cef_v8context_t>::Adopt(that);
    const ContextRecord* record = Of(other.get());
    auto context = Live();
    return Flag(record != nullptr && context != nullptr && record->Live() == context);
  }
  int Eval(const cef_string_t* code, cef_v8value_t** retval, cef_v8exception_t** exception) {
    if (retval == nullptr || exception == nullptr) return 0;
    *retval = nullptr;
    *exception = nullptr;
    auto context = Live();
    if (context == nullptr || code == nullptr) return 0;
    script::EvalResult result = context->Eval(ViewOf(code));
    if (!result.ok()) {
      *exception = NewExceptionRecord(std::move(*result.exception));
      return 0;
    }
    *retval = NewValueRecord(std::move(result.value), context);
    return 1;
  }

  const std::weak_ptr<script::Context> context_;
  const std::thread::id thread_ = std::this_thread::get_id();
};

}  // namespace

cef_v8context_t* NewDocumentContext(cef_browser_t* browser, cef_frame_t* frame) {
  auto context = EngineThreadInterpreter().NewContext();
  documents.push_back(
      {context, RecordRef<cef_browser_t>::Retain(browser), RecordRef<cef_frame_t>::Retain(frame)});
  RunExtensions(*context);
  return NewContextRecord(context);
}

void ReleaseDocument(cef_v8context_t* record) {
  auto context = ContextOfRecord(record);
  if (context == nullptr) return;
  // Taken out first: emptying the context may release what refers back here.
  std::vector<Document> gone;
  std::erase_if(documents, [&](Document& doc) {
    if (doc.context != context) return false;
    gone.push_back(std::move(doc));
    return true;
  });
  context->Dispose();
}

cef_v8context_t* NewContextRecord(const std::shared_ptr<script::Context>& context) {
  if (context == nullptr) return nullptr;
  return MakeEngineObject<ContextRecord>(context)->record();
}

std::shared_ptr<script::Context> ContextOfRecord(cef_v8context_t* record) {
  const ContextRecord* found = ContextRecord::Of(record);
  return found == nullptr ? nullptr : found->Live();
}

}  // namespace devengine::script_values

namespace sv = devengine::script_values;

DEVENGINE_EXPORT cef_v8context_t* CEF_EXPORT_CC cef_v8context_get_current_context(void) {
  return devengine::Refusing([&]() -> cef_v8context_t* {
    auto* interpreter = sv::ThreadInterpreter();
    return interpreter == nullptr ? nullptr : sv::NewContextRecord(interpreter->CurrentContext());
  });
}

DEVENGINE_EXPORT cef_v8context_t* CEF_EXPORT_CC cef_v8context_get_entered_context(void) {
  return devengine::Refusing([&]() -> cef_v8context_t* {
    auto* interpreter = sv::ThreadInterpreter();
    return interpreter == nullptr ? nullptr : sv::NewContextRecord(interpreter->EnteredContext());
  });
}

DEVENGINE_EXPORT int CEF_EXPORT_CC cef_v8context_in_context(void) {
  return devengine::Refusing([&]() -> int {
    auto* interpreter = sv::ThreadInterpreter();
    return interpreter != nullptr && interpreter->InContext() ? 1 : 0;
  });
}

DEVENGINE_EXPORT cef_v8stack_trace_t* CEF_EXPORT_CC cef_v8stack_trace_get_current(int frame_limit) {
  return devengine::Refusing([&]() -> cef_v8stack_trace_t* {
    auto* interpreter = sv::ThreadInterpreter();
    if (interpreter == nullptr || frame_limit < 0) return nullptr;
    return sv::NewStackTraceRecord(interpreter->CurrentStackTrace(frame_limit));
  });
}
