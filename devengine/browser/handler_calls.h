// How the parts of a browser call its client's handlers (Browser::Tell):
// the handler is asked of the client for each call, and every argument the
// handler is to own is made only when the handler has the entry.
#ifndef NIMBRA_DEVENGINE_BROWSER_HANDLER_CALLS_H
#define NIMBRA_DEVENGINE_BROWSER_HANDLER_CALLS_H

#include <utility>

#include "browser.h"
#include "cef_capi.h"
#include "record_ref.h"

namespace devengine::browser {

// Which client entry answers with each kind of handler.
template <class Handler>
constexpr auto kHandlerGetter = nullptr;
// clang-format off
template <> constexpr auto kHandlerGetter<cef_life_span_handler_t> = &cef_client_t::get_life_span_handler;
template <> constexpr auto kHandlerGetter<cef_load_handler_t> = &cef_client_t::get_load_handler;
template <> constexpr auto kHandlerGetter<cef_display_handler_t> = &cef_client_t::get_display_handler;
template <> constexpr auto kHandlerGetter<cef_request_handler_t> = &cef_client_t::get_request_handler;
template <> constexpr auto kHandlerGetter<cef_focus_handler_t> = &cef_client_t::get_focus_handler;
template <> constexpr auto kHandlerGetter<cef_jsdialog_handler_t> = &cef_client_t::get_jsdialog_handler;
// clang-format on

template <class Member>
struct HandlerEntry;
template <class Handler, class Result, class... Params>
struct HandlerEntry<Result (CEF_CALLBACK* Handler::*)(Handler*, Params...)> {
  using HandlerType = Handler;
  using ResultType = Result;
};

// The handler's one reference belongs to the engine.
template <class Handler>
RecordRef<Handler> AskHandler(cef_client_t* client) {
  constexpr auto getter = kHandlerGetter<Handler>;
  if (client == nullptr || client->*getter == nullptr) return {};
  return RecordRef<Handler>::Adopt((client->*getter)(client));
}

template <auto entry, class... Args>
auto Browser::Tell(Args&&... args) {
  using Entry = HandlerEntry<decltype(entry)>;
  using Handler = typename Entry::HandlerType;
  using Result = typename Entry::ResultType;
  const RecordRef<cef_client_t> client = Client();
  const RecordRef<Handler> handler = AskHandler<Handler>(client.get());
  if (!handler || handler.get()->*entry == nullptr) return Result();
  return (handler.get()->*entry)(handler.get(), Pass(std::forward<Args>(args))...);
}

template <class Record>
Record* Browser::Pass(Lent<Record> lent) {
  return RecordRef<Record>::Retain(lent.record).Detach();
}

}  // namespace devengine::browser

#endif
