// The run-time's exception classes and error texts.
//
// Every error the program raises derives from Exception: a wide message, the
// class name the application's error report shows, and the address at which
// the error was raised.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

class Exception : public std::exception {
 public:
  explicit Exception(std::wstring message);
  const std::wstring& Message() const noexcept { return FMessage; }
  virtual const wchar_t* ClassName() const noexcept { return L"Exception"; }
  // Where the error was raised: the return address of the raising call.
  void* ExceptAddr() const noexcept { return FAddress; }
  const char* what() const noexcept override { return FNarrow.c_str(); }

 private:
  std::wstring FMessage;
  std::string FNarrow;
  void* FAddress;
};

// A value that cannot be converted, such as a time that is no calendar date.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
  const wchar_t* ClassName() const noexcept override { return L"EConvertError"; }
};

// A check of the program's own assumptions failed.
class EAssertionFailed : public Exception {
 public:
  using Exception::Exception;
  const wchar_t* ClassName() const noexcept override { return L"EAssertionFailed"; }
};

// An operating-system error built from an error code.
class EOSError : public Exception {
 public:
  explicit EOSError(DWORD code);
  DWORD ErrorCode() const noexcept { return FErrorCode; }
  const wchar_t* ClassName() const noexcept override { return L"EOSError"; }

 private:
  DWORD FErrorCode;
};

// The system's message for an error code, without trailing blanks or period.
std::wstring SysErrorMessage(DWORD code);
// Raises EOSError for GetLastError().
[[noreturn]] void RaiseLastOSError();

std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);

// The run-time's report of an error that nothing caught:
// "Exception <class> in module <exe> at <address>.\r\n<message><period>\r\n".
std::wstring UncaughtErrorText(const Exception& error);
// Shows that report in a task-modal "Application Error" box.
void ShowUncaughtError(const Exception& error);
