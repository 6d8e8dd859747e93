// Every request of a browser, a document's or a sub-resource's, goes one
// way: the request handler sees it on the IO thread, a job thread fetches
// what it left, and the answer comes back as UI work.
#include <future>
#include <memory>
#include <utility>

#include "browser.h"
#include "engine_strings.h"
#include "engine_threads.h"
#include "handler_calls.h"
#include "job_threads.h"
#include "weak_owner.h"

namespace devengine::browser {

void Browser::FetchForFrame(std::int64_t frame, std::uint64_t load, RequestData data,
                            Fetched fetched) {
  // Shared, as work is copied and a request record is not.
  auto request = std::make_shared<RecordRef<cef_request_t>>(NewRequest(std::move(data)));
  PostWork(TID_IO, [self = shared_from_this(), frame, load, request, fetched = std::move(fetched)] {
    self->BeforeLoad(frame, load, *request, fetched);
  });
}

void Browser::BeforeLoad(std::int64_t frame, std::uint64_t load,
                         const RecordRef<cef_request_t>& request, Fetched fetched) {
  if (!IsCurrent(frame, load)) return;
  const int cancel = Tell<&cef_request_handler_t::on_before_resource_load>(
      ThisBrowser{}, FrameArgument{frame}, Lent<cef_request_t>{request.get()});
  Request& engine_request = RequestOf(request);
  engine_request.Freeze();
  if (cancel != 0) {
    PostUi([fetched = std::move(fetched)](Browser& self) { fetched(self, std::nullopt); });
    return;
  }
  StartJob([self = shared_from_this(), frame, load, data = engine_request.Data(),
            fetched = std::move(fetched)] {
    FetchResponse response = Fetch(data, self->ControlFor(frame, load));
    self->PostUi([fetched, response = std::move(response)](Browser& browser) mutable {
      fetched(browser, std::move(response));
    });
  });
}

FetchControl Browser::ControlFor(std::int64_t frame, std::uint64_t load) {
  FetchControl control;
  control.cancelled = [weak = weak_from_this(), frame, load] {
    const std::shared_ptr<Browser> self = weak.lock();
    return !self || !self->IsCurrent(frame, load);
  };
  control.redirected = BindWeak<&Browser::AskRedirect>(weak_from_this(), frame);
  return control;
}

bool Browser::AskRedirect(std::int64_t frame, const std::wstring& from, std::wstring& to) {
  auto answer = std::make_shared<std::promise<std::wstring>>();
  std::future<std::wstring> answered = answer->get_future();
  const bool posted = PostWork(TID_IO, [self = shared_from_this(), frame, from, to, answer] {
    cef_string_t new_url{};
    Assign(&new_url, to);
    const cef_string_t old_url = Borrow(from);
    self->Tell<&cef_request_handler_t::on_resource_redirect>(ThisBrowser{}, FrameArgument{frame},
                                                             &old_url, &new_url);
    std::wstring chosen = ToWString(&new_url);
    ClearString(&new_url);
    answer->set_value(chosen.empty() ? to : std::move(chosen));
  });
  if (!posted) return false;
  try {
    to = answered.get();
  } catch (const std::future_error&) {
    // The engine stopped before the handler could answer.
    return false;
  }
  return true;
}

}  // namespace devengine::browser
