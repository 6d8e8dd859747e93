// Records of what script threw and of where script was running: exceptions,
// stack traces and their frames. They hold plain copies, so any thread may
// read them.
#include <utility>
#include <vector>

#include "engine_object.h"
#include "engine_strings.h"
#include "script_values.h"

namespace devengine::script_values {
namespace {

class ExceptionRecord : public EngineObject<cef_v8exception_t> {
 public:
  explicit ExceptionRecord(script::Exception exception) : exception_(std::move(exception)) {
    // The thrown value belongs to the interpreter's thread; the record keeps
    // only its description.
    exception_.value = {};
    cef_v8exception_t& r = entries();
    r.get_message = EntryOf<&ExceptionRecord::GetMessage>;
    r.get_source_line = EntryOf<&ExceptionRecord::GetSourceLine>;
    r.get_script_resource_name = EntryOf<&ExceptionRecord::GetScriptResourceName>;
    r.get_line_number = EntryOf<&ExceptionRecord::GetLineNumber>;
    r.get_start_position = EntryOf<&ExceptionRecord::GetStartPosition>;
    r.get_end_position = EntryOf<&ExceptionRecord::GetEndPosition>;
    r.get_start_column = EntryOf<&ExceptionRecord::GetStartColumn>;
    r.get_end_column = EntryOf<&ExceptionRecord::GetEndColumn>;
  }

 private:
  cef_string_userfree_t GetMessage() { return NewUserFreeString(exception_.message); }
  cef_string_userfree_t GetSourceLine() { return NewUserFreeString(exception_.sourceLine); }
  cef_string_userfree_t GetScriptResourceName() { return NewUserFreeString(exception_.scriptName); }
  int GetLineNumber() { return exception_.line; }
  int GetStartPosition() { return exception_.startPosition; }
  int GetEndPosition() { return exception_.endPosition; }
  int GetStartColumn() { return exception_.startColumn; }
  int GetEndColumn() { return exception_.endColumn; }

  script::Exception exception_;
};

class StackFrameRecord : public EngineObject<cef_v8stack_frame_t> {
 public:
  explicit StackFrameRecord(script::StackFrame frame) : frame_(std::move(frame)) {
    cef_v8stack_frame_t& r = entries();
    r.is_valid = EntryOf<&StackFrameRecord::IsValid>;
    r.get_script_name = EntryOf<&StackFrameRecord::GetScriptName>;
    r.get_script_name_or_source_url = EntryOf<&StackFrameRecord::GetScriptName>;
    r.get_function_name = EntryOf<&StackFrameRecord::GetFunctionName>;
    r.get_line_number = EntryOf<&StackFrameRecord::GetLineNumber>;
    r.get_column = EntryOf<&StackFrameRecord::GetColumn>;
    r.is_eval = EntryOf<&StackFrameRecord::IsEval>;
    r.is_constructor = EntryOf<&StackFrameRecord::IsConstructor>;
  }

 private:
  int IsValid() { return 1; }
  cef_string_userfree_t GetScriptName() { return NewUserFreeString(frame_.scriptName); }
  cef_string_userfree_t GetFunctionName() { return NewUserFreeString(frame_.functionName); }
  int GetLineNumber() { return frame_.line; }
  int GetColumn() { return frame_.column; }
  int IsEval() { return 0; }
  int IsConstructor() { return Flag(frame_.isConstructor); }

  script::StackFrame frame_;
};

class StackTraceRecord : public EngineObject<cef_v8stack_trace_t> {
 public:
  explicit StackTraceRecord(std::vector<script::StackFrame> frames) : frames_(std::move(frames)) {
    cef_v8stack_trace_t& r = entries();
    r.is_valid = EntryOf<&StackTraceRecord::IsValid>;
    r.get_frame_count = EntryOf<&StackTraceRecord::GetFrameCount>;
    r.get_frame = EntryOf<&StackTraceRecord::GetFrame>;
  }

 private:
  int IsValid() { return 1; }
  int GetFrameCount() { return static_cast<int>(frames_.size()); }
  cef_v8stack_frame_t* GetFrame(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= frames_.size()) return nullptr;
    return MakeEngineObject<StackFrameRecord>(frames_[static_cast<std::size_t>(index)])->record();
  }

  std::vector<script::StackFrame> frames_;
};

}  // namespace

cef_v8exception_t* NewExceptionRecord(script::Exception exception) {
  return MakeEngineObject<ExceptionRecord>(std::move(exception))->record();
}

cef_v8stack_trace_t* NewStackTraceRecord(std::vector<script::StackFrame> frames) {
  return MakeEngineObject<StackTraceRecord>(std::move(frames))->record();
}

}  // namespace devengine::script_values
