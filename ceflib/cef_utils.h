// Small utilities of the binding: URL parts, engine times, the cookie manager,
// menu models, task runners and the command line.
//
// The URL and time functions keep no state and may run on any thread (the
// shell parses URLs on the engine's input/output thread). Wrappers follow the
// engine's own thread rules for their records.
#pragma once

#include <cstdint>

#include "cef_closures.h"
#include "cef_forward.h"

// ---- URLs -----------------------------------------------------------------------

// A URL split into its parts; an empty text is an absent part.
struct TUrlParts {
  ustring spec;
  ustring scheme;
  ustring username;
  ustring password;
  ustring host;
  ustring port;
  ustring path;
  ustring query;
};

// Splits `url` through the engine into every part but `spec`, which stays as
// the caller had it. False, with `parts` untouched, when the engine cannot.
bool ParseUrlParts(const ustring& url, TUrlParts& parts);
// Joins the eight parts through the engine; empty when it cannot build a URL.
ustring BuildUrlFromParts(const TUrlParts& parts);

// ---- Times ----------------------------------------------------------------------
// Engine times are universal; date-times are local days since 30 December 1899
// with the time of day as the fraction. Times that are no calendar date and
// date-times outside years 1 to 9999 raise EConvertError.

// Field by field; only the low 16 bits of each engine field survive.
void EngineTimeToSystemTime(const cef_time_t& time, SYSTEMTIME& systemTime);
void SystemTimeToEngineTime(const SYSTEMTIME& systemTime, cef_time_t& time);
double EngineTimeToDateTime(const cef_time_t& time);
void DateTimeToEngineTime(double dateTime, cef_time_t& time);

// ---- Cookies --------------------------------------------------------------------

class ICefCookieManager : public virtual ICefBase {
 public:
  // A null list counts as empty.
  virtual void SetSupportedSchemes(const TStringList* schemes) = 0;
  virtual bool VisitAllCookies(const TInterfacePtr<ICefCookieVisitor>& visitor) = 0;
  virtual bool VisitAllCookiesProc(const TCefCookieVisitorProc& visitor) = 0;
  virtual bool VisitUrlCookies(const ustring& url, bool includeHttpOnly,
                               const TInterfacePtr<ICefCookieVisitor>& visitor) = 0;
  virtual bool VisitUrlCookiesProc(const ustring& url, bool includeHttpOnly,
                                   const TCefCookieVisitorProc& visitor) = 0;
  // The expiry date-time is read only when `hasExpires` is true.
  virtual bool SetCookie(const ustring& url, const ustring& name, const ustring& value,
                         const ustring& domain, const ustring& path, bool secure, bool httponly,
                         bool hasExpires, double creation, double lastAccess, double expires) = 0;
  virtual bool DeleteCookies(const ustring& url, const ustring& cookieName) = 0;
  virtual bool SetStoragePath(const ustring& path) = 0;
};

class TCefCookieManagerRef : public TCefBaseRefT<cef_cookie_manager_t, ICefCookieManager> {
  NIMBRA_WRAPPER_HEAD(TCefCookieManagerRef, ICefCookieManager, cef_cookie_manager_t)
  static TInterfacePtr<ICefCookieManager> Global();
  static TInterfacePtr<ICefCookieManager> New(const ustring& path);

  using Rec = cef_cookie_manager_t;
  void SetSupportedSchemes(const TStringList* schemes) override;
  bool VisitAllCookies(const TInterfacePtr<ICefCookieVisitor>& visitor) override {
    return Call<bool>(&Rec::visit_all_cookies, visitor);
  }
  bool VisitAllCookiesProc(const TCefCookieVisitorProc& visitor) override;
  bool VisitUrlCookies(const ustring& url, bool includeHttpOnly,
                       const TInterfacePtr<ICefCookieVisitor>& visitor) override {
    return Call<bool>(&Rec::visit_url_cookies, url, includeHttpOnly, visitor);
  }
  bool VisitUrlCookiesProc(const ustring& url, bool includeHttpOnly,
                           const TCefCookieVisitorProc& visitor) override;
  bool SetCookie(const ustring& url, const ustring& name, const ustring& value,
                 const ustring& domain, const ustring& path, bool secure, bool httponly,
                 bool hasExpires, double creation, double lastAccess, double expires) override;
  bool DeleteCookies(const ustring& url, const ustring& cookieName) override {
    return Call<bool>(&Rec::delete_cookies, url, cookieName);
  }
  bool SetStoragePath(const ustring& path) override {
    return Call<bool>(&Rec::set_storage_path, path);
  }
};

// ---- Menus ----------------------------------------------------------------------
// Operations without "At" address an item by command id, those with it by
// zero-based position.

using TCefMenuItemType = cef_menu_item_type_t;

class ICefMenuModel : public virtual ICefBase {
 public:
  using PMenu = TInterfacePtr<ICefMenuModel>;

  virtual bool Clear() = 0;
  virtual int GetCount() = 0;
  virtual bool AddSeparator() = 0;
  virtual bool AddItem(int commandId, const ustring& label) = 0;
  virtual bool AddCheckItem(int commandId, const ustring& label) = 0;
  virtual bool AddRadioItem(int commandId, const ustring& label, int groupId) = 0;
  virtual PMenu AddSubMenu(int commandId, const ustring& label) = 0;
  virtual bool InsertSeparatorAt(int index) = 0;
  virtual bool InsertItemAt(int index, int commandId, const ustring& label) = 0;
  virtual bool InsertCheckItemAt(int index, int commandId, const ustring& label) = 0;
  virtual bool InsertRadioItemAt(int index, int commandId, const ustring& label, int groupId) = 0;
  virtual PMenu InsertSubMenuAt(int index, int commandId, const ustring& label) = 0;
  virtual bool Remove(int commandId) = 0;
  virtual bool RemoveAt(int index) = 0;
  virtual int GetIndexOf(int commandId) = 0;
  virtual int GetCommandIdAt(int index) = 0;
  virtual bool SetCommandIdAt(int index, int commandId) = 0;
  virtual ustring GetLabel(int commandId) = 0;
  virtual ustring GetLabelAt(int index) = 0;
  virtual bool SetLabel(int commandId, const ustring& label) = 0;
  virtual bool SetLabelAt(int index, const ustring& label) = 0;
  virtual TCefMenuItemType GetType(int commandId) = 0;
  virtual TCefMenuItemType GetTypeAt(int index) = 0;
  virtual int GetGroupId(int commandId) = 0;
  virtual int GetGroupIdAt(int index) = 0;
  virtual bool SetGroupId(int commandId, int groupId) = 0;
  virtual bool SetGroupIdAt(int index, int groupId) = 0;
  virtual PMenu GetSubMenu(int commandId) = 0;
  virtual PMenu GetSubMenuAt(int index) = 0;
  virtual bool IsVisible(int commandId) = 0;
  virtual bool IsVisibleAt(int index) = 0;
  virtual bool SetVisible(int commandId, bool visible) = 0;
  virtual bool SetVisibleAt(int index, bool visible) = 0;
  virtual bool IsEnabled(int commandId) = 0;
  virtual bool IsEnabledAt(int index) = 0;
  virtual bool SetEnabled(int commandId, bool enabled) = 0;
  virtual bool SetEnabledAt(int index, bool enabled) = 0;
  virtual bool IsChecked(int commandId) = 0;
  virtual bool IsCheckedAt(int index) = 0;
  virtual bool SetChecked(int commandId, bool checked) = 0;
  virtual bool SetCheckedAt(int index, bool checked) = 0;
  virtual bool HasAccelerator(int commandId) = 0;
  virtual bool HasAcceleratorAt(int index) = 0;
  virtual bool SetAccelerator(int commandId, int keyCode, bool shiftPressed, bool ctrlPressed,
                              bool altPressed) = 0;
  virtual bool SetAcceleratorAt(int index, int keyCode, bool shiftPressed, bool ctrlPressed,
                                bool altPressed) = 0;
  virtual bool RemoveAccelerator(int commandId) = 0;
  virtual bool RemoveAcceleratorAt(int index) = 0;
  virtual bool GetAccelerator(int commandId, int& keyCode, bool& shiftPressed, bool& ctrlPressed,
                              bool& altPressed) = 0;
  virtual bool GetAcceleratorAt(int index, int& keyCode, bool& shiftPressed, bool& ctrlPressed,
                                bool& altPressed) = 0;
};

class TCefMenuModelRef : public TCefBaseRefT<cef_menu_model_t, ICefMenuModel> {
  NIMBRA_WRAPPER_HEAD(TCefMenuModelRef, ICefMenuModel, cef_menu_model_t)

  using Rec = cef_menu_model_t;
  bool Clear() override { return Call<bool>(&Rec::clear); }
  int GetCount() override { return Call<int>(&Rec::get_count); }
  bool AddSeparator() override { return Call<bool>(&Rec::add_separator); }
  bool AddItem(int commandId, const ustring& label) override {
    return Call<bool>(&Rec::add_item, commandId, label);
  }
  bool AddCheckItem(int commandId, const ustring& label) override {
    return Call<bool>(&Rec::add_check_item, commandId, label);
  }
  bool AddRadioItem(int commandId, const ustring& label, int groupId) override {
    return Call<bool>(&Rec::add_radio_item, commandId, label, groupId);
  }
  PMenu AddSubMenu(int commandId, const ustring& label) override {
    return Call<PMenu>(&Rec::add_sub_menu, commandId, label);
  }
  bool InsertSeparatorAt(int index) override {
    return Call<bool>(&Rec::insert_separator_at, index);
  }
  bool InsertItemAt(int index, int commandId, const ustring& label) override {
    return Call<bool>(&Rec::insert_item_at, index, commandId, label);
  }
  bool InsertCheckItemAt(int index, int commandId, const ustring& label) override {
    return Call<bool>(&Rec::insert_check_item_at, index, commandId, label);
  }
  bool InsertRadioItemAt(int index, int commandId, const ustring& label, int groupId) override {
    return Call<bool>(&Rec::insert_radio_item_at, index, commandId, label, groupId);
  }
  PMenu InsertSubMenuAt(int index, int commandId, const ustring& label) override {
    return Call<PMenu>(&Rec::insert_sub_menu_at, index, commandId, label);
  }
  bool Remove(int commandId) override { return Call<bool>(&Rec::remove, commandId); }
  bool RemoveAt(int index) override { return Call<bool>(&Rec::remove_at, index); }
  int GetIndexOf(int commandId) override { return Call<int>(&Rec::get_index_of, commandId); }
  int GetCommandIdAt(int index) override { return Call<int>(&Rec::get_command_id_at, index); }
  bool SetCommandIdAt(int index, int commandId) override {
    return Call<bool>(&Rec::set_command_id_at, index, commandId);
  }
  ustring GetLabel(int commandId) override { return Call<ustring>(&Rec::get_label, commandId); }
  ustring GetLabelAt(int index) override { return Call<ustring>(&Rec::get_label_at, index); }
  bool SetLabel(int commandId, const ustring& label) override {
    return Call<bool>(&Rec::set_label, commandId, label);
  }
  bool SetLabelAt(int index, const ustring& label) override {
    return Call<bool>(&Rec::set_label_at, index, label);
  }
  TCefMenuItemType GetType(int commandId) override {
    return Call<TCefMenuItemType>(&Rec::get_type, commandId);
  }
  TCefMenuItemType GetTypeAt(int index) override {
    return Call<TCefMenuItemType>(&Rec::get_type_at, index);
  }
  int GetGroupId(int commandId) override { return Call<int>(&Rec::get_group_id, commandId); }
  int GetGroupIdAt(int index) override { return Call<int>(&Rec::get_group_id_at, index); }
  bool SetGroupId(int commandId, int groupId) override {
    return Call<bool>(&Rec::set_group_id, commandId, groupId);
  }
  bool SetGroupIdAt(int index, int groupId) override {
    return Call<bool>(&Rec::set_group_id_at, index, groupId);
  }
  PMenu GetSubMenu(int commandId) override { return Call<PMenu>(&Rec::get_sub_menu, commandId); }
  PMenu GetSubMenuAt(int index) override { return Call<PMenu>(&Rec::get_sub_menu_at, index); }
  bool IsVisible(int commandId) override { return Call<bool>(&Rec::is_visible, commandId); }
  bool IsVisibleAt(int index) override { return Call<bool>(&Rec::is_visible_at, index); }
  bool SetVisible(int commandId, bool visible) override {
    return Call<bool>(&Rec::set_visible, commandId, visible);
  }
  bool SetVisibleAt(int index, bool visible) override {
    return Call<bool>(&Rec::set_visible_at, index, visible);
  }
  bool IsEnabled(int commandId) override { return Call<bool>(&Rec::is_enabled, commandId); }
  bool IsEnabledAt(int index) override { return Call<bool>(&Rec::is_enabled_at, index); }
  bool SetEnabled(int commandId, bool enabled) override {
    return Call<bool>(&Rec::set_enabled, commandId, enabled);
  }
  bool SetEnabledAt(int index, bool enabled) override {
    return Call<bool>(&Rec::set_enabled_at, index, enabled);
  }
  bool IsChecked(int commandId) override { return Call<bool>(&Rec::is_checked, commandId); }
  bool IsCheckedAt(int index) override { return Call<bool>(&Rec::is_checked_at, index); }
  bool SetChecked(int commandId, bool checked) override {
    return Call<bool>(&Rec::set_checked, commandId, checked);
  }
  bool SetCheckedAt(int index, bool checked) override {
    return Call<bool>(&Rec::set_checked_at, index, checked);
  }
  bool HasAccelerator(int commandId) override {
    return Call<bool>(&Rec::has_accelerator, commandId);
  }
  bool HasAcceleratorAt(int index) override { return Call<bool>(&Rec::has_accelerator_at, index); }
  bool SetAccelerator(int commandId, int keyCode, bool shiftPressed, bool ctrlPressed,
                      bool altPressed) override {
    return Call<bool>(&Rec::set_accelerator, commandId, keyCode, shiftPressed, ctrlPressed,
                      altPressed);
  }
  bool SetAcceleratorAt(int index, int keyCode, bool shiftPressed, bool ctrlPressed,
                        bool altPressed) override {
    return Call<bool>(&Rec::set_accelerator_at, index, keyCode, shiftPressed, ctrlPressed,
                      altPressed);
  }
  bool RemoveAccelerator(int commandId) override {
    return Call<bool>(&Rec::remove_accelerator, commandId);
  }
  bool RemoveAcceleratorAt(int index) override {
    return Call<bool>(&Rec::remove_accelerator_at, index);
  }
  bool GetAccelerator(int commandId, int& keyCode, bool& shiftPressed, bool& ctrlPressed,
                      bool& altPressed) override;
  bool GetAcceleratorAt(int index, int& keyCode, bool& shiftPressed, bool& ctrlPressed,
                        bool& altPressed) override;
};

// ---- Tasks ----------------------------------------------------------------------

// Work posted to an engine thread. The program has no task class of its own;
// an implementation owns a cef_task_t record whose `execute` entry runs it.
class ICefTask : public virtual ICefBase {
 public:
  virtual void Execute() = 0;
};

class ICefTaskRunner : public virtual ICefBase {
 public:
  virtual bool IsSame(const TInterfacePtr<ICefTaskRunner>& that) = 0;
  virtual bool BelongsToCurrentThread() = 0;
  virtual bool BelongsToThread(TCefThreadId threadId) = 0;
  virtual bool PostTask(const TInterfacePtr<ICefTask>& task) = 0;
  virtual bool PostDelayedTask(const TInterfacePtr<ICefTask>& task, int64_t delayMs) = 0;
};

class TCefTaskRunnerRef : public TCefBaseRefT<cef_task_runner_t, ICefTaskRunner> {
  NIMBRA_WRAPPER_HEAD(TCefTaskRunnerRef, ICefTaskRunner, cef_task_runner_t)
  static TInterfacePtr<ICefTaskRunner> GetForThread(TCefThreadId threadId);
  static TInterfacePtr<ICefTaskRunner> GetForCurrentThread();

  using Rec = cef_task_runner_t;
  bool IsSame(const TInterfacePtr<ICefTaskRunner>& that) override {
    return Call<bool>(&Rec::is_same, that);
  }
  bool BelongsToCurrentThread() override { return Call<bool>(&Rec::belongs_to_current_thread); }
  bool BelongsToThread(TCefThreadId threadId) override {
    return Call<bool>(&Rec::belongs_to_thread, threadId);
  }
  bool PostTask(const TInterfacePtr<ICefTask>& task) override {
    return Call<bool>(&Rec::post_task, task);
  }
  bool PostDelayedTask(const TInterfacePtr<ICefTask>& task, int64_t delayMs) override {
    return Call<bool>(&Rec::post_delayed_task, task, delayMs);
  }
};

// ---- Command line ---------------------------------------------------------------

class ICefCommandLine : public virtual ICefBase {
 public:
  virtual bool IsValid() = 0;
  virtual bool IsReadOnly() = 0;
  virtual TInterfacePtr<ICefCommandLine> Copy() = 0;
  virtual void InitFromArgv(int argc, const char* const* argv) = 0;
  virtual void InitFromString(const ustring& commandLine) = 0;
  virtual void Reset() = 0;
  virtual ustring GetCommandLineString() = 0;
  virtual void GetArgv(TStringList& args) = 0;
  virtual ustring GetProgram() = 0;
  virtual void SetProgram(const ustring& program) = 0;
  virtual bool HasSwitches() = 0;
  virtual bool HasSwitch(const ustring& name) = 0;
  virtual ustring GetSwitchValue(const ustring& name) = 0;
  virtual void GetSwitches(cef_string_map_t switches) = 0;
  virtual void AppendSwitch(const ustring& name) = 0;
  virtual void AppendSwitchWithValue(const ustring& name, const ustring& value) = 0;
  virtual bool HasArguments() = 0;
  virtual void GetArguments(TStringList& arguments) = 0;
  virtual void AppendArgument(const ustring& argument) = 0;
  virtual void PrependWrapper(const ustring& wrapper) = 0;
};

class TCefCommandLineRef : public TCefBaseRefT<cef_command_line_t, ICefCommandLine> {
  NIMBRA_WRAPPER_HEAD(TCefCommandLineRef, ICefCommandLine, cef_command_line_t)
  static TInterfacePtr<ICefCommandLine> New();
  static TInterfacePtr<ICefCommandLine> Global();

  using Rec = cef_command_line_t;
  bool IsValid() override { return Call<bool>(&Rec::is_valid); }
  bool IsReadOnly() override { return Call<bool>(&Rec::is_read_only); }
  TInterfacePtr<ICefCommandLine> Copy() override {
    return Call<TInterfacePtr<ICefCommandLine>>(&Rec::copy);
  }
  void InitFromArgv(int argc, const char* const* argv) override {
    Call(&Rec::init_from_argv, argc, argv);
  }
  void InitFromString(const ustring& commandLine) override {
    Call(&Rec::init_from_string, commandLine);
  }
  void Reset() override { Call(&Rec::reset); }
  ustring GetCommandLineString() override { return Call<ustring>(&Rec::get_command_line_string); }
  void GetArgv(TStringList& args) override;
  ustring GetProgram() override { return Call<ustring>(&Rec::get_program); }
  void SetProgram(const ustring& program) override { Call(&Rec::set_program, program); }
  bool HasSwitches() override { return Call<bool>(&Rec::has_switches); }
  bool HasSwitch(const ustring& name) override { return Call<bool>(&Rec::has_switch, name); }
  ustring GetSwitchValue(const ustring& name) override {
    return Call<ustring>(&Rec::get_switch_value, name);
  }
  void GetSwitches(cef_string_map_t switches) override { Call(&Rec::get_switches, switches); }
  void AppendSwitch(const ustring& name) override { Call(&Rec::append_switch, name); }
  void AppendSwitchWithValue(const ustring& name, const ustring& value) override {
    Call(&Rec::append_switch_with_value, name, value);
  }
  bool HasArguments() override { return Call<bool>(&Rec::has_arguments); }
  void GetArguments(TStringList& arguments) override;
  void AppendArgument(const ustring& argument) override { Call(&Rec::append_argument, argument); }
  void PrependWrapper(const ustring& wrapper) override { Call(&Rec::prepend_wrapper, wrapper); }
};
