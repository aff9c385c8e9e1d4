#include "kit/accessible.h"

#include <commctrl.h>
#include <oleacc.h>

#include "kit/controls.h"
#include "platform/win32/text_encoding.h"

namespace kest {

namespace {

constexpr UINT_PTR kSubclassId = 0x4B41;  // "KA"
// The control's facts, found again by a later call (the x86_64 import library of comctl32 has no
// GetWindowSubclass).
constexpr const char* kFactsProperty = "Kest accessible";
constexpr const wchar_t* kSelectedMark = L", selected";

struct AccessibleFacts {
  std::wstring name;
  bool selected = false;
};

AccessibleFacts* KnownFacts(HWND control) { return static_cast<AccessibleFacts*>(GetPropA(control, kFactsProperty)); }

// The accessible object of a control with its name (and a page label's state) as they are when
// asked, while the control lives. Everything else is the object's own.
class NamedAccessible final : public IAccessible {
 public:
  NamedAccessible(IAccessible* inner, HWND control) : inner_(inner), control_(control) {}
  NamedAccessible(const NamedAccessible&) = delete;
  NamedAccessible& operator=(const NamedAccessible&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    const AccessibleFacts* facts = KnownFacts(control_);
    if (!IsSelf(child) || !facts) return inner_->get_accName(child, name);
    const std::wstring text = facts->selected ? facts->name + kSelectedMark : facts->name;
    *name = SysAllocString(text.c_str());
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    HRESULT hr = inner_->get_accState(child, state);
    const AccessibleFacts* facts = KnownFacts(control_);
    if (SUCCEEDED(hr) && IsSelf(child) && facts && facts->selected && state->vt == VT_I4)
      state->lVal |= STATE_SYSTEM_SELECTED | STATE_SYSTEM_PRESSED;
    return hr;
  }

  // The rest as the system answers it.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return inner_->GetTypeInfoCount(n); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override { return inner_->GetTypeInfo(i, l, t); }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l, DISPID* d) override {
    return inner_->GetIDsOfNames(r, n, c, l, d);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID d, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v, EXCEPINFO* e,
                                   UINT* a) override {
    return inner_->Invoke(d, r, l, f, p, v, e, a);
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** p) override { return inner_->get_accParent(p); }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* n) override { return inner_->get_accChildCount(n); }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT c, IDispatch** p) override { return inner_->get_accChild(c, p); }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT c, BSTR* v) override { return inner_->get_accValue(c, v); }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT c, BSTR* d) override { return inner_->get_accDescription(c, d); }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT c, VARIANT* r) override { return inner_->get_accRole(c, r); }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT c, BSTR* h) override { return inner_->get_accHelp(c, h); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* f, VARIANT c, long* t) override {
    return inner_->get_accHelpTopic(f, c, t);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT c, BSTR* k) override {
    return inner_->get_accKeyboardShortcut(c, k);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* c) override { return inner_->get_accFocus(c); }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* c) override { return inner_->get_accSelection(c); }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT c, BSTR* a) override {
    return inner_->get_accDefaultAction(c, a);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long f, VARIANT c) override { return inner_->accSelect(f, c); }
  HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT c) override {
    return inner_->accLocation(x, y, w, h, c);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long d, VARIANT s, VARIANT* e) override { return inner_->accNavigate(d, s, e); }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* c) override { return inner_->accHitTest(x, y, c); }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT c) override { return inner_->accDoDefaultAction(c); }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT c, BSTR n) override { return inner_->put_accName(c, n); }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT c, BSTR v) override { return inner_->put_accValue(c, v); }

 private:
  ~NamedAccessible() { inner_->Release(); }
  static bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

  LONG refs_ = 1;
  IAccessible* inner_;
  HWND control_;
};

LRESULT CALLBACK AccessibleProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto* facts = reinterpret_cast<AccessibleFacts*>(data);
  if (message == WM_NCDESTROY) {
    RemovePropA(control, kFactsProperty);
    RemoveWindowSubclass(control, &AccessibleProc, kSubclassId);
    delete facts;
  } else if (message == WM_GETOBJECT && static_cast<LONG>(static_cast<DWORD>(lParam)) == OBJID_CLIENT) {
    // The control's own object where it has one (a rich edit may), the system's otherwise. Without
    // COM on this thread (a question asked before the start has finished) it goes out unnamed.
    IAccessible* inner = nullptr;
    const LRESULT own = DefSubclassProc(control, message, wParam, lParam);
    if (own > 0 && FAILED(ObjectFromLresult(own, __uuidof(IAccessible), wParam, reinterpret_cast<void**>(&inner))))
      return own;
    if (inner || SUCCEEDED(CreateStdAccessibleObject(control, OBJID_CLIENT, __uuidof(IAccessible),
                                                     reinterpret_cast<void**>(&inner)))) {
      auto* named = new NamedAccessible(inner, control);
      const LRESULT result = LresultFromObject(__uuidof(IAccessible), wParam, named);
      named->Release();
      if (result > 0) return result;
    }
    return 0;
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

AccessibleFacts* FactsOf(HWND control) {
  if (AccessibleFacts* known = KnownFacts(control)) return known;
  auto* facts = new AccessibleFacts{win32::Utf8ToWide(WindowTextOf(control))};
  if (!SetWindowSubclass(control, &AccessibleProc, kSubclassId, reinterpret_cast<DWORD_PTR>(facts))) {
    delete facts;
    return nullptr;
  }
  SetPropA(control, kFactsProperty, facts);
  return facts;
}

}  // namespace

void SetAccessibleName(HWND control, const std::string& name) {
  if (AccessibleFacts* facts = control ? FactsOf(control) : nullptr) facts->name = win32::Utf8ToWide(name);
}

void SetAccessibleSelected(HWND control, bool selected) {
  if (AccessibleFacts* facts = control ? FactsOf(control) : nullptr) facts->selected = selected;
}

}  // namespace kest
