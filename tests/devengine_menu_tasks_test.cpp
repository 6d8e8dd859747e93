// The development engine's menu models, task runners and threads, called as
// the program calls them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "devengine_test_records.h"
#include "menu_model.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::wstring UserFreeText(cef_string_userfree_t text) {
  const std::wstring copy = text == nullptr ? std::wstring() : TextOf(*text);
  cef_string_userfree_utf16_free(text);
  return copy;
}

struct DevEngineMenu : testing::Test {
  DevEngineMenu() {
    const std::wstring labels[] = {L"Open", L"Wrap", L"Small", L"More", L"First"};
    cef_string_t text[5];
    for (int index = 0; index < 5; ++index) text[index] = Borrowed(labels[index]);
    menu->add_item(menu.get(), 1, &text[0]);
    menu->add_check_item(menu.get(), 2, &text[1]);
    menu->add_radio_item(menu.get(), 3, &text[2], 7);
    menu->add_separator(menu.get());
    sub_menu.record = menu->add_sub_menu(menu.get(), 4, &text[3]);
    menu->insert_item_at(menu.get(), 0, 9, &text[4]);
  }
  Held<cef_menu_model_t> menu{devengine::NewMenuModel()};
  Held<cef_menu_model_t> sub_menu{nullptr};
};

struct MenuRow {
  cef_menu_item_type_t type;
  int command_id;
  const wchar_t* label;
};

TEST_F(DevEngineMenu, EachPositionAnswersItsOwnItem) {
  const MenuRow rows[] = {
      {MENUITEMTYPE_COMMAND, 9, L"First"}, {MENUITEMTYPE_COMMAND, 1, L"Open"},
      {MENUITEMTYPE_CHECK, 2, L"Wrap"},    {MENUITEMTYPE_RADIO, 3, L"Small"},
      {MENUITEMTYPE_SEPARATOR, -1, L""},   {MENUITEMTYPE_SUBMENU, 4, L"More"},
  };
  ASSERT_EQ(menu->get_count(menu.get()), 6);
  for (int index = 0; index < 6; ++index) {
    SCOPED_TRACE(index);
    EXPECT_EQ(menu->get_type_at(menu.get(), index), rows[index].type);
    EXPECT_EQ(menu->get_command_id_at(menu.get(), index), rows[index].command_id);
    EXPECT_EQ(UserFreeText(menu->get_label_at(menu.get(), index)), rows[index].label);
    if (rows[index].command_id < 0) continue;
    EXPECT_EQ(menu->get_index_of(menu.get(), rows[index].command_id), index);
    EXPECT_EQ(menu->get_type(menu.get(), rows[index].command_id), rows[index].type);
  }
  EXPECT_EQ(menu->get_type_at(menu.get(), 6), MENUITEMTYPE_NONE);
  EXPECT_EQ(menu->get_type_at(menu.get(), -1), MENUITEMTYPE_NONE);
  EXPECT_EQ(menu->get_type(menu.get(), 99), MENUITEMTYPE_NONE);
  EXPECT_EQ(menu->get_label(menu.get(), 99), nullptr);
  EXPECT_EQ(menu->get_group_id(menu.get(), 3), 7);
  EXPECT_EQ(menu->get_group_id_at(menu.get(), 1), -1);
}

TEST_F(DevEngineMenu, ASubMenuIsAMenuOfItsOwn) {
  ASSERT_NE(sub_menu.get(), nullptr);
  const std::wstring inner = L"Inner";
  const cef_string_t label = Borrowed(inner);
  sub_menu->add_item(sub_menu.get(), 41, &label);
  const Held<cef_menu_model_t> by_id(menu->get_sub_menu(menu.get(), 4));
  const Held<cef_menu_model_t> by_index(menu->get_sub_menu_at(menu.get(), 5));
  EXPECT_EQ(by_id.get(), sub_menu.get());
  EXPECT_EQ(by_index.get(), sub_menu.get());
  EXPECT_EQ(sub_menu->base.get_refct(&sub_menu->base), 4) << "the item's and three callers'";
  EXPECT_EQ(by_id->get_count(by_id.get()), 1);
  EXPECT_EQ(menu->get_index_of(menu.get(), 41), -1) << "sub-menu items are not the menu's";
  EXPECT_EQ(menu->get_sub_menu(menu.get(), 1), nullptr);
  menu->clear(menu.get());
  EXPECT_EQ(sub_menu->base.get_refct(&sub_menu->base), 3);
}

TEST_F(DevEngineMenu, FlagsGroupsAndAcceleratorsStayWithTheirItem) {
  EXPECT_EQ(menu->is_visible(menu.get(), 1), 1);
  EXPECT_EQ(menu->set_visible(menu.get(), 1, 0), 1);
  EXPECT_EQ(menu->set_enabled_at(menu.get(), 2, 0), 1);
  EXPECT_EQ(menu->set_checked(menu.get(), 2, 1), 1);
  EXPECT_EQ(menu->set_group_id_at(menu.get(), 2, 5), 1);
  EXPECT_EQ(menu->set_accelerator(menu.get(), 1, 'O', 0, 1, 0), 1);
  EXPECT_EQ(menu->set_checked(menu.get(), 99, 1), 0);

  const std::wstring label = L"Zero";
  const cef_string_t text = Borrowed(label);
  menu->insert_item_at(menu.get(), 0, 0, &text);
  EXPECT_EQ(menu->is_visible_at(menu.get(), 2), 0);
  EXPECT_EQ(menu->is_enabled(menu.get(), 2), 0);
  EXPECT_EQ(menu->is_checked_at(menu.get(), 3), 1);
  EXPECT_EQ(menu->is_checked(menu.get(), 3), 0);
  EXPECT_EQ(menu->get_group_id(menu.get(), 2), 5);
  int key = 0, shift = -1, ctrl = -1, alt = -1;
  ASSERT_EQ(menu->get_accelerator_at(menu.get(), 2, &key, &shift, &ctrl, &alt), 1);
  EXPECT_EQ((std::vector<int>{key, shift, ctrl, alt}), (std::vector<int>{'O', 0, 1, 0}));
  EXPECT_EQ(menu->has_accelerator(menu.get(), 2), 0);
  EXPECT_EQ(menu->remove_accelerator(menu.get(), 1), 1);
  EXPECT_EQ(menu->get_accelerator(menu.get(), 1, &key, &shift, &ctrl, &alt), 0);

  EXPECT_EQ(menu->remove(menu.get(), 1), 1);
  EXPECT_EQ(menu->get_command_id_at(menu.get(), 2), 2);
  EXPECT_EQ(menu->remove_at(menu.get(), 42), 0);
  EXPECT_EQ(menu->insert_separator_at(menu.get(), 42), 0);
  EXPECT_EQ(menu->clear(menu.get()), 1);
  EXPECT_EQ(menu->get_count(menu.get()), 0);
}

// A program task that notes where and when it ran.
class Task {
 public:
  Task() { program.record().execute = &Execute; }
  cef_task_t* Handed() { return program.Handed(); }
  bool AllGivenBack() const { return program.AllGivenBack(); }

  std::function<void()> during;
  std::atomic<int> runs{0};
  std::atomic<DWORD> thread{0};
  std::atomic<bool> on_io{false};
  std::atomic<bool> on_ui{false};
  Clock::time_point ran_at;
  ProgramRecord<cef_task_t, Task> program{this};

 private:
  static void CEF_CALLBACK Execute(cef_task_t* self) {
    Task& task = ProgramRecord<cef_task_t, Task>::OwnerOf(self);
    task.thread = GetCurrentThreadId();
    task.on_io = cef_currently_on(TID_IO) != 0;
    task.on_ui = cef_currently_on(TID_UI) != 0;
    task.ran_at = Clock::now();
    if (task.during) task.during();
    ++task.runs;
  }
};

TEST(DevEngineTasks, ARunnerForIoRunsTasksOnceOnTheIoThread) {
  const Held<cef_task_runner_t> runner(cef_task_runner_get_for_thread(TID_IO));
  ASSERT_NE(runner.get(), nullptr);
  EXPECT_EQ(runner->belongs_to_thread(runner.get(), TID_IO), 1);
  EXPECT_EQ(runner->belongs_to_thread(runner.get(), TID_FILE), 0);
  EXPECT_EQ(runner->belongs_to_current_thread(runner.get()), 0);
  EXPECT_EQ(cef_task_runner_get_for_current_thread(), nullptr)
      << "the test's thread is no engine's";

  Task task;
  std::atomic<int> same_runner{-1};
  task.during = [&] {
    const Held<cef_task_runner_t> current(cef_task_runner_get_for_current_thread());
    same_runner = current->is_same(current.get(), runner.Handed());
  };
  ASSERT_EQ(runner->post_task(runner.get(), task.Handed()), 1);
  ASSERT_TRUE(task.AllGivenBack());
  EXPECT_EQ(task.runs, 1);
  EXPECT_NE(task.thread, GetCurrentThreadId());
  EXPECT_TRUE(task.on_io);
  EXPECT_EQ(same_runner, 1);
  EXPECT_EQ(runner->base.get_refct(&runner->base), 1);
}

TEST(DevEngineTasks, RunnersAreTheSameWhenTheirThreadIs) {
  const Held<cef_task_runner_t> io(cef_task_runner_get_for_thread(TID_IO));
  const Held<cef_task_runner_t> io_again(cef_task_runner_get_for_thread(TID_IO));
  const Held<cef_task_runner_t> file(cef_task_runner_get_for_thread(TID_FILE));
  EXPECT_EQ(io->is_same(io.get(), io_again.Handed()), 1);
  EXPECT_EQ(io->is_same(io.get(), file.Handed()), 0);
  EXPECT_EQ(io->is_same(io.get(), nullptr), 0);
  EXPECT_EQ(io_again->base.get_refct(&io_again->base), 1);
  EXPECT_EQ(file->base.get_refct(&file->base), 1);

  EXPECT_EQ(cef_task_runner_get_for_thread(TID_DB), nullptr);
  Task nowhere;
  EXPECT_EQ(cef_post_task(TID_DB, nowhere.Handed()), 0);
  EXPECT_EQ(nowhere.program.refs(), 1) << "a task the engine cannot run is given back";
  EXPECT_EQ(cef_post_task(TID_IO, nullptr), 0);
}

TEST(DevEngineTasks, DelayedTasksWaitTheirTurn) {
  Task late, early, at_once;
  std::atomic<int> order{0};
  int late_place = 0, early_place = 0, at_once_place = 0;
  late.during = [&] { late_place = ++order; };
  early.during = [&] { early_place = ++order; };
  at_once.during = [&] { at_once_place = ++order; };
  const Clock::time_point posted = Clock::now();
  ASSERT_EQ(cef_post_delayed_task(TID_FILE, late.Handed(), 300), 1);
  ASSERT_EQ(cef_post_delayed_task(TID_FILE, early.Handed(), 100), 1);
  ASSERT_EQ(cef_post_task(TID_FILE, at_once.Handed()), 1);
  ASSERT_TRUE(late.AllGivenBack());
  ASSERT_TRUE(early.AllGivenBack());
  ASSERT_TRUE(at_once.AllGivenBack());
  EXPECT_EQ((std::vector<int>{at_once_place, early_place, late_place}),
            (std::vector<int>{1, 2, 3}));
  EXPECT_GE(late.ran_at - posted, milliseconds(300));
  EXPECT_GE(early.ran_at - posted, milliseconds(100));
}

// One engine life per process: initialised, pumped, shut down.
TEST(DevEngineTasks, UiTasksRunWhenPumpedAndShutdownReleasesTheRest) {
  cef_settings_t settings{};
  settings.size = sizeof settings;
  ASSERT_EQ(cef_initialize(nullptr, &settings, nullptr), 1);

  Task now, soon;
  ASSERT_EQ(cef_post_task(TID_UI, now.Handed()), 1);
  const Clock::time_point posted = Clock::now();
  ASSERT_EQ(cef_post_delayed_task(TID_UI, soon.Handed(), 150), 1);
  EXPECT_EQ(now.runs, 0) << "UI work waits for the pump";
  cef_do_message_loop_work();
  EXPECT_EQ(now.runs, 1);
  EXPECT_EQ(now.thread, GetCurrentThreadId());
  EXPECT_TRUE(now.on_ui);
  EXPECT_EQ(now.program.refs(), 1);
  while (soon.runs == 0 && Clock::now() - posted < std::chrono::seconds(10)) {
    cef_do_message_loop_work();
    Sleep(5);
  }
  EXPECT_EQ(soon.runs, 1);
  EXPECT_GE(soon.ran_at - posted, milliseconds(150));

  Task waiting_ui, waiting_io, waiting_file;
  ASSERT_EQ(cef_post_task(TID_UI, waiting_ui.Handed()), 1);
  ASSERT_EQ(cef_post_delayed_task(TID_IO, waiting_io.Handed(), 60'000), 1);
  ASSERT_EQ(cef_post_delayed_task(TID_FILE, waiting_file.Handed(), 60'000), 1);
  cef_shutdown();
  for (const Task* task : {&waiting_ui, &waiting_io, &waiting_file}) {
    EXPECT_EQ(task->runs, 0);
    EXPECT_EQ(task->program.refs(), 1) << "released at shutdown";
  }

  Task too_late;
  EXPECT_EQ(cef_post_task(TID_IO, too_late.Handed()), 0);
  EXPECT_EQ(too_late.program.refs(), 1);
  EXPECT_EQ(cef_currently_on(TID_UI), 0);
}

}  // namespace
