#include "script/value.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

#include "script/ast.h"

namespace devengine::script {

Value::Value(ObjectPtr object) {
  if (object) data_ = std::move(object);
}
Value Value::Null() {
  Value value;
  value.data_ = NullTag{};
  return value;
}
Value Value::Boolean(bool flag) {
  Value value;
  value.data_ = flag;
  return value;
}
Value Value::Number(double number) {
  Value value;
  value.data_ = number;
  return value;
}
Value Value::String(std::wstring text) {
  Value value;
  value.data_ = std::make_shared<const std::wstring>(std::move(text));
  return value;
}

bool Value::IsInt32() const {
  if (!IsNumber()) return false;
  const double number = AsNumber();
  return number >= -2147483648.0 && number <= 2147483647.0 && number == std::trunc(number) &&
         !(number == 0 && std::signbit(number));
}
bool Value::IsUInt32() const {
  if (!IsNumber()) return false;
  const double number = AsNumber();
  return number >= 0 && number <= 4294967295.0 && number == std::trunc(number) &&
         !std::signbit(number);
}

bool Value::AsBoolean() const { return IsBoolean() && std::get<bool>(data_); }
double Value::AsNumber() const { return IsNumber() ? std::get<double>(data_) : 0; }
const std::wstring& Value::AsString() const {
  static const std::wstring empty;
  return IsString() ? *std::get<std::shared_ptr<const std::wstring>>(data_) : empty;
}
const ObjectPtr& Value::AsObject() const {
  static const ObjectPtr none;
  return IsObject() ? std::get<ObjectPtr>(data_) : none;
}

Property* Object::FindOwn(const std::wstring& key) {
  const auto found = index_.find(key);
  return found == index_.end() ? nullptr : &properties_[found->second].second;
}

Property& Object::AddOwn(const std::wstring& key, Property property) {
  if (Property* existing = FindOwn(key)) return *existing = std::move(property);
  index_.emplace(key, properties_.size());
  return properties_.emplace_back(key, std::move(property)).second;
}

bool Object::RemoveOwn(const std::wstring& key) {
  const auto found = index_.find(key);
  if (found == index_.end()) return false;
  properties_.erase(properties_.begin() + static_cast<std::ptrdiff_t>(found->second));
  index_.clear();
  for (std::size_t i = 0; i < properties_.size(); ++i) index_.emplace(properties_[i].first, i);
  return true;
}

namespace {

// What an object held, released after the object itself.
struct Remains {
  std::vector<std::pair<std::wstring, Property>> properties;
  std::vector<Value> elements;
  ObjectPtr prototype;
  std::shared_ptr<NativeAccessor> accessor;
  std::shared_ptr<void> userData;
  std::shared_ptr<NativeHandler> native;
  std::shared_ptr<const Script> script;
  std::shared_ptr<Environment> closure;
};

thread_local std::vector<Remains> releasing;
thread_local bool draining = false;

void Release(Remains remains) {
  releasing.push_back(std::move(remains));
  if (draining) return;
  draining = true;
  while (!releasing.empty()) {
    // Destroyed at the end of the iteration; objects it frees queue theirs.
    const Remains next = std::move(releasing.back());
    releasing.pop_back();
  }
  draining = false;
}

}  // namespace

void Object::ReleaseHeld() {
  Release({std::move(properties_), std::move(elements), std::move(prototype), std::move(accessor),
           std::move(userData), std::move(native), std::move(script), std::move(closure)});
}

Object::~Object() { ReleaseHeld(); }

void Object::Empty() {
  valid = false;
  index_.clear();
  code = nullptr;
  ReleaseHeld();
  properties_.clear();
  elements.clear();
}

namespace {

constexpr std::size_t kMaxJoinDepth = 64;

// The value of a data property found on `object` or its prototypes.
Value DataProperty(const ObjectPtr& object, const std::wstring& key) {
  for (Object* current = object.get(); current; current = current->prototype.get()) {
    if (Property* property = current->FindOwn(key)) return property->value;
  }
  return {};
}

std::wstring AsciiText(std::string_view text) { return std::wstring(text.begin(), text.end()); }

std::wstring DateText(double milliseconds) {
  if (!std::isfinite(milliseconds)) return L"Invalid Date";
  const double seconds = std::floor(milliseconds / 1000);
  const auto time = static_cast<std::time_t>(seconds);
  std::tm parts{};
#ifdef _WIN32
  if (gmtime_s(&parts, &time) != 0) return L"Invalid Date";
#else
  if (!gmtime_r(&time, &parts)) return L"Invalid Date";
#endif
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", parts.tm_year + 1900,
                parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec,
                static_cast<int>(milliseconds - seconds * 1000));
  return AsciiText(text);
}

std::wstring ObjectText(const ObjectPtr& object) {
  switch (object->objectClass) {
    case Object::Class::Array: {
      // An array met again while it is being joined (a cycle) and arrays
      // nested too deep join as empty text.
      thread_local std::vector<const Object*> joining;
      if (joining.size() >= kMaxJoinDepth ||
          std::find(joining.begin(), joining.end(), object.get()) != joining.end()) {
        return {};
      }
      joining.push_back(object.get());
      std::wstring text;
      for (std::size_t i = 0; i < object->elements.size() && text.size() <= kMaxStringLength; ++i) {
        if (i) text += L',';
        const Value& element = object->elements[i];
        if (!element.IsUndefined() && !element.IsNull()) text += ToString(element);
      }
      joining.pop_back();
      return text;
    }
    case Object::Class::Function:
      if (object->code && object->script) {
        return object->script->source.substr(object->code->start,
                                             object->code->end - object->code->start);
      }
      return L"function " + object->functionName + L"() { [native code] }";
    case Object::Class::Date:
      return DateText(object->date);
    case Object::Class::Error:
      return DescribeThrown(Value(object));
    case Object::Class::Plain:
      break;
  }
  return L"[object Object]";
}

}  // namespace

bool ToBoolean(const Value& value) {
  switch (value.type()) {
    case Value::Type::Undefined:
    case Value::Type::Null:
      return false;
    case Value::Type::Boolean:
      return value.AsBoolean();
    case Value::Type::Number:
      return value.AsNumber() != 0 && !std::isnan(value.AsNumber());
    case Value::Type::String:
      return !value.AsString().empty();
    case Value::Type::Object:
      return true;
  }
  return false;
}

double ToNumber(const Value& value) {
  switch (value.type()) {
    case Value::Type::Undefined:
      return std::numeric_limits<double>::quiet_NaN();
    case Value::Type::Null:
      return 0;
    case Value::Type::Boolean:
      return value.AsBoolean() ? 1 : 0;
    case Value::Type::Number:
      return value.AsNumber();
    case Value::Type::String:
      return StringToNumber(value.AsString());
    case Value::Type::Object: {
      const ObjectPtr& object = value.AsObject();
      if (object->IsDate()) return object->date;
      return StringToNumber(ObjectText(object));
    }
  }
  return 0;
}

std::int32_t ToInt32(double number) { return static_cast<std::int32_t>(ToUint32(number)); }

// Computed in doubles: casting one that 32 bits cannot hold is undefined.
std::uint32_t ToUint32(double number) {
  if (!std::isfinite(number)) return 0;
  double wrapped = std::fmod(std::trunc(number), 4294967296.0);
  if (wrapped < 0) wrapped += 4294967296.0;
  return static_cast<std::uint32_t>(wrapped);
}

std::wstring ToString(const Value& value) {
  switch (value.type()) {
    case Value::Type::Undefined:
      return L"undefined";
    case Value::Type::Null:
      return L"null";
    case Value::Type::Boolean:
      return value.AsBoolean() ? L"true" : L"false";
    case Value::Type::Number:
      return NumberToString(value.AsNumber());
    case Value::Type::String:
      return value.AsString();
    case Value::Type::Object:
      return ObjectText(value.AsObject());
  }
  return {};
}

// The shortest digits that read back as `number`, placed as the language
// places them: plain up to 21 digits, exponent form beyond and for tiny
// numbers.
std::wstring NumberToString(double number) {
  if (std::isnan(number)) return L"NaN";
  if (number == 0) return L"0";
  if (std::isinf(number)) return number < 0 ? L"-Infinity" : L"Infinity";
  std::wstring sign = number < 0 ? L"-" : L"";
  char buffer[64];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(number),
                                     std::chars_format::scientific);
  const std::string scientific(buffer, written.ptr);
  const std::size_t e = scientific.find('e');
  std::string digits = scientific.substr(0, e);
  digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
  const int exponent = std::stoi(scientific.substr(e + 1));
  const int k = static_cast<int>(digits.size());
  const int n = exponent + 1;  // the decimal point sits after n digits
  std::string text;
  if (k <= n && n <= 21) {
    text.append(digits).append(static_cast<std::size_t>(n - k), '0');
  } else if (0 < n && n <= 21) {
    text.append(digits, 0, static_cast<std::size_t>(n)).append(1, '.');
    text.append(digits, static_cast<std::size_t>(n));
  } else if (-6 < n && n <= 0) {
    text.append("0.").append(static_cast<std::size_t>(-n), '0').append(digits);
  } else {
    text.append(1, digits[0]);
    if (k > 1) text.append(1, '.').append(digits, 1);
    text.append(n - 1 >= 0 ? "e+" : "e-").append(std::to_string(std::abs(n - 1)));
  }
  return sign.append(AsciiText(text));
}

double StringToNumber(std::wstring_view text) {
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  const auto isSpace = [](wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\v' || c == L'\f' ||
           c == 0xA0 || c == 0xFEFF || c == 0x2028 || c == 0x2029;
  };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  if (text.empty()) return 0;
  std::string narrow;
  for (wchar_t c : text) {
    if (c > 0x7F) return nan;
    narrow += static_cast<char>(c);
  }
  if (narrow.size() > 2 && narrow[0] == '0' && (narrow[1] == 'x' || narrow[1] == 'X')) {
    double result = 0;
    for (std::size_t i = 2; i < narrow.size(); ++i) {
      const char c = narrow[i];
      const int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
      if (digit < 0) return nan;
      result = result * 16 + digit;
    }
    return result;
  }
  std::string_view body = narrow;
  bool negative = false;
  if (body.front() == '+' || body.front() == '-') {
    negative = body.front() == '-';
    body.remove_prefix(1);
  }
  double result = nan;
  if (body == "Infinity") {
    result = std::numeric_limits<double>::infinity();
  } else if (!body.empty() && body.front() != '+' && body.front() != '-' &&
             body.find_first_of("iInN") == std::string_view::npos) {
    const auto parsed = std::from_chars(body.data(), body.data() + body.size(), result);
    if (parsed.ptr != body.data() + body.size() || parsed.ec == std::errc::invalid_argument) {
      return nan;
    }
  }
  return negative ? -result : result;
}

std::optional<std::uint32_t> ArrayIndexOf(std::wstring_view key) {
  if (key.empty() || key.size() > 10 || (key.size() > 1 && key[0] == L'0')) return std::nullopt;
  std::uint64_t index = 0;
  for (wchar_t c : key) {
    if (c < L'0' || c > L'9') return std::nullopt;
    index = index * 10 + static_cast<std::uint64_t>(c - L'0');
  }
  if (index >= 0xFFFFFFFFu) return std::nullopt;
  return static_cast<std::uint32_t>(index);
}

std::wstring TypeOf(const Value& value) {
  switch (value.type()) {
    case Value::Type::Undefined:
      return L"undefined";
    case Value::Type::Null:
      return L"object";
    case Value::Type::Boolean:
      return L"boolean";
    case Value::Type::Number:
      return L"number";
    case Value::Type::String:
      return L"string";
    case Value::Type::Object:
      return value.AsObject()->IsFunction() ? L"function" : L"object";
  }
  return L"undefined";
}

bool StrictEquals(const Value& a, const Value& b) {
  if (a.type() != b.type()) return false;
  switch (a.type()) {
    case Value::Type::Undefined:
    case Value::Type::Null:
      return true;
    case Value::Type::Boolean:
      return a.AsBoolean() == b.AsBoolean();
    case Value::Type::Number:
      return a.AsNumber() == b.AsNumber();
    case Value::Type::String:
      return a.AsString() == b.AsString();
    case Value::Type::Object:
      return a.AsObject() == b.AsObject();
  }
  return false;
}

bool LooseEquals(const Value& a, const Value& b) {
  if (a.type() == b.type()) return StrictEquals(a, b);
  const auto nullish = [](const Value& v) { return v.IsUndefined() || v.IsNull(); };
  if (nullish(a) || nullish(b)) return nullish(a) && nullish(b);
  if (a.IsObject() && b.IsObject()) return false;
  if (a.IsObject() || b.IsObject()) {
    const Value& object = a.IsObject() ? a : b;
    const Value& other = a.IsObject() ? b : a;
    const Value primitive = object.AsObject()->IsDate() ? Value::Number(ToNumber(object))
                                                        : Value::String(ToString(object));
    return LooseEquals(primitive, other);
  }
  if (a.IsString() && b.IsString()) return a.AsString() == b.AsString();
  return ToNumber(a) == ToNumber(b);
}

std::wstring DescribeThrown(const Value& value) {
  const ObjectPtr& object = value.AsObject();
  if (!object || object->objectClass != Object::Class::Error) return ToString(value);
  const std::wstring name = ToString(DataProperty(object, L"name"));
  const Value message = DataProperty(object, L"message");
  const std::wstring text = message.IsUndefined() ? std::wstring() : ToString(message);
  if (text.empty()) return name;
  return name + L": " + text;
}

}  // namespace devengine::script
