// The objects the modern runtime calls back: one COM object per handler interface, its Invoke
// forwarded to a function. No exception leaves Invoke; a failure is logged with the handler's name.
#pragma once

#include "base/Handles.h"
#include "base/Log.h"
#include "browser/WebView2.h"

#include <functional>

namespace velm {

template <class Interface, class... Args> class WebView2Handler final : public Interface {
public:
    using Function = std::function<void(Args...)>;

    static ComPtr<Interface> Make(const char* name, Function function) {
        return ComPtr<Interface>::Attach(new WebView2Handler(name, std::move(function)));
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == __uuidof(Interface)) {
            *out = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long n = --refs_;
        if (n == 0) {
            delete this;
        }
        return static_cast<ULONG>(n);
    }
    HRESULT STDMETHODCALLTYPE Invoke(Args... args) override {
        // Held for the call: the function may drop the last other reference to this handler.
        ComPtr<Interface> self = ComPtr<Interface>::Attach((AddRef(), this));
        Function function = function_;
        Guarded(name_, [&] {
            if (function) {
                function(args...);
            }
        });
        return S_OK;
    }

private:
    WebView2Handler(const char* name, Function function)
        : name_(name), function_(std::move(function)) {}
    ~WebView2Handler() = default;

    const char* name_;
    Function function_;
    long refs_ = 1;
};

using EnvironmentCompletedHandler =
    WebView2Handler<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler, HRESULT,
                    ICoreWebView2Environment*>;
using ControllerCompletedHandler =
    WebView2Handler<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler, HRESULT,
                    ICoreWebView2Controller*>;
using NavigationStartingHandler =
    WebView2Handler<ICoreWebView2NavigationStartingEventHandler, ICoreWebView2*,
                    ICoreWebView2NavigationStartingEventArgs*>;
using NavigationCompletedHandler =
    WebView2Handler<ICoreWebView2NavigationCompletedEventHandler, ICoreWebView2*,
                    ICoreWebView2NavigationCompletedEventArgs*>;
using TitleChangedHandler =
    WebView2Handler<ICoreWebView2DocumentTitleChangedEventHandler, ICoreWebView2*, IUnknown*>;
using AcceleratorKeyHandler =
    WebView2Handler<ICoreWebView2AcceleratorKeyPressedEventHandler, ICoreWebView2Controller*,
                    ICoreWebView2AcceleratorKeyPressedEventArgs*>;
using ScriptCompletedHandler =
    WebView2Handler<ICoreWebView2ExecuteScriptCompletedHandler, HRESULT, LPCWSTR>;
using ProcessFailedHandler = WebView2Handler<ICoreWebView2ProcessFailedEventHandler, ICoreWebView2*,
                                             ICoreWebView2ProcessFailedEventArgs*>;
using FullScreenChangedHandler =
    WebView2Handler<ICoreWebView2ContainsFullScreenElementChangedEventHandler, ICoreWebView2*,
                    IUnknown*>;
using ClearBrowsingDataHandler =
    WebView2Handler<ICoreWebView2ClearBrowsingDataCompletedHandler, HRESULT>;
using CapturePreviewHandler = WebView2Handler<ICoreWebView2CapturePreviewCompletedHandler, HRESULT>;

} // namespace velm
