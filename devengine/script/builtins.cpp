// What a new context's global object and prototypes hold. Kept to what pages
// and extensions of the development engine use; built-ins are not
// enumerable.
#include <cmath>
#include <cwctype>
#include <limits>
#include <random>

#include "script/machine.h"

namespace devengine::script {

namespace {

using NativeFunction = Value (*)(Context& context, const CallInfo& call);

struct Builtin {
  const wchar_t* name;
  NativeFunction function;
};

double NumberArgument(const CallInfo& call, std::size_t index) {
  return ToNumber(call.Argument(index));
}

[[noreturn]] void ThrowType(Context& context, std::wstring message) {
  throw ScriptThrow(context.NewError(ErrorKind::TypeError, std::move(message)));
}

const ObjectPtr& ThisObject(Context& context, const CallInfo& call) {
  if (!call.thisValue.IsObject()) ThrowType(context, call.name + L" called on a non-object");
  return call.thisValue.AsObject();
}

const ObjectPtr& ThisArray(Context& context, const CallInfo& call) {
  const ObjectPtr& array = ThisObject(context, call);
  if (!array->IsArray()) ThrowType(context, call.name + L" called on a non-array");
  return array;
}

Value DefineGetterOrSetter(Context& context, const CallInfo& call, bool getter) {
  const ObjectPtr& object = ThisObject(context, call);
  const ObjectPtr& function = call.Argument(1).AsObject();
  if (!function || !function->IsFunction()) ThrowType(context, call.name + L": expecting function");
  const std::wstring key = ToString(call.Argument(0));
  const bool defined = getter ? context.DefineGetterSetter(object, key, function, nullptr)
                              : context.DefineGetterSetter(object, key, nullptr, function);
  if (!defined) ThrowType(context, L"Cannot redefine property: " + key);
  return {};
}

// Clamps a relative position (negative from the end) into [0, length].
std::size_t Clamp(double position, std::size_t length) {
  if (std::isnan(position) || position <= 0) return 0;
  return position >= static_cast<double>(length) ? length : static_cast<std::size_t>(position);
}

std::wstring ThisText(const CallInfo& call) { return ToString(call.thisValue); }

double ParseInteger(std::wstring_view text, int radix) {
  while (!text.empty() && std::iswspace(text.front())) text.remove_prefix(1);
  const bool negative = !text.empty() && text.front() == L'-';
  if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) text.remove_prefix(1);
  if ((radix == 0 || radix == 16) && text.size() > 1 && text[0] == L'0' &&
      (text[1] == L'x' || text[1] == L'X')) {
    text.remove_prefix(2);
    radix = 16;
  }
  if (radix == 0) radix = 10;
  if (radix < 2 || radix > 36) return std::numeric_limits<double>::quiet_NaN();
  double result = 0;
  std::size_t digits = 0;
  for (wchar_t c : text) {
    const int digit = c >= L'0' && c <= L'9'   ? c - L'0'
                      : c >= L'a' && c <= L'z' ? c - L'a' + 10
                      : c >= L'A' && c <= L'Z' ? c - L'A' + 10
                                               : 99;
    if (digit >= radix) break;
    result = result * radix + digit;
    ++digits;
  }
  if (digits == 0) return std::numeric_limits<double>::quiet_NaN();
  return negative ? -result : result;
}

double ParseFloat(std::wstring_view text) {
  while (!text.empty() && std::iswspace(text.front())) text.remove_prefix(1);
  // The longest prefix that reads as a number.
  for (std::size_t length = std::min<std::size_t>(text.size(), 400); length > 0; --length) {
    const std::wstring_view prefix = text.substr(0, length);
    if (prefix.back() == L'e' || prefix.back() == L'E' || std::iswspace(prefix.back())) continue;
    const double number = StringToNumber(prefix);
    if (!std::isnan(number) && prefix.find(L'x') == std::wstring_view::npos &&
        prefix.find(L'X') == std::wstring_view::npos) {
      return number;
    }
  }
  return std::numeric_limits<double>::quiet_NaN();
}

double Random() {
  thread_local std::mt19937_64 generator{std::random_device{}()};
  return std::uniform_real_distribution<double>(0, 1)(generator);
}

template <double (*Operation)(double)>
Value MathUnary(Context&, const CallInfo& call) {
  return Value::Number(Operation(NumberArgument(call, 0)));
}

template <bool Largest>
Value MathExtreme(Context&, const CallInfo& call) {
  double result =
      Largest ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
  for (const Value& argument : call.arguments) {
    const double number = ToNumber(argument);
    if (std::isnan(number)) return Value::Number(number);
    result = Largest ? std::max(result, number) : std::min(result, number);
  }
  return Value::Number(result);
}

double RoundHalfUp(double number) { return std::floor(number + 0.5); }

const Builtin kObjectMethods[] = {
    {L"__defineGetter__",
     [](Context& context, const CallInfo& call) {
       return DefineGetterOrSetter(context, call, true);
     }},
    {L"__defineSetter__",
     [](Context& context, const CallInfo& call) {
       return DefineGetterOrSetter(context, call, false);
     }},
    {L"hasOwnProperty",
     [](Context& context, const CallInfo& call) {
       const ObjectPtr& object = ThisObject(context, call);
       const std::wstring key = ToString(call.Argument(0));
       const bool own = object->IsArray() && (key == L"length" || ArrayIndexOf(key))
                            ? context.Has(object, key)
                            : object->FindOwn(key) != nullptr;
       return Value::Boolean(own);
     }},
};

const Builtin kFunctionMethods[] = {
    {L"call",
     [](Context& context, const CallInfo& call) {
       const std::span<const Value> rest =
           call.arguments.empty() ? call.arguments : call.arguments.subspan(1);
       return context.Invoke(call.thisValue, call.Argument(0), rest);
     }},
    {L"apply",
     [](Context& context, const CallInfo& call) {
       const ObjectPtr& list = call.Argument(1).AsObject();
       std::vector<Value> arguments;
       if (list && list->IsArray()) arguments = list->elements;
       return context.Invoke(call.thisValue, call.Argument(0), arguments);
     }},
};

const Builtin kArrayMethods[] = {
    {L"push",
     [](Context& context, const CallInfo& call) {
       const ObjectPtr& array = ThisArray(context, call);
       for (const Value& argument : call.arguments) {
         context.PutIndex(array, static_cast<std::uint32_t>(array->elements.size()), argument);
       }
       return Value::Number(static_cast<double>(array->elements.size()));
     }},
    {L"pop",
     [](Context& context, const CallInfo& call) {
       const ObjectPtr& array = ThisArray(context, call);
       if (array->elements.empty()) return Value();
       Value last = std::move(array->elements.back());
       array->elements.pop_back();
       return last;
     }},
    {L"join",
     [](Context& context, const CallInfo& call) {
       const ObjectPtr& array = ThisArray(context, call);
       const Value& separator = call.Argument(0);
       const std::wstring between = separator.IsUndefined() ? L"," : ToString(separator);
       std::wstring text;
       for (std::size_t i = 0; i < array->elements.size(); ++i) {
         if (i) text += between;
         const Value& element = array->elements[i];
         if (!element.IsUndefined() && !element.IsNull()) text += ToString(element);
         if (text.size() > kMaxStringLength) {
           throw ScriptThrow(context.NewError(ErrorKind::RangeError, L"Invalid string length"));
         }
       }
       return Value::String(std::move(text));
     }},
    {L"indexOf",
     [](Context& context, const CallInfo& call) {
       const ObjectPtr& array = ThisArray(context, call);
       for (std::size_t i = 0; i < array->elements.size(); ++i) {
         if (StrictEquals(array->elements[i], call.Argument(0))) {
           return Value::Number(static_cast<double>(i));
         }
       }
       return Value::Number(-1);
     }},
};

const Builtin kStringMethods[] = {
    {L"indexOf",
     [](Context&, const CallInfo& call) {
       const std::wstring text = ThisText(call);
       const std::size_t from = Clamp(NumberArgument(call, 1), text.size());
       const std::size_t found = text.find(ToString(call.Argument(0)), from);
       return Value::Number(found == std::wstring::npos ? -1 : static_cast<double>(found));
     }},
    {L"substring",
     [](Context&, const CallInfo& call) {
       const std::wstring text = ThisText(call);
       std::size_t start = Clamp(NumberArgument(call, 0), text.size());
       std::size_t end = call.Argument(1).IsUndefined()
                             ? text.size()
                             : Clamp(NumberArgument(call, 1), text.size());
       if (start > end) std::swap(start, end);
       return Value::String(text.substr(start, end - start));
     }},
    {L"charAt",
     [](Context&, const CallInfo& call) {
       const std::wstring text = ThisText(call);
       const double at = std::trunc(NumberArgument(call, 0));
       if (!(at >= 0 && at < static_cast<double>(text.size()))) return Value::String(L"");
       return Value::String(std::wstring(1, text[static_cast<std::size_t>(at)]));
     }},
    {L"charCodeAt",
     [](Context&, const CallInfo& call) {
       const std::wstring text = ThisText(call);
       const double at = std::trunc(NumberArgument(call, 0));
       if (!(at >= 0 && at < static_cast<double>(text.size()))) {
         return Value::Number(std::numeric_limits<double>::quiet_NaN());
       }
       return Value::Number(static_cast<std::uint16_t>(text[static_cast<std::size_t>(at)]));
     }},
    {L"toUpperCase",
     [](Context&, const CallInfo& call) {
       std::wstring text = ThisText(call);
       for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
       return Value::String(std::move(text));
     }},
    {L"toLowerCase",
     [](Context&, const CallInfo& call) {
       std::wstring text = ThisText(call);
       for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
       return Value::String(std::move(text));
     }},
};

const Builtin kDateMethods[] = {
    {L"getTime",
     [](Context& context, const CallInfo& call) {
       const ObjectPtr& date = ThisObject(context, call);
       if (!date->IsDate()) ThrowType(context, L"this is not a Date object.");
       return Value::Number(date->date);
     }},
};

const Builtin kGlobalFunctions[] = {
    {L"String",
     [](Context&, const CallInfo& call) {
       return Value::String(call.arguments.empty() ? L"" : ToString(call.arguments[0]));
     }},
    {L"Number",
     [](Context&, const CallInfo& call) {
       return Value::Number(call.arguments.empty() ? 0 : NumberArgument(call, 0));
     }},
    {L"Boolean",
     [](Context&, const CallInfo& call) { return Value::Boolean(ToBoolean(call.Argument(0))); }},
    {L"parseInt",
     [](Context&, const CallInfo& call) {
       return Value::Number(ParseInteger(
           ToString(call.Argument(0)),
           static_cast<int>(
               std::trunc(call.Argument(1).IsUndefined() ? 0 : NumberArgument(call, 1)))));
     }},
    {L"parseFloat",
     [](Context&, const CallInfo& call) {
       return Value::Number(ParseFloat(ToString(call.Argument(0))));
     }},
    {L"isNaN",
     [](Context&, const CallInfo& call) {
       return Value::Boolean(std::isnan(NumberArgument(call, 0)));
     }},
};

const Builtin kMathFunctions[] = {
    {L"floor", MathUnary<std::floor>},
    {L"ceil", MathUnary<std::ceil>},
    {L"round", MathUnary<RoundHalfUp>},
    {L"abs", MathUnary<std::fabs>},
    {L"sqrt", MathUnary<std::sqrt>},
    {L"min", MathExtreme<false>},
    {L"max", MathExtreme<true>},
    {L"pow",
     [](Context&, const CallInfo& call) {
       return Value::Number(std::pow(NumberArgument(call, 0), NumberArgument(call, 1)));
     }},
    {L"random", [](Context&, const CallInfo&) { return Value::Number(Random()); }},
};

constexpr const wchar_t* kErrorNames[] = {L"Error", L"TypeError", L"RangeError", L"ReferenceError",
                                          L"SyntaxError"};

void AddMethods(Context& context, const ObjectPtr& holder, std::span<const Builtin> builtins) {
  for (const Builtin& builtin : builtins) {
    context.Define(holder, builtin.name, Value(context.NewFunction(builtin.name, builtin.function)),
                   kDontEnum);
  }
}

}  // namespace

void InstallBuiltins(Context& context) {
  Context::Prototypes& prototypes = context.prototypes_;
  prototypes.object = context.Register(std::make_shared<Object>(Object::Class::Plain, nullptr));
  const auto derived = [&](const ObjectPtr& base) {
    return context.Register(std::make_shared<Object>(Object::Class::Plain, base));
  };
  prototypes.function = derived(prototypes.object);
  prototypes.array = derived(prototypes.object);
  prototypes.string = derived(prototypes.object);
  prototypes.date = derived(prototypes.object);
  AddMethods(context, prototypes.object, kObjectMethods);
  AddMethods(context, prototypes.function, kFunctionMethods);
  AddMethods(context, prototypes.array, kArrayMethods);
  AddMethods(context, prototypes.string, kStringMethods);
  AddMethods(context, prototypes.date, kDateMethods);

  context.global_ = context.NewObject();
  const ObjectPtr& global = context.global_;
  constexpr PropertyAttributes kFixed = kReadOnly | kDontEnum | kDontDelete;
  context.Define(global, L"window", Value(global), kReadOnly | kDontDelete);
  context.Define(global, L"undefined", Value(), kFixed);
  context.Define(global, L"NaN", Value::Number(std::numeric_limits<double>::quiet_NaN()), kFixed);
  context.Define(global, L"Infinity", Value::Number(std::numeric_limits<double>::infinity()),
                 kFixed);
  AddMethods(context, global, kGlobalFunctions);
  const ObjectPtr math = context.NewObject();
  AddMethods(context, math, kMathFunctions);
  context.Define(math, L"PI", Value::Number(3.14159265358979323846), kFixed);
  context.Define(global, L"Math", Value(math), kDontEnum);

  for (std::size_t kind = 0; kind < std::size(kErrorNames); ++kind) {
    const ObjectPtr prototype = derived(kind == 0 ? prototypes.object : prototypes.errors[0]);
    prototypes.errors[kind] = prototype;
    context.Define(prototype, L"name", Value::String(kErrorNames[kind]), kDontEnum);
    context.Define(prototype, L"message", Value::String(L""), kDontEnum);
    const ObjectPtr constructor =
        context.NewFunction(kErrorNames[kind], [kind](Context& context, const CallInfo& call) {
          const Value& message = call.Argument(0);
          const Value error = context.NewError(static_cast<ErrorKind>(kind),
                                               message.IsUndefined() ? L"" : ToString(message));
          return error;
        });
    context.Define(constructor, L"prototype", Value(prototype), kFixed);
    context.Define(prototype, L"constructor", Value(constructor), kDontEnum);
    context.Define(global, kErrorNames[kind], Value(constructor), kDontEnum);
  }
}

}  // namespace devengine::script
