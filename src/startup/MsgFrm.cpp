#include "startup/MsgFrm.h"

#include "base/Log.h"
#include "base/PropertyBag.h"
#include "base/Text.h"
#include "controls/RectRgn.h"
#include "startup/Messages.h"

#include <vector>

namespace velm {
namespace {

// The stored designs of the dialog's controls, read through the controls' own property path.
constexpr const char* kTitleDesign = "backcolor=14606046\nhaslogo=False\n";
constexpr const char* kAnswerDesign =
    "backpicture=bitmap:201\nautosize=False\ncdrawmode=13\ncfont=宋体|9|\ncbackstyle=1\n";
constexpr const char* kCloseDesign = "autosize=False\ncdrawmode=13\ncfont=宋体|9|\ncbackstyle=1\n";

PropertyBag StoredDesign(const char* text) {
    return PropertyBag::FromText(text).value_or(PropertyBag());
}

// Label1, in pixels of the client area.
constexpr RECT kLabel{24, 56, 24 + 209, 56 + 41};

// The question on screen, if any.
MsgFrm* g_open = nullptr;

// The client's windows that the question disables, to enable them again afterwards.
struct Disabled {
    HWND dialog;
    HWND owner;
    std::vector<HWND> windows;
};

BOOL CALLBACK DisableOne(HWND h, LPARAM p) {
    auto* d = reinterpret_cast<Disabled*>(p);
    if (h != d->dialog && (h == d->owner || ::IsWindowVisible(h)) && ::IsWindowEnabled(h)) {
        ::EnableWindow(h, FALSE);
        d->windows.push_back(h);
    }
    return TRUE;
}

} // namespace

MsgFrm::MsgFrm(bool& m_bExit) : exit_(m_bExit), canvas_(RGB(255, 255, 255)) {}

MsgFrm::~MsgFrm() {
    if (g_open == this) {
        g_open = nullptr;
    }
}

bool MsgFrm::BringOpenToFront() {
    if (!g_open || !g_open->hWnd()) {
        return false;
    }
    ::SetForegroundWindow(g_open->hWnd());
    return true;
}

FormDesign MsgFrm::Design() const {
    FormDesign d;
    d.className = L"velm.MsgFrm";
    d.caption = std::string(kProductName) + kClientSuffix;
    d.style = WS_POPUP | WS_CLIPCHILDREN;
    d.clientWidth = 242;
    d.clientHeight = 140;
    d.parent = owner_; // owned: no taskbar button
    d.centred = true;
    return d;
}

void MsgFrm::OnLoad() {
    HWND h = hWnd();
    canvas_.Attach(h);
    title_.Create(h, 0, 0, 242 * 15, 495);
    title_.ReadProperties(StoredDesign(kTitleDesign));
    close_.Create(h, 2880, 15, 645, 270);
    close_.ReadProperties(StoredDesign(kCloseDesign));
    close_.Move(2880, 15, 645, 270);
    yes_.Create(h, 840, 1320, 975, 375);
    yes_.ReadProperties(StoredDesign(kAnswerDesign));
    yes_.SetCaption("是");
    yes_.Move(840, 1320, 975, 375);
    no_.Create(h, 2040, 1320, 975, 375);
    no_.ReadProperties(StoredDesign(kAnswerDesign));
    no_.SetCaption("否");
    no_.Move(2040, 1320, 975, 375);

    LOGFONTW lf{};
    lf.lfHeight = -12; // 9 pt at 96 dpi
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = GB2312_CHARSET;
    lstrcpyW(lf.lfFaceName, L"SimSun");
    labelFont_.reset(::CreateFontIndirectW(&lf));

    // Load: the title bar as wide as the form, the close picture, the caption.
    title_.SetWidth(canvas_.Width());
    close_.SetBackPicture(Picture::FromBitmapResource(103));
    title_.SetCaption(std::string(kProductName) + kClientSuffix);

    title_.MouseDown = [this](std::int16_t&, std::int16_t&, float&, float&) {
        ::ReleaseCapture();
        ::SendMessageW(hWnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
    };
    yes_.Click = [this] { Answer(true); };
    no_.Click = [this] { Answer(false); };
    close_.Click = [this] { Answer(false); };
    OnResize();
    title_.Show();
    for (iButton* b : {&close_, &yes_, &no_}) {
        b->Show();
        // Children created later lie beneath earlier ones: the close button must sit above the
        // title bar to be reachable.
        ::SetWindowPos(b->hWnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void MsgFrm::OnResize() {
    HWND h = hWnd();
    RECT r{};
    ::GetClientRect(h, &r);
    canvas_.Resize();
    canvas_.Clear();
    RectRgn(h, static_cast<short>(r.right + 1), static_cast<short>(r.bottom + 1), 4, 4);
    title_.Printform(canvas_);
    close_.SetLeft(canvas_.Width() - 730);
    // Label1 is drawn on the form's surface, transparent over the white background.
    HDC dc = canvas_.Dc();
    if (dc) {
        SelectScope font(dc, labelFont_.get());
        int oldMode = ::SetBkMode(dc, TRANSPARENT);
        COLORREF oldColour = ::SetTextColor(dc, RGB(0, 0, 0));
        RECT label = kLabel;
        std::wstring text = Widen(kQuestion);
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &label,
                    DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
        ::SetTextColor(dc, oldColour);
        ::SetBkMode(dc, oldMode);
    }
    canvas_.Refresh();
}

void MsgFrm::Answer(bool exit) {
    exit_ = exit;
    Unload();
}

LRESULT MsgFrm::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PaintScope paint(hwnd);
        canvas_.Paint(paint.dc());
        return 0;
    }
    case WM_SIZE:
        if (hWnd() && wParam != SIZE_MINIMIZED) {
            OnResize();
        }
        return 0;
    default:
        return WindowObject::WndProc(hwnd, msg, wParam, lParam);
    }
}

void MsgFrm::ShowModal(HWND owner) {
    // The tray's menu still works under the question, and so do posted close requests: they
    // get the open question rather than a second one.
    if (BringOpenToFront()) {
        return;
    }
    owner_ = owner && ::IsWindow(owner) ? owner : nullptr;
    if (!Load()) {
        return;
    }
    g_open = this;
    // Modal to every window of the client, as the system's message box is: another account's
    // login windows included.
    Disabled disabled{hWnd(), owner_, {}};
    ::EnumThreadWindows(::GetCurrentThreadId(), &DisableOne, reinterpret_cast<LPARAM>(&disabled));
    ::ShowWindow(hWnd(), SW_SHOWNORMAL);
    ::SetForegroundWindow(hWnd());
    MSG m;
    while (hWnd()) {
        int got = ::GetMessageW(&m, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) {
                ::PostQuitMessage(static_cast<int>(m.wParam)); // for the outer loop
            }
            Unload();
            break;
        }
        DispatchQueued(m);
    }
    g_open = nullptr;
    for (HWND w : disabled.windows) {
        if (::IsWindow(w)) {
            ::EnableWindow(w, TRUE);
        }
    }
    if (owner_ && ::IsWindowVisible(owner_)) {
        ::SetForegroundWindow(owner_);
    }
}

} // namespace velm
