#include "browser/CBasicBrowser.h"

#include "base/HttpGet.h"
#include "base/Log.h"
#include "base/Text.h"
#include "base/WindowDpi.h"

#include <wininet.h>

#include <algorithm>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace velm {
namespace {

constexpr wchar_t kClassName[] = L"velm.BasicBrowser";
constexpr UINT kFetchDone = WM_APP + 0x51;
constexpr UINT_PTR kRefreshTimer = 1;
constexpr long kUnknownProtocol = static_cast<long>(0x800C000DL);
constexpr long kResourceNotFound = static_cast<long>(0x800C0005L);
constexpr size_t kMaxPageBytes = 8u << 20;
constexpr size_t kMaxFrames = 16;
// The longest one network step may wait (as the downloader's), and the longest a page with its
// frames may take: a server that accepts and then stalls fails the page instead of holding it.
constexpr DWORD kStepTimeoutMs = 10000;
constexpr DWORD kPageMaxMs = 60000;

// A WinINet failure as the HRESULT the engines report it with; any other as "not found".
long FailureStatus(DWORD error) {
    if (error > INTERNET_ERROR_BASE && error < INTERNET_ERROR_BASE + 1000) {
        return static_cast<long>(HRESULT_FROM_WIN32(error));
    }
    return kResourceNotFound;
}

struct Page {
    bool ok = false;
    long status = 0;
    std::string url;  // after redirects
    std::string body; // UTF-8
};

std::string LowerAscii(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return s;
}

// The page's bytes as UTF-8: GBK pages (by header or meta element) are converted, a UTF-8 byte
// order mark is dropped.
std::string ToUtf8(std::string bytes, const std::string& contentType) {
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        bytes.erase(0, 3);
    }
    std::string head = LowerAscii(contentType + " " + bytes.substr(0, 1024));
    bool gbk = head.find("charset=gb") != std::string::npos ||
               head.find("charset=\"gb") != std::string::npos;
    if (!gbk || bytes.empty()) {
        return bytes;
    }
    int n = ::MultiByteToWideChar(936, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(n, 0)), L'\0');
    ::MultiByteToWideChar(936, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
    return Narrow(wide);
}

Page FetchPage(HINTERNET session, const std::string& url, DWORD started) {
    Page page;
    page.url = url;
    auto overdue = [started] { return ::GetTickCount() - started >= kPageMaxMs; };
    UniqueInternet connection;
    bool http = false;
    UniqueInternet request =
        OpenHttpGet(session, ToAnsi(url), INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI,
                    kStepTimeoutMs, connection, http);
    if (!request) {
        page.status = FailureStatus(::GetLastError());
        return page;
    }
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (::HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                         &size, nullptr)) {
        page.status = static_cast<long>(status);
    }
    if (http && page.status == 0) {
        // The connection closed before a status line came: no answer, as a browser sees it.
        page.status = FailureStatus(ERROR_HTTP_INVALID_SERVER_RESPONSE);
        return page;
    }
    wchar_t type[256] = {};
    DWORD typeSize = sizeof(type);
    std::string contentType;
    if (::HttpQueryInfoW(request.get(), HTTP_QUERY_CONTENT_TYPE, type, &typeSize, nullptr)) {
        contentType = Narrow(type);
    }
    wchar_t finalUrl[2048] = {};
    DWORD urlSize = sizeof(finalUrl);
    if (::InternetQueryOptionW(request.get(), INTERNET_OPTION_URL, finalUrl, &urlSize) &&
        finalUrl[0]) {
        page.url = Narrow(finalUrl);
    }
    std::string bytes;
    char buffer[8192];
    for (;;) {
        DWORD got = 0;
        if (!::InternetReadFile(request.get(), buffer, sizeof(buffer), &got) || overdue()) {
            // Half a page is no page: it completes empty, as one that never came.
            const DWORD error = overdue() ? ERROR_INTERNET_TIMEOUT : ::GetLastError();
            LogCallFailed("CBasicBrowser: InternetReadFile " + url.substr(0, 256), error);
            page.status = FailureStatus(error);
            return page;
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, got);
        if (bytes.size() > kMaxPageBytes) {
            break;
        }
    }
    page.body = ToUtf8(std::move(bytes), contentType);
    page.ok = true;
    return page;
}

bool StartsWith(const std::string& s, const char* prefix) {
    return LowerAscii(s.substr(0, std::char_traits<char>::length(prefix))) == prefix;
}

// Measures text with the browser's fonts on a screen-compatible DC.
class GdiMeasurer final : public TextMeasurer {
public:
    explicit GdiMeasurer(std::function<HFONT(const PageFont&)> font)
        : dc_(::CreateCompatibleDC(nullptr)), font_(std::move(font)) {}
    int Width(std::string_view utf8, const PageFont& font) override {
        SelectScope select(dc_.get(), font_(font));
        std::wstring text = Widen(utf8);
        SIZE size{};
        ::GetTextExtentPoint32W(dc_.get(), text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }
    int LineHeight(const PageFont& font) override {
        SelectScope select(dc_.get(), font_(font));
        TEXTMETRICW tm{};
        ::GetTextMetricsW(dc_.get(), &tm);
        return tm.tmHeight + tm.tmExternalLeading;
    }

private:
    UniqueMemoryDc dc_;
    std::function<HFONT(const PageFont&)> font_;
};

} // namespace

struct CBasicBrowser::FetchResult {
    unsigned navigation = 0;
    bool unknownScheme = false;
    Page top;
    std::vector<std::string> frames; // addresses of the frames fetched, in document order
};

// Where worker threads leave their results; the browser takes them on its window thread. A
// worker that finishes after the browser is gone finds no window and drops its result.
struct CBasicBrowser::Mailbox {
    std::mutex lock;
    HWND hwnd = nullptr;
    std::deque<std::unique_ptr<FetchResult>> results;

    void Post(std::unique_ptr<FetchResult> result) {
        std::lock_guard<std::mutex> hold(lock);
        if (!hwnd) {
            return;
        }
        results.push_back(std::move(result));
        ::PostMessageW(hwnd, kFetchDone, 0, 0);
    }
};

namespace {
void FetchWorker(std::shared_ptr<CBasicBrowser::Mailbox> mailbox,
                 std::unique_ptr<CBasicBrowser::FetchResult> result, std::string url) noexcept {
    // Nothing may escape a worker thread: a failure anywhere gives an empty page.
    try {
        const DWORD started = ::GetTickCount();
        UniqueInternet session(::InternetOpenW(L"Mozilla/4.0 (compatible; velm)",
                                               INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        if (session) {
            SetInternetTimeouts(session.get(), kStepTimeoutMs);
            result->top = FetchPage(session.get(), url, started);
            if (result->top.ok) {
                HtmlDocument doc = HtmlDocument::Parse(result->top.body, result->top.url);
                for (const std::string& frame : doc.Frames()) {
                    if (result->frames.size() >= kMaxFrames) {
                        break;
                    }
                    // The frame's document is loaded so that its completion is real; the
                    // engine paints only the top document.
                    Page page = FetchPage(session.get(), frame, started);
                    result->frames.push_back(page.url);
                }
            }
        } else {
            result->top.url = url;
            result->top.status = kResourceNotFound;
        }
    } catch (...) {
        LogCaught("CBasicBrowser: fetching " + url);
        result->top = Page{};
        result->top.url = url;
        result->top.status = kResourceNotFound;
        result->frames.clear();
    }
    try {
        mailbox->Post(std::move(result));
    } catch (...) {
        // The browser is going away; the result has nowhere to go.
        LogCaught("CBasicBrowser: delivering a fetch result");
    }
}
} // namespace

std::unique_ptr<IBrowser> CBasicBrowser::Create(HWND parent, const RECT& place) {
    std::unique_ptr<CBasicBrowser> browser(new CBasicBrowser());
    HWND hwnd = browser->CreateFor(ClassInfo{kClassName}, 0, L"",
                                   WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, place.left, place.top,
                                   place.right - place.left, place.bottom - place.top, parent);
    if (!hwnd) {
        return nullptr;
    }
    browser->mailbox_ = std::make_shared<Mailbox>();
    browser->mailbox_->hwnd = hwnd;
    return browser;
}

CBasicBrowser::~CBasicBrowser() {
    EndLife();
    if (mailbox_) {
        std::lock_guard<std::mutex> hold(mailbox_->lock);
        mailbox_->hwnd = nullptr;
        mailbox_->results.clear();
    }
    if (HWND hwnd = hWnd()) {
        ::KillTimer(hwnd, kRefreshTimer);
    }
    DestroyNow();
    surface_.Reset();
    fonts_.clear();
}

void CBasicBrowser::OnWindowDestroyed() {
    if (mailbox_) {
        std::lock_guard<std::mutex> hold(mailbox_->lock);
        mailbox_->hwnd = nullptr;
    }
}

void CBasicBrowser::Move(int left, int top, int width, int height) {
    if (hWnd()) {
        ::MoveWindow(hWnd(), left, top, width, height, TRUE);
    }
}

void CBasicBrowser::Navigate(const std::string& url) {
    AliveGuard alive(*this);
    bool cancel = false;
    if (auto handler = events.BeforeNavigate2) {
        try {
            handler(url, cancel);
        } catch (...) {
            LogCaught("CBasicBrowser.Navigate: before-navigate handler");
        }
    }
    if (!alive.alive() || cancel) {
        return;
    }
    Start(url);
}

void CBasicBrowser::Focus() {
    if (hWnd()) {
        ::SetFocus(hWnd());
    }
}

void CBasicBrowser::Refresh() {
    if (document_) {
        Start(document_->Url());
    }
}

void CBasicBrowser::ShowHtml(const std::string& html) {
    if (!hWnd()) {
        return;
    }
    ::KillTimer(hWnd(), kRefreshTimer);
    auto result = std::make_unique<FetchResult>();
    result->navigation = ++navigation_;
    result->top.ok = true;
    result->top.url = "about:blank";
    result->top.body = html;
    mailbox_->Post(std::move(result));
}

void CBasicBrowser::Start(const std::string& url) {
    if (!hWnd()) {
        return;
    }
    ::KillTimer(hWnd(), kRefreshTimer);
    auto result = std::make_unique<FetchResult>();
    result->navigation = ++navigation_;
    if (StartsWith(url, "http://") || StartsWith(url, "https://")) {
        try {
            std::thread(FetchWorker, mailbox_, std::move(result), url).detach();
        } catch (...) {
            LogCaught("CBasicBrowser.Start: starting the fetch worker");
        }
        return;
    }
    result->top.url = url;
    if (StartsWith(url, "about:")) {
        result->top.ok = true; // an empty document
    } else {
        result->unknownScheme = true;
    }
    mailbox_->Post(std::move(result));
}

void CBasicBrowser::Deliver() {
    for (;;) {
        std::unique_ptr<FetchResult> result;
        {
            std::lock_guard<std::mutex> hold(mailbox_->lock);
            if (mailbox_->results.empty()) {
                return;
            }
            result = std::move(mailbox_->results.front());
            mailbox_->results.pop_front();
        }
        AliveGuard alive(*this);
        Complete(*result);
        if (!alive.alive()) {
            return;
        }
    }
}

void CBasicBrowser::Complete(FetchResult& result) {
    if (result.navigation != navigation_) {
        return; // a later navigation replaced this one
    }
    AliveGuard alive(*this);
    const unsigned navigation = navigation_;
    // Each handler may destroy the browser or start another navigation; after either, the rest
    // of this completion no longer applies.
    auto still = [&] { return alive.alive() && navigation_ == navigation; };
    auto raise = [&](const auto& handler, auto&&... args) {
        if (!handler) {
            return;
        }
        auto copy = handler;
        try {
            copy(args...);
        } catch (...) {
            LogCaught("CBasicBrowser: event handler");
        }
    };
    const std::string url = result.top.url;
    if (result.unknownScheme) {
        raise(events.NavigateError, url, kUnknownProtocol);
        return;
    }
    // A page that could not be fetched completes as an empty document.
    document_ = HtmlDocument::Parse(result.top.body, url);
    layoutValid_ = false;
    ::SetWindowTextW(hWnd(), Widen(url).c_str());
    ::InvalidateRect(hWnd(), nullptr, FALSE);
    if (!result.top.ok || result.top.status >= 400) {
        raise(events.NavigateError, url, result.top.status);
        if (!still()) {
            return;
        }
    }
    raise(events.TitleChange, document_->Title().value_or(url));
    if (!still()) {
        return;
    }
    for (const std::string& frame : result.frames) {
        raise(events.DocumentComplete, frame, false);
        if (!still()) {
            return;
        }
    }
    raise(events.DocumentComplete, url, true);
    if (!still() || !document_ || !document_->Refresh()) {
        return;
    }
    refreshUrl_ = document_->Refresh()->url;
    ::SetTimer(hWnd(), kRefreshTimer,
               static_cast<UINT>(std::max(document_->Refresh()->seconds, 0)) * 1000u, nullptr);
}

std::string CBasicBrowser::DocumentUrl() const {
    return document_ ? document_->Url() : std::string();
}
std::string CBasicBrowser::RootInnerHtml() const {
    return document_ ? document_->RootInnerHtml() : std::string();
}
bool CBasicBrowser::SetRootStyle(const std::string& name, const std::string& value) {
    if (!document_) {
        return false;
    }
    document_->SetRootStyle(name, value);
    return true;
}
std::string CBasicBrowser::RootStyle(const std::string& name) const {
    if (!document_) {
        return {};
    }
    auto it = document_->RootStyle().find(name);
    return it == document_->RootStyle().end() ? std::string() : it->second;
}

HFONT CBasicBrowser::Font(const PageFont& face) {
    auto key = std::make_pair(face.size, face.bold);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) {
        return it->second.get();
    }
    UniqueFont font(::CreateFontW(-face.size, 0, 0, 0, face.bold ? FW_BOLD : FW_NORMAL, FALSE,
                                  FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                                  L"Microsoft YaHei"));
    HFONT h = font.get();
    fonts_.emplace(key, std::move(font));
    return h;
}

void CBasicBrowser::SetZoom(int percent) {
    percent = std::clamp(percent, 10, 1000);
    if (percent == zoom_) {
        return;
    }
    zoom_ = percent;
    layoutValid_ = false;
    ::InvalidateRect(hWnd(), nullptr, FALSE);
}

const PageLayout& CBasicBrowser::Layout() {
    if (!layoutValid_) {
        RECT client{};
        ::GetClientRect(hWnd(), &client);
        if (document_) {
            // Laid out at the zoom's width in unzoomed measures, then every length scaled. A page
            // is designed at 96 dpi: the window's scale comes on top of the zoom, as the system
            // control does for a host that declares itself DPI-aware.
            const int zoom = ::MulDiv(zoom_, WindowDpi(hWnd()), kDesignDpi);
            GdiMeasurer measurer([this](const PageFont& font) { return Font(font); });
            layout_ = LayoutPage(*document_, MulDiv(client.right, 100, zoom), measurer);
            if (zoom != 100) {
                auto scale = [zoom](int v) { return MulDiv(v, zoom, 100); };
                for (DisplayItem& item : layout_.items) {
                    item.x = scale(item.x);
                    item.y = scale(item.y);
                    item.width = scale(item.width);
                    item.height = scale(item.height);
                    item.font.size = scale(item.font.size);
                }
                layout_.height = scale(layout_.height);
            }
        } else {
            layout_ = PageLayout{};
        }
        layoutValid_ = true;
    }
    return layout_;
}

void CBasicBrowser::Paint() {
    PaintScope paint(hWnd());
    RECT client{};
    ::GetClientRect(hWnd(), &client);
    if (client.right <= 0 || client.bottom <= 0) {
        return;
    }
    if (!surface_ || surface_.width() != client.right || surface_.height() != client.bottom) {
        surface_.Create(paint.dc(), client.right, client.bottom);
    }
    if (!surface_) {
        return;
    }
    HDC dc = surface_.dc();
    const PageLayout& layout = Layout();
    {
        UniqueBrush back(::CreateSolidBrush(layout.background));
        ::FillRect(dc, &client, back.get());
    }
    ::SetBkMode(dc, TRANSPARENT);
    for (const DisplayItem& item : layout.items) {
        if (item.kind == DisplayItem::Kind::Fill) {
            RECT r{item.x, item.y, item.x + item.width, item.y + item.height};
            UniqueBrush brush(::CreateSolidBrush(item.colour));
            ::FillRect(dc, &r, brush.get());
            continue;
        }
        SelectScope font(dc, Font(item.font));
        ::SetTextColor(dc, item.colour);
        std::wstring text = Widen(item.text);
        ::TextOutW(dc, item.x, item.y, text.c_str(), static_cast<int>(text.size()));
        if (item.underline) {
            TEXTMETRICW tm{};
            ::GetTextMetricsW(dc, &tm);
            RECT line{item.x, item.y + tm.tmAscent + 1, item.x + item.width,
                      item.y + tm.tmAscent + 2};
            UniqueBrush brush(::CreateSolidBrush(item.colour));
            ::FillRect(dc, &line, brush.get());
        }
    }
    ::BitBlt(paint.dc(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
}

void CBasicBrowser::ShowContextMenu(POINT screen) {
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu) {
        return;
    }
    ::AppendMenuW(menu.get(), MF_STRING, 1, Widen("刷新").c_str());
    AliveGuard alive(*this);
    UINT chosen = static_cast<UINT>(::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                     screen.x, screen.y, 0, hWnd(), nullptr));
    if (alive.alive() && chosen == 1) {
        Refresh();
    }
}

LRESULT CBasicBrowser::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case kFetchDone:
        Deliver();
        return 0;
    case WM_TIMER:
        if (wParam == kRefreshTimer) {
            ::KillTimer(hwnd, kRefreshTimer);
            Navigate(refreshUrl_);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_SIZE:
        layoutValid_ = false;
        ::InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            POINT pt{};
            ::GetCursorPos(&pt);
            ::ScreenToClient(hwnd, &pt);
            if (!Layout().LinkAt(pt.x, pt.y).empty()) {
                ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
                return TRUE;
            }
        }
        break;
    case WM_LBUTTONDOWN:
        pressedLink_ =
            Layout().LinkAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return 0;
    case WM_LBUTTONUP: {
        std::string link =
            Layout().LinkAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        bool follow = !link.empty() && link == pressedLink_;
        pressedLink_.clear();
        if (follow) {
            Navigate(link);
        }
        return 0;
    }
    case WM_CONTEXTMENU:
        if (!suppressMenu_) {
            POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (pt.x == -1 && pt.y == -1) {
                pt = {0, 0};
                ::ClientToScreen(hwnd, &pt);
            }
            ShowContextMenu(pt);
        }
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace velm
