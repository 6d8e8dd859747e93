// Thin window classes over HWND. A window object is bound to its HWND; one
// window procedure cracks messages and calls virtual handlers. No table of
// windows exists besides the HWND <-> object link kept in the window itself.
//
// Windows are created and used on the main thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

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

 protected:
  // Creates the window of the registered class `className` and binds it.
  void CreateHandle(const wchar_t* className, const std::wstring& caption, DWORD style,
                    DWORD exStyle, int x, int y, int width, int height, HWND parent);
  void DestroyHandle();
  // Every message of the window; the default calls DefWindowProcW.
  virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // The window is gone: WM_NCDESTROY was handled.
  virtual void HandleDestroyed() {}

  static const wchar_t* RegisterWindowClass(const wchar_t* className, UINT style,
                                            HBRUSH background);

 private:
  static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND FHandle = nullptr;
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
