// The engine's script value records over the interpreter of the thread that
// runs script: values, exceptions, and the program's native functions and
// accessors.
//
// Every record belongs to the thread that made it; its entries answer 0,
// null or nothing on another thread, since the interpreter is not shared.
#ifndef NIMBRA_DEVENGINE_SCRIPT_VALUES_SCRIPT_VALUES_H
#define NIMBRA_DEVENGINE_SCRIPT_VALUES_SCRIPT_VALUES_H

#include <memory>
#include <optional>
#include <vector>

#include "cef_capi.h"
#include "script/interpreter.h"

namespace devengine::script_values {

// The interpreter whose current context the create exports use on this
// thread; null when the thread runs no script. The caller keeps it alive
// until it sets null again.
void SetThreadInterpreter(script::Interpreter* interpreter);
script::Interpreter* ThreadInterpreter();
// The interpreter a thread of the engine runs documents with, made on first
// use and set as the thread's. It is kept for the life of the process, so
// that no context outlives it.
script::Interpreter& EngineThreadInterpreter();

// A new record for `value`, whose reference is the caller's. `context` is
// where operations on it run; an object's own context is used when it has one.
cef_v8value_t* NewValueRecord(script::Value value, std::weak_ptr<script::Context> context,
                              bool userCreated = false);
// What a record the engine made holds; nullopt for any other record.
std::optional<script::Value> ValueOfRecord(cef_v8value_t* record);

// A new exception record, the caller's reference.
cef_v8exception_t* NewExceptionRecord(script::Exception exception);
// A new stack trace record of `frames`, the caller's reference.
cef_v8stack_trace_t* NewStackTraceRecord(std::vector<script::StackFrame> frames);

// A new script context for a document of this thread's engine interpreter,
// kept until ReleaseDocument; its records answer `browser` and `frame`, on
// which it takes a reference of its own. Answers the context's record, the
// caller's reference.
cef_v8context_t* NewDocumentContext(cef_browser_t* browser, cef_frame_t* frame);
// Runs every registered extension in `context`, new for a document.
void RunExtensions(script::Context& context);
// The document of the context behind `record` is gone: the context is
// emptied and every record of it turns invalid.
void ReleaseDocument(cef_v8context_t* record);
// A new context record, the caller's reference; null for a null context.
cef_v8context_t* NewContextRecord(const std::shared_ptr<script::Context>& context);
// The context behind a record the engine made; null for any other record or
// a context that is gone.
std::shared_ptr<script::Context> ContextOfRecord(cef_v8context_t* record);

// A native function that calls the program's handler; it takes over the
// reference that comes with `handler`.
std::shared_ptr<script::NativeHandler> NewProgramFunction(cef_v8handler_t* handler);
// The program's handler behind a function made by NewProgramFunction, with a
// reference for the caller; null for any other.
cef_v8handler_t* ProgramHandlerOf(const script::NativeHandler* native);
// An accessor that asks the program's accessor; takes over its reference.
std::shared_ptr<script::NativeAccessor> NewProgramAccessor(cef_v8accessor_t* accessor);

// An exception the program asked to rethrow while script called it, thrown
// on to script when the program's native returns.
void SetPendingRethrow(script::Value value);

}  // namespace devengine::script_values

#endif
