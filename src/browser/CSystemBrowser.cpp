#include "browser/CSystemBrowser.h"

#include "base/Log.h"
#include "base/Text.h"
#include "browser/ProcessAudio.h"

#include <exdispid.h>
#include <mshtmhst.h>
#include <mshtml.h>
#include <urlmon.h>
#include <ocidl.h>

#include <vector>

namespace velm {
namespace {

// An owned BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::string& utf8) : b_(::SysAllocString(Widen(utf8).c_str())) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { ::SysFreeString(b_); }
    BSTR get() const noexcept { return b_; }
    BSTR* put() noexcept {
        ::SysFreeString(b_);
        b_ = nullptr;
        return &b_;
    }
    std::string Utf8() const { return b_ ? Narrow(std::wstring_view(b_, ::SysStringLen(b_))) : ""; }

private:
    BSTR b_ = nullptr;
};

// An owned VARIANT.
class Variant {
public:
    Variant() { ::VariantInit(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { ::VariantClear(&v_); }
    VARIANT* get() noexcept { return &v_; }

private:
    VARIANT v_;
};

// The value a VARIANT argument carries, through one level of reference.
const VARIANT* Deref(const VARIANT* v) {
    while (v && V_VT(v) == (VT_BYREF | VT_VARIANT)) {
        v = V_VARIANTREF(v);
    }
    return v;
}
std::string VariantText(const VARIANT* v) {
    v = Deref(v);
    if (v && V_VT(v) == VT_BSTR && V_BSTR(v)) {
        return Narrow(std::wstring_view(V_BSTR(v), ::SysStringLen(V_BSTR(v))));
    }
    if (v && V_VT(v) == (VT_BYREF | VT_BSTR) && V_BSTRREF(v) && *V_BSTRREF(v)) {
        return Narrow(*V_BSTRREF(v));
    }
    return {};
}
long VariantLong(const VARIANT* v) {
    v = Deref(v);
    if (!v) {
        return 0;
    }
    switch (V_VT(v)) {
    case VT_I4:
        return V_I4(v);
    case VT_BYREF | VT_I4:
        return V_I4REF(v) ? *V_I4REF(v) : 0;
    case VT_UI4:
        return static_cast<long>(V_UI4(v));
    default:
        return 0;
    }
}

// The property of an automation object, by name, read or written.
HRESULT DispatchProperty(IDispatch* object, const std::string& name, WORD flags, VARIANT* value) {
    std::wstring wide = Widen(name);
    LPOLESTR names[] = {wide.data()};
    DISPID id = 0;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) {
        return hr;
    }
    DISPPARAMS params{};
    DISPID put = DISPID_PROPERTYPUT;
    if (flags == DISPATCH_PROPERTYPUT) {
        params.cArgs = 1;
        params.rgvarg = value;
        params.cNamedArgs = 1;
        params.rgdispidNamedArgs = &put;
        return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, nullptr, nullptr,
                              nullptr);
    }
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, value, nullptr,
                          nullptr);
}

} // namespace

// The control's container: client site, in-place site and frame, and document host UI handler.
// Its owner pointer is cleared when the browser goes, while the control may still hold the site.
class CSystemBrowser::Site final : public IOleClientSite,
                                   public IOleInPlaceSite,
                                   public IOleInPlaceFrame,
                                   public IDocHostUIHandler {
public:
    explicit Site(CSystemBrowser* owner) : owner_(owner) {}
    void Detach() noexcept { owner_ = nullptr; }
    const ComPtr<IOleInPlaceActiveObject>& Active() const noexcept { return active_; }
    // The control is going: its active object must not outlive it here.
    void DropActiveObject() noexcept { active_.reset(); }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
            *out = static_cast<IOleClientSite*>(this);
        } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
            *out = static_cast<IOleInPlaceSite*>(this);
        } else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) {
            *out = static_cast<IOleInPlaceFrame*>(this);
        } else if (iid == __uuidof(IDocHostUIHandler)) {
            *out = static_cast<IDocHostUIHandler*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        long n = --refs_;
        if (n == 0) {
            delete this;
        }
        return static_cast<ULONG>(n);
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
        if (out) {
            *out = nullptr;
        }
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** out) override {
        if (out) {
            *out = nullptr;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(WINBOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = owner_ ? owner_->parent_ : nullptr;
        return *out ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(WINBOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return owner_ ? S_OK : S_FALSE; }
    STDMETHODIMP OnInPlaceActivate() override {
        if (owner_) {
            owner_->inPlaceActive_ = true;
        }
        return S_OK;
    }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
        if (!frame || !doc || !pos || !clip || !info) {
            return E_POINTER;
        }
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *doc = nullptr;
        RECT place = owner_ ? owner_->place_ : RECT{};
        *pos = place;
        *clip = place;
        info->fMDIApp = FALSE;
        info->hwndFrame = owner_ ? owner_->parent_ : nullptr;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(WINBOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override {
        if (owner_) {
            owner_->inPlaceActive_ = false;
        }
        return S_OK;
    }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow, IOleInPlaceFrame
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override {
        // Kept so the message loop can give it the keys (Tab, Enter, the editing keys).
        if (object) {
            object->AddRef();
        }
        active_ = ComPtr<IOleInPlaceActiveObject>::Attach(object);
        return S_OK;
    }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(WINBOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDocHostUIHandler
    STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override {
        // S_OK: the host handled the menu, so the page shows none.
        return owner_ && owner_->suppressMenu_ ? S_OK : S_FALSE;
    }
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override {
        if (!info) {
            return E_POINTER;
        }
        // The control's own borders and look, with pages scaled to the display's DPI (our
        // windows are per-monitor aware, so nothing else would scale them).
        info->dwFlags = DOCHOSTUIFLAG_DPI_AWARE;
        info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
        return S_OK;
    }
    STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                        IOleInPlaceUIWindow*) override {
        return S_FALSE;
    }
    STDMETHODIMP HideUI() override { return S_OK; }
    STDMETHODIMP UpdateUI() override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(WINBOOL) override { return S_OK; }
    STDMETHODIMP OnFrameWindowActivate(WINBOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, WINBOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override {
        if (key) {
            *key = nullptr;
        }
        return E_NOTIMPL;
    }
    STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget** out) override {
        if (out) {
            *out = nullptr;
        }
        return E_NOTIMPL;
    }
    STDMETHODIMP GetExternal(IDispatch** out) override {
        if (out) {
            *out = nullptr;
        }
        return S_FALSE;
    }
    STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override {
        if (out) {
            *out = nullptr;
        }
        return S_FALSE;
    }
    STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** out) override {
        if (out) {
            *out = nullptr;
        }
        return S_FALSE;
    }

private:
    ~Site() = default;
    CSystemBrowser* owner_;
    ComPtr<IOleInPlaceActiveObject> active_;
    long refs_ = 1;
};

// The DWebBrowserEvents2 sink on the control's connection point.
class CSystemBrowser::Sink final : public IDispatch {
public:
    explicit Sink(CSystemBrowser* owner) : owner_(owner) {}
    void Detach() noexcept { owner_ = nullptr; }
    // True while an event is being delivered, when the control is in the middle of a call.
    bool InEvent() const noexcept { return depth_ > 0; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        long n = --refs_;
        if (n == 0) {
            delete this;
        }
        return static_cast<ULONG>(n);
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count) {
            *count = 0;
        }
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        if (out) {
            *out = nullptr;
        }
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        // A handler may unadvise and release this sink; it stays alive to the end of the call.
        AddRef();
        ++depth_;
        try {
            if (owner_ && params) {
                owner_->OnEvent(id, params);
            }
        } catch (...) {
            LogCaught("CSystemBrowser: event handler, dispatch id " + std::to_string(id));
        }
        --depth_;
        Release();
        return S_OK;
    }

private:
    ~Sink() = default;
    CSystemBrowser* owner_;
    long refs_ = 1;
    int depth_ = 0;
};

// What a browser leaves to release: the control and our objects around it. Released at once, or,
// when the browser goes inside one of the control's own events, once that event has returned.
struct CSystemBrowser::Remains {
    ComPtr<IOleObject> object;
    ComPtr<IWebBrowser2> browser;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    ComPtr<Site> site;
    ComPtr<Sink> sink;

    ~Remains() {
        if (point && cookie) {
            point->Unadvise(cookie);
        }
        point.reset();
        if (object) {
            if (auto inPlace = object.As<IOleInPlaceObject>(IID_IOleInPlaceObject)) {
                inPlace->InPlaceDeactivate();
            }
            object->Close(OLECLOSE_NOSAVE);
            object->SetClientSite(nullptr);
        }
        if (site) {
            site->DropActiveObject();
        }
        browser.reset();
        object.reset();
        sink.reset();
        site.reset();
    }
};

namespace {
std::vector<std::unique_ptr<CSystemBrowser::Remains>> g_remains;
UINT_PTR g_remainsTimer = 0;

void CALLBACK ReleaseRemains(HWND, UINT, UINT_PTR, DWORD) {
    CSystemBrowser::ReleasePending();
}
} // namespace

size_t CSystemBrowser::PendingReleases() noexcept {
    return g_remains.size();
}

void CSystemBrowser::ReleasePending() noexcept {
    if (g_remainsTimer) {
        ::KillTimer(nullptr, g_remainsTimer);
        g_remainsTimer = 0;
    }
    // Releasing a control may run its events, which may leave more to release.
    while (!g_remains.empty()) {
        auto remains = std::move(g_remains);
        g_remains.clear();
        remains.clear();
    }
}

std::wstring CSystemBrowser::EnsureModernDocumentMode() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring full(path, n < MAX_PATH ? n : 0);
    std::wstring name = full.substr(full.find_last_of(L"\\/") + 1);
    if (name.empty()) {
        return {};
    }
    UniqueRegistryKey key;
    HKEY raw = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER,
                          L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\"
                          L"FEATURE_BROWSER_EMULATION",
                          0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr) != ERROR_SUCCESS) {
        return {};
    }
    key.reset(raw);
    DWORD mode = kEmulationMode;
    ::RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mode),
                     sizeof(mode));
    return name;
}

void CSystemBrowser::EnableProcessLockdowns() {
    // The lockdowns Internet Explorer turns on for itself, for this process only (the player's
    // registry is left alone): pages in the client's window get no local-machine rights, cannot
    // climb to a more trusted zone, have their content type taken from the server, open no
    // unrestricted windows, and start no file download or ActiveX install on their own.
    for (INTERNETFEATURELIST feature :
         {FEATURE_LOCALMACHINE_LOCKDOWN, FEATURE_ZONE_ELEVATION, FEATURE_MIME_SNIFFING,
          FEATURE_MIME_HANDLING, FEATURE_WINDOW_RESTRICTIONS, FEATURE_RESTRICT_FILEDOWNLOAD,
          FEATURE_RESTRICT_ACTIVEXINSTALL}) {
        HRESULT hr = ::CoInternetSetFeatureEnabled(feature, SET_FEATURE_ON_PROCESS, TRUE);
        if (FAILED(hr)) {
            LogCallFailed("CoInternetSetFeatureEnabled " + std::to_string(feature), hr);
        }
    }
}

std::unique_ptr<IBrowser> CSystemBrowser::Create(HWND parent, const RECT& place) {
    static const bool modeSet = !EnsureModernDocumentMode().empty();
    (void)modeSet;
    static const bool lockedDown = (EnableProcessLockdowns(), true);
    (void)lockedDown;
    std::unique_ptr<CSystemBrowser> self(new CSystemBrowser());
    self->parent_ = parent;
    self->place_ = place;
    self->site_ = ComPtr<Site>::Attach(new Site(self.get()));
    self->sink_ = ComPtr<Sink>::Attach(new Sink(self.get()));
    HRESULT hr = ::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                    self->object_.put_void());
    if (FAILED(hr)) {
        LogCallFailed("CSystemBrowser::Create: CoCreateInstance(CLSID_WebBrowser)", hr);
        return nullptr;
    }
    IOleClientSite* site = static_cast<IOleClientSite*>(self->site_.get());
    self->object_->SetClientSite(site);
    ::OleSetContainedObject(self->object_.get(), TRUE);
    RECT r = place;
    hr = self->object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, parent, &r);
    if (FAILED(hr)) {
        LogCallFailed("CSystemBrowser::Create: IOleObject::DoVerb(OLEIVERB_INPLACEACTIVATE)", hr);
        return nullptr;
    }
    self->browser_ = self->object_.As<IWebBrowser2>(__uuidof(IWebBrowser2));
    if (!self->browser_) {
        LogError("CSystemBrowser::Create: the control offers no IWebBrowser2");
        return nullptr;
    }
    auto container = self->object_.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
    if (container &&
        SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, self->point_.put()))) {
        if (FAILED(
                self->point_->Advise(static_cast<IDispatch*>(self->sink_.get()), &self->cookie_))) {
            self->cookie_ = 0;
        }
    }
    return self;
}

CSystemBrowser::~CSystemBrowser() {
    *alive_ = false;
    if (sink_) {
        sink_->Detach();
    }
    if (site_) {
        site_->Detach();
    }
    bool inEvent = sink_ && sink_->InEvent();
    auto remains = std::make_unique<Remains>();
    remains->object = std::move(object_);
    remains->browser = std::move(browser_);
    remains->point = std::move(point_);
    remains->cookie = cookie_;
    remains->site = std::move(site_);
    remains->sink = std::move(sink_);
    if (!inEvent) {
        return; // released here
    }
    // The control is still inside the call that raised the event: closing it now would pull
    // it down under its own feet.
    if (HWND control = hWndOf(remains->object.get())) {
        ::ShowWindow(control, SW_HIDE);
    }
    g_remains.push_back(std::move(remains));
    if (!g_remainsTimer) {
        g_remainsTimer = ::SetTimer(nullptr, 0, 0, &ReleaseRemains);
    }
}

HWND CSystemBrowser::hWndOf(IOleObject* object) {
    HWND hwnd = nullptr;
    ComPtr<IOleInPlaceObject> inPlace;
    if (object && SUCCEEDED(object->QueryInterface(IID_IOleInPlaceObject, inPlace.put_void()))) {
        inPlace->GetWindow(&hwnd);
    }
    return hwnd;
}

void CSystemBrowser::Focus() {
    if (!object_) {
        return;
    }
    RECT r = place_;
    HRESULT hr = object_->DoVerb(OLEIVERB_UIACTIVATE, nullptr,
                                 static_cast<IOleClientSite*>(site_.get()), 0, parent_, &r);
    if (FAILED(hr)) {
        LogCallFailed("CSystemBrowser::Focus: IOleObject::DoVerb(OLEIVERB_UIACTIVATE)", hr);
    }
}

bool CSystemBrowser::TranslateAccelerator(MSG& msg) {
    // Held here: the key may make the page close this browser before the call returns.
    ComPtr<IOleInPlaceActiveObject> active = site_ ? site_->Active() : nullptr;
    return active && active->TranslateAccelerator(&msg) == S_OK;
}

HWND CSystemBrowser::hWnd() const {
    return hWndOf(object_.get());
}

void CSystemBrowser::Move(int left, int top, int width, int height) {
    place_ = RECT{left, top, left + width, top + height};
    if (object_) {
        if (auto inPlace = object_.As<IOleInPlaceObject>(IID_IOleInPlaceObject)) {
            inPlace->SetObjectRects(&place_, &place_);
        }
    }
}

void CSystemBrowser::Navigate(const std::string& url) {
    if (!browser_) {
        return;
    }
    Bstr address(url);
    Variant empty;
    browser_->Navigate(address.get(), empty.get(), empty.get(), empty.get(), empty.get());
}

void CSystemBrowser::SetZoom(int percent) {
    if (!browser_) {
        return;
    }
    VARIANT in;
    ::VariantInit(&in);
    in.vt = VT_I4;
    in.lVal = percent;
    const HRESULT hr =
        browser_->ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &in, nullptr);
    if (FAILED(hr)) {
        LogCallFailed("CSystemBrowser.SetZoom: ExecWB(OLECMDID_OPTICAL_ZOOM)",
                      static_cast<unsigned long>(hr));
    }
}

void CSystemBrowser::SetMuted(bool muted) {
    SetProcessAudioMuted(muted);
}

void CSystemBrowser::Refresh() {
    if (browser_) {
        browser_->Refresh();
    }
}

void CSystemBrowser::ShowHtml(const std::string& html) {
    if (!browser_) {
        return;
    }
    pendingHtml_ = html;
    Navigate("about:blank");
}

namespace {
ComPtr<IHTMLElement> RootElement(IWebBrowser2* browser) {
    ComPtr<IDispatch> document;
    if (!browser || FAILED(browser->get_Document(document.put())) || !document) {
        return {};
    }
    auto doc3 = document.As<IHTMLDocument3>(__uuidof(IHTMLDocument3));
    ComPtr<IHTMLElement> root;
    if (!doc3 || FAILED(doc3->get_documentElement(root.put()))) {
        return {};
    }
    return root;
}
} // namespace

namespace {
// Writes a whole page into the control's (blank) document: the control's own way to show a page
// it has not fetched.
void WriteDocument(IWebBrowser2* browser, const std::string& html) {
    ComPtr<IDispatch> document;
    HRESULT hr = browser ? browser->get_Document(document.put()) : E_POINTER;
    if (FAILED(hr) || !document) {
        LogCallFailed("CSystemBrowser.ShowHtml: IWebBrowser2::get_Document",
                      static_cast<unsigned long>(FAILED(hr) ? hr : E_POINTER));
        return;
    }
    auto doc2 = document.As<IHTMLDocument2>(__uuidof(IHTMLDocument2));
    SAFEARRAY* lines = ::SafeArrayCreateVector(VT_VARIANT, 0, 1);
    if (!doc2 || !lines) {
        LogCallFailed("CSystemBrowser.ShowHtml: SafeArrayCreateVector", E_OUTOFMEMORY);
        if (lines) {
            ::SafeArrayDestroy(lines);
        }
        return;
    }
    VARIANT* line = nullptr;
    hr = ::SafeArrayAccessData(lines, reinterpret_cast<void**>(&line));
    if (SUCCEEDED(hr)) {
        line->vt = VT_BSTR;
        line->bstrVal = ::SysAllocString(Widen(html).c_str());
        ::SafeArrayUnaccessData(lines);
        hr = doc2->write(lines);
        if (FAILED(hr)) {
            LogCallFailed("CSystemBrowser.ShowHtml: IHTMLDocument2::write",
                          static_cast<unsigned long>(hr));
        }
        doc2->close();
    }
    ::SafeArrayDestroy(lines); // frees the string too
}
} // namespace

std::string CSystemBrowser::DocumentUrl() const {
    ComPtr<IDispatch> document;
    if (!browser_ || FAILED(browser_->get_Document(document.put())) || !document) {
        return {};
    }
    auto doc2 = document.As<IHTMLDocument2>(__uuidof(IHTMLDocument2));
    Bstr url;
    if (!doc2 || FAILED(doc2->get_URL(url.put()))) {
        return {};
    }
    return url.Utf8();
}

std::string CSystemBrowser::RootInnerHtml() const {
    ComPtr<IHTMLElement> root = RootElement(browser_.get());
    Bstr html;
    if (!root || FAILED(root->get_innerHTML(html.put()))) {
        return {};
    }
    return html.Utf8();
}

bool CSystemBrowser::SetRootStyle(const std::string& name, const std::string& value) {
    ComPtr<IHTMLElement> root = RootElement(browser_.get());
    ComPtr<IHTMLStyle> style;
    if (!root || FAILED(root->get_style(style.put())) || !style) {
        return false;
    }
    Variant v;
    V_VT(v.get()) = VT_BSTR;
    V_BSTR(v.get()) = ::SysAllocString(Widen(value).c_str());
    return SUCCEEDED(DispatchProperty(style.get(), name, DISPATCH_PROPERTYPUT, v.get()));
}

std::string CSystemBrowser::RootStyle(const std::string& name) const {
    ComPtr<IHTMLElement> root = RootElement(browser_.get());
    ComPtr<IHTMLStyle> style;
    if (!root || FAILED(root->get_style(style.put())) || !style) {
        return {};
    }
    Variant v;
    if (FAILED(DispatchProperty(style.get(), name, DISPATCH_PROPERTYGET, v.get()))) {
        return {};
    }
    return VariantText(v.get());
}

bool CSystemBrowser::IsTopLevel(const VARIANT* who) const {
    who = Deref(who);
    if (!who || V_VT(who) != VT_DISPATCH || !V_DISPATCH(who) || !browser_) {
        return false;
    }
    ComPtr<IUnknown> a, b;
    V_DISPATCH(who)->QueryInterface(IID_IUnknown, a.put_void());
    browser_->QueryInterface(IID_IUnknown, b.put_void());
    return a.get() == b.get();
}

void CSystemBrowser::OnEvent(DISPID id, DISPPARAMS* params) {
    // Arguments arrive last first: argument i of n is rgvarg[n - 1 - i].
    auto arg = [params](UINT i) -> VARIANT* {
        return i < params->cArgs ? &params->rgvarg[params->cArgs - 1 - i] : nullptr;
    };
    switch (id) {
    case DISPID_BEFORENAVIGATE2: {
        if (params->cArgs < 7) {
            return;
        }
        bool cancel = false;
        if (auto handler = events.BeforeNavigate2) {
            handler(VariantText(arg(1)), cancel);
        }
        VARIANT* flag = arg(6);
        if (cancel && V_VT(flag) == (VT_BYREF | VT_BOOL) && V_BOOLREF(flag)) {
            *V_BOOLREF(flag) = VARIANT_TRUE;
        }
        return;
    }
    case DISPID_DOCUMENTCOMPLETE: {
        if (params->cArgs < 2) {
            return;
        }
        const bool top = IsTopLevel(arg(0));
        const std::string url = VariantText(arg(1));
        if (top && !pendingHtml_.empty() && url == "about:blank") {
            std::string html;
            html.swap(pendingHtml_);
            WriteDocument(browser_.get(), html);
        }
        if (auto handler = events.DocumentComplete) {
            handler(url, top);
        }
        return;
    }
    case DISPID_TITLECHANGE:
        if (params->cArgs >= 1) {
            if (auto handler = events.TitleChange) {
                handler(VariantText(arg(0)));
            }
        }
        return;
    case DISPID_NAVIGATEERROR:
        if (params->cArgs >= 4 && IsTopLevel(arg(0))) {
            if (auto handler = events.NavigateError) {
                handler(VariantText(arg(1)), VariantLong(arg(3)));
            }
        }
        return;
    default:
        return;
    }
}

} // namespace velm
