#include "request.h"

#include <algorithm>

#include "engine_strings.h"
#include "exports.h"

namespace devengine::browser {
namespace {

HeaderList HeadersOf(cef_string_multimap_t map) {
  HeaderList headers;
  const int count = map == nullptr ? 0 : cef_string_multimap_size(map);
  for (int index = 0; index < count; ++index) {
    cef_string_t key{};
    cef_string_t value{};
    if (cef_string_multimap_key(map, index, &key) && cef_string_multimap_value(map, index, &value))
      headers.emplace_back(ToWString(&key), ToWString(&value));
    ClearString(&key);
    ClearString(&value);
  }
  return headers;
}

// The bytes of the post data's byte elements, in order.
std::string BytesOf(cef_post_data_t* post_data) {
  std::string bytes;
  if (post_data == nullptr || post_data->get_element_count == nullptr ||
      post_data->get_elements == nullptr)
    return bytes;
  std::size_t count = post_data->get_element_count(post_data);
  std::vector<cef_post_data_element_t*> elements(count, nullptr);
  post_data->get_elements(post_data, &count, elements.data());
  for (std::size_t index = 0; index < std::min(count, elements.size()); ++index) {
    const auto element = RecordRef<cef_post_data_element_t>::Adopt(elements[index]);
    cef_post_data_element_t* record = element.get();
    if (record == nullptr || record->get_type == nullptr || record->get_bytes == nullptr ||
        record->get_bytes_count == nullptr || record->get_type(record) != PDE_TYPE_BYTES)
      continue;
    std::string chunk(record->get_bytes_count(record), '\0');
    chunk.resize(record->get_bytes(record, chunk.size(), chunk.data()));
    bytes += chunk;
  }
  return bytes;
}

}  // namespace

Request::Request(RequestData data) : data_(std::move(data)) {
  cef_request_t& record = entries();
  record.is_read_only = EntryOf<&Request::IsReadOnly>;
  record.get_url = EntryOf<&Request::GetUrl>;
  record.set_url = EntryOf<&Request::SetUrl>;
  record.get_method = EntryOf<&Request::GetMethod>;
  record.set_method = EntryOf<&Request::SetMethod>;
  record.get_post_data = EntryOf<&Request::GetPostData>;
  record.set_post_data = EntryOf<&Request::SetPostData>;
  record.get_header_map = EntryOf<&Request::GetHeaderMap>;
  record.set_header_map = EntryOf<&Request::SetHeaderMap>;
  record.set = EntryOf<&Request::Set>;
  record.get_flags = EntryOf<&Request::GetFlags>;
  record.set_flags = EntryOf<&Request::SetFlags>;
  record.get_first_party_for_cookies = EntryOf<&Request::GetFirstPartyForCookies>;
  record.set_first_party_for_cookies = EntryOf<&Request::SetFirstPartyForCookies>;
}

RequestData Request::Data() const {
  RequestData data;
  cef_post_data_t* post_data = nullptr;
  {
    const std::lock_guard lock(mutex_);
    data = data_;
    post_data = post_data_.get();
  }
  if (post_data != nullptr) data.body = BytesOf(post_data);
  return data;
}

bool Request::Owns(const cef_request_t* record) {
  return record != nullptr && record->get_url == EntryOf<&Request::GetUrl>;
}

void Request::Freeze() {
  const std::lock_guard lock(mutex_);
  read_only_ = true;
}

template <class Edit>
void Request::Change(Edit&& edit) {
  const std::lock_guard lock(mutex_);
  if (!read_only_) edit();
}

int Request::IsReadOnly() {
  const std::lock_guard lock(mutex_);
  return read_only_ ? 1 : 0;
}

cef_string_userfree_t Request::GetUrl() {
  const std::lock_guard lock(mutex_);
  return NewUserFreeString(data_.url);
}

void Request::SetUrl(const cef_string_t* url) {
  Change([&] { data_.url = ToWString(url); });
}

cef_string_userfree_t Request::GetMethod() {
  const std::lock_guard lock(mutex_);
  return NewUserFreeString(data_.method);
}

void Request::SetMethod(const cef_string_t* method) {
  Change([&] { data_.method = ToWString(method); });
}

cef_post_data_t* Request::GetPostData() {
  const std::lock_guard lock(mutex_);
  return RecordRef<cef_post_data_t>::Retain(post_data_.get()).Detach();
}

void Request::SetPostData(cef_post_data_t* post_data) {
  auto held = RecordRef<cef_post_data_t>::Adopt(post_data);
  Change([&] { std::swap(post_data_, held); });
}

void Request::GetHeaderMap(cef_string_multimap_t header_map) {
  if (header_map == nullptr) return;
  HeaderList headers;
  {
    const std::lock_guard lock(mutex_);
    headers = data_.headers;
  }
  for (const auto& [name, value] : headers) {
    const cef_string_t key = Borrow(name);
    const cef_string_t text = Borrow(value);
    cef_string_multimap_append(header_map, &key, &text);
  }
}

void Request::SetHeaderMap(cef_string_multimap_t header_map) {
  HeaderList headers = HeadersOf(header_map);
  Change([&] { data_.headers = std::move(headers); });
}

void Request::Set(const cef_string_t* url, const cef_string_t* method, cef_post_data_t* post_data,
                  cef_string_multimap_t header_map) {
  auto held = RecordRef<cef_post_data_t>::Adopt(post_data);
  HeaderList headers = HeadersOf(header_map);
  Change([&] {
    data_.url = ToWString(url);
    data_.method = ToWString(method);
    data_.headers = std::move(headers);
    std::swap(post_data_, held);
  });
}

int Request::GetFlags() {
  const std::lock_guard lock(mutex_);
  return data_.flags;
}

void Request::SetFlags(int flags) {
  Change([&] { data_.flags = flags; });
}

cef_string_userfree_t Request::GetFirstPartyForCookies() {
  const std::lock_guard lock(mutex_);
  return NewUserFreeString(data_.first_party);
}

void Request::SetFirstPartyForCookies(const cef_string_t* url) {
  Change([&] { data_.first_party = ToWString(url); });
}

RecordRef<cef_request_t> NewRequest(RequestData data) {
  return RecordRef<cef_request_t>::Adopt(MakeEngineObject<Request>(std::move(data))->record());
}

Request& RequestOf(const RecordRef<cef_request_t>& request) {
  return *static_cast<Request*>(Request::FromRecord(request.get()));
}

}  // namespace devengine::browser

using namespace devengine;

DEVENGINE_EXPORT cef_request_t* cef_request_create(void) {
  return browser::NewRequest({}).Detach();
}
