// The application object: its title (the text of its own hidden window and
// of the task-bar button), the list of forms, the main form, the window
// message loop with idle-time command updates and keyboard shortcuts, and
// the default report of errors raised inside commands. Lives on the main
// thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms.h"
#include "sysutils.h"
#include "winhandle.h"

class TApplication {
 public:
  TApplication() = default;
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;
  // Destroys the forms it still owns.
  ~TApplication();

  // Creates the application's hidden window and readies the common controls.
  void Initialize();

  const std::wstring& Title() const noexcept { return FTitle; }
  void SetTitle(const std::wstring& title);
  // The application's own hidden window; null before Initialize.
  HWND Handle() const noexcept;
  // The full path of the running executable.
  static std::wstring ExeName();

  // Creates a form owned by the application; the first one becomes the main
  // form, whose closing ends Run. The main form is known as such only once
  // its construction has finished.
  template <class T>
  T& CreateForm() {
    auto form = std::make_unique<T>();
    T& result = *form;
    FOwnedForms.push_back(std::move(form));
    if (!FMainForm) FMainForm = &result;
    return result;
  }

  TForm* MainForm() const noexcept { return FMainForm; }
  // Every form that exists, in creation order (owned here or elsewhere).
  const std::vector<TForm*>& Forms() const noexcept { return FForms; }

  // Runs the message loop until the main form is closed or Terminate is
  // called.
  void Run();
  // Ends Run (and any modal loop) once the current message is handled.
  void Terminate();
  bool Terminated() const noexcept { return FTerminated; }
  // Handles the messages waiting now, then returns.
  void ProcessMessages();
  // Handles one message, or when none waits, runs the idle work and waits
  // for the next one. Modal loops use it too.
  void HandleMessage();
  // The commands' update handlers of every form; run when the queue has
  // become empty.
  void Idle();

  // The framework's default error report: a box with the error's text, or
  // OnException when it is set.
  void ShowException(const std::exception& error);
  // For errors that are no std::exception.
  void ShowUnknownException();
  // Takes the text of every error report instead of the box.
  std::function<void(const std::wstring& message)> OnException;
  // Destroys every form the application owns, last created first.
  void DestroyForms();

 private:
  friend class TForm;
  // Takes a key message for the shortcuts, then the dialog keys, of the form
  // that holds the focused window; true when it was taken.
  bool IsShortCutMessage(const MSG& msg);
  // Handles one message if one waits; answers whether one did.
  bool ProcessMessage();

  void ReportError(std::wstring text);

  std::wstring FTitle;
  TWindowHandle FHandle;
  bool FTerminated = false;
  std::vector<std::unique_ptr<TForm>> FOwnedForms;
  std::vector<TForm*> FForms;
  TForm* FMainForm = nullptr;
};

extern TApplication Application;

// Runs `call`; an error it raises goes to the application's report instead
// of unwinding further, and the answer is then the result type's default.
// Window procedures and the message loop run everything through it.
template <class Call>
auto ReportingErrors(const Call& call) -> decltype(call()) {
  try {
    return call();
  } catch (const std::exception& e) {
    Application.ShowException(e);
  } catch (...) {
    Application.ShowUnknownException();
  }
  return decltype(call())();
}
