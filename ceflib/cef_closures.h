// Closures in place of handler objects: the visitor, listener and callback
// handler bases the engine calls back, and the TCefFast adapters that carry a
// closure. An adapter holds its closure, and so everything the closure
// captured, for as long as the engine holds the adapter.
#pragma once

#include <functional>

#include "cef_forward.h"

using TCefStringVisitorProc = std::function<void(const ustring& text)>;
using TCefDomVisitorProc = std::function<void(const TInterfacePtr<ICefDomDocument>& document)>;
using TCefDomEventListenerProc = std::function<void(const TInterfacePtr<ICefDomEvent>& event)>;
// Date-times are local, in days since 30 December 1899; `deleteCookie` starts
// false. Answers whether to go on visiting.
using TCefCookieVisitorProc = std::function<bool(
    const ustring& name, const ustring& value, const ustring& domain, const ustring& path,
    bool secure, bool httponly, bool hasExpires, double creation, double lastAccess, double expires,
    int count, int total, bool& deleteCookie)>;
using TCefRunFileDialogCallbackProc = std::function<void(
    const TInterfacePtr<ICefBrowserHost>& browserHost, const TStringList& filePaths)>;

// ---- Handler faces and bases --------------------------------------------------

class ICefStringVisitor : public virtual ICefBase {
 public:
  virtual void Visit(const ustring& text) = 0;
};
class ICefDomVisitor : public virtual ICefBase {
 public:
  virtual void Visit(const TInterfacePtr<ICefDomDocument>& document) = 0;
};
class ICefDomEventListener : public virtual ICefBase {
 public:
  virtual void HandleEvent(const TInterfacePtr<ICefDomEvent>& event) = 0;
};
class ICefCookieVisitor : public virtual ICefBase {
 public:
  virtual bool Visit(const ustring& name, const ustring& value, const ustring& domain,
                     const ustring& path, bool secure, bool httponly, bool hasExpires,
                     double creation, double lastAccess, double expires, int count, int total,
                     bool& deleteCookie) = 0;
};
class ICefRunFileDialogCallback : public virtual ICefBase {
 public:
  virtual void Cont(const TInterfacePtr<ICefBrowserHost>& browserHost,
                    const TStringList& filePaths) = 0;
};

class TCefStringVisitorOwn : public TCefBaseOwn, public ICefStringVisitor {
 public:
  TCefStringVisitorOwn();
  void Visit(const ustring& text) override;
};
class TCefDomVisitorOwn : public TCefBaseOwn, public ICefDomVisitor {
 public:
  TCefDomVisitorOwn();
  void Visit(const TInterfacePtr<ICefDomDocument>& document) override;
};
class TCefDomEventListenerOwn : public TCefBaseOwn, public ICefDomEventListener {
 public:
  TCefDomEventListenerOwn();
  void HandleEvent(const TInterfacePtr<ICefDomEvent>& event) override;
};
class TCefCookieVisitorOwn : public TCefBaseOwn, public ICefCookieVisitor {
 public:
  TCefCookieVisitorOwn();
  // Answers true: go on visiting.
  bool Visit(const ustring& name, const ustring& value, const ustring& domain, const ustring& path,
             bool secure, bool httponly, bool hasExpires, double creation, double lastAccess,
             double expires, int count, int total, bool& deleteCookie) override;
};
class TCefRunFileDialogCallbackOwn : public TCefBaseOwn, public ICefRunFileDialogCallback {
 public:
  TCefRunFileDialogCallbackOwn();
  void Cont(const TInterfacePtr<ICefBrowserHost>& browserHost,
            const TStringList& filePaths) override;
};

// ---- Adapters -------------------------------------------------------------------

class TCefFastStringVisitor : public TCefStringVisitorOwn {
 public:
  explicit TCefFastStringVisitor(TCefStringVisitorProc callback);
  void Visit(const ustring& text) override;

 private:
  TCefStringVisitorProc FVisit;
};
class TCefFastDomVisitor : public TCefDomVisitorOwn {
 public:
  explicit TCefFastDomVisitor(TCefDomVisitorProc proc);
  void Visit(const TInterfacePtr<ICefDomDocument>& document) override;

 private:
  TCefDomVisitorProc FProc;
};
class TCefFastDomEventListener : public TCefDomEventListenerOwn {
 public:
  explicit TCefFastDomEventListener(TCefDomEventListenerProc proc);
  void HandleEvent(const TInterfacePtr<ICefDomEvent>& event) override;

 private:
  TCefDomEventListenerProc FProc;
};
class TCefFastCookieVisitor : public TCefCookieVisitorOwn {
 public:
  explicit TCefFastCookieVisitor(TCefCookieVisitorProc visitor);
  bool Visit(const ustring& name, const ustring& value, const ustring& domain, const ustring& path,
             bool secure, bool httponly, bool hasExpires, double creation, double lastAccess,
             double expires, int count, int total, bool& deleteCookie) override;

 private:
  TCefCookieVisitorProc FVisitor;
};
class TCefFastRunFileDialogCallback : public TCefRunFileDialogCallbackOwn {
 public:
  explicit TCefFastRunFileDialogCallback(TCefRunFileDialogCallbackProc callback);
  void Cont(const TInterfacePtr<ICefBrowserHost>& browserHost,
            const TStringList& filePaths) override;

 private:
  TCefRunFileDialogCallbackProc FCallback;
};
