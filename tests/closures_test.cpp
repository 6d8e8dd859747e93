// Closure adapters: what the engine's calls turn into for the closure, and how
// long an adapter and what its closure captured live.
#include <gtest/gtest.h>

#include <memory>

#include "cef_closures.h"
#include "cef_wrappers.h"
#include "engine_fixture.h"

namespace {

cef_base_t* BaseOf(void* record) { return static_cast<cef_base_t*>(record); }

// ---- DOM event listeners --------------------------------------------------------

struct TListenerRegistration {
  ustring EventType;
  int UseCapture = -1;
  cef_domevent_listener_t* Listener = nullptr;
  int Calls = 0;
} Registered;

void CEF_CALLBACK RecordListener(cef_domnode_t*, const cef_string_t* eventType,
                                 cef_domevent_listener_t* listener, int useCapture) {
  ++Registered.Calls;
  Registered.EventType = CefStringToUstring(eventType);
  Registered.UseCapture = useCapture;
  Registered.Listener = listener;
}

TEST(DomListenerTest, AddEventListenerProcPassesTheFlagAsOneAndOwnsTheClosure) {
  cef_domnode_t node{};
  node.add_event_listener = RecordListener;
  const TInterfacePtr<ICefDomNode> wrapper = TCefDomNodeRef::UnWrap(&node);

  auto watched = std::make_shared<int>(0);
  std::weak_ptr<int> alive = watched;
  ICefDomEvent* seen = nullptr;
  wrapper->AddEventListenerProc(L"mouseover", true,
                                [watched, &seen](const TInterfacePtr<ICefDomEvent>& event) {
                                  ++*watched;
                                  seen = event.get();
                                });
  watched.reset();
  EXPECT_EQ(Registered.EventType, L"mouseover");
  EXPECT_EQ(Registered.UseCapture, 1);
  cef_domevent_listener_t* listener = Registered.Listener;
  ASSERT_NE(listener, nullptr);
  EXPECT_EQ(listener->base.get_refct(&listener->base), 1) << "only the engine holds it";
  ASSERT_FALSE(alive.expired()) << "the adapter keeps what its closure captured";

  cef_domevent_t event{};
  listener->handle_event(listener, &event);
  EXPECT_EQ(*alive.lock(), 1);
  EXPECT_NE(seen, nullptr);
  listener->handle_event(listener, nullptr);
  EXPECT_EQ(seen, nullptr) << "no event record, null interface";

  EXPECT_EQ(listener->base.release(&listener->base), 0);
  EXPECT_TRUE(alive.expired()) << "released with the adapter";

  wrapper->AddEventListenerProc(L"click", false, [](const TInterfacePtr<ICefDomEvent>&) {});
  EXPECT_EQ(Registered.UseCapture, 0);
  BaseOf(Registered.Listener)->release(BaseOf(Registered.Listener));

  wrapper->AddEventListenerProc(L"click", true, nullptr);
  EXPECT_EQ(Registered.Calls, 2) << "an empty closure registers nothing";
}

// ---- Cookie visitors ------------------------------------------------------------

cef_cookie_visitor_t* OfferedVisitor = nullptr;
int CEF_CALLBACK KeepVisitor(cef_cookie_manager_t*, cef_cookie_visitor_t* visitor) {
  OfferedVisitor = visitor;
  return 1;
}

struct TSeenCookie {
  ustring Name, Path;
  bool Secure = false, HttpOnly = false, HasExpires = false;
  double Creation = -1, Expires = -1;
  int Count = -1, Total = -1;
};

TEST(CookieVisitorTest, AdapterGivesExpiresOnlyWithTheFlagAndWritesTheDeleteFlag) {
  cef_cookie_manager_t manager{};
  manager.visit_all_cookies = KeepVisitor;
  const TInterfacePtr<ICefCookieManager> wrapper = TCefCookieManagerRef::UnWrap(&manager);

  TSeenCookie seen;
  auto watched = std::make_shared<int>(0);
  std::weak_ptr<int> alive = watched;
  ASSERT_TRUE(wrapper->VisitAllCookiesProc(
      [&seen, watched](const ustring& name, const ustring&, const ustring&, const ustring& path,
                       bool secure, bool httponly, bool hasExpires, double creation, double,
                       double expires, int count, int total, bool& deleteCookie) {
        seen = {name, path, secure, httponly, hasExpires, creation, expires, count, total};
        deleteCookie = name == L"drop";
        return name != L"last";
      }));
  watched.reset();
  cef_cookie_visitor_t* visitor = OfferedVisitor;
  ASSERT_NE(visitor, nullptr);
  EXPECT_FALSE(alive.expired());

  const ustring name = L"drop", path = L"/app";
  cef_cookie_t cookie{};
  cookie.name = CefStringView(name);
  cookie.path = CefStringView(path);
  cookie.secure = 2;  // any non-zero byte is true
  cookie.creation = {2013, 5, 5, 17, 10, 20, 30, 0};
  cookie.last_access = cookie.creation;
  cookie.expires = {2014, 1, 3, 2, 0, 0, 0, 0};  // ignored: the flag is zero
  int deleteCookie = 7;
  EXPECT_EQ(visitor->visit(visitor, &cookie, 3, 9, &deleteCookie), 1);
  EXPECT_EQ(deleteCookie, 1);
  EXPECT_EQ(seen.Name, L"drop");
  EXPECT_EQ(seen.Path, L"/app");
  EXPECT_TRUE(seen.Secure);
  EXPECT_FALSE(seen.HttpOnly);
  EXPECT_FALSE(seen.HasExpires);
  EXPECT_EQ(seen.Expires, 0.0);
  EXPECT_EQ(seen.Creation, EngineTimeToDateTime(cookie.creation));
  EXPECT_EQ(seen.Count, 3);
  EXPECT_EQ(seen.Total, 9);

  const ustring last = L"last";
  cookie.name = CefStringView(last);
  cookie.has_expires = 1;
  EXPECT_EQ(visitor->visit(visitor, &cookie, 8, 9, &deleteCookie), 0) << "the closure's answer";
  EXPECT_EQ(deleteCookie, 0) << "kept: written as 0";
  EXPECT_TRUE(seen.HasExpires);
  EXPECT_EQ(seen.Expires, EngineTimeToDateTime(cookie.expires));

  // A creation time that is no date stops the visit and deletes nothing.
  cookie.name = CefStringView(name);
  cookie.creation = {};
  deleteCookie = 1;
  EXPECT_EQ(visitor->visit(visitor, &cookie, 9, 9, &deleteCookie), 0);
  EXPECT_EQ(deleteCookie, 0);
  EXPECT_EQ(visitor->visit(visitor, nullptr, 9, 9, &deleteCookie), 0);

  EXPECT_EQ(visitor->base.release(&visitor->base), 0);
  EXPECT_TRUE(alive.expired());

  OfferedVisitor = nullptr;
  EXPECT_FALSE(wrapper->VisitAllCookiesProc(nullptr)) << "no closure, no visit";
  EXPECT_EQ(OfferedVisitor, nullptr);
}

// ---- Visitors and the file-dialog callback --------------------------------------

using AdapterTest = EngineLibraryTest;

TEST_F(AdapterTest, EachAdapterHandsTheEnginesArgumentsToItsClosure) {
  ustring text;
  const TInterfacePtr<ICefStringVisitor> stringVisitor =
      CefNew<TCefFastStringVisitor>([&](const ustring& value) { text = value; });
  auto* stringRecord = static_cast<cef_string_visitor_t*>(CefRecordOf(stringVisitor));
  const ustring source = L"<html>\u00e9</html>";
  const cef_string_t view = CefStringView(source);
  stringRecord->visit(stringRecord, &view);
  EXPECT_EQ(text, source);
  stringRecord->base.release(&stringRecord->base);

  bool visited = false;
  const TInterfacePtr<ICefDomVisitor> domVisitor = CefNew<TCefFastDomVisitor>(
      [&](const TInterfacePtr<ICefDomDocument>& document) { visited = !document; });
  auto* domRecord = static_cast<cef_domvisitor_t*>(CefRecordOf(domVisitor));
  domRecord->visit(domRecord, nullptr);
  EXPECT_TRUE(visited);
  domRecord->base.release(&domRecord->base);

  TStringList paths;
  const TInterfacePtr<ICefRunFileDialogCallback> dialog = CefNew<TCefFastRunFileDialogCallback>(
      [&](const TInterfacePtr<ICefBrowserHost>& host, const TStringList& filePaths) {
        EXPECT_FALSE(host);
        paths = filePaths;
      });
  auto* dialogRecord = static_cast<cef_run_file_dialog_callback_t*>(CefRecordOf(dialog));
  cef_string_list_t list = CefApi.cef_string_list_alloc();
  for (const ustring& path : {ustring(L"C:\\a.txt"), ustring(L"C:\\b c.txt")}) {
    const cef_string_t item = CefStringView(path);
    CefApi.cef_string_list_append(list, &item);
  }
  dialogRecord->cont(dialogRecord, nullptr, list);
  EXPECT_EQ(paths, (TStringList{L"C:\\a.txt", L"C:\\b c.txt"}));
  EXPECT_EQ(CefApi.cef_string_list_size(list), 2) << "the list stays the engine's";
  CefApi.cef_string_list_free(list);
  dialogRecord->base.release(&dialogRecord->base);
}

TEST(EmptyClosureTest, AdaptersWithoutAClosureDoNothingAndAnswerTheDefault) {
  const TInterfacePtr<ICefCookieVisitor> visitor = CefNew<TCefFastCookieVisitor>(nullptr);
  auto* record = static_cast<cef_cookie_visitor_t*>(CefRecordOf(visitor));
  cef_cookie_t cookie{};
  cookie.creation = cookie.last_access = {2013, 5, 5, 17, 10, 20, 30, 0};
  int deleteCookie = 1;
  EXPECT_EQ(record->visit(record, &cookie, 0, 1, &deleteCookie), 1) << "go on visiting";
  EXPECT_EQ(deleteCookie, 0);
  record->base.release(&record->base);

  CefNew<TCefFastStringVisitor>(nullptr)->Visit(L"text");
  CefNew<TCefFastDomVisitor>(nullptr)->Visit(nullptr);
  CefNew<TCefFastDomEventListener>(nullptr)->HandleEvent(nullptr);
  CefNew<TCefFastRunFileDialogCallback>(nullptr)->Cont(nullptr, {});
}

}  // namespace
