// The browser-side wrappers against fake engine records: each entry of a fake
// notes which entry was called and what it received, and answers what the test
// set. The development engine's library supplies the string functions.
#include <gtest/gtest.h>

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <functional>
#include <optional>
#include <type_traits>

#include "cef_wrappers.h"
#include "engine_fixture.h"

namespace {

// What the fake entries received, and what they answer.
struct TEngineLog {
  std::vector<size_t> Entries;  // offset of each entry called, in order
  std::vector<ustring> Texts;
  std::vector<double> Numbers;       // integers, Booleans, enumerations
  std::vector<cef_base_t*> Records;  // held like an engine would, released at the end
  std::vector<TStringList> Lists;
  TCefStringMultimap Map;

  double Answer = 0;
  std::optional<ustring> TextAnswer;
  void* RecordAnswer = nullptr;
  cef_time_t TimeAnswer{};
  TStringList NamesAnswer;
  std::vector<int64_t> IdentifiersAnswer;
  std::vector<cef_post_data_element_t*> ElementsAnswer;
  TCefStringMultimap MapAnswer;
};
TEngineLog Log;

template <class T>
concept EngineRecord = requires(T& r) {
  { r.base } -> std::same_as<cef_base_t&>;
};

template <class T>
void Note(T arg) {
  if constexpr (std::is_same_v<T, const cef_string_t*>) {
    EXPECT_TRUE(arg && arg->str) << "a text goes in as a view, never as a null pointer";
    EXPECT_EQ(arg->dtor, nullptr) << "a view owns nothing";
    Log.Texts.push_back(CefStringToUstring(arg));
  } else if constexpr (std::is_same_v<T, cef_string_list_t>) {
    Log.Lists.push_back(CefStringListRead(arg));
  } else if constexpr (std::is_pointer_v<T> && EngineRecord<std::remove_pointer_t<T>>) {
    Log.Records.push_back(arg ? &arg->base : nullptr);
  } else if constexpr (!std::is_pointer_v<T>) {
    Log.Numbers.push_back(static_cast<double>(arg));
  }
}

template <class Ret>
Ret Answer() {
  if constexpr (std::is_void_v<Ret>) {
    return;
  } else if constexpr (std::is_same_v<Ret, cef_string_userfree_t>) {
    if (!Log.TextAnswer) return nullptr;
    cef_string_userfree_t text = CefApi.cef_string_userfree_utf16_alloc();
    CefApi.cef_string_utf16_set(Log.TextAnswer->c_str(), Log.TextAnswer->size(), text, 1);
    return text;
  } else if constexpr (std::is_same_v<Ret, cef_time_t>) {
    return Log.TimeAnswer;
  } else if constexpr (std::is_pointer_v<Ret>) {
    return reinterpret_cast<Ret>(Log.RecordAnswer);
  } else {
    return static_cast<Ret>(Log.Answer);
  }
}

// The fake of one entry: notes its offset and arguments, answers from the log.
template <class Fn, size_t Entry>
struct TFakeEntry;
template <class Ret, class Self, class... A, size_t Entry>
struct TFakeEntry<Ret(CEF_CALLBACK*)(Self*, A...), Entry> {
  static Ret CEF_CALLBACK Call(Self*, A... args) {
    Log.Entries.push_back(Entry);
    (Note(args), ...);
    return Answer<Ret>();
  }
};
#define FAKE(rec, field)                          \
  (rec).field = TFakeEntry<decltype((rec).field), \
                           offsetof(std::remove_reference_t<decltype(rec)>, field)>::Call
#define AT(Record, field) offsetof(Record, field)

// A fake engine record with its own count. The engine hands each record over
// with one reference; HandOver adds it.
template <class R>
struct TFake {
  R Rec{};
  int Refs = 0;
  TFake() {
    Rec.base.size = sizeof(R);
    Rec.base.add_ref = AddRef;
    Rec.base.release = Release;
    Rec.base.get_refct = RefCount;
  }
  R* HandOver() {
    ++Refs;
    return &Rec;
  }
  static TFake* Of(cef_base_t* b) { return reinterpret_cast<TFake*>(b); }
  static int CEF_CALLBACK AddRef(cef_base_t* b) { return ++Of(b)->Refs; }
  static int CEF_CALLBACK Release(cef_base_t* b) { return --Of(b)->Refs; }
  static int CEF_CALLBACK RefCount(cef_base_t* b) { return Of(b)->Refs; }
};

// ---- Hand-written fakes for the list, map and array patterns -----------------------

void CEF_CALLBACK FakeGetFrameNames(cef_browser_t*, cef_string_list_t names) {
  Log.Entries.push_back(AT(cef_browser_t, get_frame_names));
  for (const ustring& name : Log.NamesAnswer) {
    const cef_string_t view = CefStringView(name);
    CefApi.cef_string_list_append(names, &view);
  }
}

void CEF_CALLBACK FakeGetFrameIdentifiers(cef_browser_t*, size_t* count, int64_t* identifiers) {
  Log.Entries.push_back(AT(cef_browser_t, get_frame_identifiers));
  Log.Numbers.push_back(static_cast<double>(*count));
  *count = std::min(*count, Log.IdentifiersAnswer.size());
  std::copy_n(Log.IdentifiersAnswer.begin(), *count, identifiers);
}

void CEF_CALLBACK FakeGetElements(cef_post_data_t*, size_t* count,
                                  cef_post_data_element_t** elements) {
  Log.Entries.push_back(AT(cef_post_data_t, get_elements));
  Log.Numbers.push_back(static_cast<double>(*count));
  *count = std::min(*count, Log.ElementsAnswer.size());
  std::copy_n(Log.ElementsAnswer.begin(), *count, elements);
}

TCefStringMultimap ReadMultimap(cef_string_multimap_t map) {
  TCefStringMultimap pairs;
  for (int i = 0; i < CefApi.cef_string_multimap_size(map); ++i) {
    cef_string_t name{}, value{};
    CefApi.cef_string_multimap_key(map, i, &name);
    CefApi.cef_string_multimap_value(map, i, &value);
    pairs.emplace_back(CefStringTakeCleared(name), CefStringTakeCleared(value));
  }
  return pairs;
}

void CEF_CALLBACK FakeGetHeaderMap(cef_request_t*, cef_string_multimap_t map) {
  Log.Entries.push_back(AT(cef_request_t, get_header_map));
  for (const auto& [name, value] : Log.MapAnswer) {
    const cef_string_t nameView = CefStringView(name), valueView = CefStringView(value);
    CefApi.cef_string_multimap_append(map, &nameView, &valueView);
  }
}

void CEF_CALLBACK FakeSetHeaderMap(cef_request_t*, cef_string_multimap_t map) {
  Log.Entries.push_back(AT(cef_request_t, set_header_map));
  Log.Map = ReadMultimap(map);
}

void CEF_CALLBACK FakeSetRequest(cef_request_t*, const cef_string_t* url,
                                 const cef_string_t* method, cef_post_data_t* postData,
                                 cef_string_multimap_t map) {
  Log.Entries.push_back(AT(cef_request_t, set));
  Note(url);
  Note(method);
  Note(postData);
  Log.Map = ReadMultimap(map);
}

// Every fake record the tests use, with the entries they reach.
struct TFakeEngine {
  TFake<cef_browser_t> Browser;
  TFake<cef_browser_host_t> Host;
  TFake<cef_frame_t> Frame;
  TFake<cef_request_t> Request;
  TFake<cef_post_data_t> PostData;
  TFake<cef_post_data_element_t> Elements[2];
  TFake<cef_context_menu_params_t> Params;
  TFake<cef_download_item_t> Download;
  TFake<cef_before_download_callback_t> BeforeDownload;
  TFake<cef_jsdialog_callback_t> JsDialog;
  TFake<cef_file_dialog_callback_t> FileDialog;
  TFake<cef_scheme_registrar_t> Registrar;

  TFakeEngine() {
    auto& b = Browser.Rec;
    FAKE(b, get_host);
    FAKE(b, can_go_back);
    FAKE(b, reload);
    FAKE(b, get_identifier);
    FAKE(b, is_same);
    FAKE(b, get_main_frame);
    FAKE(b, get_focused_frame);
    FAKE(b, get_frame);
    FAKE(b, get_frame_count);
    FAKE(b, send_process_message);
    b.get_frame_names = FakeGetFrameNames;
    b.get_frame_identifiers = FakeGetFrameIdentifiers;

    auto& h = Host.Rec;
    FAKE(h, get_window_handle);
    FAKE(h, get_dev_tools_url);
    FAKE(h, get_zoom_level);
    FAKE(h, set_zoom_level);
    FAKE(h, run_file_dialog);
    FAKE(h, find);

    auto& f = Frame.Rec;
    FAKE(f, get_source);
    FAKE(f, get_text);
    FAKE(f, load_request);
    FAKE(f, load_url);
    FAKE(f, load_string);
    FAKE(f, execute_java_script);
    FAKE(f, is_main);
    FAKE(f, get_identifier);
    FAKE(f, get_url);
    FAKE(f, visit_dom);

    auto& r = Request.Rec;
    FAKE(r, is_read_only);
    FAKE(r, get_url);
    FAKE(r, set_url);
    FAKE(r, get_method);
    FAKE(r, set_method);
    FAKE(r, get_post_data);
    FAKE(r, set_post_data);
    FAKE(r, get_flags);
    FAKE(r, set_flags);
    FAKE(r, get_first_party_for_cookies);
    FAKE(r, set_first_party_for_cookies);
    r.get_header_map = FakeGetHeaderMap;
    r.set_header_map = FakeSetHeaderMap;
    r.set = FakeSetRequest;

    FAKE(PostData.Rec, get_element_count);
    FAKE(PostData.Rec, add_element);
    PostData.Rec.get_elements = FakeGetElements;
    for (auto& element : Elements) {
      FAKE(element.Rec, get_type);
      FAKE(element.Rec, set_to_bytes);
    }
    FAKE(Params.Rec, get_xcoord);
    FAKE(Params.Rec, get_source_url);
    FAKE(Download.Rec, get_percent_complete);
    FAKE(Download.Rec, get_start_time);
    FAKE(Download.Rec, get_end_time);
    FAKE(BeforeDownload.Rec, cont);
    FAKE(JsDialog.Rec, cont);
    FAKE(FileDialog.Rec, cont);
    FAKE(Registrar.Rec, add_custom_scheme);
  }

  std::vector<std::pair<const char*, int*>> Counts() {
    std::vector<std::pair<const char*, int*>> counts = {
        {"browser", &Browser.Refs},       {"host", &Host.Refs},
        {"frame", &Frame.Refs},           {"request", &Request.Refs},
        {"post data", &PostData.Refs},    {"element 0", &Elements[0].Refs},
        {"element 1", &Elements[1].Refs}, {"params", &Params.Refs},
        {"download", &Download.Refs},     {"before download", &BeforeDownload.Refs},
        {"js dialog", &JsDialog.Refs},    {"file dialog", &FileDialog.Refs},
        {"registrar", &Registrar.Refs}};
    return counts;
  }
};

// Engine frees and allocations, counted on their way to the engine.
struct TEngineCounts {
  int UserFreeFreed = 0;
  int ListsFreed = 0;
  int MultimapsAllocated = 0;
  int MultimapsFreed = 0;
};
TEngineCounts Counted;
TCefEntryPoints Engine;

class BrowserWrappersTest : public EngineLibraryTest {
 protected:
  void SetUp() override {
    EngineLibraryTest::SetUp();
    Log = TEngineLog{};
    Counted = TEngineCounts{};
    Engine = CefApi;
    CefApi.cef_string_userfree_utf16_free = [](cef_string_userfree_t text) {
      ++Counted.UserFreeFreed;
      Engine.cef_string_userfree_utf16_free(text);
    };
    CefApi.cef_string_list_free = [](cef_string_list_t list) {
      ++Counted.ListsFreed;
      Engine.cef_string_list_free(list);
    };
    CefApi.cef_string_multimap_alloc = [] {
      ++Counted.MultimapsAllocated;
      return Engine.cef_string_multimap_alloc();
    };
    CefApi.cef_string_multimap_free = [](cef_string_multimap_t map) {
      ++Counted.MultimapsFreed;
      Engine.cef_string_multimap_free(map);
    };
  }

  // Every reference the fake engine was given goes back; then no record may
  // hold a reference that nobody will release.
  void TearDown() override {
    for (cef_base_t* record : Log.Records)
      if (record) record->release(record);
    for (const auto& [name, refs] : F.Counts()) EXPECT_EQ(*refs, 0) << name;
    EXPECT_EQ(Counted.MultimapsAllocated, Counted.MultimapsFreed);
    EngineLibraryTest::TearDown();
  }

  TFakeEngine F;
};

// ---- Arguments ---------------------------------------------------------------------

struct TArgumentCase {
  const char* Operation;
  std::function<void()> Call;
  size_t Entry;
  std::vector<ustring> Texts;
  std::vector<double> Numbers;
};

TEST_F(BrowserWrappersTest, ArgumentsReachTheirEntryConverted) {
  const auto browser = TCefBrowserRef::UnWrap(F.Browser.HandOver());
  const auto host = TCefBrowserHostRef::UnWrap(F.Host.HandOver());
  const auto frame = TCefFrameRef::UnWrap(F.Frame.HandOver());
  const auto request = TCefRequestRef::UnWrap(F.Request.HandOver());
  const auto element = TCefPostDataElementRef::UnWrap(F.Elements[0].HandOver());
  const auto download = TCefBeforeDownloadCallbackRef::UnWrap(F.BeforeDownload.HandOver());
  const auto dialog = TCefJsDialogCallbackRef::UnWrap(F.JsDialog.HandOver());
  const auto registrar = TCefSchemeRegistrarRef::UnWrap(F.Registrar.HandOver());
  const ustring url = L"http://127.0.0.1:8080/start.html";
  const ustring path = L"C:\\Users\\me\\Documents\\caf\u00e9.zip";

  const TArgumentCase cases[] = {
      {"LoadUrl", [&] { frame->LoadUrl(url); }, AT(cef_frame_t, load_url), {url}, {}},
      {"LoadString with no address",
       [&] { frame->LoadString(L"<p>source</p>", L""); },
       AT(cef_frame_t, load_string),
       {L"<p>source</p>", L""},
       {}},
      {"ExecuteJavaScript",
       [&] { frame->ExecuteJavaScript(L"window.print();", url, 7); },
       AT(cef_frame_t, execute_java_script),
       {L"window.print();", url},
       {7}},
      {"GetDevToolsUrl",
       [&] { host->GetDevToolsUrl(true); },
       AT(cef_browser_host_t, get_dev_tools_url),
       {},
       {1}},
      {"SetZoomLevel",
       [&] { host->SetZoomLevel(-1.5); },
       AT(cef_browser_host_t, set_zoom_level),
       {},
       {-1.5}},
      {"Find",
       [&] { host->Find(3, L"needle", true, false, true); },
       AT(cef_browser_host_t, find),
       {L"needle"},
       {3, 1, 0, 1}},
      {"GetFrame",
       [&] { browser->GetFrame(L"side"); },
       AT(cef_browser_t, get_frame),
       {L"side"},
       {}},
      {"SendProcessMessage",
       [&] { browser->SendProcessMessage(PID_RENDERER, nullptr); },
       AT(cef_browser_t, send_process_message),
       {},
       {PID_RENDERER}},
      {"SetUrl", [&] { request->SetUrl(url); }, AT(cef_request_t, set_url), {url}, {}},
      {"SetFlags",
       [&] { request->SetFlags(UR_FLAG_SKIP_CACHE | UR_FLAG_ALLOW_COOKIES); },
       AT(cef_request_t, set_flags),
       {},
       {5}},
      {"Cont of a download",
       [&] { download->Cont(path, true); },
       AT(cef_before_download_callback_t, cont),
       {path},
       {1}},
      {"Cont of a script dialog",
       [&] { dialog->Cont(false, L""); },
       AT(cef_jsdialog_callback_t, cont),
       {L""},
       {0}},
      {"AddCustomScheme",
       [&] { registrar->AddCustomScheme(L"local", true, false, true); },
       AT(cef_scheme_registrar_t, add_custom_scheme),
       {L"local"},
       {1, 0, 1}},
      {"SetToBytes with no buffer",
       [&] { element->SetToBytes(4, nullptr); },
       AT(cef_post_data_element_t, set_to_bytes),
       {},
       {0}},
  };
  for (const TArgumentCase& c : cases) {
    SCOPED_TRACE(c.Operation);
    Log.Entries.clear();
    Log.Texts.clear();
    Log.Numbers.clear();
    c.Call();
    EXPECT_EQ(Log.Entries, std::vector<size_t>{c.Entry});
    EXPECT_EQ(Log.Texts, c.Texts);
    EXPECT_EQ(Log.Numbers, c.Numbers);
  }
}

// Getters come before setters in the interface; the record pairs them and has
// the all-at-once setter in the middle.
TEST_F(BrowserWrappersTest, RequestOperationsReachTheirOwnEntries) {
  const auto request = TCefRequestRef::UnWrap(F.Request.HandOver());
  TCefStringMultimap headers;
  const struct {
    const char* Operation;
    std::function<void()> Call;
    size_t Entry;
  } cases[] = {
      {"IsReadOnly", [&] { request->IsReadOnly(); }, AT(cef_request_t, is_read_only)},
      {"GetUrl", [&] { request->GetUrl(); }, AT(cef_request_t, get_url)},
      {"GetMethod", [&] { request->GetMethod(); }, AT(cef_request_t, get_method)},
      {"GetPostData", [&] { request->GetPostData(); }, AT(cef_request_t, get_post_data)},
      {"GetHeaderMap", [&] { request->GetHeaderMap(headers); }, AT(cef_request_t, get_header_map)},
      {"SetUrl", [&] { request->SetUrl(L"u"); }, AT(cef_request_t, set_url)},
      {"SetMethod", [&] { request->SetMethod(L"GET"); }, AT(cef_request_t, set_method)},
      {"SetPostData", [&] { request->SetPostData(nullptr); }, AT(cef_request_t, set_post_data)},
      {"SetHeaderMap", [&] { request->SetHeaderMap({}); }, AT(cef_request_t, set_header_map)},
      {"GetFlags", [&] { request->GetFlags(); }, AT(cef_request_t, get_flags)},
      {"SetFlags", [&] { request->SetFlags(0); }, AT(cef_request_t, set_flags)},
      {"GetFirstPartyForCookies", [&] { request->GetFirstPartyForCookies(); },
       AT(cef_request_t, get_first_party_for_cookies)},
      {"SetFirstPartyForCookies", [&] { request->SetFirstPartyForCookies(L"u"); },
       AT(cef_request_t, set_first_party_for_cookies)},
      {"Set", [&] { request->Set(L"u", L"GET", nullptr, {}); }, AT(cef_request_t, set)},
  };
  for (const auto& c : cases) {
    Log.Entries.clear();
    c.Call();
    EXPECT_EQ(Log.Entries, std::vector<size_t>{c.Entry}) << c.Operation;
  }
}

// ---- Results -----------------------------------------------------------------------

TEST_F(BrowserWrappersTest, ResultsComeBackConvertedAndEngineTextsAreFreedOnce) {
  const auto browser = TCefBrowserRef::UnWrap(F.Browser.HandOver());
  const auto host = TCefBrowserHostRef::UnWrap(F.Host.HandOver());
  const auto frame = TCefFrameRef::UnWrap(F.Frame.HandOver());
  const auto params = TCefContextMenuParamsRef::UnWrap(F.Params.HandOver());
  const auto download = TCefDownLoadItemRef::UnWrap(F.Download.HandOver());

  Log.Answer = 2;
  EXPECT_TRUE(browser->CanGoBack()) << "any non-zero answer is true";
  Log.Answer = 0;
  EXPECT_FALSE(browser->CanGoBack());
  Log.Answer = 17;
  EXPECT_EQ(params->GetXCoord(), 17);
  Log.Answer = -1;
  EXPECT_EQ(download->GetPercentComplete(), -1);
  Log.Answer = 2.5;
  EXPECT_EQ(host->GetZoomLevel(), 2.5);
  Log.Answer = static_cast<double>(int64_t{1} << 40);
  EXPECT_EQ(frame->GetIdentifier(), int64_t{1} << 40);
  Log.RecordAnswer = reinterpret_cast<void*>(0x1234);
  EXPECT_EQ(host->GetWindowHandle(), reinterpret_cast<HWND>(0x1234));
  Log.RecordAnswer = nullptr;

  Log.TextAnswer = L"http://127.0.0.1/images/caf\u00e9.png";
  EXPECT_EQ(params->GetSourceUrl(), *Log.TextAnswer);
  EXPECT_EQ(frame->GetUrl(), *Log.TextAnswer);
  EXPECT_EQ(Counted.UserFreeFreed, 2);
  Log.TextAnswer = std::nullopt;
  EXPECT_EQ(frame->GetUrl(), L"");
  EXPECT_EQ(Counted.UserFreeFreed, 2) << "no text, nothing to free";
}

TEST_F(BrowserWrappersTest, RecordResultsAreAdoptedAndRecordArgumentsCarryAReference) {
  const auto browser = TCefBrowserRef::UnWrap(F.Browser.HandOver());
  Log.RecordAnswer = F.Frame.HandOver();
  TInterfacePtr<ICefFrame> frame = browser->GetMainFrame();
  ASSERT_TRUE(frame);
  EXPECT_EQ(F.Frame.Refs, 1) << "the wrapper adopts the engine's reference";
  Log.Answer = 1;
  EXPECT_TRUE(frame->IsMain());
  Log.RecordAnswer = nullptr;
  EXPECT_EQ(browser->GetFocusedFrame(), nullptr);

  const auto request = TCefRequestRef::UnWrap(F.Request.HandOver());
  frame->LoadRequest(request);
  ASSERT_EQ(Log.Records.size(), 1u);
  EXPECT_EQ(Log.Records[0], &F.Request.Rec.base);
  EXPECT_EQ(F.Request.Refs, 2) << "one for the wrapper, one added for the engine";

  EXPECT_TRUE(browser->IsSame(browser));
  EXPECT_EQ(Log.Records.at(1), &F.Browser.Rec.base);

  frame.reset();
  EXPECT_EQ(F.Frame.Refs, 0);
}

TEST_F(BrowserWrappersTest, ClassOperationsAdoptTheEnginesRecordOrGiveNull) {
  static cef_request_t* created = nullptr;
  CefApi.cef_request_create = [] { return created; };
  CefApi.cef_post_data_create = [] { return static_cast<cef_post_data_t*>(nullptr); };
  CefApi.cef_post_data_element_create = [] {
    return static_cast<cef_post_data_element_t*>(nullptr);
  };
  EXPECT_EQ(TCefRequestRef::New(), nullptr);
  EXPECT_EQ(TCefPostDataRef::New(), nullptr);
  EXPECT_EQ(TCefPostDataElementRef::New(), nullptr);

  created = F.Request.HandOver();
  TInterfacePtr<ICefRequest> request = TCefRequestRef::New();
  ASSERT_TRUE(request);
  EXPECT_EQ(F.Request.Refs, 1);
  request.reset();
  EXPECT_EQ(F.Request.Refs, 0);

  EXPECT_EQ(TCefBrowserRef::UnWrap(nullptr), nullptr);
  EXPECT_EQ(TCefBrowserHostRef::UnWrap(nullptr), nullptr);
  EXPECT_EQ(TCefFrameRef::UnWrap(nullptr), nullptr);
  EXPECT_EQ(TCefDownLoadItemRef::UnWrap(nullptr), nullptr);
  EXPECT_EQ(TCefFileDialogCallbackRef::UnWrap(nullptr), nullptr);
}

TEST_F(BrowserWrappersTest, DownloadTimesAreLocalDateTimesAndAnUnknownTimeIsZero) {
  const auto download = TCefDownLoadItemRef::UnWrap(F.Download.HandOver());
  // Thursday 16 May 2013, 14:30:15.250 universal time. ctest runs this test an
  // hour east of universal time, two in summer: 16:30:15.250 local time, in
  // days since 30 December 1899.
  Log.TimeAnswer = {2013, 5, 4, 16, 14, 30, 15, 250};
  const double localStart = 41410 + (((16 * 60 + 30) * 60 + 15) * 1000 + 250) / 86400000.0;
  EXPECT_NEAR(download->GetStartTime(), localStart, 0.1 / 86400000) << "within a tenth of a ms";
  Log.TimeAnswer = {};
  EXPECT_EQ(download->GetEndTime(), 0.0) << "a download in progress has no end time yet";
}

// ---- Lists, maps and arrays --------------------------------------------------------

TEST_F(BrowserWrappersTest, StringListsFilledAndHandedAreFreedAfterTheCall) {
  const auto browser = TCefBrowserRef::UnWrap(F.Browser.HandOver());
  Log.NamesAnswer = {L"", L"side", L"caf\u00e9"};
  TStringList names{L"kept"};
  browser->GetFrameNames(names);
  EXPECT_EQ(names, (TStringList{L"kept", L"", L"side", L"caf\u00e9"}));
  EXPECT_EQ(Counted.ListsFreed, 1);

  const auto host = TCefBrowserHostRef::UnWrap(F.Host.HandOver());
  host->RunFileDialog(FILE_DIALOG_OPEN_MULTIPLE, L"Open", L"", {L"text/html", L"image/png"},
                      nullptr);
  EXPECT_EQ(Log.Lists, (std::vector<TStringList>{{L"text/html", L"image/png"}}));
  EXPECT_EQ(Log.Texts, (std::vector<ustring>{L"Open", L""}));
  EXPECT_EQ(Log.Numbers, std::vector<double>{FILE_DIALOG_OPEN_MULTIPLE});
  EXPECT_EQ(Log.Records, std::vector<cef_base_t*>{nullptr}) << "no callback, a null record";
  EXPECT_EQ(Counted.ListsFreed, 2);

  const auto fileDialog = TCefFileDialogCallbackRef::UnWrap(F.FileDialog.HandOver());
  fileDialog->Cont({L"C:\\a.txt", L"C:\\b c.txt"});
  EXPECT_EQ(Log.Lists.at(1), (TStringList{L"C:\\a.txt", L"C:\\b c.txt"}));
  EXPECT_EQ(Counted.ListsFreed, 3);
}

TEST_F(BrowserWrappersTest, HeaderMapsKeepRepeatedNamesAndOrder) {
  const auto request = TCefRequestRef::UnWrap(F.Request.HandOver());
  const TCefStringMultimap headers = {
      {L"Accept", L"text/html"}, {L"Cookie", L"a=1"}, {L"Cookie", L"b=2"}, {L"X-Empty", L""}};
  request->SetHeaderMap(headers);
  EXPECT_EQ(Log.Map, headers);

  Log.MapAnswer = headers;
  TCefStringMultimap read{{L"Kept", L"1"}};
  request->GetHeaderMap(read);
  TCefStringMultimap expected{{L"Kept", L"1"}};
  expected.insert(expected.end(), headers.begin(), headers.end());
  EXPECT_EQ(read, expected);

  const auto postData = TCefPostDataRef::UnWrap(F.PostData.HandOver());
  Log.Map.clear();
  request->Set(L"http://127.0.0.1/form", L"POST", postData, headers);
  EXPECT_EQ(Log.Texts, (std::vector<ustring>{L"http://127.0.0.1/form", L"POST"}));
  EXPECT_EQ(Log.Records, std::vector<cef_base_t*>{&F.PostData.Rec.base});
  EXPECT_EQ(Log.Map, headers);
  EXPECT_EQ(Counted.MultimapsAllocated, 3);
}

TEST_F(BrowserWrappersTest, ArraysTakeWhatTheEngineWroteAndAdoptEachRecord) {
  const auto browser = TCefBrowserRef::UnWrap(F.Browser.HandOver());
  Log.Answer = 3;
  Log.IdentifiersAnswer = {7, int64_t{1} << 40};
  TCefFrameIdentifierList identifiers{1};
  browser->GetFrameIdentifiers(identifiers);
  EXPECT_EQ(Log.Numbers, std::vector<double>{3}) << "room for the frames counted";
  EXPECT_EQ(identifiers, (TCefFrameIdentifierList{1, 7, int64_t{1} << 40}));

  const auto postData = TCefPostDataRef::UnWrap(F.PostData.HandOver());
  Log.Answer = 2;
  Log.ElementsAnswer = {F.Elements[0].HandOver(), F.Elements[1].HandOver()};
  TCefPostDataElementList elements;
  postData->GetElements(elements);
  ASSERT_EQ(elements.size(), 2u);
  EXPECT_EQ(F.Elements[0].Refs, 1);
  EXPECT_EQ(F.Elements[1].Refs, 1);
  Log.Answer = PDE_TYPE_FILE;
  EXPECT_EQ(elements[1]->GetType(), PDE_TYPE_FILE);
  elements.clear();
  EXPECT_EQ(F.Elements[0].Refs, 0);
  EXPECT_EQ(F.Elements[1].Refs, 0);
}

// ---- Closure variants --------------------------------------------------------------

TEST_F(BrowserWrappersTest, ClosureVariantsRefuseAnEmptyClosure) {
  const auto frame = TCefFrameRef::UnWrap(F.Frame.HandOver());
  const auto host = TCefBrowserHostRef::UnWrap(F.Host.HandOver());
  frame->GetSourceProc(nullptr);
  frame->GetTextProc(TCefStringVisitorProc{});
  frame->VisitDomProc(nullptr);
  host->RunFileDialogProc(FILE_DIALOG_OPEN, L"", L"", {L".txt"}, nullptr);
  EXPECT_TRUE(Log.Entries.empty());
  EXPECT_EQ(Counted.ListsFreed, 0) << "no engine list for a refused call";
}

TEST_F(BrowserWrappersTest, ClosureVariantsHandTheEngineAnAdapterOnlyItHolds) {
  const auto frame = TCefFrameRef::UnWrap(F.Frame.HandOver());
  const auto host = TCefBrowserHostRef::UnWrap(F.Host.HandOver());
  ustring seen;
  frame->GetSourceProc([&seen](const ustring& text) { seen = text; });
  frame->GetTextProc([](const ustring&) {});
  frame->VisitDomProc([](const TInterfacePtr<ICefDomDocument>&) {});
  host->RunFileDialogProc(FILE_DIALOG_SAVE, L"Save", L"page.html", {L".html"},
                          [](const TInterfacePtr<ICefBrowserHost>&, const TStringList&) {});
  EXPECT_EQ(Log.Entries, (std::vector<size_t>{AT(cef_frame_t, get_source),
                                              AT(cef_frame_t, get_text), AT(cef_frame_t, visit_dom),
                                              AT(cef_browser_host_t, run_file_dialog)}));
  ASSERT_EQ(Log.Records.size(), 4u);
  for (cef_base_t* adapter : Log.Records) {
    ASSERT_NE(adapter, nullptr);
    EXPECT_EQ(adapter->get_refct(adapter), 1) << "only the engine holds the adapter";
  }

  auto* visitor = reinterpret_cast<cef_string_visitor_t*>(Log.Records[0]);
  const ustring markup = L"<html><body>caf\u00e9</body></html>";
  const cef_string_t view = CefStringView(markup);
  visitor->visit(visitor, &view);
  EXPECT_EQ(seen, markup);
}

}  // namespace
