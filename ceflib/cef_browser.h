// Browsers, their hosts and frames, requests with their post data, and the
// records the engine hands to browser handlers.
//
// Each wrapper holds one engine reference to its record and is used on the
// thread on which the engine handed the record over (the user-interface thread
// for browsers and frames, the input/output thread for requests seen before a
// resource load). Its operations are one per record entry, in the record's
// order; an operation that takes a visitor or callback object is followed by
// a `...Proc` variant taking a closure, which refuses an empty closure.
//
// A translation unit that calls these operations includes cef_wrappers.h: the
// results of other families (script contexts, process messages) need their
// wrapper classes.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "cef_closures.h"
#include "cef_forward.h"

using TCefWindowHandle = cef_window_handle_t;
using TCefMouseEvent = cef_mouse_event_t;
using TCefMouseButtonType = cef_mouse_button_type_t;
using TCefPostDataElementType = cef_postdataelement_type_t;
using TCefContextMenuMediaType = cef_context_menu_media_type_t;
// A header map: one name may occur several times; order is kept.
using TCefStringMultimap = std::vector<std::pair<ustring, ustring>>;
using TCefFrameIdentifierList = std::vector<int64_t>;
using TCefPostDataElementList = std::vector<TInterfacePtr<ICefPostDataElement>>;

// ---- Interfaces -----------------------------------------------------------------

class ICefBrowser : public virtual ICefBase {
 public:
  virtual TInterfacePtr<ICefBrowserHost> GetHost() = 0;
  virtual bool CanGoBack() = 0;
  virtual void GoBack() = 0;
  virtual bool CanGoForward() = 0;
  virtual void GoForward() = 0;
  virtual bool IsLoading() = 0;
  virtual void Reload() = 0;
  virtual void ReloadIgnoreCache() = 0;
  virtual void StopLoad() = 0;
  virtual int GetIdentifier() = 0;
  virtual bool IsSame(const TInterfacePtr<ICefBrowser>& that) = 0;
  virtual bool IsPopup() = 0;
  virtual bool HasDocument() = 0;
  virtual TInterfacePtr<ICefFrame> GetMainFrame() = 0;
  virtual TInterfacePtr<ICefFrame> GetFocusedFrame() = 0;
  virtual TInterfacePtr<ICefFrame> GetFrameByident(int64_t identifier) = 0;
  virtual TInterfacePtr<ICefFrame> GetFrame(const ustring& name) = 0;
  virtual size_t GetFrameCount() = 0;
  // Both append to the caller's list.
  virtual void GetFrameIdentifiers(TCefFrameIdentifierList& identifiers) = 0;
  virtual void GetFrameNames(TStringList& names) = 0;
  // The engine takes over the reference added for it; true when sent.
  virtual bool SendProcessMessage(TCefProcessId targetProcess,
                                  const TInterfacePtr<ICefProcessMessage>& message) = 0;
};

// No operation for the record's get_client entry: the program knows its client.
class ICefBrowserHost : public virtual ICefBase {
 public:
  virtual TInterfacePtr<ICefBrowser> GetBrowser() = 0;
  virtual void ParentWindowWillClose() = 0;
  virtual void CloseBrowser() = 0;
  virtual void SetFocus(bool enable) = 0;
  virtual TCefWindowHandle GetWindowHandle() = 0;
  virtual TCefWindowHandle GetOpenerWindowHandle() = 0;
  virtual ustring GetDevToolsUrl(bool httpScheme) = 0;
  virtual double GetZoomLevel() = 0;
  virtual void SetZoomLevel(double zoomLevel) = 0;
  virtual void RunFileDialog(TCefFileDialogMode mode, const ustring& title,
                             const ustring& defaultFileName, const TStringList& acceptTypes,
                             const TInterfacePtr<ICefRunFileDialogCallback>& callback) = 0;
  virtual void RunFileDialogProc(TCefFileDialogMode mode, const ustring& title,
                                 const ustring& defaultFileName, const TStringList& acceptTypes,
                                 const TCefRunFileDialogCallbackProc& callback) = 0;
  virtual void StartDownload(const ustring& url) = 0;
  virtual void Print() = 0;
  virtual void Find(int identifier, const ustring& searchText, bool forward, bool matchCase,
                    bool findNext) = 0;
  virtual void StopFinding(bool clearSelection) = 0;
  virtual void SetMouseCursorChangeDisabled(bool disabled) = 0;
  virtual bool IsMouseCursorChangeDisabled() = 0;
  virtual bool IsWindowRenderingDisabled() = 0;
  virtual void WasResized() = 0;
  virtual void WasHidden(bool hidden) = 0;
  virtual void NotifyScreenInfoChanged() = 0;
  virtual void Invalidate(const TCefRect& dirtyRect, TCefPaintElementType elementType) = 0;
  virtual void SendKeyEvent(const TCefKeyEvent& event) = 0;
  virtual void SendMouseClickEvent(const TCefMouseEvent& event, TCefMouseButtonType type,
                                   bool mouseUp, int clickCount) = 0;
  virtual void SendMouseMoveEvent(const TCefMouseEvent& event, bool mouseLeave) = 0;
  virtual void SendMouseWheelEvent(const TCefMouseEvent& event, int deltaX, int deltaY) = 0;
  virtual void SendFocusEvent(bool setFocus) = 0;
  virtual void SendCaptureLostEvent() = 0;
};

class ICefFrame : public virtual ICefBase {
 public:
  virtual bool IsValid() = 0;
  virtual void Undo() = 0;
  virtual void Redo() = 0;
  virtual void Cut() = 0;
  virtual void Copy() = 0;
  virtual void Paste() = 0;
  virtual void Del() = 0;
  virtual void SelectAll() = 0;
  virtual void ViewSource() = 0;
  virtual void GetSource(const TInterfacePtr<ICefStringVisitor>& visitor) = 0;
  virtual void GetSourceProc(const TCefStringVisitorProc& proc) = 0;
  virtual void GetText(const TInterfacePtr<ICefStringVisitor>& visitor) = 0;
  virtual void GetTextProc(const TCefStringVisitorProc& proc) = 0;
  virtual void LoadRequest(const TInterfacePtr<ICefRequest>& request) = 0;
  virtual void LoadUrl(const ustring& url) = 0;
  virtual void LoadString(const ustring& stringVal, const ustring& url) = 0;
  virtual void ExecuteJavaScript(const ustring& code, const ustring& scriptUrl, int startLine) = 0;
  virtual bool IsMain() = 0;
  virtual bool IsFocused() = 0;
  virtual ustring GetName() = 0;
  virtual int64_t GetIdentifier() = 0;
  virtual TInterfacePtr<ICefFrame> GetParent() = 0;
  virtual ustring GetUrl() = 0;
  virtual TInterfacePtr<ICefBrowser> GetBrowser() = 0;
  virtual TInterfacePtr<ICefv8Context> GetV8context() = 0;
  virtual void VisitDom(const TInterfacePtr<ICefDomVisitor>& visitor) = 0;
  virtual void VisitDomProc(const TCefDomVisitorProc& proc) = 0;
};

// Getters, then the matching setters; `Set` sets all four at once.
class ICefRequest : public virtual ICefBase {
 public:
  virtual bool IsReadOnly() = 0;
  virtual ustring GetUrl() = 0;
  virtual ustring GetMethod() = 0;
  virtual TInterfacePtr<ICefPostData> GetPostData() = 0;
  // Appends to the caller's map.
  virtual void GetHeaderMap(TCefStringMultimap& headerMap) = 0;
  virtual void SetUrl(const ustring& url) = 0;
  virtual void SetMethod(const ustring& method) = 0;
  virtual void SetPostData(const TInterfacePtr<ICefPostData>& postData) = 0;
  virtual void SetHeaderMap(const TCefStringMultimap& headerMap) = 0;
  virtual int GetFlags() = 0;
  virtual void SetFlags(int flags) = 0;
  virtual ustring GetFirstPartyForCookies() = 0;
  virtual void SetFirstPartyForCookies(const ustring& url) = 0;
  virtual void Set(const ustring& url, const ustring& method,
                   const TInterfacePtr<ICefPostData>& postData,
                   const TCefStringMultimap& headerMap) = 0;
};

class ICefPostData : public virtual ICefBase {
 public:
  virtual bool IsReadOnly() = 0;
  virtual size_t GetElementCount() = 0;
  // Appends to the caller's list.
  virtual void GetElements(TCefPostDataElementList& elements) = 0;
  virtual bool RemoveElement(const TInterfacePtr<ICefPostDataElement>& element) = 0;
  virtual bool AddElement(const TInterfacePtr<ICefPostDataElement>& element) = 0;
  virtual void RemoveElements() = 0;
};

class ICefPostDataElement : public virtual ICefBase {
 public:
  virtual bool IsReadOnly() = 0;
  virtual void SetToEmpty() = 0;
  virtual void SetToFile(const ustring& fileName) = 0;
  virtual void SetToBytes(size_t size, const void* bytes) = 0;
  virtual TCefPostDataElementType GetType() = 0;
  virtual ustring GetFile() = 0;
  virtual size_t GetBytesCount() = 0;
  // Copies at most `size` bytes; answers how many were copied.
  virtual size_t GetBytes(size_t size, void* bytes) = 0;
};

class ICefContextMenuParams : public virtual ICefBase {
 public:
  virtual int GetXCoord() = 0;
  virtual int GetYCoord() = 0;
  virtual int GetTypeFlags() = 0;
  virtual ustring GetLinkUrl() = 0;
  virtual ustring GetUnfilteredLinkUrl() = 0;
  virtual ustring GetSourceUrl() = 0;
  virtual bool IsImageBlocked() = 0;
  virtual ustring GetPageUrl() = 0;
  virtual ustring GetFrameUrl() = 0;
  virtual ustring GetFrameCharset() = 0;
  virtual TCefContextMenuMediaType GetMediaType() = 0;
  virtual int GetMediaStateFlags() = 0;
  virtual ustring GetSelectionText() = 0;
  virtual bool IsEditable() = 0;
  virtual bool IsSpeechInputEnabled() = 0;
  virtual int GetEditStateFlags() = 0;
};

// Times are local date-times; a time the engine does not know yet is 0.0.
class ICefDownloadItem : public virtual ICefBase {
 public:
  virtual bool IsValid() = 0;
  virtual bool IsInProgress() = 0;
  virtual bool IsComplete() = 0;
  virtual bool IsCanceled() = 0;
  virtual int64_t GetCurrentSpeed() = 0;
  virtual int GetPercentComplete() = 0;
  virtual int64_t GetTotalBytes() = 0;
  virtual int64_t GetReceivedBytes() = 0;
  virtual double GetStartTime() = 0;
  virtual double GetEndTime() = 0;
  virtual ustring GetFullPath() = 0;
  virtual uint32_t GetId() = 0;
  virtual ustring GetUrl() = 0;
  virtual ustring GetSuggestedFileName() = 0;
  virtual ustring GetContentDisposition() = 0;
  virtual ustring GetMimeType() = 0;
};

class ICefBeforeDownloadCallback : public virtual ICefBase {
 public:
  virtual void Cont(const ustring& downloadPath, bool showDialog) = 0;
};
class ICefDownloadItemCallback : public virtual ICefBase {
 public:
  virtual void Cancel() = 0;
};
class ICefAuthCallback : public virtual ICefBase {
 public:
  virtual void Cont(const ustring& username, const ustring& password) = 0;
  virtual void Cancel() = 0;
};
class ICefJsDialogCallback : public virtual ICefBase {
 public:
  virtual void Cont(bool success, const ustring& userInput) = 0;
};
class ICefQuotaCallback : public virtual ICefBase {
 public:
  virtual void Cont(bool allow) = 0;
  virtual void Cancel() = 0;
};
class ICefGeolocationCallback : public virtual ICefBase {
 public:
  virtual void Cont(bool allow) = 0;
};
class ICefFileDialogCallback : public virtual ICefBase {
 public:
  virtual void Cont(const TStringList& filePaths) = 0;
  virtual void Cancel() = 0;
};
class ICefWebPluginInfo : public virtual ICefBase {
 public:
  virtual ustring GetName() = 0;
  virtual ustring GetPath() = 0;
  virtual ustring GetVersion() = 0;
  virtual ustring GetDescription() = 0;
};
class ICefSchemeRegistrar : public virtual ICefBase {
 public:
  virtual bool AddCustomScheme(const ustring& schemeName, bool isStandard, bool isLocal,
                               bool isDisplayIsolated) = 0;
};

// ---- Wrappers -------------------------------------------------------------------

class TCefBrowserRef : public TCefBaseRefT<cef_browser_t, ICefBrowser> {
  NIMBRA_WRAPPER_HEAD(TCefBrowserRef, ICefBrowser, cef_browser_t)
  using Rec = cef_browser_t;
  using PFrame = TInterfacePtr<ICefFrame>;
  TInterfacePtr<ICefBrowserHost> GetHost() override {
    return Call<TInterfacePtr<ICefBrowserHost>>(&Rec::get_host);
  }
  bool CanGoBack() override { return Call<bool>(&Rec::can_go_back); }
  void GoBack() override { Call(&Rec::go_back); }
  bool CanGoForward() override { return Call<bool>(&Rec::can_go_forward); }
  void GoForward() override { Call(&Rec::go_forward); }
  bool IsLoading() override { return Call<bool>(&Rec::is_loading); }
  void Reload() override { Call(&Rec::reload); }
  void ReloadIgnoreCache() override { Call(&Rec::reload_ignore_cache); }
  void StopLoad() override { Call(&Rec::stop_load); }
  int GetIdentifier() override { return Call<int>(&Rec::get_identifier); }
  bool IsSame(const TInterfacePtr<ICefBrowser>& that) override {
    return Call<bool>(&Rec::is_same, that);
  }
  bool IsPopup() override { return Call<bool>(&Rec::is_popup); }
  bool HasDocument() override { return Call<bool>(&Rec::has_document); }
  PFrame GetMainFrame() override { return Call<PFrame>(&Rec::get_main_frame); }
  PFrame GetFocusedFrame() override { return Call<PFrame>(&Rec::get_focused_frame); }
  PFrame GetFrameByident(int64_t identifier) override {
    return Call<PFrame>(&Rec::get_frame_byident, identifier);
  }
  PFrame GetFrame(const ustring& name) override { return Call<PFrame>(&Rec::get_frame, name); }
  size_t GetFrameCount() override { return Call<size_t>(&Rec::get_frame_count); }
  void GetFrameIdentifiers(TCefFrameIdentifierList& identifiers) override;
  void GetFrameNames(TStringList& names) override;
  bool SendProcessMessage(TCefProcessId targetProcess,
                          const TInterfacePtr<ICefProcessMessage>& message) override {
    return Call<bool>(&Rec::send_process_message, targetProcess, message);
  }
};

class TCefBrowserHostRef : public TCefBaseRefT<cef_browser_host_t, ICefBrowserHost> {
  NIMBRA_WRAPPER_HEAD(TCefBrowserHostRef, ICefBrowserHost, cef_browser_host_t)
  using Rec = cef_browser_host_t;
  TInterfacePtr<ICefBrowser> GetBrowser() override {
    return Call<TInterfacePtr<ICefBrowser>>(&Rec::get_browser);
  }
  void ParentWindowWillClose() override { Call(&Rec::parent_window_will_close); }
  void CloseBrowser() override { Call(&Rec::close_browser); }
  void SetFocus(bool enable) override { Call(&Rec::set_focus, enable); }
  TCefWindowHandle GetWindowHandle() override {
    return Call<TCefWindowHandle>(&Rec::get_window_handle);
  }
  TCefWindowHandle GetOpenerWindowHandle() override {
    return Call<TCefWindowHandle>(&Rec::get_opener_window_handle);
  }
  ustring GetDevToolsUrl(bool httpScheme) override {
    return Call<ustring>(&Rec::get_dev_tools_url, httpScheme);
  }
  double GetZoomLevel() override { return Call<double>(&Rec::get_zoom_level); }
  void SetZoomLevel(double zoomLevel) override { Call(&Rec::set_zoom_level, zoomLevel); }
  void RunFileDialog(TCefFileDialogMode mode, const ustring& title, const ustring& defaultFileName,
                     const TStringList& acceptTypes,
                     const TInterfacePtr<ICefRunFileDialogCallback>& callback) override;
  void RunFileDialogProc(TCefFileDialogMode mode, const ustring& title,
                         const ustring& defaultFileName, const TStringList& acceptTypes,
                         const TCefRunFileDialogCallbackProc& callback) override;
  void StartDownload(const ustring& url) override { Call(&Rec::start_download, url); }
  void Print() override { Call(&Rec::print); }
  void Find(int identifier, const ustring& searchText, bool forward, bool matchCase,
            bool findNext) override {
    Call(&Rec::find, identifier, searchText, forward, matchCase, findNext);
  }
  void StopFinding(bool clearSelection) override { Call(&Rec::stop_finding, clearSelection); }
  void SetMouseCursorChangeDisabled(bool disabled) override {
    Call(&Rec::set_mouse_cursor_change_disabled, disabled);
  }
  bool IsMouseCursorChangeDisabled() override {
    return Call<bool>(&Rec::is_mouse_cursor_change_disabled);
  }
  bool IsWindowRenderingDisabled() override {
    return Call<bool>(&Rec::is_window_rendering_disabled);
  }
  void WasResized() override { Call(&Rec::was_resized); }
  void WasHidden(bool hidden) override { Call(&Rec::was_hidden, hidden); }
  void NotifyScreenInfoChanged() override { Call(&Rec::notify_screen_info_changed); }
  void Invalidate(const TCefRect& dirtyRect, TCefPaintElementType elementType) override {
    Call(&Rec::invalidate, &dirtyRect, static_cast<int>(elementType));
  }
  void SendKeyEvent(const TCefKeyEvent& event) override { Call(&Rec::send_key_event, &event); }
  void SendMouseClickEvent(const TCefMouseEvent& event, TCefMouseButtonType type, bool mouseUp,
                           int clickCount) override {
    Call(&Rec::send_mouse_click_event, &event, type, mouseUp, clickCount);
  }
  void SendMouseMoveEvent(const TCefMouseEvent& event, bool mouseLeave) override {
    Call(&Rec::send_mouse_move_event, &event, mouseLeave);
  }
  void SendMouseWheelEvent(const TCefMouseEvent& event, int deltaX, int deltaY) override {
    Call(&Rec::send_mouse_wheel_event, &event, deltaX, deltaY);
  }
  void SendFocusEvent(bool setFocus) override { Call(&Rec::send_focus_event, setFocus); }
  void SendCaptureLostEvent() override { Call(&Rec::send_capture_lost_event); }
};

class TCefFrameRef : public TCefBaseRefT<cef_frame_t, ICefFrame> {
  NIMBRA_WRAPPER_HEAD(TCefFrameRef, ICefFrame, cef_frame_t)
  using Rec = cef_frame_t;
  bool IsValid() override { return Call<bool>(&Rec::is_valid); }
  void Undo() override { Call(&Rec::undo); }
  void Redo() override { Call(&Rec::redo); }
  void Cut() override { Call(&Rec::cut); }
  void Copy() override { Call(&Rec::copy); }
  void Paste() override { Call(&Rec::paste); }
  void Del() override { Call(&Rec::del); }
  void SelectAll() override { Call(&Rec::select_all); }
  void ViewSource() override { Call(&Rec::view_source); }
  void GetSource(const TInterfacePtr<ICefStringVisitor>& visitor) override {
    Call(&Rec::get_source, visitor);
  }
  void GetSourceProc(const TCefStringVisitorProc& proc) override;
  void GetText(const TInterfacePtr<ICefStringVisitor>& visitor) override {
    Call(&Rec::get_text, visitor);
  }
  void GetTextProc(const TCefStringVisitorProc& proc) override;
  void LoadRequest(const TInterfacePtr<ICefRequest>& request) override {
    Call(&Rec::load_request, request);
  }
  void LoadUrl(const ustring& url) override { Call(&Rec::load_url, url); }
  void LoadString(const ustring& stringVal, const ustring& url) override {
    Call(&Rec::load_string, stringVal, url);
  }
  void ExecuteJavaScript(const ustring& code, const ustring& scriptUrl, int startLine) override {
    Call(&Rec::execute_java_script, code, scriptUrl, startLine);
  }
  bool IsMain() override { return Call<bool>(&Rec::is_main); }
  bool IsFocused() override { return Call<bool>(&Rec::is_focused); }
  ustring GetName() override { return Call<ustring>(&Rec::get_name); }
  int64_t GetIdentifier() override { return Call<int64_t>(&Rec::get_identifier); }
  TInterfacePtr<ICefFrame> GetParent() override {
    return Call<TInterfacePtr<ICefFrame>>(&Rec::get_parent);
  }
  ustring GetUrl() override { return Call<ustring>(&Rec::get_url); }
  TInterfacePtr<ICefBrowser> GetBrowser() override {
    return Call<TInterfacePtr<ICefBrowser>>(&Rec::get_browser);
  }
  TInterfacePtr<ICefv8Context> GetV8context() override {
    return Call<TInterfacePtr<ICefv8Context>>(&Rec::get_v8context);
  }
  void VisitDom(const TInterfacePtr<ICefDomVisitor>& visitor) override {
    Call(&Rec::visit_dom, visitor);
  }
  void VisitDomProc(const TCefDomVisitorProc& proc) override;
};

class TCefRequestRef : public TCefBaseRefT<cef_request_t, ICefRequest> {
  NIMBRA_WRAPPER_HEAD(TCefRequestRef, ICefRequest, cef_request_t)
  static TInterfacePtr<ICefRequest> New();

  using Rec = cef_request_t;
  bool IsReadOnly() override { return Call<bool>(&Rec::is_read_only); }
  ustring GetUrl() override { return Call<ustring>(&Rec::get_url); }
  ustring GetMethod() override { return Call<ustring>(&Rec::get_method); }
  TInterfacePtr<ICefPostData> GetPostData() override {
    return Call<TInterfacePtr<ICefPostData>>(&Rec::get_post_data);
  }
  void GetHeaderMap(TCefStringMultimap& headerMap) override;
  void SetUrl(const ustring& url) override { Call(&Rec::set_url, url); }
  void SetMethod(const ustring& method) override { Call(&Rec::set_method, method); }
  void SetPostData(const TInterfacePtr<ICefPostData>& postData) override {
    Call(&Rec::set_post_data, postData);
  }
  void SetHeaderMap(const TCefStringMultimap& headerMap) override;
  int GetFlags() override { return Call<int>(&Rec::get_flags); }
  void SetFlags(int flags) override { Call(&Rec::set_flags, flags); }
  ustring GetFirstPartyForCookies() override {
    return Call<ustring>(&Rec::get_first_party_for_cookies);
  }
  void SetFirstPartyForCookies(const ustring& url) override {
    Call(&Rec::set_first_party_for_cookies, url);
  }
  void Set(const ustring& url, const ustring& method, const TInterfacePtr<ICefPostData>& postData,
           const TCefStringMultimap& headerMap) override;
};

class TCefPostDataRef : public TCefBaseRefT<cef_post_data_t, ICefPostData> {
  NIMBRA_WRAPPER_HEAD(TCefPostDataRef, ICefPostData, cef_post_data_t)
  static TInterfacePtr<ICefPostData> New();

  using Rec = cef_post_data_t;
  bool IsReadOnly() override { return Call<bool>(&Rec::is_read_only); }
  size_t GetElementCount() override { return Call<size_t>(&Rec::get_element_count); }
  void GetElements(TCefPostDataElementList& elements) override;
  bool RemoveElement(const TInterfacePtr<ICefPostDataElement>& element) override {
    return Call<bool>(&Rec::remove_element, element);
  }
  bool AddElement(const TInterfacePtr<ICefPostDataElement>& element) override {
    return Call<bool>(&Rec::add_element, element);
  }
  void RemoveElements() override { Call(&Rec::remove_elements); }
};

class TCefPostDataElementRef : public TCefBaseRefT<cef_post_data_element_t, ICefPostDataElement> {
  NIMBRA_WRAPPER_HEAD(TCefPostDataElementRef, ICefPostDataElement, cef_post_data_element_t)
  static TInterfacePtr<ICefPostDataElement> New();

  using Rec = cef_post_data_element_t;
  bool IsReadOnly() override { return Call<bool>(&Rec::is_read_only); }
  void SetToEmpty() override { Call(&Rec::set_to_empty); }
  void SetToFile(const ustring& fileName) override { Call(&Rec::set_to_file, fileName); }
  // A missing buffer is taken as no bytes.
  void SetToBytes(size_t size, const void* bytes) override {
    Call(&Rec::set_to_bytes, bytes ? size : 0, bytes);
  }
  TCefPostDataElementType GetType() override {
    return Call<TCefPostDataElementType>(&Rec::get_type);
  }
  ustring GetFile() override { return Call<ustring>(&Rec::get_file); }
  size_t GetBytesCount() override { return Call<size_t>(&Rec::get_bytes_count); }
  size_t GetBytes(size_t size, void* bytes) override {
    return Call<size_t>(&Rec::get_bytes, bytes ? size : 0, bytes);
  }
};

class TCefContextMenuParamsRef
    : public TCefBaseRefT<cef_context_menu_params_t, ICefContextMenuParams> {
  NIMBRA_WRAPPER_HEAD(TCefContextMenuParamsRef, ICefContextMenuParams, cef_context_menu_params_t)
  using Rec = cef_context_menu_params_t;
  int GetXCoord() override { return Call<int>(&Rec::get_xcoord); }
  int GetYCoord() override { return Call<int>(&Rec::get_ycoord); }
  int GetTypeFlags() override { return Call<int>(&Rec::get_type_flags); }
  ustring GetLinkUrl() override { return Call<ustring>(&Rec::get_link_url); }
  ustring GetUnfilteredLinkUrl() override { return Call<ustring>(&Rec::get_unfiltered_link_url); }
  ustring GetSourceUrl() override { return Call<ustring>(&Rec::get_source_url); }
  bool IsImageBlocked() override { return Call<bool>(&Rec::is_image_blocked); }
  ustring GetPageUrl() override { return Call<ustring>(&Rec::get_page_url); }
  ustring GetFrameUrl() override { return Call<ustring>(&Rec::get_frame_url); }
  ustring GetFrameCharset() override { return Call<ustring>(&Rec::get_frame_charset); }
  TCefContextMenuMediaType GetMediaType() override {
    return Call<TCefContextMenuMediaType>(&Rec::get_media_type);
  }
  int GetMediaStateFlags() override { return Call<int>(&Rec::get_media_state_flags); }
  ustring GetSelectionText() override { return Call<ustring>(&Rec::get_selection_text); }
  bool IsEditable() override { return Call<bool>(&Rec::is_editable); }
  bool IsSpeechInputEnabled() override { return Call<bool>(&Rec::is_speech_input_enabled); }
  int GetEditStateFlags() override { return Call<int>(&Rec::get_edit_state_flags); }
};

class TCefDownLoadItemRef : public TCefBaseRefT<cef_download_item_t, ICefDownloadItem> {
  NIMBRA_WRAPPER_HEAD(TCefDownLoadItemRef, ICefDownloadItem, cef_download_item_t)
  using Rec = cef_download_item_t;
  bool IsValid() override { return Call<bool>(&Rec::is_valid); }
  bool IsInProgress() override { return Call<bool>(&Rec::is_in_progress); }
  bool IsComplete() override { return Call<bool>(&Rec::is_complete); }
  bool IsCanceled() override { return Call<bool>(&Rec::is_canceled); }
  int64_t GetCurrentSpeed() override { return Call<int64_t>(&Rec::get_current_speed); }
  int GetPercentComplete() override { return Call<int>(&Rec::get_percent_complete); }
  int64_t GetTotalBytes() override { return Call<int64_t>(&Rec::get_total_bytes); }
  int64_t GetReceivedBytes() override { return Call<int64_t>(&Rec::get_received_bytes); }
  double GetStartTime() override;
  double GetEndTime() override;
  ustring GetFullPath() override { return Call<ustring>(&Rec::get_full_path); }
  uint32_t GetId() override { return Call<uint32_t>(&Rec::get_id); }
  ustring GetUrl() override { return Call<ustring>(&Rec::get_url); }
  ustring GetSuggestedFileName() override { return Call<ustring>(&Rec::get_suggested_file_name); }
  ustring GetContentDisposition() override { return Call<ustring>(&Rec::get_content_disposition); }
  ustring GetMimeType() override { return Call<ustring>(&Rec::get_mime_type); }
};

class TCefBeforeDownloadCallbackRef
    : public TCefBaseRefT<cef_before_download_callback_t, ICefBeforeDownloadCallback> {
  NIMBRA_WRAPPER_HEAD(TCefBeforeDownloadCallbackRef, ICefBeforeDownloadCallback,
                      cef_before_download_callback_t)
  void Cont(const ustring& downloadPath, bool showDialog) override {
    Call(&cef_before_download_callback_t::cont, downloadPath, showDialog);
  }
};

class TCefDownloadItemCallbackRef
    : public TCefBaseRefT<cef_download_item_callback_t, ICefDownloadItemCallback> {
  NIMBRA_WRAPPER_HEAD(TCefDownloadItemCallbackRef, ICefDownloadItemCallback,
                      cef_download_item_callback_t)
  void Cancel() override { Call(&cef_download_item_callback_t::cancel); }
};

class TCefAuthCallbackRef : public TCefBaseRefT<cef_auth_callback_t, ICefAuthCallback> {
  NIMBRA_WRAPPER_HEAD(TCefAuthCallbackRef, ICefAuthCallback, cef_auth_callback_t)
  void Cont(const ustring& username, const ustring& password) override {
    Call(&cef_auth_callback_t::cont, username, password);
  }
  void Cancel() override { Call(&cef_auth_callback_t::cancel); }
};

class TCefJsDialogCallbackRef : public TCefBaseRefT<cef_jsdialog_callback_t, ICefJsDialogCallback> {
  NIMBRA_WRAPPER_HEAD(TCefJsDialogCallbackRef, ICefJsDialogCallback, cef_jsdialog_callback_t)
  void Cont(bool success, const ustring& userInput) override {
    Call(&cef_jsdialog_callback_t::cont, success, userInput);
  }
};

class TCefQuotaCallbackRef : public TCefBaseRefT<cef_quota_callback_t, ICefQuotaCallback> {
  NIMBRA_WRAPPER_HEAD(TCefQuotaCallbackRef, ICefQuotaCallback, cef_quota_callback_t)
  void Cont(bool allow) override { Call(&cef_quota_callback_t::cont, allow); }
  void Cancel() override { Call(&cef_quota_callback_t::cancel); }
};

class TCefGeolocationCallbackRef
    : public TCefBaseRefT<cef_geolocation_callback_t, ICefGeolocationCallback> {
  NIMBRA_WRAPPER_HEAD(TCefGeolocationCallbackRef, ICefGeolocationCallback,
                      cef_geolocation_callback_t)
  void Cont(bool allow) override { Call(&cef_geolocation_callback_t::cont, allow); }
};

class TCefFileDialogCallbackRef
    : public TCefBaseRefT<cef_file_dialog_callback_t, ICefFileDialogCallback> {
  NIMBRA_WRAPPER_HEAD(TCefFileDialogCallbackRef, ICefFileDialogCallback, cef_file_dialog_callback_t)
  void Cont(const TStringList& filePaths) override;
  void Cancel() override { Call(&cef_file_dialog_callback_t::cancel); }
};

class TCefWebPluginInfoRef : public TCefBaseRefT<cef_web_plugin_info_t, ICefWebPluginInfo> {
  NIMBRA_WRAPPER_HEAD(TCefWebPluginInfoRef, ICefWebPluginInfo, cef_web_plugin_info_t)
  using Rec = cef_web_plugin_info_t;
  ustring GetName() override { return Call<ustring>(&Rec::get_name); }
  ustring GetPath() override { return Call<ustring>(&Rec::get_path); }
  ustring GetVersion() override { return Call<ustring>(&Rec::get_version); }
  ustring GetDescription() override { return Call<ustring>(&Rec::get_description); }
};

class TCefSchemeRegistrarRef : public TCefBaseRefT<cef_scheme_registrar_t, ICefSchemeRegistrar> {
  NIMBRA_WRAPPER_HEAD(TCefSchemeRegistrarRef, ICefSchemeRegistrar, cef_scheme_registrar_t)
  bool AddCustomScheme(const ustring& schemeName, bool isStandard, bool isLocal,
                       bool isDisplayIsolated) override {
    return Call<bool>(&cef_scheme_registrar_t::add_custom_scheme, schemeName, isStandard, isLocal,
                      isDisplayIsolated);
  }
};
