#include "test_extension.h"

#include "cef_rtti_builders.h"

ustring TTestExtension::hello() { return L"Hello from Quarn"; }

TClass TTestExtension::ClassInfo() {
  static const TClass info = TRttiClassBuilder<TTestExtension, TObject>(L"TTestExtension")
                                 .ClassMethod(L"hello", &TTestExtension::hello)
                                 .Build();
  return info;
}
