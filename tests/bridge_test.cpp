// The object bridge: text conversions, list patterns, reference ownership and
// the callback boundary, against the development engine's string functions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <typeinfo>

#include "ceflib.h"
#include "engine_fixture.h"

namespace {

using BridgeTest = EngineLibraryTest;

TEST_F(BridgeTest, ViewsPointAtTheNativeTextWithoutCopyOrDestructor) {
  for (const ustring& text : {ustring(), ustring(L"abc"), ustring(L"h\u00e9llo \u4e16\u754c")}) {
    const cef_string_t view = CefStringView(text);
    ASSERT_NE(view.str, nullptr) << "never a null pointer, even for the empty text";
    EXPECT_EQ(view.length, text.size());
    EXPECT_EQ(view.dtor, nullptr);
    if (!text.empty()) {
      EXPECT_EQ(view.str, text.c_str());
    }
    EXPECT_EQ(CefStringToUstring(&view), text);
  }
}

TEST_F(BridgeTest, CopiesBackAndForthKeepTheText) {
  EXPECT_EQ(CefStringToUstring(nullptr), L"");

  const ustring text = L"caf\u00e9 \U0001F600";
  cef_string_t copy = CefStringAllocCopy(text);
  EXPECT_NE(copy.dtor, nullptr) << "the engine owns the copy";
  EXPECT_NE(copy.str, text.c_str());
  EXPECT_EQ(CefStringTakeCleared(copy), text);
  EXPECT_EQ(copy.str, nullptr) << "cleared by the engine";
  EXPECT_EQ(copy.length, 0u);

  cef_string_userfree_t userFree = CefApi.cef_string_userfree_utf16_alloc();
  CefStringAssign(userFree, L"first");
  CefStringAssign(userFree, L"second");
  EXPECT_EQ(CefStringTakeUserFree(userFree), L"second");
}

TEST_F(BridgeTest, EmptyAndNullTextsCallNothingInTheEngine) {
  const TCefEntryPoints loaded = CefApi;
  CefApi.cef_string_wide_to_utf16 = nullptr;
  CefApi.cef_string_userfree_utf16_free = nullptr;
  CefApi.cef_string_utf16_set = nullptr;

  const cef_string_t empty = CefStringAllocCopy(L"");
  EXPECT_EQ(empty.str, nullptr);
  EXPECT_EQ(empty.length, 0u);
  EXPECT_EQ(empty.dtor, nullptr);
  EXPECT_EQ(CefStringTakeUserFree(nullptr), L"");
  CefStringAssign(nullptr, L"ignored");
  CefApi = loaded;
}

// Counts the engine lists freed, passing the call on to the engine.
int ListsFreed = 0;
cef_string_list_free_fn EngineListFree = nullptr;
void CEF_EXPORT_CC CountingListFree(cef_string_list_t list) {
  ++ListsFreed;
  EngineListFree(list);
}

class ListPatternTest : public EngineLibraryTest {
 protected:
  void SetUp() override {
    EngineLibraryTest::SetUp();
    EngineListFree = CefApi.cef_string_list_free;
    CefApi.cef_string_list_free = CountingListFree;
    ListsFreed = 0;
  }
  static void Append(cef_string_list_t list, const ustring& value) {
    const cef_string_t view = CefStringView(value);
    CefApi.cef_string_list_append(list, &view);
  }
};

TEST_F(ListPatternTest, ListFilledByAnEntryIsAppendedAndFreed) {
  TStringList names{L"kept"};
  CefStringListFilled(names, [](cef_string_list_t list) {
    Append(list, L"one");
    Append(list, L"");
    Append(list, L"tr\u00f6is");
  });
  EXPECT_EQ(names, (TStringList{L"kept", L"one", L"", L"tr\u00f6is"}));
  EXPECT_EQ(ListsFreed, 1);

  EXPECT_THROW(CefStringListFilled(names,
                                   [](cef_string_list_t list) {
                                     Append(list, L"x");
                                     throw std::runtime_error("entry failed");
                                   }),
               std::runtime_error);
  EXPECT_EQ(ListsFreed, 2) << "freed on the error path too";
}

TEST_F(ListPatternTest, NativeListHandedToAnEntryIsFreedAfterTheCall) {
  const TStringList types{L"text/html", L"image/png"};
  TStringList seen;
  CefStringListHanded(&types, [&](cef_string_list_t list) { seen = CefStringListRead(list); });
  EXPECT_EQ(seen, types);

  CefStringListHanded(nullptr, [&](cef_string_list_t list) {
    EXPECT_EQ(CefApi.cef_string_list_size(list), 0) << "a missing list is empty";
  });
  EXPECT_THROW(
      CefStringListHanded(&types, [](cef_string_list_t) { throw std::runtime_error("x"); }),
      std::runtime_error);
  EXPECT_EQ(ListsFreed, 3);
}

TEST_F(ListPatternTest, ListReceivedByACallbackStaysTheEngines) {
  cef_string_list_t list = CefApi.cef_string_list_alloc();
  Append(list, L"C:\\a.txt");
  Append(list, L"C:\\b.txt");
  EXPECT_EQ(CefStringListRead(list), (TStringList{L"C:\\a.txt", L"C:\\b.txt"}));
  EXPECT_EQ(CefApi.cef_string_list_size(list), 2);
  EXPECT_EQ(ListsFreed, 0);
  CefApi.cef_string_list_free(list);
}

// A handler that reports its destruction.
class TWatchedHandler : public TCefBrowserProcessHandlerOwn {
 public:
  explicit TWatchedHandler(bool& destroyed) : FDestroyed(destroyed) {}
  ~TWatchedHandler() override { FDestroyed = true; }
  void OnContextInitialized() override { throw std::runtime_error("handler failed"); }

 private:
  bool& FDestroyed;
};

TEST(OwnershipTest, ObjectHandedToTheEngineLivesExactlyAsLongAsTheEngineHoldsIt) {
  bool destroyed = false;
  cef_browser_process_handler_t* record;
  {
    TInterfacePtr<ICefBrowserProcessHandler> handler = CefNew<TWatchedHandler>(destroyed);
    record = static_cast<cef_browser_process_handler_t*>(CefRecordOf(handler));
    EXPECT_EQ(record->base.get_refct(&record->base), 2);
  }
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(record->base.get_refct(&record->base), 1) << "only the engine holds it";
  EXPECT_EQ(record->base.size, sizeof(cef_browser_process_handler_t));

  record->on_context_initialized(record);  // raises inside; must not unwind here
  EXPECT_FALSE(destroyed);

  EXPECT_EQ(record->base.release(&record->base), 0);
  EXPECT_TRUE(destroyed);
}

TEST(OwnershipTest, RecordLeadsBackToItsObjectForEveryHandlerClass) {
  const TInterfacePtr<ICefBase> handlers[] = {
      CefNew<TCefAppOwn>(),
      CefNew<TCefBrowserProcessHandlerOwn>(),
      CefNew<TCefRenderProcessHandlerOwn>(),
      CefNew<TCefClientOwn>(),
      CefNew<TCefLifeSpanHandlerOwn>(),
      CefNew<TCefLoadHandlerOwn>(),
      CefNew<TCefDisplayHandlerOwn>(),
      CefNew<TCefFocusHandlerOwn>(),
      CefNew<TCefKeyboardHandlerOwn>(),
      CefNew<TCefJsDialogHandlerOwn>(),
      CefNew<TCefContextMenuHandlerOwn>(),
      CefNew<TCefRequestHandlerOwn>(),
      CefNew<TCefDownloadHandlerOwn>(),
      CefNew<TCefGeolocationHandlerOwn>(),
      CefNew<TCefDialogHandlerOwn>(),
      CefNew<TCefRenderHandlerOwn>(),
      CefNew<TCefv8HandlerOwn>(),
      CefNew<TCefV8AccessorOwn>(),
      CefNew<TCefStringVisitorOwn>(),
      CefNew<TCefDomVisitorOwn>(),
      CefNew<TCefDomEventListenerOwn>(),
      CefNew<TCefCookieVisitorOwn>(),
      CefNew<TCefRunFileDialogCallbackOwn>(),
  };
  for (const auto& handler : handlers) {
    void* record = CefRecordOf(handler);
    EXPECT_EQ(dynamic_cast<ICefBase*>(CefObjectOfRecord(record)), handler.get());
    static_cast<cef_base_t*>(record)->release(static_cast<cef_base_t*>(record));
  }
}

// A class's name as written in the source.
template <class T>
std::string ClassName() {
  int status = 0;
  const std::unique_ptr<char, decltype(&std::free)> name(
      abi::__cxa_demangle(typeid(T).name(), nullptr, nullptr, &status), &std::free);
  return name ? name.get() : typeid(T).name();
}

template <class TRef>
void ExpectUnWrapOfNullIsNullFor() {
  EXPECT_EQ(TRef::UnWrap(nullptr), nullptr) << ClassName<TRef>();
}
template <class... TRef>
void ExpectUnWrapOfNullIsNull() {
  (ExpectUnWrapOfNullIsNullFor<TRef>(), ...);
}

TEST(OwnershipTest, UnWrapOfNullGivesANullInterfaceForEveryWrapperClass) {
  ExpectUnWrapOfNullIsNull<
      TCefBrowserRef, TCefBrowserHostRef, TCefFrameRef, TCefRequestRef, TCefPostDataRef,
      TCefPostDataElementRef, TCefProcessMessageRef, TCefListValueRef, TCefDictionaryValueRef,
      TCefBinaryValueRef, TCefv8ValueRef, TCefv8ContextRef, TCefV8ExceptionRef, TCefV8StackTraceRef,
      TCefV8StackFrameRef, TCefv8HandlerRef, TCefDomDocumentRef, TCefDomNodeRef, TCefDomEventRef,
      TCefCookieManagerRef, TCefContextMenuParamsRef, TCefMenuModelRef, TCefDownLoadItemRef,
      TCefBeforeDownloadCallbackRef, TCefDownloadItemCallbackRef, TCefAuthCallbackRef,
      TCefJsDialogCallbackRef, TCefQuotaCallbackRef, TCefGeolocationCallbackRef,
      TCefFileDialogCallbackRef, TCefWebPluginInfoRef, TCefCommandLineRef, TCefSchemeRegistrarRef,
      TCefTaskRunnerRef>();
}

TEST(OwnershipTest, CallbacksAnswerTheEntrysDefaultWhenTheHandlerRaises) {
  class TFailingApp : public TCefAppOwn {
    TInterfacePtr<ICefRenderProcessHandler> GetRenderProcessHandler() override {
      throw std::runtime_error("no handler today");
    }
  };
  class TFailingRenderer : public TCefRenderProcessHandlerOwn {
    bool OnProcessMessageReceived(PBrowser, TCefProcessId,
                                  const TInterfacePtr<ICefProcessMessage>&) override {
      throw std::logic_error("broken");
    }
  };
  const TInterfacePtr<ICefApp> app = CefNew<TFailingApp>();
  auto* appRecord = static_cast<cef_app_t*>(app->Wrap());
  EXPECT_EQ(appRecord->get_render_process_handler(appRecord), nullptr);
  appRecord->base.release(&appRecord->base);

  const TInterfacePtr<ICefRenderProcessHandler> renderer = CefNew<TFailingRenderer>();
  auto* record = static_cast<cef_render_process_handler_t*>(renderer->Wrap());
  EXPECT_EQ(record->on_process_message_received(record, nullptr, PID_BROWSER, nullptr), 0);
  record->base.release(&record->base);
}

TEST(OwnershipTest, RenderProcessEntriesReachTheirOperationsWithConvertedArguments) {
  class TRecordingRenderer : public TCefRenderProcessHandlerOwn {
   public:
    ustring Url;
    int Worker = 0;
    bool OnProcessMessageReceived(PBrowser browser, TCefProcessId source,
                                  const TInterfacePtr<ICefProcessMessage>& message) override {
      return !browser && source == PID_RENDERER && !message;
    }
    void OnWorkerContextCreated(int workerId, const ustring& url, PContext) override {
      Worker = workerId;
      Url = url;
    }
  };
  const TInterfacePtr<TRecordingRenderer> renderer = CefNew<TRecordingRenderer>();
  auto* record = static_cast<cef_render_process_handler_t*>(renderer->Wrap());
  EXPECT_EQ(record->on_process_message_received(record, nullptr, PID_RENDERER, nullptr), 1);
  const ustring url = L"http://127.0.0.1/worker.js";
  const cef_string_t view = CefStringView(url);
  record->on_worker_context_created(record, 7, &view, nullptr);
  EXPECT_EQ(renderer->Worker, 7);
  EXPECT_EQ(renderer->Url, url);
  EXPECT_EQ(record->on_before_navigation(record, nullptr, nullptr, nullptr, 0, 1), 0);
  record->base.release(&record->base);
}

TEST_F(BridgeTest, TwoUnWrapsOfOneRecordHoldTwoReferences) {
  cef_command_line_t* record = CefApi.cef_command_line_create();
  ASSERT_NE(record, nullptr);
  record->base.add_ref(&record->base);  // the second reference the engine hands over
  {
    TInterfacePtr<ICefCommandLine> first = TCefCommandLineRef::UnWrap(record);
    TInterfacePtr<ICefCommandLine> second = TCefCommandLineRef::UnWrap(record);
    EXPECT_NE(first.get(), second.get());
    record->base.add_ref(&record->base);
    EXPECT_EQ(record->base.get_refct(&record->base), 3);
    first.reset();
    EXPECT_EQ(record->base.get_refct(&record->base), 2);
    second->AppendArgument(L"kept");
  }
  EXPECT_EQ(record->base.get_refct(&record->base), 1);
  TInterfacePtr<ICefCommandLine> last = TCefCommandLineRef::UnWrap(record);
  EXPECT_TRUE(last->HasArguments());
  EXPECT_EQ(TCefCommandLineRef::UnWrap(nullptr), nullptr);
}

}  // namespace
