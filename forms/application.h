// The application object: its title, its forms, the main form and the window
// message loop, and the default report of errors raised inside commands.
// Lives on the main thread.
#pragma once

#include <memory>
#include <vector>

#include "forms.h"
#include "sysutils.h"

class TApplication {
 public:
  void Initialize();
  std::wstring Title;

  // Creates a form owned by the application; the first one becomes the main
  // form, whose closing ends Run.
  template <class T>
  T& CreateForm() {
    auto form = std::make_unique<T>();
    T& result = *form;
    FForms.push_back(std::move(form));
    if (!FMainForm) FMainForm = &result;
    return result;
  }

  TForm* MainForm() const noexcept { return FMainForm; }
  // Runs the message loop until the main form is closed.
  void Run();
  // Handles the messages waiting now, then returns.
  void ProcessMessages();
  // The framework's default error report: a box with the error's text.
  void ShowException(const std::exception& error);
  // Destroys every form the application owns, last created first.
  void DestroyForms();

 private:
  std::vector<std::unique_ptr<TForm>> FForms;
  TForm* FMainForm = nullptr;
};

extern TApplication Application;
