// The development engine's page library: markup to tree, the text a page
// shows, charsets, relative addresses, and the engine window under a real
// display.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "page/html.h"
#include "page/page_window.h"
#include "url.h"

namespace {

using devengine::page::Document;
using devengine::page::Node;

// A node and its subtree in one line: NAME[attr=value](children), texts
// quoted, comments as <!--text-->.
std::wstring Dump(const Node& node) {
  if (node.kind == Node::Kind::Text) return L"\"" + node.text + L"\"";
  if (node.kind == Node::Kind::Comment) return L"<!--" + node.text + L"-->";
  std::wstring dump = node.name;
  if (!node.attributes.empty()) {
    dump += L"[";
    for (const auto& [name, value] : node.attributes) {
      dump += (dump.back() == L'[' ? L"" : L" ") + name + L"=" + value;
    }
    dump += L"]";
  }
  if (node.children.empty()) return dump;
  dump += L"(";
  for (const auto& child : node.children) {
    EXPECT_EQ(child->parent, &node);
    dump += (dump.back() == L'(' ? L"" : L",") + Dump(*child);
  }
  return dump + L")";
}

struct ParseCase {
  const wchar_t* markup;
  const wchar_t* tree;  // of the HTML element
};

const ParseCase kParseCases[] = {
    {L"hello", L"HTML(HEAD,BODY(\"hello\"))"},
    {L"<!DOCTYPE html><title>T</title><p>x", L"HTML(HEAD(TITLE(\"T\")),BODY(P(\"x\")))"},
    {L"<html lang=fr><head></head><body class=main><div><p>a<b>b</b></p></div></body></html>",
     L"HTML[lang=fr](HEAD,BODY[class=main](DIV(P(\"a\",B(\"b\")))))"},
    {L"<p>one<p>two<div>three</div>", L"HTML(HEAD,BODY(P(\"one\"),P(\"two\"),DIV(\"three\")))"},
    {L"<ul><li>a<li>b<ul><li>c</ul></ul>",
     L"HTML(HEAD,BODY(UL(LI(\"a\"),LI(\"b\",UL(LI(\"c\"))))))"},
    {L"<b><i>x</b>y</i>z", L"HTML(HEAD,BODY(B(I(\"x\")),\"yz\"))"},
    {L"<a href=1>one<a href=2>two", L"HTML(HEAD,BODY(A[href=1](\"one\"),A[href=2](\"two\")))"},
    {L"</div>x</p>", L"HTML(HEAD,BODY(\"x\",P))"},
    {L"<DiV ID=Top>x</dIv>", L"HTML(HEAD,BODY(DIV[id=Top](\"x\")))"},
    {L"<a HREF=\"a b\" title='it is' data=plain checked data=again>x</a>",
     L"HTML(HEAD,BODY(A[href=a b title=it is data=plain checked=](\"x\")))"},
    {L"<img src=a.png/><br/>x", L"HTML(HEAD,BODY(IMG[src=a.png/],BR,\"x\"))"},
    {L"<a href=\"?a=1&amp;b=2&copy=3&lt\">&amp;&lt;&#65;&#x42;&copy;&nosuch; &amp &gt</a>",
     L"HTML(HEAD,BODY(A[href=?a=1&b=2&copy=3<](\"&<AB\xA9&nosuch; & >\")))"},
    {L"&#0;&#x110000;&#xD800;&#128512;&#65",
     L"HTML(HEAD,BODY(\"\xFFFD\xFFFD\xFFFD\xD83D\xDE00"
     L"A\"))"},
    {L"<!-- head note --><p>x<!--in-->y<!---->",
     L"HTML(HEAD(<!-- head note -->),BODY(P(\"x\",<!--in-->,\"y\",<!---->)))"},
    {L"<script>if (a<b && c>d) x = '</p>';</script><style>p > a {}</style>",
     L"HTML(HEAD(SCRIPT(\"if (a<b && c>d) x = '</p>';\"),STYLE(\"p > a {}\")),BODY)"},
    {L"<p><script>a</SCRIPT >b", L"HTML(HEAD,BODY(P(SCRIPT(\"a\"),\"b\")))"},
    {L"<title>a &amp; <b></title>", L"HTML(HEAD(TITLE(\"a & <b>\")),BODY)"},
    {L"<pre>\nline\r\n  two</pre>", L"HTML(HEAD,BODY(PRE(\"line\n  two\")))"},
    {L"a < b <3 <p", L"HTML(HEAD,BODY(\"a < b <3 \"))"},
    {L"x</br>y</>z<?pi?>", L"HTML(HEAD,BODY(\"x\",BR,\"yz\",<!--?pi?-->))"},
    {L"<table><tr><td>a<td>b<tr><td>c</table>",
     L"HTML(HEAD,BODY(TABLE(TR(TD(\"a\"),TD(\"b\")),TR(TD(\"c\")))))"},
    {L"<p>unclosed <a href=\"x", L"HTML(HEAD,BODY(P(\"unclosed \")))"},
};

TEST(DevEnginePage, ParsesMarkupAsBrowsersDo) {
  for (const ParseCase& parse : kParseCases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(parse.markup)));
    const std::shared_ptr<Document> document = devengine::page::ParseHtml(parse.markup);
    ASSERT_TRUE(document && document->root);
    EXPECT_EQ(document->source, parse.markup);
    EXPECT_EQ(document->root->name, L"#document");
    ASSERT_NE(document->Html(), nullptr);
    EXPECT_EQ(Dump(*document->Html()), parse.tree);
    EXPECT_EQ(document->Head()->name, L"HEAD");
    EXPECT_EQ(document->Body()->name, L"BODY");
  }
}

TEST(DevEnginePage, KnowsTitleAttributesAndElementsByTag) {
  const auto document = devengine::page::ParseHtml(
      L"<title>\n  My   Page\t</title><p id=first>a</p><div><p>b</p></div><p>c");
  EXPECT_EQ(document->Title(), L"My Page");
  const std::vector<const Node*> paragraphs = document->ElementsByTag(L"P");
  ASSERT_EQ(paragraphs.size(), 3u);
  EXPECT_EQ(devengine::page::InnerText(*paragraphs[1]), L"b");
  ASSERT_NE(paragraphs[0]->Attribute(L"id"), nullptr);
  EXPECT_EQ(*paragraphs[0]->Attribute(L"id"), L"first");
  EXPECT_EQ(paragraphs[0]->Attribute(L"class"), nullptr);
  EXPECT_EQ(devengine::page::ParseHtml(L"<p>x")->Title(), L"");
}

// However deep the markup nests, parsing, reading and freeing the tree
// neither fail nor exhaust the stack.
TEST(DevEnginePage, DeepMarkupStaysWithinTheDepthLimit) {
  std::wstring markup;
  for (int i = 0; i < 100000; ++i) markup += L"<div><b>";
  markup += L"deep";
  auto document = devengine::page::ParseHtml(markup);
  std::size_t depth = 0;
  for (const Node* node = document->root.get(); !node->children.empty();
       node = node->children.front().get()) {
    ++depth;
  }
  EXPECT_LE(depth, devengine::page::kMaxTreeDepth);
  EXPECT_EQ(devengine::page::InnerText(*document->root), L"deep");
  EXPECT_EQ(document->ElementsByTag(L"DIV").size(), 100000u);
  document.reset();
}

struct TextCase {
  const wchar_t* markup;
  const wchar_t* text;  // of the document
};

const TextCase kTextCases[] = {
    {L"<p>one</p><p>two</p>", L"one\n\ntwo"},
    {L"<div>a</div><div>b</div>c", L"a\nb\nc"},
    {L"a<br>b<br><br>c", L"a\nb\n\nc"},
    {L"  x \n <b> y </b>  z  ", L"x y z"},
    {L"<pre>a\n  b </pre>", L"a\n  b "},
    {L"<title>t</title><script>s</script><style>u</style>v<!-- w -->", L"v"},
    {L"<ul><li>a</li><li>b <i>c</i></li></ul>", L"a\nb c"},
    {L"<h1>Head</h1>text&nbsp;&amp;", L"Head\ntext\xA0&"},
};

TEST(DevEnginePage, InnerTextIsWhatThePageShows) {
  for (const TextCase& text : kTextCases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(text.markup)));
    const auto document = devengine::page::ParseHtml(text.markup);
    EXPECT_EQ(devengine::page::InnerText(*document->root), text.text);
    EXPECT_EQ(devengine::page::InnerText(*document->Body()), text.text);
  }
  const auto document = devengine::page::ParseHtml(L"<title> a  b </title><p>x <b>y</b></p>");
  EXPECT_EQ(devengine::page::InnerText(*document->ElementsByTag(L"TITLE").front()), L"a b");
  EXPECT_EQ(devengine::page::InnerText(*document->ElementsByTag(L"B").front()->children.front()),
            L"y");
}

TEST(DevEnginePage, MarkupFromTextShowsTheTextAsItIs) {
  const std::wstring text = L"<a href=\"x\">Tom & 'Jerry'</a> &amp;";
  const std::wstring markup = devengine::page::MarkupFromText(text);
  EXPECT_EQ(markup.find_first_of(L"<>\"'"), std::wstring::npos) << markup;
  const auto document = devengine::page::ParseHtml(L"<p title=\"" + markup + L"\">" + markup);
  EXPECT_EQ(devengine::page::InnerText(*document->Body()), text);
  EXPECT_EQ(*document->ElementsByTag(L"P").front()->Attribute(L"title"), text);
}

struct CharsetCase {
  std::string bytes;
  const wchar_t* contentType;
  const wchar_t* text;
};

TEST(DevEnginePage, DecodesMarkupByTheCharsetItDeclares) {
  const CharsetCase cases[] = {
      {"caf\xC3\xA9", L"", L"caf\xE9"},
      {"caf\xE9", L"", L"caf\xE9"},  // no UTF-8: read as Latin-1
      {"caf\xE9 \x80", L"text/html; charset=ISO-8859-1", L"caf\xE9 \x20AC"},
      {"\xC3\xA9", L"text/html;Charset=\"utf-8\"", L"\xE9"},
      {"\xEF\xBB\xBF\xC3\xA9", L"text/html; charset=iso-8859-1", L"\xE9"},  // the mark wins
      {std::string("\xFF\xFEh\0i\0", 6), L"", L"hi"},
      {std::string("\xFE\xFF\0h\0i", 6), L"", L"hi"},
      {"<meta charset=\"iso-8859-1\">\xE9", L"text/html", L"<meta charset=\"iso-8859-1\">\xE9"},
      {"<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1251\">\xC4", L"",
       L"<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1251\">\x414"},
      {"<meta charset=iso-8859-1>\xC3\xA9", L"text/html; charset=utf-8",
       L"<meta charset=iso-8859-1>\xE9"},  // the header wins over the page
      {"<meta charset=utf-16>\xC3\xA9", L"", L"<meta charset=utf-16>\xE9"},
      {"x\xC3\xA9", L"text/html; charset=no-such-charset", L"x\xE9"},
      {"", L"", L""},
  };
  for (const CharsetCase& charset : cases) {
    SCOPED_TRACE(::testing::PrintToString(charset.bytes));
    EXPECT_EQ(devengine::page::DecodeMarkup(charset.bytes, charset.contentType), charset.text);
  }
}

TEST(DevEngineUrl, ResolvesReferencesAgainstTheirPage) {
  struct Case {
    const wchar_t* base;
    const wchar_t* reference;
    const wchar_t* resolved;  // null: no URL
  };
  const std::wstring_view rfc = L"http://a/b/c/d;p?q";
  const Case cases[] = {
      // The normal examples of RFC 3986, 5.4.1.
      {rfc.data(), L"g", L"http://a/b/c/g"},
      {rfc.data(), L"./g", L"http://a/b/c/g"},
      {rfc.data(), L"g/", L"http://a/b/c/g/"},
      {rfc.data(), L"/g", L"http://a/g"},
      {rfc.data(), L"//g", L"http://g/"},
      {rfc.data(), L"?y", L"http://a/b/c/d;p?y"},
      {rfc.data(), L"g?y", L"http://a/b/c/g?y"},
      {rfc.data(), L"#s", L"http://a/b/c/d;p?q#s"},
      {rfc.data(), L"g#s", L"http://a/b/c/g#s"},
      {rfc.data(), L"g?y#s", L"http://a/b/c/g?y#s"},
      {rfc.data(), L";x", L"http://a/b/c/;x"},
      {rfc.data(), L"", L"http://a/b/c/d;p?q"},
      {rfc.data(), L".", L"http://a/b/c/"},
      {rfc.data(), L"./", L"http://a/b/c/"},
      {rfc.data(), L"..", L"http://a/b/"},
      {rfc.data(), L"../g", L"http://a/b/g"},
      {rfc.data(), L"../..", L"http://a/"},
      {rfc.data(), L"../../g", L"http://a/g"},
      {rfc.data(), L"../../../g", L"http://a/g"},
      {rfc.data(), L"/./g", L"http://a/g"},
      {rfc.data(), L"g.", L"http://a/b/c/g."},
      // Absolute references, whatever the base.
      {rfc.data(), L" HTTPS://Other.Example/x ", L"https://other.example/x"},
      {L"about:blank", L"mailto:someone@example.test", L"mailto:someone@example.test"},
      // Others.
      {L"http://host:8080/dir/page.html#top", L"img\\a b.png",
       L"http://host:8080/dir/img/a%20b.png"},
      {L"https://host/dir/", L"//cdn.test/lib.js", L"https://cdn.test/lib.js"},
      {L"file:///C:/pages/index.html", L"../other.html", L"file:///C:/other.html"},
      {L"local://c/", L"page.html", L"local://c/page.html"},
      {L"about:blank", L"#f", L"about:blank#f"},
      {L"about:blank", L"page.html", nullptr},
      {L"not a url", L"page.html", nullptr},
      {rfc.data(), L"http://", nullptr},
  };
  for (const Case& resolve : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(resolve.base) + L" + " + resolve.reference));
    const std::optional<std::wstring> resolved =
        devengine::ResolveUrl(resolve.base, resolve.reference);
    if (resolve.resolved == nullptr) {
      EXPECT_FALSE(resolved) << ::testing::PrintToString(resolved.value_or(L""));
    } else {
      EXPECT_EQ(resolved.value_or(L"(none)"), resolve.resolved);
    }
  }
}

// ---- The engine window, shown on the display ----

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Pumps messages until `done` holds or a few seconds have gone.
bool PumpUntil(const std::function<bool()>& done, int rounds = 300) {
  for (int round = 0; round < rounds; ++round) {
    Pump();
    if (done()) return true;
    Sleep(10);
  }
  return false;
}

// Lets what is still on its way arrive.
void Settle() {
  PumpUntil([] { return false; }, 30);
}

constexpr wchar_t kPageUrl[] = L"http://example.test/dir/page.html";
// Nothing but text, long enough to wrap into many lines.
const std::wstring kLongText = [] {
  std::wstring text = L"<h1>Heading</h1>";
  for (int i = 0; i < 40; ++i) text += L"<p>Some words that wrap onto lines of their own. ";
  return text;
}();

class PageWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    events_.hoverLink = [this](const std::wstring& url) { hovers_.push_back(url); };
    events_.clickLink = [this](const std::wstring& url, const std::wstring& target) {
      clicks_.push_back(url + L" " + target);
    };
    events_.gotFocus = [this] { ++focus_; };
  }

  void Open(HWND parent, const RECT& bounds) {
    window_ = std::make_unique<devengine::page::PageWindow>(
        parent, WS_VISIBLE | (parent ? 0 : WS_POPUP), bounds, events_);
    ASSERT_TRUE(IsWindow(window_->Handle()));
    SetWindowPos(window_->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Pump();
  }

  void Show(const std::wstring& markup, devengine::page::ResourceFetcher fetcher = nullptr) {
    window_->ShowDocument(devengine::page::ParseHtml(markup), kPageUrl, std::move(fetcher), true);
    Pump();
  }

  // The height of the laid-out document, as the scroll bar knows it.
  int DocumentHeight() const {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE;
    GetScrollInfo(window_->Handle(), SB_VERT, &info);
    return info.nMax + 1;
  }

  // Moves the real pointer to a point of the window.
  void PointAt(int x, int y) {
    POINT point{x, y};
    ClientToScreen(window_->Handle(), &point);
    SetCursorPos(point.x, point.y);
  }

  devengine::page::PageEvents events_;
  std::vector<std::wstring> hovers_;
  std::vector<std::wstring> clicks_;
  int focus_ = 0;
  std::unique_ptr<devengine::page::PageWindow> window_;
};

// The first line of a page at normal size: 8 pixels of body margin and 16
// of paragraph margin above a line of 16-pixel text.
constexpr POINT kOnFirstLink{20, 32};
constexpr POINT kBelowText{200, 250};

TEST_F(PageWindowTest, PointerOverALinkReportsItsAddressAndLeavingReportsNone) {
  Open(nullptr, {20, 20, 420, 320});
  Show(L"<p><a href=\"next.html?x=1\">A link to the next page</a></p><p>Plain text.</p>");

  PointAt(kOnFirstLink.x, kOnFirstLink.y);
  ASSERT_TRUE(PumpUntil([&] { return !hovers_.empty(); }));
  PointAt(kOnFirstLink.x + 4, kOnFirstLink.y + 1);  // still on the link: nothing new
  PointAt(kBelowText.x, kBelowText.y);
  ASSERT_TRUE(PumpUntil([&] { return hovers_.size() >= 2; }));
  PointAt(kOnFirstLink.x, kOnFirstLink.y);
  ASSERT_TRUE(PumpUntil([&] { return hovers_.size() >= 3; }));
  SetCursorPos(600, 600);  // out of the window altogether
  ASSERT_TRUE(PumpUntil([&] { return hovers_.size() >= 4; }));
  Settle();
  const std::wstring next = L"http://example.test/dir/next.html?x=1";
  EXPECT_EQ(hovers_, (std::vector<std::wstring>{next, L"", next, L""}));
}

TEST_F(PageWindowTest, ClickTakesTheFocusAndFollowsTheLinkWithItsTarget) {
  const HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 20, 20, 400, 300,
                                      nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(parent);
  Open(parent, {0, 0, 400, 300});
  Show(L"<p><a href=\"/top.html\" target=\"_blank\">A link to the top</a></p>");
  SetFocus(parent);
  Pump();
  ASSERT_EQ(focus_, 0);

  // The browser control hands the focus on by posting the message.
  PostMessageW(window_->Handle(), WM_SETFOCUS, reinterpret_cast<WPARAM>(parent), 0);
  ASSERT_TRUE(PumpUntil([&] { return focus_ == 1; }));
  EXPECT_EQ(GetFocus(), window_->Handle());
  SetFocus(parent);

  const LPARAM onLink = MAKELPARAM(kOnFirstLink.x, kOnFirstLink.y);
  PostMessageW(window_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, onLink);
  PostMessageW(window_->Handle(), WM_LBUTTONUP, 0, onLink);
  ASSERT_TRUE(PumpUntil([&] { return !clicks_.empty(); }));
  EXPECT_EQ(clicks_, std::vector<std::wstring>{L"http://example.test/top.html _blank"});
  EXPECT_EQ(focus_, 2);
  EXPECT_EQ(GetFocus(), window_->Handle());

  // A press on the link released elsewhere follows nothing.
  PostMessageW(window_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, onLink);
  PostMessageW(window_->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(kBelowText.x, kBelowText.y));
  Settle();
  EXPECT_EQ(clicks_.size(), 1u);

  window_.reset();
  DestroyWindow(parent);
}

TEST_F(PageWindowTest, ZoomScalesTheLaidOutPage) {
  Open(nullptr, {20, 20, 420, 320});
  Show(kLongText);
  const int normal = DocumentHeight();
  EXPECT_GT(normal, 300);

  window_->SetZoomLevel(2);
  EXPECT_EQ(window_->ZoomLevel(), 2);
  EXPECT_GT(DocumentHeight(), normal * 13 / 10);
  window_->SetZoomLevel(-2);
  EXPECT_LT(DocumentHeight(), normal * 8 / 10);
  window_->SetZoomLevel(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(window_->ZoomLevel(), -2);

  // Any level is kept; the page stops growing at five times its size.
  window_->SetZoomLevel(9);
  const int largest = DocumentHeight();
  window_->SetZoomLevel(40);
  EXPECT_EQ(window_->ZoomLevel(), 40);
  EXPECT_EQ(DocumentHeight(), largest);
  window_->SetZoomLevel(0);
  EXPECT_EQ(DocumentHeight(), normal);
}

TEST_F(PageWindowTest, ResizingLaysThePageOutAgain) {
  Open(nullptr, {20, 20, 420, 320});
  Show(kLongText);
  const int normal = DocumentHeight();
  SetWindowPos(window_->Handle(), nullptr, 0, 0, 200, 300, SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  EXPECT_GT(DocumentHeight(), normal * 12 / 10);
  SetWindowPos(window_->Handle(), nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  EXPECT_EQ(DocumentHeight(), normal);

  window_->Clear();
  EXPECT_LT(DocumentHeight(), 50);
}

// A 24-bit bottom-up BMP file of `width` x `height` grey pixels.
std::string BmpFile(int width, int height) {
  const int stride = (width * 3 + 3) & ~3;
  const int pixels = stride * height;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + pixels;
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
  bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
  return bytes + std::string(pixels, '\x80');
}

TEST_F(PageWindowTest, ImagesComeThroughTheFetcherAndSizeThePage) {
  Open(nullptr, {20, 20, 420, 320});
  std::vector<std::wstring> asked;
  std::vector<std::function<void(std::string)>> deliveries;
  const auto fetcher = [&](const std::wstring& url, std::function<void(std::string)> deliver) {
    asked.push_back(url);
    deliveries.push_back(std::move(deliver));
  };
  const std::wstring page =
      L"<p><img src=\"img/tall.bmp\" alt=\"A tall picture\"><img src=img/tall.bmp>"
      L"<img src=\"broken.png\" width=30 height=40></p>";
  Show(page, fetcher);
  EXPECT_EQ(asked, (std::vector<std::wstring>{L"http://example.test/dir/img/tall.bmp",
                                              L"http://example.test/dir/broken.png"}));
  const int placeholders = DocumentHeight();
  EXPECT_LT(placeholders, 150);

  deliveries[1]("not a picture");
  deliveries[0](BmpFile(10, 500));
  Pump();
  EXPECT_GT(DocumentHeight(), placeholders + 400);

  // What arrives for a page no longer shown is dropped.
  Show(page, fetcher);
  deliveries[0](BmpFile(10, 2000));
  EXPECT_LT(DocumentHeight(), 150);
  window_->ShowDocument(devengine::page::ParseHtml(page), kPageUrl, fetcher, false);
  EXPECT_EQ(asked.size(), 4u);  // images not wanted: none fetched
}

}  // namespace
