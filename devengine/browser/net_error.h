// Why a load failed, numbered as the engine reports it to load handlers
// (on_load_error's error code), with the text that goes with each.
#ifndef NIMBRA_DEVENGINE_BROWSER_NET_ERROR_H
#define NIMBRA_DEVENGINE_BROWSER_NET_ERROR_H

#include <string_view>

#include "engine_texts.h"

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

// The reason a user reads on the error page, in the engine's texts.
inline EngineText ReasonOf(NetError error) {
  switch (error) {
    case NetError::kAborted:
      return EngineText::kErrorAborted;
    case NetError::kFileNotFound:
      return EngineText::kErrorFileNotFound;
    case NetError::kTimedOut:
      return EngineText::kErrorTimedOut;
    case NetError::kFileTooBig:
      return EngineText::kErrorTooBig;
    case NetError::kAccessDenied:
      return EngineText::kErrorAccessDenied;
    case NetError::kBlockedByClient:
      return EngineText::kErrorBlocked;
    case NetError::kConnectionRefused:
      return EngineText::kErrorConnectionRefused;
    case NetError::kConnectionFailed:
      return EngineText::kErrorConnectionFailed;
    case NetError::kNameNotResolved:
      return EngineText::kErrorNameNotResolved;
    case NetError::kInvalidUrl:
      return EngineText::kErrorInvalidAddress;
    case NetError::kUnknownUrlScheme:
      return EngineText::kErrorUnknownScheme;
    case NetError::kTooManyRedirects:
      return EngineText::kErrorTooManyRedirects;
    case NetError::kEmptyResponse:
      return EngineText::kErrorEmptyResponse;
    case NetError::kNone:
    case NetError::kFailed:
      break;
  }
  return EngineText::kErrorFailed;
}

// The text load handlers get with the code: always English, as a program
// may compare it.
inline std::wstring_view ErrorText(NetError error) {
  return error == NetError::kNone ? std::wstring_view() : EnglishText(ReasonOf(error));
}

}  // namespace devengine::browser

#endif
