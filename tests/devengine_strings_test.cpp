// The development engine's string, container and command-line exports,
// called directly from the engine's objects.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "exports.h"

namespace {

std::wstring TextOf(const cef_string_t& string) {
  return string.str == nullptr ? std::wstring() : std::wstring(string.str, string.length);
}

cef_string_t Borrowed(const std::wstring& text) {
  return {const_cast<wchar_t*>(text.data()), text.size(), nullptr};
}

// An engine-filled string record, cleared when the test is done with it.
struct OwnedString : cef_string_t {
  OwnedString() : cef_string_t{} {}
  ~OwnedString() { cef_string_utf16_clear(this); }
};

using UserFree = std::unique_ptr<cef_string_t, decltype(&cef_string_userfree_utf16_free)>;
UserFree Adopt(cef_string_userfree_t string) { return {string, &cef_string_userfree_utf16_free}; }

using List = std::unique_ptr<void, decltype(&cef_string_list_free)>;
List NewList() { return {cef_string_list_alloc(), &cef_string_list_free}; }

std::vector<std::wstring> Items(cef_string_list_t list) {
  std::vector<std::wstring> items;
  for (int index = 0; index < cef_string_list_size(list); ++index) {
    OwnedString item;
    cef_string_list_value(list, index, &item);
    items.push_back(TextOf(item));
  }
  return items;
}

struct Utf8Case {
  const char* utf8;
  std::wstring utf16;
  int well_formed;
};

TEST(DevEngineStrings, Utf8DecodesToUtf16AndFlagsIllFormedInput) {
  const Utf8Case cases[] = {
      {"plain", L"plain", 1},
      {"\xC3\xA9\xE2\x82\xAC", L"\u00E9\u20AC", 1},
      {"\xF0\x9F\x98\x80", L"\xD83D\xDE00", 1},
      {"\xC0\xAF", L"\xFFFD", 0},          // overlong
      {"\xED\xA0\x80", L"\xFFFD", 0},      // an encoded surrogate
      {"\xE2\x82", L"\xFFFD", 0},          // cut short
      {"\x80x", L"\xFFFDx", 0},            // a stray continuation byte
      {"\xF4\x90\x80\x80", L"\xFFFD", 0},  // past U+10FFFF
  };
  for (const Utf8Case& test : cases) {
    SCOPED_TRACE(test.utf8);
    OwnedString utf16;
    EXPECT_EQ(cef_string_utf8_to_utf16(test.utf8, std::strlen(test.utf8), &utf16),
              test.well_formed);
    EXPECT_EQ(TextOf(utf16), test.utf16);
    if (!test.well_formed) continue;
    cef_string_utf8_t utf8{};
    EXPECT_EQ(cef_string_utf16_to_utf8(utf16.str, utf16.length, &utf8), 1);
    EXPECT_EQ(std::string(utf8.str, utf8.length), test.utf8);
    cef_string_utf8_clear(&utf8);
  }
}

TEST(DevEngineStrings, LoneSurrogateBecomesReplacementCharacter) {
  const wchar_t lone[] = {L'a', 0xD800, L'b'};
  cef_string_utf8_t utf8{};
  EXPECT_EQ(cef_string_wide_to_utf8(lone, 3, &utf8), 0);
  EXPECT_EQ(std::string(utf8.str, utf8.length),
            "a\xEF\xBF\xBD"
            "b");
  cef_string_utf8_clear(&utf8);
}

TEST(DevEngineStrings, SetCopiesOrBorrowsAndClearFreesOnlyCopies) {
  const std::wstring text = L"text";
  OwnedString string;
  ASSERT_EQ(cef_string_utf16_set(text.data(), text.size(), &string, 1), 1);
  EXPECT_NE(string.str, text.data());
  EXPECT_NE(string.dtor, nullptr);
  ASSERT_EQ(cef_string_utf16_set(text.data(), text.size(), &string, 0), 1);
  EXPECT_EQ(string.str, text.data());
  EXPECT_EQ(string.dtor, nullptr);
  cef_string_utf16_clear(&string);
  EXPECT_EQ(string.str, nullptr);
  EXPECT_EQ(text, L"text");
}

TEST(DevEngineStrings, NullArgumentsAnswerZero) {
  cef_string_t string{};
  EXPECT_EQ(cef_string_utf16_set(L"x", 1, nullptr, 1), 0);
  EXPECT_EQ(cef_string_utf16_set(nullptr, 3, &string, 1), 0);
  EXPECT_EQ(cef_string_utf8_to_utf16("x", 1, nullptr), 0);
  EXPECT_EQ(cef_string_utf16_cmp(nullptr, &string), 0);
  cef_string_utf16_clear(nullptr);
  cef_string_userfree_utf16_free(nullptr);
  EXPECT_EQ(cef_string_list_size(nullptr), 0);
  EXPECT_EQ(cef_string_map_find(nullptr, &string, &string), 0);
}

TEST(DevEngineStrings, CompareOrdersByCodeUnit) {
  const std::wstring texts[] = {L"", L"a", L"ab", L"b"};
  for (std::size_t first = 0; first < std::size(texts); ++first) {
    for (std::size_t second = 0; second < std::size(texts); ++second) {
      const cef_string_t a = Borrowed(texts[first]);
      const cef_string_t b = Borrowed(texts[second]);
      const int expected = (first > second) - (first < second);
      EXPECT_EQ(cef_string_utf16_cmp(&a, &b), expected) << first << " vs " << second;
    }
  }
}

TEST(DevEngineContainers, ListCopiesValuesAndRefusesOutOfRange) {
  List list = NewList();
  for (const std::wstring text : {L"one", L"two"}) {
    const cef_string_t item = Borrowed(text);
    cef_string_list_append(list.get(), &item);
  }
  List copy(cef_string_list_copy(list.get()), &cef_string_list_free);
  cef_string_list_clear(list.get());
  EXPECT_EQ(Items(copy.get()), (std::vector<std::wstring>{L"one", L"two"}));
  OwnedString value;
  EXPECT_EQ(cef_string_list_value(copy.get(), 2, &value), 0);
  EXPECT_EQ(cef_string_list_value(copy.get(), -1, &value), 0);
  EXPECT_EQ(cef_string_list_size(list.get()), 0);
}

TEST(DevEngineContainers, MapKeepsKeysSortedAndFirstValue) {
  std::unique_ptr<void, decltype(&cef_string_map_free)> map(cef_string_map_alloc(),
                                                            &cef_string_map_free);
  const std::wstring b = L"b", a = L"a", first = L"first", second = L"second";
  const cef_string_t key_b = Borrowed(b), key_a = Borrowed(a);
  const cef_string_t value_1 = Borrowed(first), value_2 = Borrowed(second);
  EXPECT_EQ(cef_string_map_append(map.get(), &key_b, &value_1), 1);
  EXPECT_EQ(cef_string_map_append(map.get(), &key_a, &value_2), 1);
  EXPECT_EQ(cef_string_map_append(map.get(), &key_b, &value_2), 0);
  OwnedString out;
  EXPECT_EQ(cef_string_map_size(map.get()), 2);
  ASSERT_EQ(cef_string_map_key(map.get(), 0, &out), 1);
  EXPECT_EQ(TextOf(out), L"a");
  ASSERT_EQ(cef_string_map_find(map.get(), &key_b, &out), 1);
  EXPECT_EQ(TextOf(out), L"first");
}

TEST(DevEngineContainers, MultimapKeepsEqualKeysInOrder) {
  std::unique_ptr<void, decltype(&cef_string_multimap_free)> map(cef_string_multimap_alloc(),
                                                                 &cef_string_multimap_free);
  const std::wstring key = L"k", other = L"a";
  const std::wstring values[] = {L"1", L"2", L"3"};
  const cef_string_t key_k = Borrowed(key), key_a = Borrowed(other);
  for (const std::wstring& value : values) {
    const cef_string_t item = Borrowed(value);
    cef_string_multimap_append(map.get(), &key_k, &item);
  }
  cef_string_multimap_append(map.get(), &key_a, &key_a);
  EXPECT_EQ(cef_string_multimap_size(map.get()), 4);
  EXPECT_EQ(cef_string_multimap_find_count(map.get(), &key_k), 3);
  OwnedString out;
  for (int index = 0; index < 3; ++index) {
    ASSERT_EQ(cef_string_multimap_enumerate(map.get(), &key_k, index, &out), 1);
    EXPECT_EQ(TextOf(out), values[index]);
  }
  EXPECT_EQ(cef_string_multimap_enumerate(map.get(), &key_k, 3, &out), 0);
  ASSERT_EQ(cef_string_multimap_value(map.get(), 0, &out), 1);
  EXPECT_EQ(TextOf(out), L"a");
}

class DevEngineCommandLine : public ::testing::Test {
 protected:
  void SetUp() override { line_ = cef_command_line_create(); }
  void TearDown() override { line_->base.release(&line_->base); }

  void Init(const std::wstring& text) {
    const cef_string_t string = Borrowed(text);
    line_->init_from_string(line_, &string);
  }
  std::vector<std::wstring> Argv() {
    List list = NewList();
    line_->get_argv(line_, list.get());
    return Items(list.get());
  }
  std::vector<std::wstring> Arguments() {
    List list = NewList();
    line_->get_arguments(line_, list.get());
    return Items(list.get());
  }
  std::wstring SwitchValue(const std::wstring& name) {
    const cef_string_t string = Borrowed(name);
    return TextOf(*Adopt(line_->get_switch_value(line_, &string)));
  }
  std::wstring CommandLineString() { return TextOf(*Adopt(line_->get_command_line_string(line_))); }

  cef_command_line_t* line_ = nullptr;
};

struct SplitCase {
  std::wstring text;
  std::vector<std::wstring> argv;
};

TEST_F(DevEngineCommandLine, SplitsLikeTheSystemAndQuotesBack) {
  const SplitCase cases[] = {
      {L"prog a b", {L"prog", L"a", L"b"}},
      {L"\"C:\\Program Files\\p.exe\" x", {L"C:\\Program Files\\p.exe", L"x"}},
      {L"p \"a b\" c\\d", {L"p", L"a b", L"c\\d"}},
      {L"p a\\\\\"b c\"", {L"p", L"a\\b c"}},
      {L"p a\\\"b", {L"p", L"a\"b"}},
      {L"p \"\"", {L"p", L""}},
      {L"p \"say \"\"hi\"\"\"", {L"p", L"say \"hi\""}},
      {L"p \"trailing\\\\\"", {L"p", L"trailing\\"}},
  };
  for (const SplitCase& test : cases) {
    SCOPED_TRACE(test.text);
    Init(test.text);
    EXPECT_EQ(Argv(), test.argv);
    const std::wstring quoted = CommandLineString();
    Init(quoted);
    EXPECT_EQ(Argv(), test.argv) << "after quoting as "
                                 << std::string(quoted.begin(), quoted.end());
  }
}

TEST_F(DevEngineCommandLine, SeparatesSwitchesFromArguments) {
  Init(L"prog --flag --name=some value -x --last=1 -- --literal");
  EXPECT_EQ(SwitchValue(L"name"), L"some");
  EXPECT_EQ(SwitchValue(L"flag"), L"");
  EXPECT_EQ(SwitchValue(L"last"), L"1");
  EXPECT_EQ(Arguments(), (std::vector<std::wstring>{L"value", L"-x", L"--literal"}));
  // A lone "--" before the arguments keeps "--literal" from reading as a switch.
  EXPECT_EQ(Argv(), (std::vector<std::wstring>{L"prog", L"--flag", L"--name=some", L"--last=1",
                                               L"--", L"value", L"-x", L"--literal"}));
}

TEST_F(DevEngineCommandLine, AppendsSwitchesBeforeArgumentsAndWrappersFirst) {
  Init(L"prog arg");
  const std::wstring name = L"type", value = L"renderer", wrapper = L"debugger --wait";
  const cef_string_t switch_name = Borrowed(name), switch_value = Borrowed(value),
                     wrapper_text = Borrowed(wrapper);
  line_->append_switch_with_value(line_, &switch_name, &switch_value);
  line_->prepend_wrapper(line_, &wrapper_text);
  EXPECT_EQ(Argv(), (std::vector<std::wstring>{L"debugger", L"--wait", L"prog", L"--type=renderer",
                                               L"arg"}));
  EXPECT_EQ(TextOf(*Adopt(line_->get_program(line_))), L"debugger");
}

TEST_F(DevEngineCommandLine, CountsReferencesAndCopiesIndependently) {
  Init(L"prog --a");
  cef_command_line_t* copy = line_->copy(line_);
  line_->reset(line_);
  EXPECT_EQ(line_->has_switches(line_), 0);
  EXPECT_EQ(copy->has_switches(copy), 1);
  EXPECT_EQ(copy->base.get_refct(&copy->base), 1);
  EXPECT_EQ(copy->base.add_ref(&copy->base), 2);
  EXPECT_EQ(copy->base.release(&copy->base), 1);
  EXPECT_EQ(copy->base.release(&copy->base), 0);
}

TEST(DevEngineGlobalCommandLine, IsReadOnly) {
  cef_command_line_t* global = cef_command_line_get_global();
  EXPECT_EQ(global->is_read_only(global), 1);
  const std::wstring name = L"not-there";
  const cef_string_t switch_name = Borrowed(name);
  global->append_switch(global, &switch_name);
  EXPECT_EQ(global->has_switch(global, &switch_name), 0);
  global->base.release(&global->base);
}

}  // namespace
