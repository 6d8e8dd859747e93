// Why a load failed, numbered as the engine reports it to load handlers
// (on_load_error's error code), with the text that goes with each.
#ifndef NIMBRA_DEVENGINE_BROWSER_NET_ERROR_H
#define NIMBRA_DEVENGINE_BROWSER_NET_ERROR_H

#include <string_view>

namespace devengine::browser {

enum class NetError : int {
  kNone = 0,
  kFailed = -2,
  kAborted = -3,
  kFileNotFound = -6,
  kTimedOut = -7,
  kFileTooBig = -8,
  kAccessDenied = -10,
  kBlockedByClient = -20,
  kConnectionRefused = -102,
  kConnectionFailed = -104,
  kNameNotResolved = -105,
  kInvalidUrl = -300,
  kUnknownUrlScheme = -302,
  kTooManyRedirects = -310,
  kEmptyResponse = -324,
};

inline std::wstring_view ErrorText(NetError error) {
  switch (error) {
    case NetError::kNone:
      return L"";
    case NetError::kAborted:
      return L"aborted";
    case NetError::kFileNotFound:
      return L"file not found";
    case NetError::kTimedOut:
      return L"timed out";
    case NetError::kFileTooBig:
      return L"too big";
    case NetError::kAccessDenied:
      return L"access denied";
    case NetError::kBlockedByClient:
      return L"blocked";
    case NetError::kConnectionRefused:
      return L"connection refused";
    case NetError::kConnectionFailed:
      return L"connection failed";
    case NetError::kNameNotResolved:
      return L"name not resolved";
    case NetError::kInvalidUrl:
      return L"invalid address";
    case NetError::kUnknownUrlScheme:
      return L"unknown address scheme";
    case NetError::kTooManyRedirects:
      return L"too many redirects";
    case NetError::kEmptyResponse:
      return L"empty response";
    case NetError::kFailed:
      break;
  }
  return L"failed";
}

}  // namespace devengine::browser

#endif
