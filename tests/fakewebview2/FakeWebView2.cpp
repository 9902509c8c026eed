// A stand-in for the modern web runtime's EmbeddedBrowserWebView.dll, built by the tests and
// registered in the Wine prefix like an installed runtime. It implements the runtime's objects
// from our own declarations, draws each view as a plain child window, and:
// - records every call that matters as one line of text: in memory (FakeWebView2Log) and, when
//   VELM_FAKE_WEBVIEW2_LOG names a file, appended to that file;
// - raises the runtime's events on request: FakeWebView2Command("<view> <verb> <argument>"), or
//   lines appended to the file VELM_FAKE_WEBVIEW2_COMMANDS, which it reads every 100 ms;
// - fails on request: VELM_FAKE_WEBVIEW2_CREATE = "fail:<hresult>" (completion reports the
//   error), "refuse:<hresult>" (the entry point returns it), "never" (completion never comes);
//   VELM_FAKE_WEBVIEW2_CONTROLLER = "fail:<hresult>" or "delay:<ms>";
// - counts its live objects, so a test can see that the client released every one.
// Built twice: the second build (VELM_FAKE_NO_ENTRY) lacks the entry point.
#include "browser/WebView2.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

HMODULE g_module = nullptr;
int g_live = 0;
INT64 g_nextToken = 0;
UINT64 g_nextNavigation = 0;
std::string g_log;

std::string Narrow(const wchar_t* text) {
    if (!text || !*text) {
        return {};
    }
    int n = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) {
        ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    }
    return out;
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    int n = ::MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) {
        ::MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(), n);
    }
    return out;
}

std::string Env(const char* name) {
    char buffer[1024];
    DWORD n = ::GetEnvironmentVariableA(name, buffer, sizeof(buffer));
    return n > 0 && n < sizeof(buffer) ? std::string(buffer, n) : std::string();
}

void Log(const char* format, ...) {
    char line[2048];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    g_log += line;
    g_log += '\n';
    std::string path = Env("VELM_FAKE_WEBVIEW2_LOG");
    if (path.empty()) {
        return;
    }
    HANDLE file = ::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        std::string text = std::string(line) + "\r\n";
        DWORD written = 0;
        ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        ::CloseHandle(file);
    }
}

// "fail:0x80004005" -> the number after the colon.
HRESULT HresultAfterColon(const std::string& mode) {
    size_t colon = mode.find(':');
    return colon == std::string::npos
               ? E_FAIL
               : static_cast<HRESULT>(std::strtoul(mode.c_str() + colon + 1, nullptr, 0));
}

LPWSTR CoString(const std::wstring& text) {
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    auto* out = static_cast<LPWSTR>(::CoTaskMemAlloc(bytes));
    if (out) {
        std::memcpy(out, text.c_str(), bytes);
    }
    return out;
}

// An owning COM pointer.
template <class T> class Ref {
public:
    Ref() = default;
    explicit Ref(T* p, bool addRef = true) : p_(p) {
        if (p_ && addRef) {
            p_->AddRef();
        }
    }
    Ref(const Ref& other) : Ref(other.p_) {}
    Ref& operator=(const Ref& other) {
        Ref copy(other);
        std::swap(p_, copy.p_);
        return *this;
    }
    ~Ref() { Reset(); }
    void Reset() {
        if (p_) {
            std::exchange(p_, nullptr)->Release();
        }
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

template <class... Interfaces> bool AnyOf(REFIID riid) {
    return ((riid == __uuidof(Interfaces)) || ...);
}

// Reference counting and QueryInterface for one interface chain; `Answers` lists its levels.
template <class I> class Object : public I {
public:
    Object() { ++g_live; }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object() { --g_live; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = nullptr;
        if (riid != IID_IUnknown && !Answers(riid)) {
            return E_NOINTERFACE;
        }
        *out = static_cast<I*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --refs_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

protected:
    virtual bool Answers(REFIID riid) const = 0;

private:
    ULONG refs_ = 1;
};

// Work done later on the thread that created the environment, the way the runtime calls back
// while its caller pumps messages.
class Later {
public:
    static void Post(std::function<void()> work, UINT delayMs = 0) {
        HWND w = Window();
        queue().push_back({std::move(work), ::GetTickCount() + delayMs});
        if (delayMs == 0) {
            ::PostMessageW(w, WM_APP, 0, 0);
        } else {
            ::SetTimer(w, kDelayTimer, delayMs, nullptr);
        }
    }
    static void Start() { Window(); }

private:
    struct Item {
        std::function<void()> work;
        DWORD due;
    };
    static constexpr UINT_PTR kDelayTimer = 1;
    static constexpr UINT_PTR kCommandTimer = 2;
    static std::vector<Item>& queue() {
        static std::vector<Item> q;
        return q;
    }
    static HWND Window() {
        static HWND w = nullptr;
        if (!w) {
            WNDCLASSW wc{};
            wc.lpfnWndProc = &Proc;
            wc.hInstance = g_module;
            wc.lpszClassName = L"velm.fake.WebView2.Later";
            ::RegisterClassW(&wc);
            w = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  g_module, nullptr);
            if (!Env("VELM_FAKE_WEBVIEW2_COMMANDS").empty()) {
                ::SetTimer(w, kCommandTimer, 100, nullptr);
            }
        }
        return w;
    }
    static void RunDue() {
        DWORD now = ::GetTickCount();
        auto& q = queue();
        for (size_t i = 0; i < q.size();) {
            if (static_cast<LONG>(now - q[i].due) >= 0) {
                auto work = std::move(q[i].work);
                q.erase(q.begin() + static_cast<std::ptrdiff_t>(i));
                work();
                i = 0;
                now = ::GetTickCount();
            } else {
                ++i;
            }
        }
    }
    static void ReadCommands();
    static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_APP || (msg == WM_TIMER && wp == kDelayTimer)) {
            RunDue();
            return 0;
        }
        if (msg == WM_TIMER && wp == kCommandTimer) {
            ReadCommands();
            return 0;
        }
        return ::DefWindowProcW(w, msg, wp, lp);
    }
};

// The handlers of one event, held until removed or until their object goes.
template <class H> class Event {
public:
    Event(const char* name, const int* view) : name_(name), view_(view) {}
    ~Event() { Clear(); }
    HRESULT Add(H* handler, EventRegistrationToken* token) {
        if (!handler || !token) {
            return E_INVALIDARG;
        }
        token->value = ++g_nextToken;
        handlers_.push_back({token->value, Ref<H>(handler)});
        Log("v%d add_%s", *view_, name_);
        return S_OK;
    }
    HRESULT Remove(EventRegistrationToken token) {
        for (auto it = handlers_.begin(); it != handlers_.end(); ++it) {
            if (it->first == token.value) {
                handlers_.erase(it);
                Log("v%d remove_%s", *view_, name_);
                return S_OK;
            }
        }
        return S_OK;
    }
    template <class... A> void Raise(A... args) {
        auto copy = handlers_; // a handler may remove itself
        for (auto& h : copy) {
            h.second->Invoke(args...);
        }
    }
    void Clear() {
        if (!handlers_.empty()) {
            Log("v%d %s: %d handler(s) never removed", *view_, name_,
                static_cast<int>(handlers_.size()));
        }
        handlers_.clear();
    }

private:
    const char* name_;
    const int* view_;
    std::vector<std::pair<INT64, Ref<H>>> handlers_;
};

class FakeEnvironment;
class FakeController;
class FakeWebView;

// The runtime's objects by view number, for the commands. Entries go when their object goes.
struct Instance {
    int id;
    FakeController* controller;
    FakeWebView* view;
};
std::vector<Instance> g_instances;
FakeEnvironment* g_environment = nullptr;

Instance* FindInstance(int id) {
    for (auto& i : g_instances) {
        if (i.id == id || (id == 0 && &i == &g_instances.back())) {
            return &i;
        }
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
class FakeSettings : public Object<ICoreWebView2Settings> {
public:
    explicit FakeSettings(int view) : view_(view) {}
    HRESULT STDMETHODCALLTYPE get_AreDefaultContextMenusEnabled(BOOL* enabled) override {
        if (!enabled) {
            return E_POINTER;
        }
        *enabled = contextMenus_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_AreDefaultContextMenusEnabled(BOOL enabled) override {
        contextMenus_ = enabled;
        Log("v%d put_AreDefaultContextMenusEnabled %d", view_, enabled ? 1 : 0);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_IsStatusBarEnabled(BOOL enabled) override {
        Log("v%d put_IsStatusBarEnabled %d", view_, enabled ? 1 : 0);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_AreDevToolsEnabled(BOOL enabled) override {
        Log("v%d put_AreDevToolsEnabled %d", view_, enabled ? 1 : 0);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_IsZoomControlEnabled(BOOL enabled) override {
        Log("v%d put_IsZoomControlEnabled %d", view_, enabled ? 1 : 0);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_IsScriptEnabled(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_IsScriptEnabled(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_IsWebMessageEnabled(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_IsWebMessageEnabled(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_AreDefaultScriptDialogsEnabled(BOOL*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE put_AreDefaultScriptDialogsEnabled(BOOL) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_IsStatusBarEnabled(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_AreDevToolsEnabled(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_AreHostObjectsAllowed(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_AreHostObjectsAllowed(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_IsZoomControlEnabled(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_IsBuiltInErrorPageEnabled(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_IsBuiltInErrorPageEnabled(BOOL) override { return E_NOTIMPL; }

protected:
    bool Answers(REFIID riid) const override { return AnyOf<ICoreWebView2Settings>(riid); }

private:
    int view_;
    BOOL contextMenus_ = TRUE;
};

class FakeProfile : public Object<ICoreWebView2Profile2> {
public:
    FakeProfile(int view, std::wstring name, BOOL inPrivate)
        : view_(view), name_(std::move(name)), inPrivate_(inPrivate) {}
    HRESULT STDMETHODCALLTYPE get_ProfileName(LPWSTR* value) override {
        return value ? (*value = CoString(name_), S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE get_IsInPrivateModeEnabled(BOOL* value) override {
        return value ? (*value = inPrivate_, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE
    ClearBrowsingData(COREWEBVIEW2_BROWSING_DATA_KINDS kinds,
                      ICoreWebView2ClearBrowsingDataCompletedHandler* handler) override {
        Log("v%d ClearBrowsingData 0x%x profile=%s", view_, static_cast<unsigned>(kinds),
            Narrow(name_.c_str()).c_str());
        Ref<ICoreWebView2ClearBrowsingDataCompletedHandler> h(handler);
        int view = view_;
        Later::Post([h, view] {
            Log("v%d ClearBrowsingData completed", view);
            if (h) {
                h->Invoke(S_OK);
            }
        });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_ProfilePath(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_DefaultDownloadFolderPath(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_DefaultDownloadFolderPath(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE
    get_PreferredColorScheme(COREWEBVIEW2_PREFERRED_COLOR_SCHEME*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE
    put_PreferredColorScheme(COREWEBVIEW2_PREFERRED_COLOR_SCHEME) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE
    ClearBrowsingDataInTimeRange(COREWEBVIEW2_BROWSING_DATA_KINDS, double, double,
                                 ICoreWebView2ClearBrowsingDataCompletedHandler*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE
    ClearBrowsingDataAll(ICoreWebView2ClearBrowsingDataCompletedHandler*) override {
        return E_NOTIMPL;
    }

protected:
    bool Answers(REFIID riid) const override {
        return AnyOf<ICoreWebView2Profile, ICoreWebView2Profile2>(riid);
    }

private:
    int view_;
    std::wstring name_;
    BOOL inPrivate_;
};

class FakeControllerOptions : public Object<ICoreWebView2ControllerOptions> {
public:
    HRESULT STDMETHODCALLTYPE get_ProfileName(LPWSTR* value) override {
        return value ? (*value = CoString(profile), S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE put_ProfileName(LPCWSTR value) override {
        profile = value ? value : L"";
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_IsInPrivateModeEnabled(BOOL* value) override {
        return value ? (*value = inPrivate, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE put_IsInPrivateModeEnabled(BOOL value) override {
        inPrivate = value;
        return S_OK;
    }
    std::wstring profile;
    BOOL inPrivate = FALSE;

protected:
    bool Answers(REFIID riid) const override { return AnyOf<ICoreWebView2ControllerOptions>(riid); }
};

// ---------------------------------------------------------------------------------------------
class NavigationStartingArgs : public Object<ICoreWebView2NavigationStartingEventArgs> {
public:
    NavigationStartingArgs(std::wstring uri, BOOL userInitiated, UINT64 id)
        : uri_(std::move(uri)), user_(userInitiated), id_(id) {}
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) override {
        return uri ? (*uri = CoString(uri_), S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* value) override {
        return value ? (*value = user_, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE get_IsRedirected(BOOL* value) override {
        return value ? (*value = FALSE, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE get_RequestHeaders(ICoreWebView2HttpRequestHeaders**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) override {
        return cancel ? (*cancel = cancel_, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) override {
        cancel_ = cancel;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* id) override {
        return id ? (*id = id_, S_OK) : E_POINTER;
    }
    bool Cancelled() const { return cancel_ != FALSE; }

protected:
    bool Answers(REFIID riid) const override {
        return AnyOf<ICoreWebView2NavigationStartingEventArgs>(riid);
    }

private:
    std::wstring uri_;
    BOOL user_;
    UINT64 id_;
    BOOL cancel_ = FALSE;
};

class NavigationCompletedArgs : public Object<ICoreWebView2NavigationCompletedEventArgs> {
public:
    NavigationCompletedArgs(BOOL success, COREWEBVIEW2_WEB_ERROR_STATUS status, UINT64 id)
        : success_(success), status_(status), id_(id) {}
    HRESULT STDMETHODCALLTYPE get_IsSuccess(BOOL* value) override {
        return value ? (*value = success_, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE get_WebErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS* value) override {
        return value ? (*value = status_, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* id) override {
        return id ? (*id = id_, S_OK) : E_POINTER;
    }

protected:
    bool Answers(REFIID riid) const override {
        return AnyOf<ICoreWebView2NavigationCompletedEventArgs>(riid);
    }

private:
    BOOL success_;
    COREWEBVIEW2_WEB_ERROR_STATUS status_;
    UINT64 id_;
};

class AcceleratorKeyArgs : public Object<ICoreWebView2AcceleratorKeyPressedEventArgs> {
public:
    AcceleratorKeyArgs(COREWEBVIEW2_KEY_EVENT_KIND kind, UINT key) : kind_(kind), key_(key) {}
    HRESULT STDMETHODCALLTYPE get_KeyEventKind(COREWEBVIEW2_KEY_EVENT_KIND* value) override {
        return value ? (*value = kind_, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE get_VirtualKey(UINT* value) override {
        return value ? (*value = key_, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE get_KeyEventLParam(INT* value) override {
        UINT scan = ::MapVirtualKeyW(key_, 0 /* MAPVK_VK_TO_VSC */);
        bool up = kind_ == COREWEBVIEW2_KEY_EVENT_KIND_KEY_UP ||
                  kind_ == COREWEBVIEW2_KEY_EVENT_KIND_SYSTEM_KEY_UP;
        return value
                   ? (*value = static_cast<INT>(1u | (scan << 16) | (up ? 0xC0000000u : 0u)), S_OK)
                   : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE
    get_PhysicalKeyStatus(COREWEBVIEW2_PHYSICAL_KEY_STATUS* value) override {
        if (!value) {
            return E_POINTER;
        }
        *value = {};
        value->RepeatCount = 1;
        value->ScanCode = ::MapVirtualKeyW(key_, 0);
        value->IsKeyReleased = kind_ == COREWEBVIEW2_KEY_EVENT_KIND_KEY_UP ||
                               kind_ == COREWEBVIEW2_KEY_EVENT_KIND_SYSTEM_KEY_UP;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Handled(BOOL* value) override {
        return value ? (*value = handled_, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE put_Handled(BOOL value) override {
        handled_ = value;
        return S_OK;
    }
    bool Handled() const { return handled_ != FALSE; }

protected:
    bool Answers(REFIID riid) const override {
        return AnyOf<ICoreWebView2AcceleratorKeyPressedEventArgs>(riid);
    }

private:
    COREWEBVIEW2_KEY_EVENT_KIND kind_;
    UINT key_;
    BOOL handled_ = FALSE;
};

class ProcessFailedArgs : public Object<ICoreWebView2ProcessFailedEventArgs> {
public:
    explicit ProcessFailedArgs(COREWEBVIEW2_PROCESS_FAILED_KIND kind) : kind_(kind) {}
    HRESULT STDMETHODCALLTYPE get_ProcessFailedKind(COREWEBVIEW2_PROCESS_FAILED_KIND* v) override {
        return v ? (*v = kind_, S_OK) : E_POINTER;
    }

protected:
    bool Answers(REFIID riid) const override {
        return AnyOf<ICoreWebView2ProcessFailedEventArgs>(riid);
    }

private:
    COREWEBVIEW2_PROCESS_FAILED_KIND kind_;
};

// A small PNG of one colour: what the fake's view "shows" when asked for a capture.
std::string SolidPng(int width, int height, BYTE r, BYTE g, BYTE b) {
    auto crc = [](const std::string& data) {
        unsigned long c = 0xFFFFFFFFul;
        for (unsigned char ch : data) {
            c ^= ch;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320ul ^ (c >> 1) : c >> 1;
            }
        }
        return c ^ 0xFFFFFFFFul;
    };
    auto be32 = [](unsigned long v) {
        std::string s(4, '\0');
        for (int i = 0; i < 4; ++i) {
            s[i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
        }
        return s;
    };
    auto chunk = [&](const char* type, const std::string& body) {
        std::string typed = std::string(type) + body;
        return be32(body.size()) + typed + be32(crc(typed));
    };
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0';
        for (int x = 0; x < width; ++x) {
            raw += static_cast<char>(r);
            raw += static_cast<char>(g);
            raw += static_cast<char>(b);
        }
    }
    // zlib with stored blocks; small pictures only.
    std::string z = "\x78\x01";
    unsigned long a = 1, bsum = 0;
    for (unsigned char ch : raw) {
        a = (a + ch) % 65521;
        bsum = (bsum + a) % 65521;
    }
    for (size_t at = 0; at < raw.size() || at == 0;) {
        size_t n = std::min<size_t>(raw.size() - at, 65535);
        bool last = at + n >= raw.size();
        z += static_cast<char>(last ? 1 : 0);
        z += static_cast<char>(n & 0xFF);
        z += static_cast<char>(n >> 8);
        z += static_cast<char>(~n & 0xFF);
        z += static_cast<char>((~n >> 8) & 0xFF);
        z += raw.substr(at, n);
        at += n;
        if (last) {
            break;
        }
    }
    z += be32((bsum << 16) | a);
    std::string ihdr = be32(width) + be32(height) + std::string("\x08\x02\x00\x00\x00", 5);
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) + chunk("IDAT", z) +
           chunk("IEND", "");
}

// ---------------------------------------------------------------------------------------------
class FakeWebView : public Object<ICoreWebView2_13> {
public:
    FakeWebView(int id, std::wstring profile, BOOL inPrivate, ICoreWebView2Environment* env)
        : id_(id), settings_(new FakeSettings(id), false),
          profile_(new FakeProfile(id, std::move(profile), inPrivate), false), env_(env) {}
    ~FakeWebView() override {
        Log("v%d webview destroyed", id_);
        for (auto& i : g_instances) {
            if (i.view == this) {
                i.view = nullptr;
            }
        }
    }
    void EnvironmentGone() { env_ = nullptr; }
    void ReleaseHandlers() {
        navigationStarting_.Clear();
        navigationCompleted_.Clear();
        frameNavigationStarting_.Clear();
        frameNavigationCompleted_.Clear();
        processFailed_.Clear();
        titleChanged_.Clear();
        fullScreenChanged_.Clear();
    }
    int id() const { return id_; }
    const std::wstring& source() const { return source_; }
    const std::wstring& title() const { return title_; }

    HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** settings) override {
        if (!settings) {
            return E_POINTER;
        }
        settings_->AddRef();
        *settings = settings_.get();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* uri) override {
        return uri ? (*uri = CoString(source_.empty() ? L"about:blank" : source_), S_OK)
                   : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) override {
        if (!uri) {
            return E_INVALIDARG;
        }
        Log("v%d Navigate %s", id_, Narrow(uri).c_str());
        Ref<FakeWebView> self(this);
        std::wstring target = uri;
        Later::Post([self, target] { self->Load(target, FALSE); });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE NavigateToString(LPCWSTR html) override {
        Log("v%d NavigateToString %s", id_, Narrow(html).c_str());
        Ref<FakeWebView> self(this);
        Later::Post([self] { self->Load(L"about:blank", FALSE); });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE add_NavigationStarting(ICoreWebView2NavigationStartingEventHandler* h,
                                                     EventRegistrationToken* t) override {
        return navigationStarting_.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_NavigationStarting(EventRegistrationToken t) override {
        return navigationStarting_.Remove(t);
    }
    HRESULT STDMETHODCALLTYPE add_NavigationCompleted(
        ICoreWebView2NavigationCompletedEventHandler* h, EventRegistrationToken* t) override {
        return navigationCompleted_.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_NavigationCompleted(EventRegistrationToken t) override {
        return navigationCompleted_.Remove(t);
    }
    HRESULT STDMETHODCALLTYPE add_FrameNavigationStarting(
        ICoreWebView2NavigationStartingEventHandler* h, EventRegistrationToken* t) override {
        return frameNavigationStarting_.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_FrameNavigationStarting(EventRegistrationToken t) override {
        return frameNavigationStarting_.Remove(t);
    }
    HRESULT STDMETHODCALLTYPE add_FrameNavigationCompleted(
        ICoreWebView2NavigationCompletedEventHandler* h, EventRegistrationToken* t) override {
        return frameNavigationCompleted_.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_FrameNavigationCompleted(EventRegistrationToken t) override {
        return frameNavigationCompleted_.Remove(t);
    }
    HRESULT STDMETHODCALLTYPE add_ProcessFailed(ICoreWebView2ProcessFailedEventHandler* h,
                                                EventRegistrationToken* t) override {
        return processFailed_.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_ProcessFailed(EventRegistrationToken t) override {
        return processFailed_.Remove(t);
    }
    HRESULT STDMETHODCALLTYPE
    ExecuteScript(LPCWSTR script, ICoreWebView2ExecuteScriptCompletedHandler* h) override {
        Log("v%d ExecuteScript %s", id_, Narrow(script).c_str());
        Ref<ICoreWebView2ExecuteScriptCompletedHandler> handler(h);
        std::wstring result = scriptResult_;
        Later::Post([handler, result] {
            if (handler) {
                handler->Invoke(S_OK, result.c_str());
            }
        });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE
    CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT format, IStream* stream,
                   ICoreWebView2CapturePreviewCompletedHandler* h) override {
        Log("v%d CapturePreview %d", id_, static_cast<int>(format));
        if (!stream) {
            return E_INVALIDARG;
        }
        std::string png =
            SolidPng(kCaptureWidth, kCaptureHeight, kCaptureRed, kCaptureGreen, kCaptureBlue);
        Ref<IStream> s(stream);
        Ref<ICoreWebView2CapturePreviewCompletedHandler> handler(h);
        Later::Post([s, handler, png] {
            ULONG written = 0;
            HRESULT hr = s->Write(png.data(), static_cast<ULONG>(png.size()), &written);
            if (handler) {
                handler->Invoke(hr);
            }
        });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reload() override {
        Log("v%d Reload", id_);
        Ref<FakeWebView> self(this);
        std::wstring target = source_.empty() ? L"about:blank" : source_;
        Later::Post([self, target] { self->Load(target, FALSE); });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stop() override {
        Log("v%d Stop", id_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32* value) override {
        return value ? (*value = ::GetCurrentProcessId(), S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE get_CanGoBack(BOOL* value) override {
        return value ? (*value = FALSE, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE get_CanGoForward(BOOL* value) override {
        return value ? (*value = FALSE, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE add_DocumentTitleChanged(
        ICoreWebView2DocumentTitleChangedEventHandler* h, EventRegistrationToken* t) override {
        return titleChanged_.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_DocumentTitleChanged(EventRegistrationToken t) override {
        return titleChanged_.Remove(t);
    }
    HRESULT STDMETHODCALLTYPE get_DocumentTitle(LPWSTR* title) override {
        return title ? (*title = CoString(title_), S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE add_ContainsFullScreenElementChanged(
        ICoreWebView2ContainsFullScreenElementChangedEventHandler* h,
        EventRegistrationToken* t) override {
        return fullScreenChanged_.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE
    remove_ContainsFullScreenElementChanged(EventRegistrationToken t) override {
        return fullScreenChanged_.Remove(t);
    }
    HRESULT STDMETHODCALLTYPE get_ContainsFullScreenElement(BOOL* value) override {
        return value ? (*value = fullScreen_, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE get_Environment(ICoreWebView2Environment** environment) override {
        if (!environment) {
            return E_POINTER;
        }
        *environment = env_;
        if (!env_) {
            return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
        }
        env_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Profile(ICoreWebView2Profile** value) override {
        if (!value) {
            return E_POINTER;
        }
        profile_->AddRef();
        *value = profile_.get();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE add_ContentLoading(ICoreWebView2ContentLoadingEventHandler*,
                                                 EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_ContentLoading(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_SourceChanged(ICoreWebView2SourceChangedEventHandler*,
                                                EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_SourceChanged(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_HistoryChanged(ICoreWebView2HistoryChangedEventHandler*,
                                                 EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_HistoryChanged(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_ScriptDialogOpening(ICoreWebView2ScriptDialogOpeningEventHandler*,
                                                      EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_ScriptDialogOpening(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_PermissionRequested(ICoreWebView2PermissionRequestedEventHandler*,
                                                      EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_PermissionRequested(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE AddScriptToExecuteOnDocumentCreated(
        LPCWSTR, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE RemoveScriptToExecuteOnDocumentCreated(LPCWSTR) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PostWebMessageAsString(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_WebMessageReceived(ICoreWebView2WebMessageReceivedEventHandler*,
                                                     EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_WebMessageReceived(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CallDevToolsProtocolMethod(
        LPCWSTR, LPCWSTR, ICoreWebView2CallDevToolsProtocolMethodCompletedHandler*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GoBack() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GoForward() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDevToolsProtocolEventReceiver(
        LPCWSTR, ICoreWebView2DevToolsProtocolEventReceiver**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_NewWindowRequested(ICoreWebView2NewWindowRequestedEventHandler*,
                                                     EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_NewWindowRequested(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE AddHostObjectToScript(LPCWSTR, VARIANT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE RemoveHostObjectFromScript(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OpenDevToolsWindow() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_WebResourceRequested(
        ICoreWebView2WebResourceRequestedEventHandler*, EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_WebResourceRequested(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE
    AddWebResourceRequestedFilter(const LPCWSTR, const COREWEBVIEW2_WEB_RESOURCE_CONTEXT) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE RemoveWebResourceRequestedFilter(
        const LPCWSTR, const COREWEBVIEW2_WEB_RESOURCE_CONTEXT) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_WindowCloseRequested(
        ICoreWebView2WindowCloseRequestedEventHandler*, EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_WindowCloseRequested(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_WebResourceResponseReceived(
        ICoreWebView2WebResourceResponseReceivedEventHandler*, EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_WebResourceResponseReceived(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE
    NavigateWithWebResourceRequest(ICoreWebView2WebResourceRequest*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_DOMContentLoaded(ICoreWebView2DOMContentLoadedEventHandler*,
                                                   EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_DOMContentLoaded(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_CookieManager(ICoreWebView2CookieManager**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE TrySuspend(ICoreWebView2TrySuspendCompletedHandler*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Resume() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_IsSuspended(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetVirtualHostNameToFolderMapping(
        LPCWSTR, LPCWSTR, COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ClearVirtualHostNameToFolderMapping(LPCWSTR) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_FrameCreated(ICoreWebView2FrameCreatedEventHandler*,
                                               EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_FrameCreated(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_DownloadStarting(ICoreWebView2DownloadStartingEventHandler*,
                                                   EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_DownloadStarting(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_ClientCertificateRequested(
        ICoreWebView2ClientCertificateRequestedEventHandler*, EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_ClientCertificateRequested(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OpenTaskManagerWindow() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PrintToPdf(LPCWSTR, ICoreWebView2PrintSettings*,
                                         ICoreWebView2PrintToPdfCompletedHandler*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_IsMutedChanged(ICoreWebView2IsMutedChangedEventHandler*,
                                                 EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_IsMutedChanged(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_IsMuted(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_IsMuted(BOOL muted) override {
        Log("v%d put_IsMuted %d", id_, muted ? 1 : 0);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE add_IsDocumentPlayingAudioChanged(
        ICoreWebView2IsDocumentPlayingAudioChangedEventHandler*, EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE
    remove_IsDocumentPlayingAudioChanged(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_IsDocumentPlayingAudio(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_IsDefaultDownloadDialogOpenChanged(
        ICoreWebView2IsDefaultDownloadDialogOpenChangedEventHandler*,
        EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE
    remove_IsDefaultDownloadDialogOpenChanged(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_IsDefaultDownloadDialogOpen(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OpenDefaultDownloadDialog() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CloseDefaultDownloadDialog() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_DefaultDownloadDialogCornerAlignment(
        COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE put_DefaultDownloadDialogCornerAlignment(
        COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_DefaultDownloadDialogMargin(POINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_DefaultDownloadDialogMargin(POINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_BasicAuthenticationRequested(
        ICoreWebView2BasicAuthenticationRequestedEventHandler*, EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_BasicAuthenticationRequested(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CallDevToolsProtocolMethodForSession(
        LPCWSTR, LPCWSTR, LPCWSTR,
        ICoreWebView2CallDevToolsProtocolMethodCompletedHandler*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_ContextMenuRequested(
        ICoreWebView2ContextMenuRequestedEventHandler*, EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_ContextMenuRequested(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_StatusBarTextChanged(
        ICoreWebView2StatusBarTextChangedEventHandler*, EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_StatusBarTextChanged(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_StatusBarText(LPWSTR*) override { return E_NOTIMPL; }

    // A navigation as the runtime reports it: starting (which may cancel it), the new title,
    // completion. Returns whether a handler cancelled it.
    bool Load(const std::wstring& uri, BOOL userInitiated) {
        UINT64 navigation = ++g_nextNavigation;
        Ref<NavigationStartingArgs> starting(
            new NavigationStartingArgs(uri, userInitiated, navigation), false);
        Ref<FakeWebView> self(this);
        navigationStarting_.Raise(static_cast<ICoreWebView2*>(this), starting.get());
        if (starting->Cancelled()) {
            Log("v%d cancelled %s", id_, Narrow(uri.c_str()).c_str());
            Ref<NavigationCompletedArgs> done(
                new NavigationCompletedArgs(FALSE, COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED,
                                            navigation),
                false);
            navigationCompleted_.Raise(static_cast<ICoreWebView2*>(this), done.get());
            return true;
        }
        source_ = uri;
        Log("v%d loaded %s", id_, Narrow(uri.c_str()).c_str());
        SetTitle(uri);
        Complete(navigation);
        return false;
    }
    void Complete(UINT64 navigation) {
        Ref<NavigationCompletedArgs> done(
            new NavigationCompletedArgs(TRUE, COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN, navigation),
            false);
        navigationCompleted_.Raise(static_cast<ICoreWebView2*>(this), done.get());
        Repaint();
    }
    void SetTitle(const std::wstring& title) {
        if (title == title_) {
            return;
        }
        title_ = title;
        titleChanged_.Raise(static_cast<ICoreWebView2*>(this), static_cast<IUnknown*>(nullptr));
        Repaint();
    }
    bool Frame(const std::wstring& uri) {
        Ref<NavigationStartingArgs> starting(
            new NavigationStartingArgs(uri, TRUE, ++g_nextNavigation), false);
        frameNavigationStarting_.Raise(static_cast<ICoreWebView2*>(this), starting.get());
        Log("v%d frame %s %s", id_, starting->Cancelled() ? "cancelled" : "allowed",
            Narrow(uri.c_str()).c_str());
        return starting->Cancelled();
    }
    void Fail(COREWEBVIEW2_PROCESS_FAILED_KIND kind) {
        Ref<ProcessFailedArgs> args(new ProcessFailedArgs(kind), false);
        processFailed_.Raise(static_cast<ICoreWebView2*>(this), args.get());
    }
    void FullScreen(BOOL on) {
        fullScreen_ = on;
        fullScreenChanged_.Raise(static_cast<ICoreWebView2*>(this),
                                 static_cast<IUnknown*>(nullptr));
    }
    void SetScriptResult(const std::wstring& json) { scriptResult_ = json; }
    void Repaint();

    static constexpr int kCaptureWidth = 16;
    static constexpr int kCaptureHeight = 8;
    static constexpr BYTE kCaptureRed = 0x30;
    static constexpr BYTE kCaptureGreen = 0x90;
    static constexpr BYTE kCaptureBlue = 0xC0;

protected:
    bool Answers(REFIID riid) const override {
        return AnyOf<ICoreWebView2, ICoreWebView2_2, ICoreWebView2_3, ICoreWebView2_4,
                     ICoreWebView2_5, ICoreWebView2_6, ICoreWebView2_7, ICoreWebView2_8,
                     ICoreWebView2_9, ICoreWebView2_10, ICoreWebView2_11, ICoreWebView2_12,
                     ICoreWebView2_13>(riid);
    }

private:
    int id_;
    Ref<FakeSettings> settings_;
    Ref<FakeProfile> profile_;
    ICoreWebView2Environment* env_; // not owned: the client releases it after the views
    std::wstring source_;
    std::wstring title_;
    // What every script answers: the root element's inner HTML of a small page, as JSON.
    std::wstring scriptResult_ = L"\"<head></head><body>fake page</body>\"";
    BOOL fullScreen_ = FALSE;
    Event<ICoreWebView2NavigationStartingEventHandler> navigationStarting_{"NavigationStarting",
                                                                           &id_};
    Event<ICoreWebView2NavigationCompletedEventHandler> navigationCompleted_{"NavigationCompleted",
                                                                             &id_};
    Event<ICoreWebView2NavigationStartingEventHandler> frameNavigationStarting_{
        "FrameNavigationStarting", &id_};
    Event<ICoreWebView2NavigationCompletedEventHandler> frameNavigationCompleted_{
        "FrameNavigationCompleted", &id_};
    Event<ICoreWebView2ProcessFailedEventHandler> processFailed_{"ProcessFailed", &id_};
    Event<ICoreWebView2DocumentTitleChangedEventHandler> titleChanged_{"DocumentTitleChanged",
                                                                       &id_};
    Event<ICoreWebView2ContainsFullScreenElementChangedEventHandler> fullScreenChanged_{
        "ContainsFullScreenElementChanged", &id_};
};

// ---------------------------------------------------------------------------------------------
// The view's window: a child of the client's window, painted in one colour with the address and
// title, so screenshots show where the page is.
const wchar_t kViewClass[] = L"velm.fake.WebView2.View";
constexpr COLORREF kViewColour = RGB(0xE8, 0xF4, 0xE8);

LRESULT CALLBACK ViewProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(w, &ps);
        RECT r;
        ::GetClientRect(w, &r);
        HBRUSH brush = ::CreateSolidBrush(kViewColour);
        ::FillRect(dc, &r, brush);
        ::DeleteObject(brush);
        wchar_t text[1024] = L"";
        ::GetWindowTextW(w, text, 1024);
        ::SetBkMode(dc, TRANSPARENT);
        ::InflateRect(&r, -8, -8);
        ::DrawTextW(dc, text, -1, &r, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
        ::EndPaint(w, &ps);
        return 0;
    }
    if (msg == WM_ERASEBKGND) {
        return 1;
    }
    return ::DefWindowProcW(w, msg, wp, lp);
}

HWND CreateViewWindow(HWND parent) {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &ViewProc;
        wc.hInstance = g_module;
        wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = kViewClass;
        return ::RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    return ::CreateWindowExW(0, kViewClass, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent,
                             nullptr, g_module, nullptr);
}

class FakeController : public Object<ICoreWebView2Controller> {
public:
    FakeController(int id, HWND parent, Ref<FakeWebView> view)
        : id_(id), parent_(parent), view_(std::move(view)),
          window_(parent ? CreateViewWindow(parent) : nullptr) {}
    ~FakeController() override {
        Log("v%d controller destroyed%s", id_, closed_ ? "" : " without Close");
        if (window_) {
            ::DestroyWindow(window_);
        }
        for (auto& i : g_instances) {
            if (i.controller == this) {
                i.controller = nullptr;
            }
        }
    }
    HWND window() const { return window_; }
    FakeWebView* view() const { return view_.get(); }

    HRESULT STDMETHODCALLTYPE get_IsVisible(BOOL* value) override {
        return value ? (*value = visible_, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL visible) override {
        if (closed_) {
            return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
        }
        visible_ = visible;
        Log("v%d put_IsVisible %d", id_, visible ? 1 : 0);
        ::ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Bounds(RECT* bounds) override {
        return bounds ? (*bounds = bounds_, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE put_Bounds(RECT bounds) override {
        if (closed_) {
            return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
        }
        bounds_ = bounds;
        Log("v%d put_Bounds %ld,%ld,%ld,%ld", id_, bounds.left, bounds.top, bounds.right,
            bounds.bottom);
        ::MoveWindow(window_, bounds.left, bounds.top, bounds.right - bounds.left,
                     bounds.bottom - bounds.top, TRUE);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_ZoomFactor(double* value) override {
        return value ? (*value = 1.0, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON reason) override {
        if (closed_) {
            return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
        }
        Log("v%d MoveFocus %d", id_, static_cast<int>(reason));
        ::SetFocus(window_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE add_AcceleratorKeyPressed(
        ICoreWebView2AcceleratorKeyPressedEventHandler* h, EventRegistrationToken* t) override {
        return acceleratorKeyPressed_.Add(h, t);
    }
    HRESULT STDMETHODCALLTYPE remove_AcceleratorKeyPressed(EventRegistrationToken t) override {
        return acceleratorKeyPressed_.Remove(t);
    }
    HRESULT STDMETHODCALLTYPE get_ParentWindow(HWND* value) override {
        return value ? (*value = parent_, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE put_ParentWindow(HWND parent) override {
        Log("v%d put_ParentWindow", id_);
        parent_ = parent;
        ::SetParent(window_, parent);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE NotifyParentWindowPositionChanged() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close() override {
        if (closed_) {
            return S_OK;
        }
        Log("v%d Close", id_);
        closed_ = true;
        // The runtime lets go of every handler when its controller closes.
        acceleratorKeyPressed_.Clear();
        if (view_) {
            view_->ReleaseHandlers();
        }
        if (window_) {
            ::DestroyWindow(std::exchange(window_, nullptr));
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** value) override {
        if (!value) {
            return E_POINTER;
        }
        *value = nullptr;
        if (closed_ || !view_) {
            return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
        }
        view_->AddRef();
        *value = view_.get();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_ZoomFactor(double factor) override {
        Log("v%d put_ZoomFactor %d%%", id_, static_cast<int>(factor * 100 + 0.5));
        return closed_ ? HRESULT_FROM_WIN32(ERROR_INVALID_STATE) : S_OK;
    }
    HRESULT STDMETHODCALLTYPE add_ZoomFactorChanged(ICoreWebView2ZoomFactorChangedEventHandler*,
                                                    EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_ZoomFactorChanged(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetBoundsAndZoomFactor(RECT, double) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_MoveFocusRequested(ICoreWebView2MoveFocusRequestedEventHandler*,
                                                     EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_MoveFocusRequested(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_GotFocus(ICoreWebView2FocusChangedEventHandler*,
                                           EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_GotFocus(EventRegistrationToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_LostFocus(ICoreWebView2FocusChangedEventHandler*,
                                            EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_LostFocus(EventRegistrationToken) override {
        return E_NOTIMPL;
    }

    // Returns whether a handler marked the key handled.
    bool Key(COREWEBVIEW2_KEY_EVENT_KIND kind, UINT key) {
        Ref<AcceleratorKeyArgs> args(new AcceleratorKeyArgs(kind, key), false);
        Ref<FakeController> self(this);
        acceleratorKeyPressed_.Raise(static_cast<ICoreWebView2Controller*>(this), args.get());
        Log("v%d key 0x%X %s", id_, key, args->Handled() ? "handled" : "not handled");
        return args->Handled();
    }

protected:
    bool Answers(REFIID riid) const override { return AnyOf<ICoreWebView2Controller>(riid); }

private:
    int id_;
    HWND parent_;
    Ref<FakeWebView> view_;
    HWND window_;
    RECT bounds_{};
    BOOL visible_ = TRUE;
    bool closed_ = false;
    Event<ICoreWebView2AcceleratorKeyPressedEventHandler> acceleratorKeyPressed_{
        "AcceleratorKeyPressed", &id_};
};

void FakeWebView::Repaint() {
    for (auto& i : g_instances) {
        if (i.view == this && i.controller && i.controller->window()) {
            std::wstring text =
                L"fake view " + std::to_wstring(id_) + L"\n" + source_ + L"\n" + title_;
            ::SetWindowTextW(i.controller->window(), text.c_str());
            ::InvalidateRect(i.controller->window(), nullptr, TRUE);
        }
    }
}

// ---------------------------------------------------------------------------------------------
class FakeEnvironment : public Object<ICoreWebView2Environment10> {
public:
    FakeEnvironment(std::wstring version, std::wstring userDataFolder)
        : version_(std::move(version)), userDataFolder_(std::move(userDataFolder)) {
        g_environment = this;
    }
    ~FakeEnvironment() override {
        Log("environment destroyed");
        if (g_environment == this) {
            g_environment = nullptr;
        }
        for (auto& i : g_instances) {
            if (i.view) {
                Log("v%d still alive when its environment went", i.id);
                i.view->EnvironmentGone();
            }
        }
    }

    HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
        HWND parent, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) override {
        return CreateController(parent, L"", FALSE, handler);
    }
    HRESULT STDMETHODCALLTYPE get_BrowserVersionString(LPWSTR* value) override {
        return value ? (*value = CoString(version_), S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE add_BrowserProcessExited(
        ICoreWebView2BrowserProcessExitedEventHandler*, EventRegistrationToken* token) override {
        if (!token) {
            return E_INVALIDARG;
        }
        token->value = ++g_nextToken;
        Log("environment add_BrowserProcessExited");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE remove_BrowserProcessExited(EventRegistrationToken) override {
        Log("environment remove_BrowserProcessExited");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_UserDataFolder(LPWSTR* value) override {
        return value ? (*value = CoString(userDataFolder_), S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE
    CreateCoreWebView2ControllerOptions(ICoreWebView2ControllerOptions** value) override {
        if (!value) {
            return E_POINTER;
        }
        *value = new FakeControllerOptions();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateCoreWebView2ControllerWithOptions(
        HWND parent, ICoreWebView2ControllerOptions* options,
        ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) override {
        std::wstring profile;
        BOOL inPrivate = FALSE;
        if (options) {
            LPWSTR name = nullptr;
            if (SUCCEEDED(options->get_ProfileName(&name)) && name) {
                profile = name;
                ::CoTaskMemFree(name);
            }
            options->get_IsInPrivateModeEnabled(&inPrivate);
        }
        return CreateController(parent, profile, inPrivate, handler);
    }
    HRESULT STDMETHODCALLTYPE CreateWebResourceResponse(
        IStream*, int, LPCWSTR, LPCWSTR, ICoreWebView2WebResourceResponse**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_NewBrowserVersionAvailable(
        ICoreWebView2NewBrowserVersionAvailableEventHandler*, EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_NewBrowserVersionAvailable(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateWebResourceRequest(LPCWSTR, LPCWSTR, IStream*, LPCWSTR,
                                                       ICoreWebView2WebResourceRequest**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateCoreWebView2CompositionController(
        HWND, ICoreWebView2CreateCoreWebView2CompositionControllerCompletedHandler*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateCoreWebView2PointerInfo(ICoreWebView2PointerInfo**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetAutomationProviderForWindow(HWND, IUnknown**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreatePrintSettings(ICoreWebView2PrintSettings**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_ProcessInfosChanged(ICoreWebView2ProcessInfosChangedEventHandler*,
                                                      EventRegistrationToken*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_ProcessInfosChanged(EventRegistrationToken) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetProcessInfos(ICoreWebView2ProcessInfoCollection**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateContextMenuItem(LPCWSTR, IStream*,
                                                    COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND,
                                                    ICoreWebView2ContextMenuItem**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateCoreWebView2CompositionControllerWithOptions(
        HWND, ICoreWebView2ControllerOptions*,
        ICoreWebView2CreateCoreWebView2CompositionControllerCompletedHandler*) override {
        return E_NOTIMPL;
    }

protected:
    bool Answers(REFIID riid) const override {
        return AnyOf<ICoreWebView2Environment, ICoreWebView2Environment2, ICoreWebView2Environment3,
                     ICoreWebView2Environment4, ICoreWebView2Environment5,
                     ICoreWebView2Environment6, ICoreWebView2Environment7,
                     ICoreWebView2Environment8, ICoreWebView2Environment9,
                     ICoreWebView2Environment10>(riid);
    }

private:
    HRESULT CreateController(HWND parent, const std::wstring& profile, BOOL inPrivate,
                             ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) {
        if (!handler) {
            return E_POINTER;
        }
        int id = ++controllers_;
        Log("v%d controller requested profile=%s inprivate=%d", id, Narrow(profile.c_str()).c_str(),
            inPrivate ? 1 : 0);
        std::string mode = Env("VELM_FAKE_WEBVIEW2_CONTROLLER");
        Ref<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler> h(handler);
        if (mode.rfind("fail", 0) == 0) {
            HRESULT hr = HresultAfterColon(mode);
            Later::Post([h, hr] { h->Invoke(hr, nullptr); });
            return S_OK;
        }
        UINT delay = mode.rfind("delay", 0) == 0 ? static_cast<UINT>(HresultAfterColon(mode)) : 0;
        Ref<FakeEnvironment> self(this);
        Later::Post(
            [self, h, id, parent, profile, inPrivate] {
                // A parent that went meanwhile still gets its view (without a window): the
                // client must close it.
                const bool parentGone = !::IsWindow(parent);
                Ref<FakeWebView> view(new FakeWebView(id, profile, inPrivate, self.get()), false);
                Ref<FakeController> controller(
                    new FakeController(id, parentGone ? nullptr : parent, view), false);
                g_instances.push_back({id, controller.get(), view.get()});
                if (controller->window()) {
                    ::ShowWindow(controller->window(), SW_SHOWNA);
                }
                view->Repaint();
                Log("v%d view created%s", id, parentGone ? " after its parent window went" : "");
                h->Invoke(S_OK, controller.get());
            },
            delay);
        return S_OK;
    }

    std::wstring version_;
    std::wstring userDataFolder_;
    int controllers_ = 0;
};

// The runtime's version: the folder name above "EBWebView\<arch>\" where this DLL lies.
std::wstring OwnVersion() {
    wchar_t path[MAX_PATH] = L"";
    ::GetModuleFileNameW(g_module, path, MAX_PATH);
    std::wstring p = path;
    for (int i = 0; i < 3; ++i) {
        size_t slash = p.find_last_of(L"\\/");
        if (slash == std::wstring::npos) {
            return L"";
        }
        p.resize(slash);
    }
    size_t slash = p.find_last_of(L"\\/");
    return slash == std::wstring::npos ? p : p.substr(slash + 1);
}

int RunCommand(const std::string& line);

void Later::ReadCommands() {
    static LONGLONG done = 0;
    std::string path = Env("VELM_FAKE_WEBVIEW2_COMMANDS");
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    LARGE_INTEGER at;
    at.QuadPart = done;
    ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
    while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
        text.append(buffer, got);
    }
    ::CloseHandle(file);
    size_t end = text.rfind('\n');
    if (end == std::string::npos) {
        return;
    }
    done += static_cast<LONGLONG>(end + 1);
    size_t start = 0;
    while (start <= end) {
        size_t nl = text.find('\n', start);
        std::string command = text.substr(start, nl - start);
        while (!command.empty() && (command.back() == '\r' || command.back() == ' ')) {
            command.pop_back();
        }
        if (!command.empty()) {
            int result = RunCommand(command);
            Log("command %s -> %d", command.c_str(), result);
        }
        start = nl + 1;
    }
}

// "<view> <verb> [argument]", view 0 = the newest. Returns the event's answer (1: cancelled or
// handled), 0 when nobody objected, -1 when the view or verb is unknown.
int RunCommand(const std::string& line) {
    char* rest = nullptr;
    long id = std::strtol(line.c_str(), &rest, 10);
    std::string tail = rest ? rest : "";
    size_t from = tail.find_first_not_of(' ');
    tail = from == std::string::npos ? "" : tail.substr(from);
    size_t space = tail.find(' ');
    std::string verb = tail.substr(0, space);
    std::string arg = space == std::string::npos ? "" : tail.substr(space + 1);
    Instance* i = FindInstance(static_cast<int>(id));
    if (!i || !i->view) {
        return -1;
    }
    Ref<FakeWebView> view(i->view);
    Ref<FakeController> controller(i->controller);
    std::wstring warg = Widen(arg);
    if (verb == "navigate") { // the page itself goes elsewhere (a link, a form, a script)
        return view->Load(warg, TRUE) ? 1 : 0;
    }
    if (verb == "frame") {
        return view->Frame(warg) ? 1 : 0;
    }
    if (verb == "title") {
        view->SetTitle(warg);
        return 0;
    }
    if (verb == "complete") {
        view->Complete(++g_nextNavigation);
        return 0;
    }
    if (verb == "key" || verb == "keyup" || verb == "syskey") {
        if (!controller) {
            return -1;
        }
        auto kind = verb == "key"     ? COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN
                    : verb == "keyup" ? COREWEBVIEW2_KEY_EVENT_KIND_KEY_UP
                                      : COREWEBVIEW2_KEY_EVENT_KIND_SYSTEM_KEY_DOWN;
        return controller->Key(kind, static_cast<UINT>(std::strtoul(arg.c_str(), nullptr, 0))) ? 1
                                                                                               : 0;
    }
    if (verb == "fail") {
        view->Fail(static_cast<COREWEBVIEW2_PROCESS_FAILED_KIND>(std::atoi(arg.c_str())));
        return 0;
    }
    if (verb == "fullscreen") {
        view->FullScreen(std::atoi(arg.c_str()) ? TRUE : FALSE);
        return 0;
    }
    if (verb == "result") {
        view->SetScriptResult(warg);
        return 0;
    }
    return -1;
}

} // namespace

// ---------------------------------------------------------------------------------------------
#ifdef VELM_FAKE_NO_ENTRY
#define VELM_FAKE_ENTRY static
#else
#define VELM_FAKE_ENTRY extern "C" __declspec(dllexport)
#endif

VELM_FAKE_ENTRY HRESULT STDMETHODCALLTYPE CreateWebViewEnvironmentWithOptionsInternal(
    bool unknown, WebView2RuntimeType runtimeType, PCWSTR userDataFolder,
    IUnknown* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
    std::string mode = Env("VELM_FAKE_WEBVIEW2_CREATE");
    Log("create first=%d type=%d folder=%s options=%d mode=%s", unknown ? 1 : 0,
        static_cast<int>(runtimeType), Narrow(userDataFolder).c_str(), environmentOptions ? 1 : 0,
        mode.c_str());
    if (!handler) {
        return E_POINTER;
    }
    Later::Start();
    if (mode.rfind("refuse", 0) == 0) {
        return HresultAfterColon(mode);
    }
    Ref<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> h(handler);
    if (mode == "never") {
        static std::vector<Ref<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>> kept;
        kept.push_back(h);
        return S_OK;
    }
    if (mode.rfind("fail", 0) == 0) {
        HRESULT hr = HresultAfterColon(mode);
        Later::Post([h, hr] { h->Invoke(hr, nullptr); });
        return S_OK;
    }
    std::wstring folder = userDataFolder ? userDataFolder : L"";
    Later::Post([h, folder] {
        Ref<FakeEnvironment> env(new FakeEnvironment(OwnVersion(), folder), false);
        Log("environment created version=%s", Narrow(OwnVersion().c_str()).c_str());
        h->Invoke(S_OK, env.get());
    });
    return S_OK;
}

#ifdef VELM_FAKE_NO_ENTRY
// Keeps the unexported entry point from being dropped as unused.
extern "C" __declspec(dllexport) void* FakeWebView2Unused() {
    return reinterpret_cast<void*>(&CreateWebViewEnvironmentWithOptionsInternal);
}
#endif

extern "C" __declspec(dllexport) HRESULT STDMETHODCALLTYPE DllCanUnloadNow() {
    return g_live == 0 ? S_OK : S_FALSE;
}

// Control for tests that load the fake into their own process.
extern "C" __declspec(dllexport) int FakeWebView2Command(const char* line) {
    int result = RunCommand(line ? line : "");
    Log("command %s -> %d", line ? line : "", result);
    return result;
}

// Copies the log (NUL-terminated) into `buffer`; returns the log's length.
extern "C" __declspec(dllexport) int FakeWebView2Log(char* buffer, int size) {
    if (buffer && size > 0) {
        int n = std::min(size - 1, static_cast<int>(g_log.size()));
        std::memcpy(buffer, g_log.data(), n);
        buffer[n] = '\0';
    }
    return static_cast<int>(g_log.size());
}

extern "C" __declspec(dllexport) void FakeWebView2ClearLog() {
    g_log.clear();
}

extern "C" __declspec(dllexport) int FakeWebView2LiveObjects() {
    return g_live;
}

// The window of view `id` (0: the newest), or null.
extern "C" __declspec(dllexport) HWND FakeWebView2Window(int id) {
    Instance* i = FindInstance(id);
    return i && i->controller ? i->controller->window() : nullptr;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        ::DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        Log("unloaded live=%d", g_live);
    }
    return TRUE;
}
