// The standard controls a form places, each a small class that owns its
// child window: panels, one-line and multi-line edit boxes, labels, push and
// tool buttons, a splitter, a status bar and pictures. Wherever Win32 has a
// standard control (EDIT, BUTTON, STATIC, the common status bar) it is used,
// so that screen readers and UI-automation tools can read and drive it.
// Main thread only.
#pragma once

#include <string>

#include "actions.h"
#include "forms.h"
#include "imagelist.h"
#include "winhandle.h"

// A plain container.
class TPanel : public TWinControl {
 public:
  explicit TPanel(TWinControl* parent);
  void SetColor(COLORREF color);
  // A lowered edge around the panel.
  void SetBevelLowered(bool lowered);

 protected:
  void CreateWindowHandle() override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  COLORREF FColor = CLR_INVALID;
  bool FLowered = false;
  TGdiHandle FBrush;
};

// A one-line edit box (EDIT).
class TEdit : public TWinControl {
 public:
  explicit TEdit(TWinControl* parent);
  std::wstring Text() const { return Caption(); }
  void SetText(const std::wstring& text) { SetCaption(text); }
  // Every character key, Enter included, before the box handles it.
  TKeyPressEvent OnKeyPress;

 protected:
  void CreateWindowHandle() override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

// A multi-line text (EDIT with ES_MULTILINE).
class TMemo : public TWinControl {
 public:
  explicit TMemo(TWinControl* parent);
  void SetReadOnly(bool readOnly) { FReadOnly = readOnly; }
  void SetBorder(bool border) { FBorder = border; }
  void SetVerticalScrollBar(bool scrollBar) { FScrollBar = scrollBar; }
  void SetWordWrap(bool wrap) { FWordWrap = wrap; }
  // Enter inserts a line only when the memo wants returns.
  void SetWantReturns(bool want) { FWantReturns = want; }
  // The lines joined with CR LF.
  std::wstring Text() const { return Caption(); }
  void SetText(const std::wstring& text) { SetCaption(text); }

 protected:
  void CreateWindowHandle() override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  bool FReadOnly = false;
  bool FBorder = true;
  bool FScrollBar = false;
  bool FWordWrap = true;
  bool FWantReturns = true;
};

// A text (STATIC). A label with OnClick is a link: it takes the hand cursor.
class TLabel : public TWinControl {
 public:
  explicit TLabel(TWinControl* parent);
  // Sized to its text unless fixed.
  void SetAutoSize(bool autoSize) { FAutoSize = autoSize; }
  bool AutoSize() const noexcept { return FAutoSize; }
  void SetWordWrap(bool wrap) { FWordWrap = wrap; }
  TNotifyEvent OnClick;

 protected:
  void CreateWindowHandle() override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  HBRUSH ControlColor(HDC dc) override;
  void ChildNotification(UINT code) override;

 private:
  void AdjustSize();

  bool FAutoSize = true;
  bool FWordWrap = false;
};

// A push button (BUTTON). The default button is pressed by Enter, the cancel
// button by Esc, anywhere in its form; a non-zero ModalResult ends its
// form's modal loop with that result.
class TButton : public TWinControl {
 public:
  explicit TButton(TWinControl* parent);
  void SetDefault(bool isDefault);
  bool IsDefault() const noexcept { return FDefault; }
  void SetCancel(bool cancel) { FCancel = cancel; }
  bool IsCancel() const noexcept { return FCancel; }
  void SetModalResult(int result) { FModalResult = result; }
  void Click();
  TNotifyEvent OnClick;

 protected:
  void CreateWindowHandle() override;
  void ChildNotification(UINT code) override;

 private:
  bool FDefault = false;
  bool FCancel = false;
  int FModalResult = mrNone;
};

// A tool button (BUTTON) bound to a command: it shows the glyph of the
// image list at the command's image index (and follows it when it changes),
// or the command's caption when the command has no glyph; it is enabled
// with the command, and clicking it executes the command. Its window text
// is its hint when the caption is not shown, for screen readers.
class TSpeedButton : public TWinControl, private IActionClient {
 public:
  explicit TSpeedButton(TWinControl* parent);
  ~TSpeedButton() override;
  void SetImages(TImageList* images);
  void SetAction(TAction* action);
  TAction* Action() const noexcept { return FAction; }
  void SetHint(const std::wstring& hint);
  // The glyph shown now; -1 when none.
  int ShownImageIndex() const noexcept { return FShownImage; }
  void Click();

 protected:
  void CreateWindowHandle() override;
  void ChildNotification(UINT code) override;

 private:
  void ActionChanged(TAction& action) override;
  void ActionDestroyed(TAction& action) override;
  void Refresh();

  TImageList* FImages = nullptr;
  TAction* FAction = nullptr;
  std::wstring FHint;
  int FShownImage = -1;
  TUniqueHandle<HICON, TDestroyIconCloser> FIcon;
};

// A bar that resizes one control beside it by dragging (vertical-resize
// cursor for a bar aligned top or bottom).
class TSplitter : public TWinControl {
 public:
  explicit TSplitter(TWinControl* parent);
  // The control whose height (or width) the bar changes.
  void SetResizeControl(TWinControl* control) { FControl = control; }
  // Minimum size of the resized control.
  void SetMinSize(int size) { FMinSize = size; }

 protected:
  void CreateWindowHandle() override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  TWinControl* FControl = nullptr;
  int FMinSize = 30;
  bool FDragging = false;
  POINT FDragStart{};
  int FStartSize = 0;
};

// The common status bar; in simple mode it shows one text across the bar.
class TStatusBar : public TWinControl {
 public:
  explicit TStatusBar(TWinControl* parent);
  void SetSimplePanel(bool simple);
  std::wstring SimpleText() const { return FSimpleText; }
  void SetSimpleText(const std::wstring& text);

 protected:
  void CreateWindowHandle() override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  bool FSimplePanel = false;
  std::wstring FSimpleText;
};

// A bitmap held by the program: loaded from a resource or a file, or taken
// over from a handle.
class TPicture : public TComponent {
 public:
  bool Empty() const noexcept { return !FBitmap; }
  int Width() const noexcept { return FWidth; }
  int Height() const noexcept { return FHeight; }
  HBITMAP Bitmap() const noexcept { return static_cast<HBITMAP>(FBitmap.get()); }
  // Takes over `bitmap` (any previous picture is released).
  void Assign(HBITMAP bitmap);
  // A bitmap resource of the executable; raises EOSError when it is missing.
  void LoadFromResource(const wchar_t* name);
  void Clear() { Assign(nullptr); }

 private:
  TGdiHandle FBitmap;
  int FWidth = 0;
  int FHeight = 0;
};

// Shows a picture (STATIC with a bitmap); a hidden one only holds it.
class TImage : public TWinControl {
 public:
  explicit TImage(TWinControl* parent);
  TPicture& Picture() noexcept { return FPicture; }
  // Shows the picture again after it changed.
  void PictureChanged();

 protected:
  void CreateWindowHandle() override;

 private:
  TPicture FPicture;
};
