#include "browser/ModernRuntime.h"

#include "base/Log.h"
#include "base/Text.h"
#include "base/WindowObject.h"
#include "browser/WebView2Handler.h"
#include "browser/WebView2Loader.h"

#include <vector>

namespace velm {
namespace {

enum class State { Idle, Pending, Ready, Failed };

struct Runtime {
    State state = State::Idle;
    unsigned generation = 0;
    CreateWebViewEnvironmentWithOptionsInternalProc create = nullptr;
    WebView2Runtime found;
    ComPtr<ICoreWebView2Environment> environment;
    std::string failure;
    std::vector<std::function<void(ICoreWebView2Environment*)>> waiting;
};

Runtime& TheRuntime() {
    static Runtime runtime;
    return runtime;
}

void Settle(State state) {
    Runtime& r = TheRuntime();
    r.state = state;
    auto waiting = std::move(r.waiting);
    r.waiting.clear();
    ComPtr<ICoreWebView2Environment> environment = r.environment;
    for (auto& ready : waiting) {
        Guarded("ModernRuntime: a browser waiting for the environment",
                [&] { ready(environment.get()); });
    }
}

void Fail(const std::string& step, unsigned long code) {
    LogCallFailed(step, code);
    Runtime& r = TheRuntime();
    r.failure = step;
    r.environment.reset();
    Settle(State::Failed);
}

void OnEnvironmentCreated(unsigned generation, HRESULT result,
                          ICoreWebView2Environment* environment) {
    Runtime& r = TheRuntime();
    if (generation != r.generation || r.state != State::Pending) {
        return; // given up on, or released: the reference goes with the caller
    }
    if (FAILED(result) || !environment) {
        Fail("WebView2: creating the environment", FAILED(result) ? result : E_POINTER);
        return;
    }
    // Asked for by its identity rather than trusted: a runtime may hand out a newer interface.
    ComPtr<ICoreWebView2Environment> held;
    HRESULT hr = environment->QueryInterface(IID_ICoreWebView2Environment, held.put_void());
    if (FAILED(hr) || !held) {
        Fail("WebView2: ICoreWebView2Environment::QueryInterface", FAILED(hr) ? hr : E_POINTER);
        return;
    }
    r.environment = std::move(held);
    Settle(State::Ready);
}

} // namespace

std::wstring ModernRuntime::UserDataFolder() {
    wchar_t base[MAX_PATH] = {};
    DWORD n = ::GetEnvironmentVariableW(L"LOCALAPPDATA", base, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        return {};
    }
    std::wstring folder(base, n);
    folder += L"\\OrvikVelmora";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    folder += L"\\WebView2";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void ModernRuntime::Start() {
    Runtime& r = TheRuntime();
    if (r.state != State::Idle) {
        return;
    }
    r.state = State::Pending;
    r.failure.clear();
    const unsigned generation = ++r.generation;
    if (!r.create) {
        WebView2Failure failure;
        std::optional<WebView2Runtime> found = FindWebView2Runtime(failure);
        if (found) {
            r.found = *found;
            r.create = LoadWebView2Runtime(*found, failure);
        }
        if (!r.create) {
            Fail(failure.step, failure.code);
            return;
        }
    }
    const std::wstring folder = UserDataFolder();
    auto handler = EnvironmentCompletedHandler::Make(
        "ModernRuntime: environment created",
        [generation](HRESULT result, ICoreWebView2Environment* environment) {
            OnEnvironmentCreated(generation, result, environment);
        });
    HRESULT hr = r.create(true, r.found.type, folder.empty() ? nullptr : folder.c_str(), nullptr,
                          handler.get());
    if (FAILED(hr) && generation == r.generation && r.state == State::Pending) {
        Fail("WebView2: CreateWebViewEnvironmentWithOptionsInternal", hr);
    }
}

ComPtr<ICoreWebView2Environment> ModernRuntime::Wait(unsigned long ms) {
    Runtime& r = TheRuntime();
    const DWORD start = ::GetTickCount();
    while (r.state == State::Pending) {
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= ms) {
            Fail("WebView2: the environment did not come within " + std::to_string(ms) + " ms",
                 static_cast<unsigned long>(HRESULT_FROM_WIN32(ERROR_TIMEOUT)));
            break;
        }
        ::MsgWaitForMultipleObjectsEx(0, nullptr, ms - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG msg;
        while (r.state == State::Pending && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // The program is ending: the loop above must still see the quit.
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                Fail("WebView2: the program ended while the environment was on its way",
                     static_cast<unsigned long>(E_ABORT));
                break;
            }
            DispatchQueued(msg);
        }
    }
    return r.state == State::Ready ? r.environment : nullptr;
}

void ModernRuntime::WhenReady(std::function<void(ICoreWebView2Environment*)> ready) {
    Runtime& r = TheRuntime();
    if (r.state == State::Idle) {
        Start();
    }
    if (r.state == State::Pending) {
        r.waiting.push_back(std::move(ready));
        return;
    }
    ComPtr<ICoreWebView2Environment> environment = r.environment;
    ready(environment.get());
}

std::string ModernRuntime::Version() {
    const Runtime& r = TheRuntime();
    std::string version = Narrow(r.found.version);
    if (!r.found.channel.empty()) {
        version.push_back(' ');
        version.append(Narrow(r.found.channel));
    }
    return version;
}

bool ModernRuntime::HasFailed() {
    return TheRuntime().state == State::Failed;
}

std::string ModernRuntime::Failure() {
    return TheRuntime().failure;
}

void ModernRuntime::BrowserProcessExited(ICoreWebView2Environment* environment) {
    Runtime& r = TheRuntime();
    if (r.state != State::Ready || !environment || r.environment.get() != environment) {
        return; // already started anew
    }
    LogError("WebView2: the runtime's browser process ended; the next browser starts a new "
             "environment");
    r.environment.reset();
    r.state = State::Idle;
}

void ModernRuntime::Release() noexcept {
    Runtime& r = TheRuntime();
    ++r.generation;
    r.waiting.clear();
    r.environment.reset();
    r.state = r.create ? State::Idle : r.state;
}

} // namespace velm
