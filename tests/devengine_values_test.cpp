// The development engine's list, dictionary and binary values and its process
// messages, called through their records as the program calls them, and the
// form messages take on the renderer's pipe.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "devengine_test_records.h"
#include "pipe/frame.h"
#include "values/message_wire.h"
#include "values/value_tree.h"

namespace {

using devengine::pipe::Message;
using devengine::pipe::MessageKind;
using devengine::pipe::MessageWriter;
using List = Held<cef_list_value_t>;
using Dictionary = Held<cef_dictionary_value_t>;
using Binary = Held<cef_binary_value_t>;
using ProcessMessage = Held<cef_process_message_t>;

// Nullopt for a null string.
std::optional<std::wstring> Take(cef_string_userfree_t text) {
  if (text == nullptr) return std::nullopt;
  std::wstring taken = TextOf(*text);
  cef_string_userfree_utf16_free(text);
  return taken;
}

// Gives back the test's reference at once.
template <class Record>
void Drop(Held<Record>& held) {
  const Held<Record> gone(std::exchange(held.record, nullptr));
}

// One element of a list (by index) or of a dictionary (by key); calls an
// entry of the container with it.
template <class Record, class Key>
struct At {
  Record* record;
  Key key;

  template <class Entry, class... Args>
  auto operator()(Entry Record::*entry, Args... args) const {
    if constexpr (std::is_same_v<Key, int>) {
      return (record->*entry)(record, key, args...);
    } else {
      const cef_string_t text = Borrowed(key);
      return (record->*entry)(record, &text, args...);
    }
  }
};

At<cef_dictionary_value_t, std::wstring> ByKey(cef_dictionary_value_t* dictionary,
                                               std::wstring key) {
  return {dictionary, std::move(key)};
}

template <class Record, class Key>
void ExpectEveryKindReadsBackAsSet(Record* container, const std::array<Key, 9>& keys) {
  const auto at = [&](int slot) { return At<Record, Key>{container, keys[slot]}; };
  const List list(cef_list_value_create());
  list->set_int(list.get(), 0, 42);
  const Dictionary dictionary(cef_dictionary_value_create());
  const Binary binary(cef_binary_value_create("ab", 2));
  const std::wstring empty, text = L"caf\u00e9 \U0001F600";
  const cef_string_t empty_record = Borrowed(empty), text_record = Borrowed(text);

  EXPECT_EQ(at(0)(&Record::set_null), 1);
  EXPECT_EQ(at(1)(&Record::set_bool, 1), 1);
  EXPECT_EQ(at(2)(&Record::set_int, -7), 1);
  EXPECT_EQ(at(3)(&Record::set_double, 2.5), 1);
  EXPECT_EQ(at(4)(&Record::set_string, &empty_record), 1);
  EXPECT_EQ(at(5)(&Record::set_string, &text_record), 1);
  EXPECT_EQ(at(6)(&Record::set_binary, binary.Handed()), 1);
  EXPECT_EQ(at(7)(&Record::set_dictionary, dictionary.Handed()), 1);
  EXPECT_EQ(at(8)(&Record::set_list, list.Handed()), 1);

  const cef_value_type_t types[] = {VTYPE_NULL,   VTYPE_BOOL,       VTYPE_INT,
                                    VTYPE_DOUBLE, VTYPE_STRING,     VTYPE_STRING,
                                    VTYPE_BINARY, VTYPE_DICTIONARY, VTYPE_LIST};
  for (int slot = 0; slot < 9; ++slot) EXPECT_EQ(at(slot)(&Record::get_type), types[slot]) << slot;
  EXPECT_EQ(container->get_size(container), 9u);
  EXPECT_EQ(at(1)(&Record::get_bool), 1);
  EXPECT_EQ(at(2)(&Record::get_int), -7);
  EXPECT_EQ(at(3)(&Record::get_double), 2.5);
  EXPECT_EQ(Take(at(4)(&Record::get_string)), L"") << "the empty text is a text";
  EXPECT_EQ(Take(at(5)(&Record::get_string)), text);
  const Binary bytes(at(6)(&Record::get_binary));
  EXPECT_EQ(bytes->get_size(bytes.get()), 2u);
  const Dictionary inner_dictionary(at(7)(&Record::get_dictionary));
  EXPECT_EQ(inner_dictionary->get_size(inner_dictionary.get()), 0u);
  const List inner_list(at(8)(&Record::get_list));
  EXPECT_EQ(inner_list->get_int(inner_list.get(), 0), 42);

  // An element of another type answers 0, null or nothing.
  EXPECT_EQ(at(1)(&Record::get_int), 0);
  EXPECT_EQ(at(2)(&Record::get_bool), 0);
  EXPECT_EQ(at(2)(&Record::get_double), 0.0);
  EXPECT_EQ(Take(at(2)(&Record::get_string)), std::nullopt);
  EXPECT_EQ(at(5)(&Record::get_list), nullptr);
  EXPECT_EQ(at(8)(&Record::get_dictionary), nullptr);
}

TEST(DevEngineValues, ListsAndDictionariesHoldEveryKindAsSet) {
  const List list(cef_list_value_create());
  ASSERT_NE(list.get(), nullptr);
  ExpectEveryKindReadsBackAsSet(list.get(), std::array{0, 1, 2, 3, 4, 5, 6, 7, 8});
  EXPECT_EQ(list->get_type(list.get(), 9), VTYPE_INVALID);

  const Dictionary dictionary(cef_dictionary_value_create());
  ASSERT_NE(dictionary.get(), nullptr);
  ExpectEveryKindReadsBackAsSet(
      dictionary.get(), std::array<std::wstring, 9>{L"null", L"bool", L"int", L"double", L"",
                                                    L"text", L"binary", L"dictionary", L"list"});
  EXPECT_EQ((ByKey(dictionary.get(), L"none")(&cef_dictionary_value_t::get_type)), VTYPE_INVALID);
}

// What the shell puts into a message's argument list and reads back.
TEST(DevEngineValues, SetStringAtZeroReadsBackUnchanged) {
  for (const std::wstring& text :
       {std::wstring(), std::wstring(L"<#document><HTML><BODY>"), std::wstring(L"a\0b", 3)}) {
    const ProcessMessage message(cef_process_message_create(nullptr));
    const List arguments(message->get_argument_list(message.get()));
    const cef_string_t record = Borrowed(text);
    EXPECT_EQ(arguments->set_string(arguments.get(), 0, &record), 1);
    EXPECT_EQ(Take(arguments->get_string(arguments.get(), 0)), text);
    const List again(message->get_argument_list(message.get()));
    EXPECT_EQ(again->get_size(again.get()), 1u);
    EXPECT_EQ(Take(again->get_string(again.get(), 0)), text);
  }
}

TEST(DevEngineValues, ListsGrowWithNullsShrinkAndShift) {
  const List list(cef_list_value_create());
  EXPECT_EQ(list->set_int(list.get(), 3, 30), 1);
  EXPECT_EQ(list->get_size(list.get()), 4u);
  EXPECT_EQ(list->get_type(list.get(), 1), VTYPE_NULL);
  EXPECT_EQ(list->set_int(list.get(), -1, 5), 0);
  EXPECT_EQ(list->get_type(list.get(), -1), VTYPE_INVALID);
  list->set_int(list.get(), 1, 10);
  EXPECT_EQ(list->remove(list.get(), 0), 1);
  EXPECT_EQ(list->get_int(list.get(), 0), 10) << "later elements move down";
  EXPECT_EQ(list->remove(list.get(), 3), 0);
  EXPECT_EQ(list->set_size(list.get(), 5), 1);
  EXPECT_EQ(list->get_type(list.get(), 4), VTYPE_NULL);
  EXPECT_EQ(list->set_size(list.get(), 1), 1);
  EXPECT_EQ(list->get_type(list.get(), 1), VTYPE_INVALID);
  EXPECT_EQ(list->set_size(list.get(), devengine::values::kLargestList + 1), 0);
  EXPECT_EQ(list->set_int(list.get(), 0x7fffffff, 1), 0) << "refused, not tried";
  EXPECT_EQ(list->clear(list.get()), 1);
  EXPECT_EQ(list->get_size(list.get()), 0u);
}

TEST(DevEngineValues, DictionaryKeysComeSortedAndGo) {
  const Dictionary dictionary(cef_dictionary_value_create());
  for (const std::wstring key : {L"b", L"a", L"c"}) {
    ByKey(dictionary.get(), key)(&cef_dictionary_value_t::set_int, 1);
  }
  const auto keys = [&] {
    const cef_string_list_t list = cef_string_list_alloc();
    EXPECT_EQ(dictionary->get_keys(dictionary.get(), list), 1);
    std::vector<std::wstring> found;
    for (int index = 0; index < static_cast<int>(cef_string_list_size(list)); ++index) {
      OwnedString key;
      cef_string_list_value(list, index, &key);
      found.push_back(TextOf(key));
    }
    cef_string_list_free(list);
    return found;
  };
  EXPECT_EQ(keys(), (std::vector<std::wstring>{L"a", L"b", L"c"}));
  const auto at = [&](const std::wstring& key) { return ByKey(dictionary.get(), key); };
  EXPECT_EQ(at(L"b")(&cef_dictionary_value_t::has_key), 1);
  EXPECT_EQ(at(L"b")(&cef_dictionary_value_t::remove), 1);
  EXPECT_EQ(at(L"b")(&cef_dictionary_value_t::has_key), 0);
  EXPECT_EQ(at(L"b")(&cef_dictionary_value_t::remove), 0);
  EXPECT_EQ(keys(), (std::vector<std::wstring>{L"a", L"c"}));
  EXPECT_EQ(dictionary->clear(dictionary.get()), 1);
  EXPECT_EQ(dictionary->get_size(dictionary.get()), 0u);
}

// A list [[[1]]] with its child and grandchild taken out as owned records.
struct Family {
  Family() {
    const List inner(cef_list_value_create());
    inner->set_int(inner.get(), 0, 1);
    const List middle(cef_list_value_create());
    middle->set_list(middle.get(), 0, inner.Handed());
    parent->set_list(parent.get(), 0, middle.Handed());
    child.record = parent->get_list(parent.get(), 0);
    grandchild.record = child->get_list(child.get(), 0);
  }
  List parent{cef_list_value_create()};
  List child{nullptr};
  List grandchild{nullptr};
};

TEST(DevEngineValues, AContainerTakenFromAnotherIsOwnedAndChangesIt) {
  Family family;
  EXPECT_EQ(family.parent->is_owned(family.parent.get()), 0);
  EXPECT_EQ(family.child->is_owned(family.child.get()), 1);
  EXPECT_EQ(family.grandchild->set_int(family.grandchild.get(), 1, 2), 1);
  const List seen(family.parent->get_list(family.parent.get(), 0));
  const List seen_inner(seen->get_list(seen.get(), 0));
  EXPECT_EQ(seen_inner->get_int(seen_inner.get(), 1), 2) << "the change is the parent's";
  EXPECT_EQ(family.child->remove(family.child.get(), 0), 1);
  EXPECT_EQ(family.grandchild->is_valid(family.grandchild.get()), 0);
  EXPECT_EQ(seen->get_size(seen.get()), 0u);
}

TEST(DevEngineValues, AnOwnedContainerTurnsInvalidWhenItLeavesItsTree) {
  const std::pair<const char*, std::function<void(Family&)>> ways[] = {
      {"replaced", [](Family& f) { f.parent->set_null(f.parent.get(), 0); }},
      {"removed", [](Family& f) { f.parent->remove(f.parent.get(), 0); }},
      {"cleared", [](Family& f) { f.parent->clear(f.parent.get()); }},
      {"cut off", [](Family& f) { f.parent->set_size(f.parent.get(), 0); }},
      {"owner gone", [](Family& f) { Drop(f.parent); }},
  };
  for (const auto& [way, apply] : ways) {
    Family family;
    apply(family);
    for (const List* owned : {&family.child, &family.grandchild}) {
      cef_list_value_t* list = owned->get();
      EXPECT_EQ(list->is_valid(list), 0) << way;
      EXPECT_EQ(list->set_int(list, 0, 5), 0) << way;
      EXPECT_EQ(list->get_size(list), 0u) << way;
      EXPECT_EQ(list->copy(list), nullptr) << way;
    }
  }
}

struct Foreign {};

TEST(DevEngineValues, SettersCopyContainersInAndRefuseOthersRecords) {
  const List list(cef_list_value_create());
  const List given(cef_list_value_create());
  given->set_int(given.get(), 0, 1);
  ASSERT_EQ(list->set_list(list.get(), 0, given.Handed()), 1);
  given->set_int(given.get(), 0, 2);
  EXPECT_EQ(given->is_owned(given.get()), 0);
  const List inside(list->get_list(list.get(), 0));
  EXPECT_EQ(inside->get_int(inside.get(), 0), 1) << "a copy went in";

  ASSERT_EQ(list->set_list(list.get(), 1, list.Handed()), 1) << "into itself";
  const List itself(list->get_list(list.get(), 1));
  EXPECT_EQ(itself->get_size(itself.get()), 1u);

  ProgramRecord<cef_list_value_t, Foreign> foreign(nullptr);
  EXPECT_EQ(list->set_list(list.get(), 2, foreign.Handed()), 0);
  EXPECT_EQ(foreign.refs(), 1) << "its reference is given back";
  EXPECT_EQ(list->set_list(list.get(), 2, nullptr), 0);
}

TEST(DevEngineValues, CopiesAreDeepAndMayLeaveOutEmptyChildren) {
  Family family;
  const List copy(family.parent->copy(family.parent.get()));
  EXPECT_EQ(copy->is_owned(copy.get()), 0);
  family.grandchild->set_int(family.grandchild.get(), 0, 9);
  const List copy_child(copy->get_list(copy.get(), 0));
  const List copy_grandchild(copy_child->get_list(copy_child.get(), 0));
  EXPECT_EQ(copy_grandchild->get_int(copy_grandchild.get(), 0), 1);

  // {a: {}, b: [{}], c: 1, d: {e: []}}
  const Dictionary dictionary(cef_dictionary_value_create());
  const auto at = [&](const std::wstring& key) { return ByKey(dictionary.get(), key); };
  const Dictionary empty(cef_dictionary_value_create());
  const List holding_empty(cef_list_value_create());
  holding_empty->set_dictionary(holding_empty.get(), 0, empty.Handed());
  const Dictionary holding_list(cef_dictionary_value_create());
  ByKey(holding_list.get(), L"e")(&cef_dictionary_value_t::set_list, cef_list_value_create());
  at(L"a")(&cef_dictionary_value_t::set_dictionary, empty.Handed());
  at(L"b")(&cef_dictionary_value_t::set_list, holding_empty.Handed());
  at(L"c")(&cef_dictionary_value_t::set_int, 1);
  at(L"d")(&cef_dictionary_value_t::set_dictionary, holding_list.Handed());
  const Dictionary whole(dictionary->copy(dictionary.get(), 0));
  EXPECT_EQ(whole->get_size(whole.get()), 4u);
  const Dictionary pruned(dictionary->copy(dictionary.get(), 1));
  EXPECT_EQ(pruned->get_size(pruned.get()), 1u) << "children left empty go too";
}

TEST(DevEngineValues, BinaryValuesCopyTheirBytesAndReadFromAnOffset) {
  char bytes[] = "abcdef";
  const Binary binary(cef_binary_value_create(bytes, 6));
  bytes[0] = 'X';
  EXPECT_EQ(binary->get_size(binary.get()), 6u);
  const struct {
    std::size_t buffer_size, offset;
    std::string read;
  } reads[] = {{4, 0, "abcd"}, {10, 4, "ef"}, {10, 6, ""}, {10, 99, ""}, {0, 0, ""}};
  for (const auto& [size, offset, expected] : reads) {
    char buffer[16] = {};
    EXPECT_EQ(binary->get_data(binary.get(), buffer, size, offset), expected.size());
    EXPECT_EQ(std::string(buffer), expected) << size << " from " << offset;
  }
  EXPECT_EQ(binary->get_data(binary.get(), nullptr, 4, 0), 0u);
  EXPECT_EQ(cef_binary_value_create(nullptr, 3), nullptr);
  const Binary nothing(cef_binary_value_create(nullptr, 0));
  EXPECT_EQ(nothing->get_size(nothing.get()), 0u);

  const List list(cef_list_value_create());
  list->set_binary(list.get(), 0, binary.Handed());
  const Binary owned(list->get_binary(list.get(), 0));
  EXPECT_EQ(owned->is_owned(owned.get()), 1);
  const Binary copy(owned->copy(owned.get()));
  list->clear(list.get());
  EXPECT_EQ(owned->is_valid(owned.get()), 0);
  EXPECT_EQ(copy->get_size(copy.get()), 6u);
  EXPECT_EQ(binary->is_valid(binary.get()), 1);
}

TEST(DevEngineValues, NestingStopsAtItsLimit) {
  const List root(cef_list_value_create());
  int depth = 0;
  for (List at(root.Handed());; ++depth) {
    const List empty(cef_list_value_create());
    if (at->set_list(at.get(), 0, empty.Handed()) == 0) break;
    List next(at->get_list(at.get(), 0));
    std::swap(at.record, next.record);
  }
  EXPECT_EQ(depth, devengine::values::kDeepestNesting);
  const List child(root->get_list(root.get(), 0));
  EXPECT_EQ(child->set_list(child.get(), 1, root.Handed()), 0) << "would go too deep";
  const List copy(root->copy(root.get()));
  EXPECT_NE(copy.get(), nullptr);
}

// ---- Process messages ----

// A message "all" whose arguments hold every kind, nested.
cef_process_message_t* FullMessage() {
  const std::wstring name = L"all", empty;
  const cef_string_t name_record = Borrowed(name);
  cef_process_message_t* message = cef_process_message_create(&name_record);
  const List arguments(message->get_argument_list(message));
  const Dictionary dictionary(cef_dictionary_value_create());
  const List nested(cef_list_value_create());
  nested->set_bool(nested.get(), 0, 1);
  nested->set_null(nested.get(), 1);
  ByKey(dictionary.get(), L"list")(&cef_dictionary_value_t::set_list, nested.Handed());
  ByKey(dictionary.get(), L"bytes")(&cef_dictionary_value_t::set_binary,
                                    cef_binary_value_create("\0\1\2", 3));
  const cef_string_t empty_record = Borrowed(empty);
  arguments->set_string(arguments.get(), 0, &empty_record);
  arguments->set_int(arguments.get(), 1, -123456);
  arguments->set_double(arguments.get(), 2, -0.125);
  arguments->set_dictionary(arguments.get(), 3, dictionary.Handed());
  return message;
}

void ExpectFull(cef_process_message_t* message) {
  EXPECT_EQ(Take(message->get_name(message)), L"all");
  const List arguments(message->get_argument_list(message));
  ASSERT_EQ(arguments->get_size(arguments.get()), 4u);
  EXPECT_EQ(Take(arguments->get_string(arguments.get(), 0)), L"");
  EXPECT_EQ(arguments->get_int(arguments.get(), 1), -123456);
  EXPECT_EQ(arguments->get_double(arguments.get(), 2), -0.125);
  const Dictionary dictionary(arguments->get_dictionary(arguments.get(), 3));
  const List nested(ByKey(dictionary.get(), L"list")(&cef_dictionary_value_t::get_list));
  EXPECT_EQ(nested->get_bool(nested.get(), 0), 1);
  EXPECT_EQ(nested->get_type(nested.get(), 1), VTYPE_NULL);
  const Binary bytes(ByKey(dictionary.get(), L"bytes")(&cef_dictionary_value_t::get_binary));
  char read[3] = {9, 9, 9};
  EXPECT_EQ(bytes->get_data(bytes.get(), read, 3, 0), 3u);
  EXPECT_EQ(std::string(read, 3), std::string("\0\1\2", 3));
}

TEST(DevEngineMessages, AMessageCopiesDeeplyAndItsListGoesWithIt) {
  ProcessMessage message(FullMessage());
  EXPECT_EQ(message->is_valid(message.get()), 1);
  EXPECT_EQ(message->is_read_only(message.get()), 0);
  const ProcessMessage copy(message->copy(message.get()));
  ExpectFull(copy.get());
  const List arguments(message->get_argument_list(message.get()));
  arguments->clear(arguments.get());
  ExpectFull(copy.get());
  EXPECT_EQ(arguments->is_owned(arguments.get()), 1);

  const List orphan(message->get_argument_list(message.get()));
  Drop(message);
  EXPECT_EQ(orphan->is_valid(orphan.get()), 0) << "its message went";
}

TEST(DevEngineMessages, SendingMakesAMessageReadOnlyOnlyWhenQueued) {
  const ProcessMessage message(FullMessage());
  const List arguments(message->get_argument_list(message.get()));
  const Dictionary inside(arguments->get_dictionary(arguments.get(), 3));
  std::vector<Message> queued;
  const auto queue = [&](Message frame) {
    queued.push_back(std::move(frame));
    return true;
  };
  using devengine::values::SendProcessMessage;
  EXPECT_EQ(SendProcessMessage(PID_BROWSER, PID_RENDERER, message.Handed(), queue), 0);
  EXPECT_EQ(SendProcessMessage(PID_RENDERER, PID_RENDERER, message.Handed(),
                               [](Message) { return false; }),
            0);
  EXPECT_EQ(message->is_read_only(message.get()), 0);
  EXPECT_TRUE(queued.empty());
  ProgramRecord<cef_process_message_t, Foreign> foreign(nullptr);
  EXPECT_EQ(SendProcessMessage(PID_RENDERER, PID_RENDERER, foreign.Handed(), queue), 0);
  EXPECT_EQ(foreign.refs(), 1);
  EXPECT_EQ(message->base.get_refct(&message->base), 1) << "every reference given back";

  ASSERT_EQ(SendProcessMessage(PID_RENDERER, PID_RENDERER, message.Handed(), queue), 1);
  ASSERT_EQ(queued.size(), 1u);
  EXPECT_EQ(message->base.get_refct(&message->base), 1);
  EXPECT_EQ(message->is_read_only(message.get()), 1);
  EXPECT_EQ(arguments->is_read_only(arguments.get()), 1);
  EXPECT_EQ(arguments->set_int(arguments.get(), 0, 1), 0);
  EXPECT_EQ(arguments->clear(arguments.get()), 0);
  EXPECT_EQ(ByKey(inside.get(), L"x")(&cef_dictionary_value_t::set_null), 0);
  ExpectFull(message.get());

  const ProcessMessage copy(message->copy(message.get()));
  EXPECT_EQ(copy->is_read_only(copy.get()), 0);
  const List copy_arguments(copy->get_argument_list(copy.get()));
  EXPECT_EQ(copy_arguments->set_int(copy_arguments.get(), 0, 1), 1);

  const devengine::RecordRef<cef_process_message_t> arrived =
      devengine::values::ProcessMessageOfFrame(queued.front());
  ASSERT_TRUE(arrived);
  ExpectFull(arrived.get());
  EXPECT_EQ(arrived.get()->is_read_only(arrived.get()), 1);
}

TEST(DevEngineMessages, BrokenFramesAreRefused) {
  using devengine::values::ProcessMessageOfFrame;
  const auto frame = [](const std::function<void(MessageWriter&)>& write) {
    MessageWriter writer(MessageKind::kProcessMessage);
    writer.Text(L"name");
    write(writer);
    return writer.Take();
  };
  // Nested lists `levels` deep, the argument list counted.
  const auto nested = [&](int levels) {
    return frame([levels](MessageWriter& writer) {
      for (int level = 1; level < levels; ++level) writer.Int(1).Int(VTYPE_LIST);
      writer.Int(0);
    });
  };
  EXPECT_TRUE(ProcessMessageOfFrame(nested(devengine::values::kDeepestNesting + 1)));
  EXPECT_FALSE(ProcessMessageOfFrame(nested(devengine::values::kDeepestNesting + 2)));
  EXPECT_FALSE(ProcessMessageOfFrame(nested(100000))) << "a deep frame does not overflow";

  const Message cases[] = {
      frame([](MessageWriter& writer) { writer.Int(1); }),
      frame([](MessageWriter& writer) { writer.Int(0x7fffffffffff).Int(VTYPE_NULL); }),
      frame([](MessageWriter& writer) { writer.Int(-1); }),
      frame([](MessageWriter& writer) { writer.Int(1).Int(99); }),
      frame([](MessageWriter& writer) { writer.Int(1).Int(VTYPE_STRING).Int(5); }),
      frame([](MessageWriter& writer) { writer.Int(1).Int(VTYPE_DICTIONARY).Int(1); }),
      MessageWriter(MessageKind::kAnswer).Text(L"name").Int(0).Take(),
  };
  for (const Message& broken : cases) EXPECT_FALSE(ProcessMessageOfFrame(broken));
}

}  // namespace
