#include "own_dialogs.h"

#include <commdlg.h>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "engine_texts.h"
#include "test_hooks.h"
#include "trace.h"
#include "utf.h"
#include "winhandle.h"

namespace devengine::browser {
namespace {

using renderer::DialogKind;
using renderer::messages::DialogAnswer;

constexpr int kMessageId = 100;
constexpr int kEditId = 101;
constexpr std::wstring_view kAcceptWord = L"accept";

// One control of an in-memory dialog template, in dialog units.
struct Control {
  DWORD style;
  short x, y, width, height;
  WORD id;
  WORD classAtom;  // 0x0080 button, 0x0081 edit, 0x0082 static
  std::wstring_view text;
};

// A dialog template built in memory: DLGTEMPLATE, the font, then each
// DLGITEMTEMPLATE on a DWORD boundary.
class DialogTemplate {
 public:
  DialogTemplate(short width, short height, std::wstring_view title, std::size_t controls) {
    Put(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    Put(0);  // extended style
    words_.push_back(static_cast<WORD>(controls));
    for (short value : {short{0}, short{0}, width, height}) words_.push_back(value);
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the standard class
    Text(title);
    words_.push_back(8);
    Text(L"MS Shell Dlg");
  }

  void Add(const Control& control) {
    if (words_.size() % 2 != 0) words_.push_back(0);
    Put(control.style | WS_CHILD | WS_VISIBLE);
    Put(0);
    for (short value : {control.x, control.y, control.width, control.height})
      words_.push_back(static_cast<WORD>(value));
    words_.push_back(control.id);
    words_.push_back(0xFFFF);
    words_.push_back(control.classAtom);
    Text(control.text);
    words_.push_back(0);  // no creation data
  }

  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Put(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
  }
  void Text(std::wstring_view text) {
    words_.insert(words_.end(), text.begin(), text.end());
    words_.push_back(0);
  }

  std::vector<WORD> words_;
};

struct DialogState {
  std::wstring_view message;
  std::wstring_view defaultText;
  bool hasEdit;
  std::wstring entered;
};

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      const auto& state = *reinterpret_cast<DialogState*>(lParam);
      SetDlgItemTextW(dialog, kMessageId, std::wstring(state.message).c_str());
      if (state.hasEdit) SetDlgItemTextW(dialog, kEditId, std::wstring(state.defaultText).c_str());
      return TRUE;
    }
    case WM_COMMAND: {
      const WORD command = LOWORD(wParam);
      if (command != IDOK && command != IDCANCEL) return FALSE;
      auto& state = *reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
      if (command == IDOK && state.hasEdit) {
        const HWND edit = GetDlgItem(dialog, kEditId);
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
        state.entered = std::move(text);
      }
      EndDialog(dialog, command == IDOK ? 1 : 0);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

// The caption and button texts of a message dialog, in the engine's
// language; `cancel` is empty for a dialog without that button.
struct DialogTexts {
  std::wstring title;
  std::wstring accept;
  std::wstring cancel;
};

DialogTexts TextsOf(DialogKind kind) {
  if (kind == DialogKind::kBeforeUnload) {
    return {LocalText(EngineText::kLeaveTitle), LocalText(EngineText::kLeave),
            LocalText(EngineText::kStay)};
  }
  return {LocalText(EngineText::kPageSaysTitle), LocalText(EngineText::kOk),
          kind == DialogKind::kAlert ? std::wstring() : LocalText(EngineText::kCancel)};
}

DialogAnswer ShowMessageDialog(HWND owner, DialogKind kind, const DialogTexts& texts,
                               const std::wstring& message, const std::wstring& defaultText) {
  const bool hasEdit = kind == DialogKind::kPrompt;
  const bool hasCancel = !texts.cancel.empty();
  const short buttonsAt = hasEdit ? 78 : 58;
  DialogTemplate layout(260, static_cast<short>(buttonsAt + 21), texts.title,
                        2 + (hasEdit ? 1 : 0) + (hasCancel ? 1 : 0));
  layout.Add({SS_LEFT | SS_NOPREFIX, 7, 7, 246, 44, kMessageId, 0x0082, L""});
  if (hasEdit)
    layout.Add({WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 7, 56, 246, 14, kEditId, 0x0081, L""});
  const short okAt = hasCancel ? 148 : 203;
  layout.Add({BS_DEFPUSHBUTTON | WS_TABSTOP, okAt, buttonsAt, 50, 14, IDOK, 0x0080, texts.accept});
  if (hasCancel)
    layout.Add(
        {BS_PUSHBUTTON | WS_TABSTOP, 203, buttonsAt, 50, 14, IDCANCEL, 0x0080, texts.cancel});
  DialogState state{message, defaultText, hasEdit, {}};
  const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), layout.get(), owner,
                                                 &DialogProc, reinterpret_cast<LPARAM>(&state));
  return {0, result == 1, std::move(state.entered)};
}

DialogAnswer ShowPrintDialog(HWND owner) {
  PRINTDLGW print{};
  print.lStructSize = sizeof print;
  print.hwndOwner = owner;
  print.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS;
  const bool accepted = PrintDlgW(&print) != FALSE;
  // The page itself is not printed yet: the dialog's choices go unused.
  const TMemoryDcHandle printer(print.hDC);
  const TGlobalHandle devMode(print.hDevMode);
  const TGlobalHandle devNames(print.hDevNames);
  return {0, accepted, {}};
}

DialogAnswer AnswerOfTest(std::wstring_view words, const std::wstring& defaultText) {
  if (words == kAcceptWord) return {0, true, defaultText};
  if (words.starts_with(kAcceptWord) && words.size() > kAcceptWord.size() &&
      words[kAcceptWord.size()] == L':')
    return {0, true, std::wstring(words.substr(kAcceptWord.size() + 1))};
  return {0, false, {}};
}

}  // namespace

DialogAnswer ShowOwnDialog(HWND owner, DialogKind kind, const std::wstring& message,
                           const std::wstring& defaultText) {
  TraceLine asked("dialog");
  asked.Add("kind", renderer::NameOf(kind))
      .AddQuoted("message", Utf16ToUtf8(message))
      .AddQuoted("default", Utf16ToUtf8(defaultText));
  const bool printing = kind == DialogKind::kPrint;
  const DialogTexts texts = printing ? DialogTexts() : TextsOf(kind);
  if (!printing) {
    asked.AddQuoted("title", Utf16ToUtf8(texts.title))
        .AddQuoted("accept_button", Utf16ToUtf8(texts.accept))
        .AddQuoted("cancel_button", Utf16ToUtf8(texts.cancel));
  }
  const HWND top = owner != nullptr ? GetAncestor(owner, GA_ROOT) : nullptr;
  const std::optional<std::wstring> byTest = DialogAnswerByTest();
  DialogAnswer answer = byTest     ? AnswerOfTest(*byTest, defaultText)
                        : printing ? ShowPrintDialog(top)
                                   : ShowMessageDialog(top, kind, texts, message, defaultText);
  asked.Add("answer", answer.success ? "accept" : "cancel").Write();
  return answer;
}

}  // namespace devengine::browser
