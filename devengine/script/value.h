// The script interpreter's values: primitives held by value, objects shared
// through std::shared_ptr. An object belongs to the context that created it;
// when that context goes, the object is emptied (properties, elements,
// closure, user data) and reads as invalid, which is how reference cycles
// between closures and their scopes are broken.
//
// Values are used on the interpreter's thread only.
#ifndef NIMBRA_DEVENGINE_SCRIPT_VALUE_H
#define NIMBRA_DEVENGINE_SCRIPT_VALUE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

namespace devengine::script {

class Context;
class Object;
struct Environment;
struct FunctionInfo;
struct Script;
using ObjectPtr = std::shared_ptr<Object>;

class Value {
 public:
  enum class Type : std::uint8_t { Undefined, Null, Boolean, Number, String, Object };

  Value() = default;  // undefined
  Value(ObjectPtr object);
  static Value Null();
  static Value Boolean(bool value);
  static Value Number(double value);
  static Value String(std::wstring text);

  Type type() const { return static_cast<Type>(data_.index()); }
  bool IsUndefined() const { return type() == Type::Undefined; }
  bool IsNull() const { return type() == Type::Null; }
  bool IsBoolean() const { return type() == Type::Boolean; }
  bool IsNumber() const { return type() == Type::Number; }
  bool IsString() const { return type() == Type::String; }
  bool IsObject() const { return type() == Type::Object; }
  // Numbers that an int32_t or a uint32_t holds exactly (-0 excluded).
  bool IsInt32() const;
  bool IsUInt32() const;

  // Each answers false, 0, the empty text or null for a value of another type.
  bool AsBoolean() const;
  double AsNumber() const;
  const std::wstring& AsString() const;
  const ObjectPtr& AsObject() const;

 private:
  struct NullTag {};
  std::variant<std::monostate, NullTag, bool, double, std::shared_ptr<const std::wstring>,
               ObjectPtr>
      data_;
};

// Bits of PropertyAttributes; the engine's property-attribute flags use the
// same values.
enum PropertyAttribute : std::uint8_t {
  kReadOnly = 1 << 0,
  kDontEnum = 1 << 1,
  kDontDelete = 1 << 2,
};
using PropertyAttributes = std::uint8_t;

// What a native function is called with. `arguments` lives for the call.
struct CallInfo {
  const std::wstring& name;
  const Value& thisValue;
  std::span<const Value> arguments;
  bool isConstruct;

  // The argument at `index`; undefined past the last one given.
  const Value& Argument(std::size_t index) const {
    static const Value undefined;
    return index < arguments.size() ? arguments[index] : undefined;
  }
};

// A function implemented in C++. Throws ScriptThrow (interpreter.h) to throw
// in script; any other C++ exception becomes a script Error.
class NativeHandler {
 public:
  virtual ~NativeHandler() = default;
  virtual Value Call(Context& context, const CallInfo& call) = 0;
};

// Answers the accessor properties of one object (those declared with
// Context::DefineAccessor). May throw ScriptThrow.
class NativeAccessor {
 public:
  virtual ~NativeAccessor() = default;
  // Nullopt when it does not answer `name`: the property reads undefined.
  virtual std::optional<Value> Get(Context& context, const std::wstring& name,
                                   const ObjectPtr& object) = 0;
  // False when it does not take the value; nothing is stored then.
  virtual bool Set(Context& context, const std::wstring& name, const ObjectPtr& object,
                   const Value& value) = 0;
};

struct Property {
  Value value;
  ObjectPtr getter;          // from __defineGetter__; called with the object as this
  ObjectPtr setter;          // from __defineSetter__
  bool viaAccessor = false;  // answered by the object's NativeAccessor
  PropertyAttributes attributes = 0;
  bool IsAccessor() const { return getter || setter || viaAccessor; }
};

class Object {
 public:
  enum class Class : std::uint8_t { Plain, Array, Function, Date, Error };

  Object(Class objectClass, ObjectPtr prototype)
      : objectClass(objectClass), prototype(std::move(prototype)) {}
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  // Releases what it holds one object at a time, so that a chain of objects
  // as long as script made it never goes down recursively.
  ~Object();

  const Class objectClass;
  ObjectPtr prototype;
  bool valid = true;  // false once its context is gone
  std::weak_ptr<Context> context;

  // Array elements; `length` is their count. Other objects keep none.
  std::vector<Value> elements;
  double date = 0;  // Date: milliseconds since 1970-01-01 UTC
  std::shared_ptr<NativeAccessor> accessor;
  std::shared_ptr<void> userData;  // the embedder's, released with the object or its context

  // Functions: a native one has `native`; a script one `code` within
  // `script`, closing over `closure`.
  std::wstring functionName;
  std::shared_ptr<NativeHandler> native;
  std::shared_ptr<const Script> script;
  const FunctionInfo* code = nullptr;
  std::shared_ptr<Environment> closure;

  bool IsArray() const { return objectClass == Class::Array; }
  bool IsFunction() const { return objectClass == Class::Function; }
  bool IsDate() const { return objectClass == Class::Date; }

  // Own named properties, in the order they were added.
  Property* FindOwn(const std::wstring& key);
  const std::vector<std::pair<std::wstring, Property>>& OwnProperties() const {
    return properties_;
  }
  Property& AddOwn(const std::wstring& key, Property property);
  bool RemoveOwn(const std::wstring& key);
  // Drops everything the object holds; what it referred to may then go.
  void Empty();

 private:
  // Hands what the object refers to over to be released one object at a time.
  void ReleaseHeld();

  std::vector<std::pair<std::wstring, Property>> properties_;
  std::unordered_map<std::wstring, std::size_t> index_;
};

// Arrays and strings stay below these; going beyond throws a RangeError
// instead of exhausting memory.
constexpr std::size_t kMaxArrayLength = std::size_t{1} << 24;
constexpr std::size_t kMaxStringLength = std::size_t{1} << 27;

// The language's conversions of primitives and objects (objects convert by
// their kind, without calling script).
bool ToBoolean(const Value& value);
double ToNumber(const Value& value);
// The wrap-around conversions of numbers to 32 bits (NaN and infinities give 0).
std::int32_t ToInt32(double number);
std::uint32_t ToUint32(double number);
std::wstring ToString(const Value& value);
std::wstring NumberToString(double number);
double StringToNumber(std::wstring_view text);
// Canonical array index ("0", "17", not "01" or "-1"); nullopt otherwise.
std::optional<std::uint32_t> ArrayIndexOf(std::wstring_view key);
std::wstring TypeOf(const Value& value);
bool StrictEquals(const Value& a, const Value& b);
bool LooseEquals(const Value& a, const Value& b);
// "Name: message" of an Error object; ToString otherwise.
std::wstring DescribeThrown(const Value& value);

}  // namespace devengine::script

#endif
