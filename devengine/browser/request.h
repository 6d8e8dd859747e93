// The engine's request record: an address, a method, headers, post data,
// flags and the first-party address. The engine makes one for every load
// and hands it to the request handler, which may change it; the load then
// goes by what the handler left (Data()). Programs make their own with
// cef_request_create. Any thread may use one; a mutex guards its fields.
#ifndef NIMBRA_DEVENGINE_BROWSER_REQUEST_H
#define NIMBRA_DEVENGINE_BROWSER_REQUEST_H

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "cef_capi.h"
#include "engine_object.h"
#include "record_ref.h"

namespace devengine::browser {

using HeaderList = std::vector<std::pair<std::wstring, std::wstring>>;

// A request as the engine sends it.
struct RequestData {
  std::wstring url;
  std::wstring method = L"GET";
  HeaderList headers;
  std::string body;
  int flags = UR_FLAG_NONE;
  std::wstring first_party;
};

class Request final : public EngineObject<cef_request_t> {
 public:
  explicit Request(RequestData data = {});

  // What the request holds now; post data of bytes becomes the body, other
  // elements (files) are not sent.
  RequestData Data() const;
  // From now on every setter is refused, as for a load under way.
  void Freeze();

  // Whether `record` is a request of this class rather than a program's.
  static bool Owns(const cef_request_t* record);

 private:
  int IsReadOnly();
  cef_string_userfree_t GetUrl();
  void SetUrl(const cef_string_t* url);
  cef_string_userfree_t GetMethod();
  void SetMethod(const cef_string_t* method);
  cef_post_data_t* GetPostData();
  void SetPostData(cef_post_data_t* post_data);
  void GetHeaderMap(cef_string_multimap_t header_map);
  void SetHeaderMap(cef_string_multimap_t header_map);
  void Set(const cef_string_t* url, const cef_string_t* method, cef_post_data_t* post_data,
           cef_string_multimap_t header_map);
  int GetFlags();
  void SetFlags(int flags);
  cef_string_userfree_t GetFirstPartyForCookies();
  void SetFirstPartyForCookies(const cef_string_t* url);

  // Runs `change` under the lock unless the request is frozen.
  template <class Edit>
  void Change(Edit&& edit);

  mutable std::mutex mutex_;
  RequestData data_;
  RecordRef<cef_post_data_t> post_data_;
  bool read_only_ = false;
};

// A new request for the engine's own use; its one reference is the caller's.
RecordRef<cef_request_t> NewRequest(RequestData data);
Request& RequestOf(const RecordRef<cef_request_t>& request);

}  // namespace devengine::browser

#endif
