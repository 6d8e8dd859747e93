// Reading, writing, declaring and deleting properties, and calling
// functions, as script does it.
#include <cmath>
#include <unordered_set>

#include "script/machine.h"

namespace devengine::script {

namespace {

constexpr std::wstring_view kLength = L"length";

// The property `key` of `object` or of its prototypes, with its holder.
std::pair<Object*, Property*> Find(const ObjectPtr& object, const std::wstring& key) {
  for (Object* holder = object.get(); holder; holder = holder->prototype.get()) {
    if (Property* property = holder->FindOwn(key)) return {holder, property};
  }
  return {nullptr, nullptr};
}

[[noreturn]] void ThrowRange(Context& context, const wchar_t* message) {
  throw ScriptThrow(context.NewError(ErrorKind::RangeError, message));
}

}  // namespace

Value Context::Get(const ObjectPtr& object, const std::wstring& key) {
  if (object->IsArray()) {
    if (key == kLength) return Value::Number(static_cast<double>(object->elements.size()));
    if (const auto index = ArrayIndexOf(key)) return GetIndex(object, *index);
  }
  const auto [holder, property] = Find(object, key);
  if (!property) return {};
  if (property->viaAccessor) {
    // Copied: the accessor may change the object's properties.
    const std::shared_ptr<NativeAccessor> accessor = holder->accessor;
    if (!accessor) return {};
    return accessor->Get(*this, key, object).value_or(Value());
  }
  if (property->getter) {
    const ObjectPtr getter = property->getter;
    return Invoke(Value(getter), Value(object), {});
  }
  return property->value;
}

Value Context::GetIndex(const ObjectPtr& object, std::uint32_t index) {
  if (object->IsArray()) {
    if (index < object->elements.size()) return object->elements[index];
    return {};
  }
  return Get(object, std::to_wstring(index));
}

bool Context::Has(const ObjectPtr& object, const std::wstring& key) const {
  if (object->IsArray()) {
    if (key == kLength) return true;
    if (const auto index = ArrayIndexOf(key)) return HasIndex(object, *index);
  }
  return Find(object, key).second != nullptr;
}

bool Context::HasIndex(const ObjectPtr& object, std::uint32_t index) const {
  if (object->IsArray()) return index < object->elements.size();
  return Has(object, std::to_wstring(index));
}

bool Context::Put(const ObjectPtr& object, const std::wstring& key, const Value& value) {
  if (!object->valid) return false;
  if (object->IsArray()) {
    if (key == kLength) {
      const double length = ToNumber(value);
      if (!(length >= 0 && length == std::floor(length) && length <= 4294967295.0)) {
        ThrowRange(*this, L"Invalid array length");
      }
      if (length > static_cast<double>(kMaxArrayLength)) ThrowRange(*this, L"Array too long");
      object->elements.resize(static_cast<std::size_t>(length));
      return true;
    }
    if (const auto index = ArrayIndexOf(key)) return PutIndex(object, *index, value);
  }
  const auto [holder, property] = Find(object, key);
  if (property && property->IsAccessor()) {
    if (property->viaAccessor) {
      const std::shared_ptr<NativeAccessor> accessor = holder->accessor;
      return accessor && accessor->Set(*this, key, object, value);
    }
    if (!property->setter) return false;
    const ObjectPtr setter = property->setter;
    const Value argument[] = {value};
    Invoke(Value(setter), Value(object), argument);
    return true;
  }
  if (property && (property->attributes & kReadOnly)) return false;
  if (property && holder == object.get()) {
    property->value = value;
    return true;
  }
  Property added;
  added.value = value;
  object->AddOwn(key, std::move(added));
  return true;
}

bool Context::PutIndex(const ObjectPtr& object, std::uint32_t index, const Value& value) {
  if (!object->IsArray()) return Put(object, std::to_wstring(index), value);
  if (!object->valid) return false;
  if (index >= kMaxArrayLength) ThrowRange(*this, L"Array too long");
  if (index >= object->elements.size()) object->elements.resize(index + std::size_t{1});
  object->elements[index] = value;
  return true;
}

bool Context::Define(const ObjectPtr& object, const std::wstring& key, const Value& value,
                     PropertyAttributes attributes) {
  if (!object->valid) return false;
  if (object->IsArray() && (key == kLength || ArrayIndexOf(key))) return Put(object, key, value);
  if (Property* existing = object->FindOwn(key); existing && (existing->attributes & kDontDelete)) {
    if ((existing->attributes & kReadOnly) || existing->IsAccessor()) return false;
    existing->value = value;
    return true;
  }
  Property property;
  property.value = value;
  property.attributes = attributes;
  object->AddOwn(key, std::move(property));
  return true;
}

bool Context::DefineAccessor(const ObjectPtr& object, const std::wstring& key,
                             PropertyAttributes attributes) {
  if (!object->valid || !object->accessor) return false;
  if (Property* existing = object->FindOwn(key); existing && (existing->attributes & kDontDelete)) {
    return false;
  }
  Property property;
  property.viaAccessor = true;
  property.attributes = attributes;
  object->AddOwn(key, std::move(property));
  return true;
}

bool Context::DefineGetterSetter(const ObjectPtr& object, const std::wstring& key, ObjectPtr getter,
                                 ObjectPtr setter) {
  if (!object->valid || (object->IsArray() && (key == kLength || ArrayIndexOf(key)))) return false;
  Property property;
  if (Property* existing = object->FindOwn(key)) {
    if (existing->attributes & kDontDelete) return false;
    if (!existing->viaAccessor) property = *existing;
    property.value = Value();
  }
  if (getter) property.getter = std::move(getter);
  if (setter) property.setter = std::move(setter);
  property.attributes &= static_cast<PropertyAttributes>(~kReadOnly);
  object->AddOwn(key, std::move(property));
  return true;
}

bool Context::Delete(const ObjectPtr& object, const std::wstring& key) {
  if (object->IsArray()) {
    if (key == kLength) return false;
    if (const auto index = ArrayIndexOf(key)) return DeleteIndex(object, *index);
  }
  const Property* property = object->FindOwn(key);
  if (!property) return true;
  if (property->attributes & kDontDelete) return false;
  object->RemoveOwn(key);
  return true;
}

bool Context::DeleteIndex(const ObjectPtr& object, std::uint32_t index) {
  if (!object->IsArray()) return Delete(object, std::to_wstring(index));
  // Elements have no holes: a deleted one reads undefined, the length stays.
  if (index < object->elements.size()) object->elements[index] = Value();
  return true;
}

std::vector<std::wstring> Context::Keys(const ObjectPtr& object) const {
  std::vector<std::wstring> keys;
  if (object->IsArray()) {
    for (std::size_t i = 0; i < object->elements.size(); ++i) keys.push_back(std::to_wstring(i));
  }
  std::unordered_set<std::wstring> seen;
  for (const Object* holder = object.get(); holder; holder = holder->prototype.get()) {
    for (const auto& [key, property] : holder->OwnProperties()) {
      if (!seen.insert(key).second) continue;
      if (!(property.attributes & kDontEnum)) keys.push_back(key);
    }
  }
  return keys;
}

Value Context::Invoke(const Value& function, const Value& thisValue,
                      std::span<const Value> arguments) {
  if (!function.IsObject() || !function.AsObject()->IsFunction()) {
    throw ScriptThrow(NewError(ErrorKind::TypeError, ToString(function) + L" is not a function"));
  }
  return Evaluator::Call(*this, function.AsObject(), thisValue, arguments, false);
}

Value Context::Construct(const Value& function, std::span<const Value> arguments) {
  if (!function.IsObject() || !function.AsObject()->IsFunction()) {
    throw ScriptThrow(
        NewError(ErrorKind::TypeError, ToString(function) + L" is not a constructor"));
  }
  const Value prototype = Get(function.AsObject(), L"prototype");
  const ObjectPtr instance = NewObject();
  if (prototype.IsObject()) instance->prototype = prototype.AsObject();
  const Value result =
      Evaluator::Call(*this, function.AsObject(), Value(instance), arguments, true);
  return result.IsObject() ? result : Value(instance);
}

}  // namespace devengine::script
