// Script extensions from native classes: one native value under a global
// script name.
//
// Register makes one TCefRTTIExtension per name and hands it to the engine,
// which keeps it for the rest of the process. Reading the global gives script
// a new wrapper object whose functions call the value's public methods by
// reflection (cef_rtti.h); every wrapper function is answered by the same
// extension object. Renderer processes only, on their main thread.
//
// A wrapper's user data is a script array: element 0 the identity of a type
// descriptor, element 1 the native value it stands for:
// - object wrappers: the object's actual class, and the object's address;
// - class wrappers: the class's class-reference type, and the class's own
//   identity (a class is its descriptor here), so that a class is never taken
//   for an instance;
// - interface wrappers: the interface type, and the interface's address;
// - record objects: the record type only.
// Addresses are script integers on 32-bit targets; on 64-bit targets they are
// script numbers (doubles), exact for every address below 2^53.
//
// An error raised while converting or inside a method reaches script as the
// exception of the call, with the error's message as its text.
#pragma once

#include "cef_rtti.h"
#include "cef_values.h"

class TCefRTTIExtension : public TCefv8HandlerOwn {
 public:
  explicit TCefRTTIExtension(const TValue& value);
  ~TCefRTTIExtension() override;

  // Registers `value` under the global script name `name` in every script
  // context of this process.
  static void Register(const ustring& name, const TValue& value);
  // The extension's script text for `name`.
  static ustring ExtensionText(const ustring& name);

  bool Execute(const ustring& name, const TInterfacePtr<ICefv8Value>& object,
               const TCefv8ValueArray& arguments, TInterfacePtr<ICefv8Value>& retval,
               ustring& exception) override;

 private:
  using PValue = TInterfacePtr<ICefv8Value>;

  bool Dispatch(const ustring& name, const PValue& object, const TCefv8ValueArray& arguments,
                PValue& retval);
  bool DispatchMember(const ustring& name, TObject* instance, TClass cls,
                      const TCefv8ValueArray& arguments, PValue& retval);
  bool Call(const TRttiMethod& method, TObject* instance, TClass cls,
            const TCefv8ValueArray& arguments, PValue& retval);

  // ScriptToNative leaves its output untouched when it answers false;
  // NativeToScript then leaves no value.
  bool ScriptToNative(const TRttiType* type, const PValue& value, TValue& boxed, int depth = 0);
  bool NativeToScript(const TValue& boxed, PValue& value);

  bool ScriptToVariant(const PValue& value, TVariant& variant, int depth);
  bool ScriptToRecord(const TRttiRecordType* type, const PValue& value, TValue& boxed, int depth);
  PValue ObjectWrapper(TObject* object);
  PValue ClassWrapper(const TRttiClassRefType* declared, TClass cls);
  PValue InterfaceWrapper(const TRttiInterfaceType* type, const TInterfacePtr<ICefBase>& intf);
  PValue RecordObject(const TRttiRecordType* type, const void* data);
  void AddFunctions(const PValue& wrapper, const std::vector<const TRttiMethod*>& methods,
                    bool classMethodsOnly);
  void AddAccessors(const PValue& wrapper, TClass cls);

  TValue FValue;
  TRttiContext FCtx;
};
