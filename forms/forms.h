// Thin window classes over HWND. A window object is bound to its HWND; one
// window procedure cracks messages and calls virtual handlers. No table of
// windows exists besides the HWND <-> object link kept in the window itself.
//
// Windows are created and used on the main thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Where a control sits in its parent: fixed bounds, or along one side of the
// space its earlier siblings left, or all of what is left.
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// Asked of a control before the form's key navigation takes a key (wParam:
// the virtual key code); a non-zero answer keeps the key for the control.
constexpr UINT CM_WANTSPECIALKEY = 0xB000 + 14;

class TWinControl {
 public:
  TWinControl() = default;
  TWinControl(const TWinControl&) = delete;
  TWinControl& operator=(const TWinControl&) = delete;
  virtual ~TWinControl();

  HWND Handle() const noexcept { return FHandle; }
  bool HandleAllocated() const noexcept { return FHandle != nullptr; }

  std::wstring Caption() const;
  void SetCaption(const std::wstring& text);

  // The object bound to a window created by this layer, or null.
  static TWinControl* FromHandle(HWND wnd);

  // Placement. A control's window is a child of its parent's; the parent
  // does not own the control object. Bounds are in the parent's client
  // coordinates; aligned controls are placed again whenever the parent's
  // size changes.
  TWinControl* Parent() const noexcept { return FParent; }
  void SetParent(TWinControl* parent);
  TAlign Align() const noexcept { return FAlign; }
  void SetAlign(TAlign align);
  void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const noexcept { return FBounds; }
  // The control's own client area, from (0, 0).
  RECT ClientRect() const;
  // Creates the window now unless it exists; the parent's comes first.
  void HandleNeeded();
  // The form editor's design mode: never at run time.
  bool Designing() const noexcept { return false; }

  // After the control's size changed.
  std::function<void(TWinControl& sender)> OnResize;

 protected:
  // Creates the window of the registered class `className` and binds it.
  void CreateHandle(const wchar_t* className, const std::wstring& caption, DWORD style,
                    DWORD exStyle, int x, int y, int width, int height, HWND parent);
  void DestroyHandle();
  // Every message of the window; the default calls DefWindowProcW.
  virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // The window is gone: WM_NCDESTROY was handled.
  virtual void HandleDestroyed() {}
  // Creates the control's child window in its parent's at its bounds.
  virtual void CreateWindowHandle();
  // The size changed; the default raises OnResize.
  virtual void Resize();
  // The form has set up its controls: each creates its window and tells its
  // own children. A form calls it on itself at the end of its construction.
  virtual void Loaded();
  // Places the aligned children in the client area.
  void AlignControls();

  static const wchar_t* RegisterWindowClass(const wchar_t* className, UINT style,
                                            HBRUSH background);

 private:
  static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void PlaceAt(const RECT& bounds);

  HWND FHandle = nullptr;
  TWinControl* FParent = nullptr;
  std::vector<TWinControl*> FControls;  // children, in the order they were given this parent
  TAlign FAlign = TAlign::alNone;
  RECT FBounds{0, 0, 0, 0};
};

enum class TCloseAction { caNone, caHide, caFree };

// A top-level window.
class TForm : public TWinControl {
 public:
  TForm() = default;
  std::function<void(TForm& sender, TCloseAction& action)> OnClose;

  void Show();
  void Close();
  bool Visible() const;

 protected:
  // Creates the window; called by the form's own construction.
  void CreateForm(const std::wstring& caption, int width, int height);
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void HandleDestroyed() override;
};
