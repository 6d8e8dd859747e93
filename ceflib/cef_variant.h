// The variant: one value whose type is chosen at run time, as script values
// reach native methods declared to take "anything". A variant array holds
// variants with bounds 0 .. size - 1.
//
// A plain value type: copied freely, no sharing, usable on any thread.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "cef_string.h"

enum class TVarType : uint16_t {
  Empty,
  Null,
  SmallInt,  // 16-bit signed
  Integer,   // 32-bit signed
  Single,
  Double,
  Currency,  // 64-bit integer scaled by 10 000
  Date,
  OleStr,
  Dispatch,
  Error,
  Boolean,
  Variant,
  Unknown,
  ShortInt,  // 8-bit signed
  Byte,
  Word,
  LongWord,
  Int64,
  UInt64,
  String,   // narrow text in the system's code page
  UString,  // UTF-16 text
  Array,
};

class TVariant {
 public:
  using TArray = std::vector<TVariant>;
  // Integers of every width, Booleans, the currency's scaled value and the
  // error code; floating values and dates; the two texts; array elements.
  using TPayload =
      std::variant<std::monostate, int64_t, uint64_t, double, std::string, ustring, TArray>;

  TVariant() = default;
  explicit TVariant(bool value) : FType(TVarType::Boolean), FValue(int64_t{value}) {}
  explicit TVariant(int32_t value) : FType(TVarType::Integer), FValue(int64_t{value}) {}
  explicit TVariant(double value) : FType(TVarType::Double), FValue(value) {}
  explicit TVariant(ustring value) : FType(TVarType::UString), FValue(std::move(value)) {}
  explicit TVariant(TArray items) : FType(TVarType::Array), FValue(std::move(items)) {}
  // Any type with its payload, for the types without a constructor of their own.
  TVariant(TVarType type, TPayload value) : FType(type), FValue(std::move(value)) {}
  static TVariant Null() { return TVariant(TVarType::Null, {}); }

  TVarType VarType() const noexcept { return FType; }
  const TPayload& Payload() const noexcept { return FValue; }
  // Each raises std::bad_variant_access when the payload is of another form.
  bool AsBoolean() const { return std::get<int64_t>(FValue) != 0; }
  int64_t AsInt64() const { return std::get<int64_t>(FValue); }
  uint64_t AsUInt64() const { return std::get<uint64_t>(FValue); }
  double AsDouble() const { return std::get<double>(FValue); }
  const std::string& AsString() const { return std::get<std::string>(FValue); }
  const ustring& AsUString() const { return std::get<ustring>(FValue); }
  const TArray& AsArray() const { return std::get<TArray>(FValue); }

  bool operator==(const TVariant&) const = default;

 private:
  TVarType FType = TVarType::Empty;
  TPayload FValue;
};
