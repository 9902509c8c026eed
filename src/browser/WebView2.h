// Our own declarations of the modern web runtime's COM interfaces (WebView2), written from the
// runtime's published interface tables: every interface the modern engine uses, with every
// earlier slot of it, in vtable order and with the platform's own names. Interfaces that only
// appear as parameters are declared opaque. A newer runtime only appends interfaces, so these
// vtables hold for every runtime that answers QueryInterface for them.
#pragma once

#include <windows.h>

#include <eventtoken.h>
#include <oaidl.h>
#include <objidl.h>

#include <cstdint>

static_assert(sizeof(EventRegistrationToken) == 8);

// Every interface named below. Those without a declaration further down are only passed through.
struct ICoreWebView2;
struct ICoreWebView2AcceleratorKeyPressedEventArgs;
struct ICoreWebView2AcceleratorKeyPressedEventHandler;
struct ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler;
struct ICoreWebView2BasicAuthenticationRequestedEventHandler;
struct ICoreWebView2BrowserProcessExitedEventHandler;
struct ICoreWebView2CallDevToolsProtocolMethodCompletedHandler;
struct ICoreWebView2CapturePreviewCompletedHandler;
struct ICoreWebView2ClearBrowsingDataCompletedHandler;
struct ICoreWebView2ClientCertificateRequestedEventHandler;
struct ICoreWebView2ContainsFullScreenElementChangedEventHandler;
struct ICoreWebView2ContentLoadingEventHandler;
struct ICoreWebView2ContextMenuItem;
struct ICoreWebView2ContextMenuRequestedEventHandler;
struct ICoreWebView2Controller;
struct ICoreWebView2ControllerOptions;
struct ICoreWebView2CookieManager;
struct ICoreWebView2CreateCoreWebView2CompositionControllerCompletedHandler;
struct ICoreWebView2CreateCoreWebView2ControllerCompletedHandler;
struct ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler;
struct ICoreWebView2DOMContentLoadedEventHandler;
struct ICoreWebView2DevToolsProtocolEventReceiver;
struct ICoreWebView2DocumentTitleChangedEventHandler;
struct ICoreWebView2DownloadStartingEventHandler;
struct ICoreWebView2Environment;
struct ICoreWebView2Environment10;
struct ICoreWebView2Environment2;
struct ICoreWebView2Environment3;
struct ICoreWebView2Environment4;
struct ICoreWebView2Environment5;
struct ICoreWebView2Environment6;
struct ICoreWebView2Environment7;
struct ICoreWebView2Environment8;
struct ICoreWebView2Environment9;
struct ICoreWebView2ExecuteScriptCompletedHandler;
struct ICoreWebView2FocusChangedEventHandler;
struct ICoreWebView2FrameCreatedEventHandler;
struct ICoreWebView2HistoryChangedEventHandler;
struct ICoreWebView2HttpRequestHeaders;
struct ICoreWebView2IsDefaultDownloadDialogOpenChangedEventHandler;
struct ICoreWebView2IsDocumentPlayingAudioChangedEventHandler;
struct ICoreWebView2IsMutedChangedEventHandler;
struct ICoreWebView2MoveFocusRequestedEventHandler;
struct ICoreWebView2NavigationCompletedEventArgs;
struct ICoreWebView2NavigationCompletedEventHandler;
struct ICoreWebView2NavigationStartingEventArgs;
struct ICoreWebView2NavigationStartingEventHandler;
struct ICoreWebView2NewBrowserVersionAvailableEventHandler;
struct ICoreWebView2NewWindowRequestedEventHandler;
struct ICoreWebView2PermissionRequestedEventHandler;
struct ICoreWebView2PointerInfo;
struct ICoreWebView2PrintSettings;
struct ICoreWebView2PrintToPdfCompletedHandler;
struct ICoreWebView2ProcessFailedEventArgs;
struct ICoreWebView2ProcessFailedEventHandler;
struct ICoreWebView2ProcessInfoCollection;
struct ICoreWebView2ProcessInfosChangedEventHandler;
struct ICoreWebView2Profile;
struct ICoreWebView2Profile2;
struct ICoreWebView2ScriptDialogOpeningEventHandler;
struct ICoreWebView2Settings;
struct ICoreWebView2SourceChangedEventHandler;
struct ICoreWebView2StatusBarTextChangedEventHandler;
struct ICoreWebView2TrySuspendCompletedHandler;
struct ICoreWebView2WebMessageReceivedEventHandler;
struct ICoreWebView2WebResourceRequest;
struct ICoreWebView2WebResourceRequestedEventHandler;
struct ICoreWebView2WebResourceResponse;
struct ICoreWebView2WebResourceResponseReceivedEventHandler;
struct ICoreWebView2WindowCloseRequestedEventHandler;
struct ICoreWebView2ZoomFactorChangedEventHandler;
struct ICoreWebView2_10;
struct ICoreWebView2_11;
struct ICoreWebView2_12;
struct ICoreWebView2_13;
struct ICoreWebView2_2;
struct ICoreWebView2_3;
struct ICoreWebView2_4;
struct ICoreWebView2_5;
struct ICoreWebView2_6;
struct ICoreWebView2_7;
struct ICoreWebView2_8;
struct ICoreWebView2_9;

typedef enum COREWEBVIEW2_BROWSING_DATA_KINDS {
    COREWEBVIEW2_BROWSING_DATA_KINDS_FILE_SYSTEMS = 1,
    COREWEBVIEW2_BROWSING_DATA_KINDS_INDEXED_DB = 2,
    COREWEBVIEW2_BROWSING_DATA_KINDS_LOCAL_STORAGE = 4,
    COREWEBVIEW2_BROWSING_DATA_KINDS_WEB_SQL = 8,
    COREWEBVIEW2_BROWSING_DATA_KINDS_CACHE_STORAGE = 16,
    COREWEBVIEW2_BROWSING_DATA_KINDS_ALL_DOM_STORAGE = 32,
    COREWEBVIEW2_BROWSING_DATA_KINDS_COOKIES = 64,
    COREWEBVIEW2_BROWSING_DATA_KINDS_ALL_SITE = 128,
    COREWEBVIEW2_BROWSING_DATA_KINDS_DISK_CACHE = 256,
    COREWEBVIEW2_BROWSING_DATA_KINDS_DOWNLOAD_HISTORY = 512,
    COREWEBVIEW2_BROWSING_DATA_KINDS_GENERAL_AUTOFILL = 1024,
    COREWEBVIEW2_BROWSING_DATA_KINDS_PASSWORD_AUTOSAVE = 2048,
    COREWEBVIEW2_BROWSING_DATA_KINDS_BROWSING_HISTORY = 4096,
    COREWEBVIEW2_BROWSING_DATA_KINDS_SETTINGS = 8192,
    COREWEBVIEW2_BROWSING_DATA_KINDS_ALL_PROFILE = 16384,
    COREWEBVIEW2_BROWSING_DATA_KINDS_SERVICE_WORKERS = 32768,
} COREWEBVIEW2_BROWSING_DATA_KINDS;
static_assert(sizeof(COREWEBVIEW2_BROWSING_DATA_KINDS) == 4);

typedef enum COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT {
    COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG = 0,
    COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_JPEG = 1,
} COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT;
static_assert(sizeof(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT) == 4);

typedef enum COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND {
    COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND_COMMAND = 0,
    COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND_CHECK_BOX = 1,
    COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND_RADIO = 2,
    COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND_SEPARATOR = 3,
    COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND_SUBMENU = 4,
} COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND;
static_assert(sizeof(COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND) == 4);

typedef enum COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT {
    COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT_TOP_LEFT = 0,
    COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT_TOP_RIGHT = 1,
    COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT_BOTTOM_LEFT = 2,
    COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT_BOTTOM_RIGHT = 3,
} COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT;
static_assert(sizeof(COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT) == 4);

typedef enum COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND {
    COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND_DENY = 0,
    COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND_ALLOW = 1,
    COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND_DENY_CORS = 2,
} COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND;
static_assert(sizeof(COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND) == 4);

typedef enum COREWEBVIEW2_KEY_EVENT_KIND {
    COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN = 0,
    COREWEBVIEW2_KEY_EVENT_KIND_KEY_UP = 1,
    COREWEBVIEW2_KEY_EVENT_KIND_SYSTEM_KEY_DOWN = 2,
    COREWEBVIEW2_KEY_EVENT_KIND_SYSTEM_KEY_UP = 3,
} COREWEBVIEW2_KEY_EVENT_KIND;
static_assert(sizeof(COREWEBVIEW2_KEY_EVENT_KIND) == 4);

typedef enum COREWEBVIEW2_MOVE_FOCUS_REASON {
    COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC = 0,
    COREWEBVIEW2_MOVE_FOCUS_REASON_NEXT = 1,
    COREWEBVIEW2_MOVE_FOCUS_REASON_PREVIOUS = 2,
} COREWEBVIEW2_MOVE_FOCUS_REASON;
static_assert(sizeof(COREWEBVIEW2_MOVE_FOCUS_REASON) == 4);

typedef enum COREWEBVIEW2_PREFERRED_COLOR_SCHEME {
    COREWEBVIEW2_PREFERRED_COLOR_SCHEME_AUTO = 0,
    COREWEBVIEW2_PREFERRED_COLOR_SCHEME_LIGHT = 1,
    COREWEBVIEW2_PREFERRED_COLOR_SCHEME_DARK = 2,
} COREWEBVIEW2_PREFERRED_COLOR_SCHEME;
static_assert(sizeof(COREWEBVIEW2_PREFERRED_COLOR_SCHEME) == 4);

typedef enum COREWEBVIEW2_PROCESS_FAILED_KIND {
    COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED = 0,
    COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_EXITED = 1,
    COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_UNRESPONSIVE = 2,
    COREWEBVIEW2_PROCESS_FAILED_KIND_FRAME_RENDER_PROCESS_EXITED = 3,
    COREWEBVIEW2_PROCESS_FAILED_KIND_UTILITY_PROCESS_EXITED = 4,
    COREWEBVIEW2_PROCESS_FAILED_KIND_SANDBOX_HELPER_PROCESS_EXITED = 5,
    COREWEBVIEW2_PROCESS_FAILED_KIND_GPU_PROCESS_EXITED = 6,
    COREWEBVIEW2_PROCESS_FAILED_KIND_PPAPI_PLUGIN_PROCESS_EXITED = 7,
    COREWEBVIEW2_PROCESS_FAILED_KIND_PPAPI_BROKER_PROCESS_EXITED = 8,
    COREWEBVIEW2_PROCESS_FAILED_KIND_UNKNOWN_PROCESS_EXITED = 9,
} COREWEBVIEW2_PROCESS_FAILED_KIND;
static_assert(sizeof(COREWEBVIEW2_PROCESS_FAILED_KIND) == 4);

typedef enum COREWEBVIEW2_WEB_ERROR_STATUS {
    COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN = 0,
    COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_COMMON_NAME_IS_INCORRECT = 1,
    COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_EXPIRED = 2,
    COREWEBVIEW2_WEB_ERROR_STATUS_CLIENT_CERTIFICATE_CONTAINS_ERRORS = 3,
    COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_REVOKED = 4,
    COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_IS_INVALID = 5,
    COREWEBVIEW2_WEB_ERROR_STATUS_SERVER_UNREACHABLE = 6,
    COREWEBVIEW2_WEB_ERROR_STATUS_TIMEOUT = 7,
    COREWEBVIEW2_WEB_ERROR_STATUS_ERROR_HTTP_INVALID_SERVER_RESPONSE = 8,
    COREWEBVIEW2_WEB_ERROR_STATUS_CONNECTION_ABORTED = 9,
    COREWEBVIEW2_WEB_ERROR_STATUS_CONNECTION_RESET = 10,
    COREWEBVIEW2_WEB_ERROR_STATUS_DISCONNECTED = 11,
    COREWEBVIEW2_WEB_ERROR_STATUS_CANNOT_CONNECT = 12,
    COREWEBVIEW2_WEB_ERROR_STATUS_HOST_NAME_NOT_RESOLVED = 13,
    COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED = 14,
    COREWEBVIEW2_WEB_ERROR_STATUS_REDIRECT_FAILED = 15,
    COREWEBVIEW2_WEB_ERROR_STATUS_UNEXPECTED_ERROR = 16,
    COREWEBVIEW2_WEB_ERROR_STATUS_VALID_AUTHENTICATION_CREDENTIALS_REQUIRED = 17,
    COREWEBVIEW2_WEB_ERROR_STATUS_VALID_PROXY_AUTHENTICATION_REQUIRED = 18,
} COREWEBVIEW2_WEB_ERROR_STATUS;
static_assert(sizeof(COREWEBVIEW2_WEB_ERROR_STATUS) == 4);

typedef enum COREWEBVIEW2_WEB_RESOURCE_CONTEXT {
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL = 0,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_DOCUMENT = 1,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_STYLESHEET = 2,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_IMAGE = 3,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_MEDIA = 4,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_FONT = 5,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_SCRIPT = 6,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_XML_HTTP_REQUEST = 7,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_FETCH = 8,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_TEXT_TRACK = 9,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_EVENT_SOURCE = 10,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_WEBSOCKET = 11,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_MANIFEST = 12,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_SIGNED_EXCHANGE = 13,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_PING = 14,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_CSP_VIOLATION_REPORT = 15,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_OTHER = 16,
} COREWEBVIEW2_WEB_RESOURCE_CONTEXT;
static_assert(sizeof(COREWEBVIEW2_WEB_RESOURCE_CONTEXT) == 4);

typedef struct COREWEBVIEW2_PHYSICAL_KEY_STATUS {
    UINT32 RepeatCount;
    UINT32 ScanCode;
    BOOL IsExtendedKey;
    BOOL IsMenuKeyDown;
    BOOL WasKeyDown;
    BOOL IsKeyReleased;
} COREWEBVIEW2_PHYSICAL_KEY_STATUS;
static_assert(sizeof(COREWEBVIEW2_PHYSICAL_KEY_STATUS) == 24);

// Handlers: the runtime calls Invoke on an object of ours.
struct ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode,
                                             ICoreWebView2Environment* result) = 0; // 3
};
__CRT_UUID_DECL(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler, 0x4e8a3389, 0xc9d8,
                0x4bd2, 0xb6, 0xb5, 0x12, 0x4f, 0xee, 0x6c, 0xc1, 0x4d)
inline constexpr IID IID_ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler = {
    0x4e8a3389, 0xc9d8, 0x4bd2, {0xb6, 0xb5, 0x12, 0x4f, 0xee, 0x6c, 0xc1, 0x4d}};

struct ICoreWebView2CreateCoreWebView2ControllerCompletedHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode,
                                             ICoreWebView2Controller* result) = 0; // 3
};
__CRT_UUID_DECL(ICoreWebView2CreateCoreWebView2ControllerCompletedHandler, 0x6c4819f3, 0xc9b7,
                0x4260, 0x81, 0x27, 0xc9, 0xf5, 0xbd, 0xe7, 0xf6, 0x8c)
inline constexpr IID IID_ICoreWebView2CreateCoreWebView2ControllerCompletedHandler = {
    0x6c4819f3, 0xc9b7, 0x4260, {0x81, 0x27, 0xc9, 0xf5, 0xbd, 0xe7, 0xf6, 0x8c}};

struct ICoreWebView2NavigationStartingEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE
    Invoke(ICoreWebView2* sender, ICoreWebView2NavigationStartingEventArgs* args) = 0; // 3
};
__CRT_UUID_DECL(ICoreWebView2NavigationStartingEventHandler, 0x9adbe429, 0xf36d, 0x432b, 0x9d, 0xdc,
                0xf8, 0x88, 0x1f, 0xbd, 0x76, 0xe3)
inline constexpr IID IID_ICoreWebView2NavigationStartingEventHandler = {
    0x9adbe429, 0xf36d, 0x432b, {0x9d, 0xdc, 0xf8, 0x88, 0x1f, 0xbd, 0x76, 0xe3}};

struct ICoreWebView2NavigationCompletedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE
    Invoke(ICoreWebView2* sender, ICoreWebView2NavigationCompletedEventArgs* args) = 0; // 3
};
__CRT_UUID_DECL(ICoreWebView2NavigationCompletedEventHandler, 0xd33a35bf, 0x1c49, 0x4f98, 0x93,
                0xab, 0x00, 0x6e, 0x05, 0x33, 0xfe, 0x1c)
inline constexpr IID IID_ICoreWebView2NavigationCompletedEventHandler = {
    0xd33a35bf, 0x1c49, 0x4f98, {0x93, 0xab, 0x00, 0x6e, 0x05, 0x33, 0xfe, 0x1c}};

struct ICoreWebView2DocumentTitleChangedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, IUnknown* args) = 0; // 3
};
__CRT_UUID_DECL(ICoreWebView2DocumentTitleChangedEventHandler, 0xf5f2b923, 0x953e, 0x4042, 0x9f,
                0x95, 0xf3, 0xa1, 0x18, 0xe1, 0xaf, 0xd4)
inline constexpr IID IID_ICoreWebView2DocumentTitleChangedEventHandler = {
    0xf5f2b923, 0x953e, 0x4042, {0x9f, 0x95, 0xf3, 0xa1, 0x18, 0xe1, 0xaf, 0xd4}};

struct ICoreWebView2AcceleratorKeyPressedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE
    Invoke(ICoreWebView2Controller* sender,
           ICoreWebView2AcceleratorKeyPressedEventArgs* args) = 0; // 3
};
__CRT_UUID_DECL(ICoreWebView2AcceleratorKeyPressedEventHandler, 0xb29c7e28, 0xfa79, 0x41a8, 0x8e,
                0x44, 0x65, 0x81, 0x1c, 0x76, 0xdc, 0xb2)
inline constexpr IID IID_ICoreWebView2AcceleratorKeyPressedEventHandler = {
    0xb29c7e28, 0xfa79, 0x41a8, {0x8e, 0x44, 0x65, 0x81, 0x1c, 0x76, 0xdc, 0xb2}};

struct ICoreWebView2ExecuteScriptCompletedHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, LPCWSTR result) = 0; // 3
};
__CRT_UUID_DECL(ICoreWebView2ExecuteScriptCompletedHandler, 0x49511172, 0xcc67, 0x4bca, 0x99, 0x23,
                0x13, 0x71, 0x12, 0xf4, 0xc4, 0xcc)
inline constexpr IID IID_ICoreWebView2ExecuteScriptCompletedHandler = {
    0x49511172, 0xcc67, 0x4bca, {0x99, 0x23, 0x13, 0x71, 0x12, 0xf4, 0xc4, 0xcc}};

struct ICoreWebView2ProcessFailedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2ProcessFailedEventArgs* args) = 0; // 3
};
__CRT_UUID_DECL(ICoreWebView2ProcessFailedEventHandler, 0x79e0aea4, 0x990b, 0x42d9, 0xaa, 0x1d,
                0x0f, 0xcc, 0x2e, 0x5b, 0xc7, 0xf1)
inline constexpr IID IID_ICoreWebView2ProcessFailedEventHandler = {
    0x79e0aea4, 0x990b, 0x42d9, {0xaa, 0x1d, 0x0f, 0xcc, 0x2e, 0x5b, 0xc7, 0xf1}};

struct ICoreWebView2ContainsFullScreenElementChangedEventHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, IUnknown* args) = 0; // 3
};
__CRT_UUID_DECL(ICoreWebView2ContainsFullScreenElementChangedEventHandler, 0xe45d98b1, 0xafef,
                0x45be, 0x8b, 0xaf, 0x6c, 0x77, 0x28, 0x86, 0x7f, 0x73)
inline constexpr IID IID_ICoreWebView2ContainsFullScreenElementChangedEventHandler = {
    0xe45d98b1, 0xafef, 0x45be, {0x8b, 0xaf, 0x6c, 0x77, 0x28, 0x86, 0x7f, 0x73}};

struct ICoreWebView2ClearBrowsingDataCompletedHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode) = 0; // 3
};
__CRT_UUID_DECL(ICoreWebView2ClearBrowsingDataCompletedHandler, 0xe9710a06, 0x1d1d, 0x49b2, 0x82,
                0x34, 0x22, 0x6f, 0x35, 0x84, 0x6a, 0xe5)
inline constexpr IID IID_ICoreWebView2ClearBrowsingDataCompletedHandler = {
    0xe9710a06, 0x1d1d, 0x49b2, {0x82, 0x34, 0x22, 0x6f, 0x35, 0x84, 0x6a, 0xe5}};

struct ICoreWebView2CapturePreviewCompletedHandler : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode) = 0; // 3
};
__CRT_UUID_DECL(ICoreWebView2CapturePreviewCompletedHandler, 0x697e05e9, 0x3d8f, 0x45fa, 0x96, 0xf4,
                0x8f, 0xfe, 0x1e, 0xde, 0xda, 0xf5)
inline constexpr IID IID_ICoreWebView2CapturePreviewCompletedHandler = {
    0x697e05e9, 0x3d8f, 0x45fa, {0x96, 0xf4, 0x8f, 0xfe, 0x1e, 0xde, 0xda, 0xf5}};

// The runtime's objects.
struct ICoreWebView2Environment : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
        HWND parentWindow,
        ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) = 0; // 3
    virtual HRESULT STDMETHODCALLTYPE CreateWebResourceResponse(
        IStream* content, int statusCode, LPCWSTR reasonPhrase, LPCWSTR headers,
        ICoreWebView2WebResourceResponse** response) = 0;                                // 4
    virtual HRESULT STDMETHODCALLTYPE get_BrowserVersionString(LPWSTR* versionInfo) = 0; // 5
    virtual HRESULT STDMETHODCALLTYPE add_NewBrowserVersionAvailable(
        ICoreWebView2NewBrowserVersionAvailableEventHandler* eventHandler,
        EventRegistrationToken* token) = 0; // 6
    virtual HRESULT STDMETHODCALLTYPE
    remove_NewBrowserVersionAvailable(EventRegistrationToken token) = 0; // 7
};
__CRT_UUID_DECL(ICoreWebView2Environment, 0xb96d755e, 0x0319, 0x4e92, 0xa2, 0x96, 0x23, 0x43, 0x6f,
                0x46, 0xa1, 0xfc)
inline constexpr IID IID_ICoreWebView2Environment = {
    0xb96d755e, 0x0319, 0x4e92, {0xa2, 0x96, 0x23, 0x43, 0x6f, 0x46, 0xa1, 0xfc}};

struct ICoreWebView2Environment2 : public ICoreWebView2Environment {
    virtual HRESULT STDMETHODCALLTYPE
    CreateWebResourceRequest(LPCWSTR uri, LPCWSTR Method, IStream* postData, LPCWSTR Headers,
                             ICoreWebView2WebResourceRequest** value) = 0; // 8
};
__CRT_UUID_DECL(ICoreWebView2Environment2, 0x41f3632b, 0x5ef4, 0x404f, 0xad, 0x82, 0x2d, 0x60, 0x6c,
                0x5a, 0x9a, 0x21)
inline constexpr IID IID_ICoreWebView2Environment2 = {
    0x41f3632b, 0x5ef4, 0x404f, {0xad, 0x82, 0x2d, 0x60, 0x6c, 0x5a, 0x9a, 0x21}};

struct ICoreWebView2Environment3 : public ICoreWebView2Environment2 {
    virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2CompositionController(
        HWND ParentWindow,
        ICoreWebView2CreateCoreWebView2CompositionControllerCompletedHandler* handler) = 0; // 9
    virtual HRESULT STDMETHODCALLTYPE
    CreateCoreWebView2PointerInfo(ICoreWebView2PointerInfo** value) = 0; // 10
};
__CRT_UUID_DECL(ICoreWebView2Environment3, 0x80a22ae3, 0xbe7c, 0x4ce2, 0xaf, 0xe1, 0x5a, 0x50, 0x05,
                0x6c, 0xde, 0xeb)
inline constexpr IID IID_ICoreWebView2Environment3 = {
    0x80a22ae3, 0xbe7c, 0x4ce2, {0xaf, 0xe1, 0x5a, 0x50, 0x05, 0x6c, 0xde, 0xeb}};

struct ICoreWebView2Environment4 : public ICoreWebView2Environment3 {
    virtual HRESULT STDMETHODCALLTYPE GetAutomationProviderForWindow(HWND hwnd,
                                                                     IUnknown** value) = 0; // 11
};
__CRT_UUID_DECL(ICoreWebView2Environment4, 0x20944379, 0x6dcf, 0x41d6, 0xa0, 0xa0, 0xab, 0xc0, 0xfc,
                0x50, 0xde, 0x0d)
inline constexpr IID IID_ICoreWebView2Environment4 = {
    0x20944379, 0x6dcf, 0x41d6, {0xa0, 0xa0, 0xab, 0xc0, 0xfc, 0x50, 0xde, 0x0d}};

struct ICoreWebView2Environment5 : public ICoreWebView2Environment4 {
    virtual HRESULT STDMETHODCALLTYPE
    add_BrowserProcessExited(ICoreWebView2BrowserProcessExitedEventHandler* eventHandler,
                             EventRegistrationToken* token) = 0; // 12
    virtual HRESULT STDMETHODCALLTYPE
    remove_BrowserProcessExited(EventRegistrationToken token) = 0; // 13
};
__CRT_UUID_DECL(ICoreWebView2Environment5, 0x319e423d, 0xe0d7, 0x4b8d, 0x92, 0x54, 0xae, 0x94, 0x75,
                0xde, 0x9b, 0x17)
inline constexpr IID IID_ICoreWebView2Environment5 = {
    0x319e423d, 0xe0d7, 0x4b8d, {0x92, 0x54, 0xae, 0x94, 0x75, 0xde, 0x9b, 0x17}};

struct ICoreWebView2Environment6 : public ICoreWebView2Environment5 {
    virtual HRESULT STDMETHODCALLTYPE
    CreatePrintSettings(ICoreWebView2PrintSettings** value) = 0; // 14
};
__CRT_UUID_DECL(ICoreWebView2Environment6, 0xe59ee362, 0xacbd, 0x4857, 0x9a, 0x8e, 0xd3, 0x64, 0x4d,
                0x94, 0x59, 0xa9)
inline constexpr IID IID_ICoreWebView2Environment6 = {
    0xe59ee362, 0xacbd, 0x4857, {0x9a, 0x8e, 0xd3, 0x64, 0x4d, 0x94, 0x59, 0xa9}};

struct ICoreWebView2Environment7 : public ICoreWebView2Environment6 {
    virtual HRESULT STDMETHODCALLTYPE get_UserDataFolder(LPWSTR* value) = 0; // 15
};
__CRT_UUID_DECL(ICoreWebView2Environment7, 0x43c22296, 0x3bbd, 0x43a4, 0x9c, 0x00, 0x5c, 0x0d, 0xf6,
                0xdd, 0x29, 0xa2)
inline constexpr IID IID_ICoreWebView2Environment7 = {
    0x43c22296, 0x3bbd, 0x43a4, {0x9c, 0x00, 0x5c, 0x0d, 0xf6, 0xdd, 0x29, 0xa2}};

struct ICoreWebView2Environment8 : public ICoreWebView2Environment7 {
    virtual HRESULT STDMETHODCALLTYPE
    add_ProcessInfosChanged(ICoreWebView2ProcessInfosChangedEventHandler* eventHandler,
                            EventRegistrationToken* token) = 0; // 16
    virtual HRESULT STDMETHODCALLTYPE
    remove_ProcessInfosChanged(EventRegistrationToken token) = 0; // 17
    virtual HRESULT STDMETHODCALLTYPE
    GetProcessInfos(ICoreWebView2ProcessInfoCollection** value) = 0; // 18
};
__CRT_UUID_DECL(ICoreWebView2Environment8, 0xd6eb91dd, 0xc3d2, 0x45e5, 0xbd, 0x29, 0x6d, 0xc2, 0xbc,
                0x4d, 0xe9, 0xcf)
inline constexpr IID IID_ICoreWebView2Environment8 = {
    0xd6eb91dd, 0xc3d2, 0x45e5, {0xbd, 0x29, 0x6d, 0xc2, 0xbc, 0x4d, 0xe9, 0xcf}};

struct ICoreWebView2Environment9 : public ICoreWebView2Environment8 {
    virtual HRESULT STDMETHODCALLTYPE CreateContextMenuItem(
        LPCWSTR Label, IStream* iconStream, COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND Kind,
        ICoreWebView2ContextMenuItem** value) = 0; // 19
};
__CRT_UUID_DECL(ICoreWebView2Environment9, 0xf06f41bf, 0x4b5a, 0x49d8, 0xb9, 0xf6, 0xfa, 0x16, 0xcd,
                0x29, 0xf2, 0x74)
inline constexpr IID IID_ICoreWebView2Environment9 = {
    0xf06f41bf, 0x4b5a, 0x49d8, {0xb9, 0xf6, 0xfa, 0x16, 0xcd, 0x29, 0xf2, 0x74}};

struct ICoreWebView2Environment10 : public ICoreWebView2Environment9 {
    virtual HRESULT STDMETHODCALLTYPE
    CreateCoreWebView2ControllerOptions(ICoreWebView2ControllerOptions** value) = 0; // 20
    virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2ControllerWithOptions(
        HWND ParentWindow, ICoreWebView2ControllerOptions* options,
        ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) = 0; // 21
    virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2CompositionControllerWithOptions(
        HWND ParentWindow, ICoreWebView2ControllerOptions* options,
        ICoreWebView2CreateCoreWebView2CompositionControllerCompletedHandler* handler) = 0; // 22
};
__CRT_UUID_DECL(ICoreWebView2Environment10, 0xee0eb9df, 0x6f12, 0x46ce, 0xb5, 0x3f, 0x3f, 0x47,
                0xb9, 0xc9, 0x28, 0xe0)
inline constexpr IID IID_ICoreWebView2Environment10 = {
    0xee0eb9df, 0x6f12, 0x46ce, {0xb5, 0x3f, 0x3f, 0x47, 0xb9, 0xc9, 0x28, 0xe0}};

struct ICoreWebView2ControllerOptions : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_ProfileName(LPWSTR* value) = 0;          // 3
    virtual HRESULT STDMETHODCALLTYPE put_ProfileName(LPCWSTR value) = 0;          // 4
    virtual HRESULT STDMETHODCALLTYPE get_IsInPrivateModeEnabled(BOOL* value) = 0; // 5
    virtual HRESULT STDMETHODCALLTYPE put_IsInPrivateModeEnabled(BOOL value) = 0;  // 6
};
__CRT_UUID_DECL(ICoreWebView2ControllerOptions, 0x12aae616, 0x8ccb, 0x44ec, 0xbc, 0xb3, 0xeb, 0x18,
                0x31, 0x88, 0x16, 0x35)
inline constexpr IID IID_ICoreWebView2ControllerOptions = {
    0x12aae616, 0x8ccb, 0x44ec, {0xbc, 0xb3, 0xeb, 0x18, 0x31, 0x88, 0x16, 0x35}};

struct ICoreWebView2Controller : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_IsVisible(BOOL* isVisible) = 0;     // 3
    virtual HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL isVisible) = 0;      // 4
    virtual HRESULT STDMETHODCALLTYPE get_Bounds(RECT* bounds) = 0;           // 5
    virtual HRESULT STDMETHODCALLTYPE put_Bounds(RECT bounds) = 0;            // 6
    virtual HRESULT STDMETHODCALLTYPE get_ZoomFactor(double* zoomFactor) = 0; // 7
    virtual HRESULT STDMETHODCALLTYPE put_ZoomFactor(double zoomFactor) = 0;  // 8
    virtual HRESULT STDMETHODCALLTYPE
    add_ZoomFactorChanged(ICoreWebView2ZoomFactorChangedEventHandler* eventHandler,
                          EventRegistrationToken* token) = 0; // 9
    virtual HRESULT STDMETHODCALLTYPE
    remove_ZoomFactorChanged(EventRegistrationToken token) = 0; // 10
    virtual HRESULT STDMETHODCALLTYPE SetBoundsAndZoomFactor(RECT bounds,
                                                             double zoomFactor) = 0;        // 11
    virtual HRESULT STDMETHODCALLTYPE MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON reason) = 0; // 12
    virtual HRESULT STDMETHODCALLTYPE
    add_MoveFocusRequested(ICoreWebView2MoveFocusRequestedEventHandler* eventHandler,
                           EventRegistrationToken* token) = 0; // 13
    virtual HRESULT STDMETHODCALLTYPE
    remove_MoveFocusRequested(EventRegistrationToken token) = 0; // 14
    virtual HRESULT STDMETHODCALLTYPE
    add_GotFocus(ICoreWebView2FocusChangedEventHandler* eventHandler,
                 EventRegistrationToken* token) = 0;                                     // 15
    virtual HRESULT STDMETHODCALLTYPE remove_GotFocus(EventRegistrationToken token) = 0; // 16
    virtual HRESULT STDMETHODCALLTYPE
    add_LostFocus(ICoreWebView2FocusChangedEventHandler* eventHandler,
                  EventRegistrationToken* token) = 0;                                     // 17
    virtual HRESULT STDMETHODCALLTYPE remove_LostFocus(EventRegistrationToken token) = 0; // 18
    virtual HRESULT STDMETHODCALLTYPE
    add_AcceleratorKeyPressed(ICoreWebView2AcceleratorKeyPressedEventHandler* eventHandler,
                              EventRegistrationToken* token) = 0; // 19
    virtual HRESULT STDMETHODCALLTYPE
    remove_AcceleratorKeyPressed(EventRegistrationToken token) = 0;                       // 20
    virtual HRESULT STDMETHODCALLTYPE get_ParentWindow(HWND* parentWindow) = 0;           // 21
    virtual HRESULT STDMETHODCALLTYPE put_ParentWindow(HWND parentWindow) = 0;            // 22
    virtual HRESULT STDMETHODCALLTYPE NotifyParentWindowPositionChanged() = 0;            // 23
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;                                        // 24
    virtual HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** coreWebView2) = 0; // 25
};
__CRT_UUID_DECL(ICoreWebView2Controller, 0x4d00c0d1, 0x9434, 0x4eb6, 0x80, 0x78, 0x86, 0x97, 0xa5,
                0x60, 0x33, 0x4f)
inline constexpr IID IID_ICoreWebView2Controller = {
    0x4d00c0d1, 0x9434, 0x4eb6, {0x80, 0x78, 0x86, 0x97, 0xa5, 0x60, 0x33, 0x4f}};

struct ICoreWebView2 : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** settings) = 0; // 3
    virtual HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* uri) = 0;                        // 4
    virtual HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) = 0;                          // 5
    virtual HRESULT STDMETHODCALLTYPE NavigateToString(LPCWSTR htmlContent) = 0;          // 6
    virtual HRESULT STDMETHODCALLTYPE
    add_NavigationStarting(ICoreWebView2NavigationStartingEventHandler* eventHandler,
                           EventRegistrationToken* token) = 0; // 7
    virtual HRESULT STDMETHODCALLTYPE
    remove_NavigationStarting(EventRegistrationToken token) = 0; // 8
    virtual HRESULT STDMETHODCALLTYPE
    add_ContentLoading(ICoreWebView2ContentLoadingEventHandler* eventHandler,
                       EventRegistrationToken* token) = 0;                                     // 9
    virtual HRESULT STDMETHODCALLTYPE remove_ContentLoading(EventRegistrationToken token) = 0; // 10
    virtual HRESULT STDMETHODCALLTYPE
    add_SourceChanged(ICoreWebView2SourceChangedEventHandler* eventHandler,
                      EventRegistrationToken* token) = 0;                                     // 11
    virtual HRESULT STDMETHODCALLTYPE remove_SourceChanged(EventRegistrationToken token) = 0; // 12
    virtual HRESULT STDMETHODCALLTYPE
    add_HistoryChanged(ICoreWebView2HistoryChangedEventHandler* eventHandler,
                       EventRegistrationToken* token) = 0;                                     // 13
    virtual HRESULT STDMETHODCALLTYPE remove_HistoryChanged(EventRegistrationToken token) = 0; // 14
    virtual HRESULT STDMETHODCALLTYPE
    add_NavigationCompleted(ICoreWebView2NavigationCompletedEventHandler* eventHandler,
                            EventRegistrationToken* token) = 0; // 15
    virtual HRESULT STDMETHODCALLTYPE
    remove_NavigationCompleted(EventRegistrationToken token) = 0; // 16
    virtual HRESULT STDMETHODCALLTYPE
    add_FrameNavigationStarting(ICoreWebView2NavigationStartingEventHandler* eventHandler,
                                EventRegistrationToken* token) = 0; // 17
    virtual HRESULT STDMETHODCALLTYPE
    remove_FrameNavigationStarting(EventRegistrationToken token) = 0; // 18
    virtual HRESULT STDMETHODCALLTYPE
    add_FrameNavigationCompleted(ICoreWebView2NavigationCompletedEventHandler* eventHandler,
                                 EventRegistrationToken* token) = 0; // 19
    virtual HRESULT STDMETHODCALLTYPE
    remove_FrameNavigationCompleted(EventRegistrationToken token) = 0; // 20
    virtual HRESULT STDMETHODCALLTYPE
    add_ScriptDialogOpening(ICoreWebView2ScriptDialogOpeningEventHandler* eventHandler,
                            EventRegistrationToken* token) = 0; // 21
    virtual HRESULT STDMETHODCALLTYPE
    remove_ScriptDialogOpening(EventRegistrationToken token) = 0; // 22
    virtual HRESULT STDMETHODCALLTYPE
    add_PermissionRequested(ICoreWebView2PermissionRequestedEventHandler* eventHandler,
                            EventRegistrationToken* token) = 0; // 23
    virtual HRESULT STDMETHODCALLTYPE
    remove_PermissionRequested(EventRegistrationToken token) = 0; // 24
    virtual HRESULT STDMETHODCALLTYPE
    add_ProcessFailed(ICoreWebView2ProcessFailedEventHandler* eventHandler,
                      EventRegistrationToken* token) = 0;                                     // 25
    virtual HRESULT STDMETHODCALLTYPE remove_ProcessFailed(EventRegistrationToken token) = 0; // 26
    virtual HRESULT STDMETHODCALLTYPE AddScriptToExecuteOnDocumentCreated(
        LPCWSTR javaScript,
        ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) = 0;       // 27
    virtual HRESULT STDMETHODCALLTYPE RemoveScriptToExecuteOnDocumentCreated(LPCWSTR id) = 0; // 28
    virtual HRESULT STDMETHODCALLTYPE ExecuteScript(
        LPCWSTR javaScript, ICoreWebView2ExecuteScriptCompletedHandler* handler) = 0; // 29
    virtual HRESULT STDMETHODCALLTYPE
    CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT imageFormat, IStream* imageStream,
                   ICoreWebView2CapturePreviewCompletedHandler* handler) = 0;                 // 30
    virtual HRESULT STDMETHODCALLTYPE Reload() = 0;                                           // 31
    virtual HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(LPCWSTR webMessageAsJson) = 0;     // 32
    virtual HRESULT STDMETHODCALLTYPE PostWebMessageAsString(LPCWSTR webMessageAsString) = 0; // 33
    virtual HRESULT STDMETHODCALLTYPE
    add_WebMessageReceived(ICoreWebView2WebMessageReceivedEventHandler* handler,
                           EventRegistrationToken* token) = 0; // 34
    virtual HRESULT STDMETHODCALLTYPE
    remove_WebMessageReceived(EventRegistrationToken token) = 0; // 35
    virtual HRESULT STDMETHODCALLTYPE CallDevToolsProtocolMethod(
        LPCWSTR methodName, LPCWSTR parametersAsJson,
        ICoreWebView2CallDevToolsProtocolMethodCompletedHandler* handler) = 0;  // 36
    virtual HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32* value) = 0;  // 37
    virtual HRESULT STDMETHODCALLTYPE get_CanGoBack(BOOL* canGoBack) = 0;       // 38
    virtual HRESULT STDMETHODCALLTYPE get_CanGoForward(BOOL* canGoForward) = 0; // 39
    virtual HRESULT STDMETHODCALLTYPE GoBack() = 0;                             // 40
    virtual HRESULT STDMETHODCALLTYPE GoForward() = 0;                          // 41
    virtual HRESULT STDMETHODCALLTYPE GetDevToolsProtocolEventReceiver(
        LPCWSTR eventName, ICoreWebView2DevToolsProtocolEventReceiver** receiver) = 0; // 42
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0;                                      // 43
    virtual HRESULT STDMETHODCALLTYPE
    add_NewWindowRequested(ICoreWebView2NewWindowRequestedEventHandler* eventHandler,
                           EventRegistrationToken* token) = 0; // 44
    virtual HRESULT STDMETHODCALLTYPE
    remove_NewWindowRequested(EventRegistrationToken token) = 0; // 45
    virtual HRESULT STDMETHODCALLTYPE
    add_DocumentTitleChanged(ICoreWebView2DocumentTitleChangedEventHandler* eventHandler,
                             EventRegistrationToken* token) = 0; // 46
    virtual HRESULT STDMETHODCALLTYPE
    remove_DocumentTitleChanged(EventRegistrationToken token) = 0;          // 47
    virtual HRESULT STDMETHODCALLTYPE get_DocumentTitle(LPWSTR* title) = 0; // 48
    virtual HRESULT STDMETHODCALLTYPE AddHostObjectToScript(LPCWSTR name,
                                                            VARIANT* object) = 0;   // 49
    virtual HRESULT STDMETHODCALLTYPE RemoveHostObjectFromScript(LPCWSTR name) = 0; // 50
    virtual HRESULT STDMETHODCALLTYPE OpenDevToolsWindow() = 0;                     // 51
    virtual HRESULT STDMETHODCALLTYPE add_ContainsFullScreenElementChanged(
        ICoreWebView2ContainsFullScreenElementChangedEventHandler* eventHandler,
        EventRegistrationToken* token) = 0; // 52
    virtual HRESULT STDMETHODCALLTYPE
    remove_ContainsFullScreenElementChanged(EventRegistrationToken token) = 0; // 53
    virtual HRESULT STDMETHODCALLTYPE
    get_ContainsFullScreenElement(BOOL* containsFullScreenElement) = 0; // 54
    virtual HRESULT STDMETHODCALLTYPE
    add_WebResourceRequested(ICoreWebView2WebResourceRequestedEventHandler* eventHandler,
                             EventRegistrationToken* token) = 0; // 55
    virtual HRESULT STDMETHODCALLTYPE
    remove_WebResourceRequested(EventRegistrationToken token) = 0; // 56
    virtual HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilter(
        const LPCWSTR uri, const COREWEBVIEW2_WEB_RESOURCE_CONTEXT resourceContext) = 0; // 57
    virtual HRESULT STDMETHODCALLTYPE RemoveWebResourceRequestedFilter(
        const LPCWSTR uri, const COREWEBVIEW2_WEB_RESOURCE_CONTEXT resourceContext) = 0; // 58
    virtual HRESULT STDMETHODCALLTYPE
    add_WindowCloseRequested(ICoreWebView2WindowCloseRequestedEventHandler* eventHandler,
                             EventRegistrationToken* token) = 0; // 59
    virtual HRESULT STDMETHODCALLTYPE
    remove_WindowCloseRequested(EventRegistrationToken token) = 0; // 60
};
__CRT_UUID_DECL(ICoreWebView2, 0x76eceacb, 0x0462, 0x4d94, 0xac, 0x83, 0x42, 0x3a, 0x67, 0x93, 0x77,
                0x5e)
inline constexpr IID IID_ICoreWebView2 = {
    0x76eceacb, 0x0462, 0x4d94, {0xac, 0x83, 0x42, 0x3a, 0x67, 0x93, 0x77, 0x5e}};

struct ICoreWebView2_2 : public ICoreWebView2 {
    virtual HRESULT STDMETHODCALLTYPE add_WebResourceResponseReceived(
        ICoreWebView2WebResourceResponseReceivedEventHandler* eventHandler,
        EventRegistrationToken* token) = 0; // 61
    virtual HRESULT STDMETHODCALLTYPE
    remove_WebResourceResponseReceived(EventRegistrationToken token) = 0; // 62
    virtual HRESULT STDMETHODCALLTYPE
    NavigateWithWebResourceRequest(ICoreWebView2WebResourceRequest* request) = 0; // 63
    virtual HRESULT STDMETHODCALLTYPE
    add_DOMContentLoaded(ICoreWebView2DOMContentLoadedEventHandler* eventHandler,
                         EventRegistrationToken* token) = 0; // 64
    virtual HRESULT STDMETHODCALLTYPE
    remove_DOMContentLoaded(EventRegistrationToken token) = 0; // 65
    virtual HRESULT STDMETHODCALLTYPE
    get_CookieManager(ICoreWebView2CookieManager** cookieManager) = 0; // 66
    virtual HRESULT STDMETHODCALLTYPE
    get_Environment(ICoreWebView2Environment** environment) = 0; // 67
};
__CRT_UUID_DECL(ICoreWebView2_2, 0x9e8f0cf8, 0xe670, 0x4b5e, 0xb2, 0xbc, 0x73, 0xe0, 0x61, 0xe3,
                0x18, 0x4c)
inline constexpr IID IID_ICoreWebView2_2 = {
    0x9e8f0cf8, 0xe670, 0x4b5e, {0xb2, 0xbc, 0x73, 0xe0, 0x61, 0xe3, 0x18, 0x4c}};

struct ICoreWebView2_3 : public ICoreWebView2_2 {
    virtual HRESULT STDMETHODCALLTYPE
    TrySuspend(ICoreWebView2TrySuspendCompletedHandler* handler) = 0;         // 68
    virtual HRESULT STDMETHODCALLTYPE Resume() = 0;                           // 69
    virtual HRESULT STDMETHODCALLTYPE get_IsSuspended(BOOL* isSuspended) = 0; // 70
    virtual HRESULT STDMETHODCALLTYPE
    SetVirtualHostNameToFolderMapping(LPCWSTR hostName, LPCWSTR folderPath,
                                      COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND accessKind) = 0; // 71
    virtual HRESULT STDMETHODCALLTYPE
    ClearVirtualHostNameToFolderMapping(LPCWSTR hostName) = 0; // 72
};
__CRT_UUID_DECL(ICoreWebView2_3, 0xa0d6df20, 0x3b92, 0x416d, 0xaa, 0x0c, 0x43, 0x7a, 0x9c, 0x72,
                0x78, 0x57)
inline constexpr IID IID_ICoreWebView2_3 = {
    0xa0d6df20, 0x3b92, 0x416d, {0xaa, 0x0c, 0x43, 0x7a, 0x9c, 0x72, 0x78, 0x57}};

struct ICoreWebView2_4 : public ICoreWebView2_3 {
    virtual HRESULT STDMETHODCALLTYPE
    add_FrameCreated(ICoreWebView2FrameCreatedEventHandler* eventHandler,
                     EventRegistrationToken* token) = 0;                                     // 73
    virtual HRESULT STDMETHODCALLTYPE remove_FrameCreated(EventRegistrationToken token) = 0; // 74
    virtual HRESULT STDMETHODCALLTYPE
    add_DownloadStarting(ICoreWebView2DownloadStartingEventHandler* eventHandler,
                         EventRegistrationToken* token) = 0; // 75
    virtual HRESULT STDMETHODCALLTYPE
    remove_DownloadStarting(EventRegistrationToken token) = 0; // 76
};
__CRT_UUID_DECL(ICoreWebView2_4, 0x20d02d59, 0x6df2, 0x42dc, 0xbd, 0x06, 0xf9, 0x8a, 0x69, 0x4b,
                0x13, 0x02)
inline constexpr IID IID_ICoreWebView2_4 = {
    0x20d02d59, 0x6df2, 0x42dc, {0xbd, 0x06, 0xf9, 0x8a, 0x69, 0x4b, 0x13, 0x02}};

struct ICoreWebView2_5 : public ICoreWebView2_4 {
    virtual HRESULT STDMETHODCALLTYPE add_ClientCertificateRequested(
        ICoreWebView2ClientCertificateRequestedEventHandler* eventHandler,
        EventRegistrationToken* token) = 0; // 77
    virtual HRESULT STDMETHODCALLTYPE
    remove_ClientCertificateRequested(EventRegistrationToken token) = 0; // 78
};
__CRT_UUID_DECL(ICoreWebView2_5, 0xbedb11b8, 0xd63c, 0x11eb, 0xb8, 0xbc, 0x02, 0x42, 0xac, 0x13,
                0x00, 0x03)
inline constexpr IID IID_ICoreWebView2_5 = {
    0xbedb11b8, 0xd63c, 0x11eb, {0xb8, 0xbc, 0x02, 0x42, 0xac, 0x13, 0x00, 0x03}};

struct ICoreWebView2_6 : public ICoreWebView2_5 {
    virtual HRESULT STDMETHODCALLTYPE OpenTaskManagerWindow() = 0; // 79
};
__CRT_UUID_DECL(ICoreWebView2_6, 0x499aadac, 0xd92c, 0x4589, 0x8a, 0x75, 0x11, 0x1b, 0xfc, 0x16,
                0x77, 0x95)
inline constexpr IID IID_ICoreWebView2_6 = {
    0x499aadac, 0xd92c, 0x4589, {0x8a, 0x75, 0x11, 0x1b, 0xfc, 0x16, 0x77, 0x95}};

struct ICoreWebView2_7 : public ICoreWebView2_6 {
    virtual HRESULT STDMETHODCALLTYPE
    PrintToPdf(LPCWSTR ResultFilePath, ICoreWebView2PrintSettings* printSettings,
               ICoreWebView2PrintToPdfCompletedHandler* handler) = 0; // 80
};
__CRT_UUID_DECL(ICoreWebView2_7, 0x79c24d83, 0x09a3, 0x45ae, 0x94, 0x18, 0x48, 0x7f, 0x32, 0xa5,
                0x87, 0x40)
inline constexpr IID IID_ICoreWebView2_7 = {
    0x79c24d83, 0x09a3, 0x45ae, {0x94, 0x18, 0x48, 0x7f, 0x32, 0xa5, 0x87, 0x40}};

struct ICoreWebView2_8 : public ICoreWebView2_7 {
    virtual HRESULT STDMETHODCALLTYPE
    add_IsMutedChanged(ICoreWebView2IsMutedChangedEventHandler* eventHandler,
                       EventRegistrationToken* token) = 0;                                     // 81
    virtual HRESULT STDMETHODCALLTYPE remove_IsMutedChanged(EventRegistrationToken token) = 0; // 82
    virtual HRESULT STDMETHODCALLTYPE get_IsMuted(BOOL* value) = 0;                            // 83
    virtual HRESULT STDMETHODCALLTYPE put_IsMuted(BOOL value) = 0;                             // 84
    virtual HRESULT STDMETHODCALLTYPE add_IsDocumentPlayingAudioChanged(
        ICoreWebView2IsDocumentPlayingAudioChangedEventHandler* eventHandler,
        EventRegistrationToken* token) = 0; // 85
    virtual HRESULT STDMETHODCALLTYPE
    remove_IsDocumentPlayingAudioChanged(EventRegistrationToken token) = 0;        // 86
    virtual HRESULT STDMETHODCALLTYPE get_IsDocumentPlayingAudio(BOOL* value) = 0; // 87
};
__CRT_UUID_DECL(ICoreWebView2_8, 0xe9632730, 0x6e1e, 0x43ab, 0xb7, 0xb8, 0x7b, 0x2c, 0x9e, 0x62,
                0xe0, 0x94)
inline constexpr IID IID_ICoreWebView2_8 = {
    0xe9632730, 0x6e1e, 0x43ab, {0xb7, 0xb8, 0x7b, 0x2c, 0x9e, 0x62, 0xe0, 0x94}};

struct ICoreWebView2_9 : public ICoreWebView2_8 {
    virtual HRESULT STDMETHODCALLTYPE add_IsDefaultDownloadDialogOpenChanged(
        ICoreWebView2IsDefaultDownloadDialogOpenChangedEventHandler* handler,
        EventRegistrationToken* token) = 0; // 88
    virtual HRESULT STDMETHODCALLTYPE
    remove_IsDefaultDownloadDialogOpenChanged(EventRegistrationToken token) = 0;        // 89
    virtual HRESULT STDMETHODCALLTYPE get_IsDefaultDownloadDialogOpen(BOOL* value) = 0; // 90
    virtual HRESULT STDMETHODCALLTYPE OpenDefaultDownloadDialog() = 0;                  // 91
    virtual HRESULT STDMETHODCALLTYPE CloseDefaultDownloadDialog() = 0;                 // 92
    virtual HRESULT STDMETHODCALLTYPE get_DefaultDownloadDialogCornerAlignment(
        COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT* value) = 0; // 93
    virtual HRESULT STDMETHODCALLTYPE put_DefaultDownloadDialogCornerAlignment(
        COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT value) = 0;                // 94
    virtual HRESULT STDMETHODCALLTYPE get_DefaultDownloadDialogMargin(POINT* value) = 0; // 95
    virtual HRESULT STDMETHODCALLTYPE put_DefaultDownloadDialogMargin(POINT value) = 0;  // 96
};
__CRT_UUID_DECL(ICoreWebView2_9, 0x4d7b2eab, 0x9fdc, 0x468d, 0xb9, 0x98, 0xa9, 0x26, 0x0b, 0x5e,
                0xd6, 0x51)
inline constexpr IID IID_ICoreWebView2_9 = {
    0x4d7b2eab, 0x9fdc, 0x468d, {0xb9, 0x98, 0xa9, 0x26, 0x0b, 0x5e, 0xd6, 0x51}};

struct ICoreWebView2_10 : public ICoreWebView2_9 {
    virtual HRESULT STDMETHODCALLTYPE add_BasicAuthenticationRequested(
        ICoreWebView2BasicAuthenticationRequestedEventHandler* eventHandler,
        EventRegistrationToken* token) = 0; // 97
    virtual HRESULT STDMETHODCALLTYPE
    remove_BasicAuthenticationRequested(EventRegistrationToken token) = 0; // 98
};
__CRT_UUID_DECL(ICoreWebView2_10, 0xb1690564, 0x6f5a, 0x4983, 0x8e, 0x48, 0x31, 0xd1, 0x14, 0x3f,
                0xec, 0xdb)
inline constexpr IID IID_ICoreWebView2_10 = {
    0xb1690564, 0x6f5a, 0x4983, {0x8e, 0x48, 0x31, 0xd1, 0x14, 0x3f, 0xec, 0xdb}};

struct ICoreWebView2_11 : public ICoreWebView2_10 {
    virtual HRESULT STDMETHODCALLTYPE CallDevToolsProtocolMethodForSession(
        LPCWSTR sessionId, LPCWSTR methodName, LPCWSTR parametersAsJson,
        ICoreWebView2CallDevToolsProtocolMethodCompletedHandler* handler) = 0; // 99
    virtual HRESULT STDMETHODCALLTYPE
    add_ContextMenuRequested(ICoreWebView2ContextMenuRequestedEventHandler* eventHandler,
                             EventRegistrationToken* token) = 0; // 100
    virtual HRESULT STDMETHODCALLTYPE
    remove_ContextMenuRequested(EventRegistrationToken token) = 0; // 101
};
__CRT_UUID_DECL(ICoreWebView2_11, 0x0be78e56, 0xc193, 0x4051, 0xb9, 0x43, 0x23, 0xb4, 0x60, 0xc0,
                0x8b, 0xdb)
inline constexpr IID IID_ICoreWebView2_11 = {
    0x0be78e56, 0xc193, 0x4051, {0xb9, 0x43, 0x23, 0xb4, 0x60, 0xc0, 0x8b, 0xdb}};

struct ICoreWebView2_12 : public ICoreWebView2_11 {
    virtual HRESULT STDMETHODCALLTYPE
    add_StatusBarTextChanged(ICoreWebView2StatusBarTextChangedEventHandler* eventHandler,
                             EventRegistrationToken* token) = 0; // 102
    virtual HRESULT STDMETHODCALLTYPE
    remove_StatusBarTextChanged(EventRegistrationToken token) = 0;          // 103
    virtual HRESULT STDMETHODCALLTYPE get_StatusBarText(LPWSTR* value) = 0; // 104
};
__CRT_UUID_DECL(ICoreWebView2_12, 0x35d69927, 0xbcfa, 0x4566, 0x93, 0x49, 0x6b, 0x3e, 0x0d, 0x15,
                0x4c, 0xac)
inline constexpr IID IID_ICoreWebView2_12 = {
    0x35d69927, 0xbcfa, 0x4566, {0x93, 0x49, 0x6b, 0x3e, 0x0d, 0x15, 0x4c, 0xac}};

struct ICoreWebView2_13 : public ICoreWebView2_12 {
    virtual HRESULT STDMETHODCALLTYPE get_Profile(ICoreWebView2Profile** value) = 0; // 105
};
__CRT_UUID_DECL(ICoreWebView2_13, 0xf75f09a8, 0x667e, 0x4983, 0x88, 0xd6, 0xc8, 0x77, 0x3f, 0x31,
                0x5e, 0x84)
inline constexpr IID IID_ICoreWebView2_13 = {
    0xf75f09a8, 0x667e, 0x4983, {0x88, 0xd6, 0xc8, 0x77, 0x3f, 0x31, 0x5e, 0x84}};

struct ICoreWebView2Settings : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_IsScriptEnabled(BOOL* isScriptEnabled) = 0;         // 3
    virtual HRESULT STDMETHODCALLTYPE put_IsScriptEnabled(BOOL isScriptEnabled) = 0;          // 4
    virtual HRESULT STDMETHODCALLTYPE get_IsWebMessageEnabled(BOOL* isWebMessageEnabled) = 0; // 5
    virtual HRESULT STDMETHODCALLTYPE put_IsWebMessageEnabled(BOOL isWebMessageEnabled) = 0;  // 6
    virtual HRESULT STDMETHODCALLTYPE
    get_AreDefaultScriptDialogsEnabled(BOOL* areDefaultScriptDialogsEnabled) = 0; // 7
    virtual HRESULT STDMETHODCALLTYPE
    put_AreDefaultScriptDialogsEnabled(BOOL areDefaultScriptDialogsEnabled) = 0;            // 8
    virtual HRESULT STDMETHODCALLTYPE get_IsStatusBarEnabled(BOOL* isStatusBarEnabled) = 0; // 9
    virtual HRESULT STDMETHODCALLTYPE put_IsStatusBarEnabled(BOOL isStatusBarEnabled) = 0;  // 10
    virtual HRESULT STDMETHODCALLTYPE get_AreDevToolsEnabled(BOOL* areDevToolsEnabled) = 0; // 11
    virtual HRESULT STDMETHODCALLTYPE put_AreDevToolsEnabled(BOOL areDevToolsEnabled) = 0;  // 12
    virtual HRESULT STDMETHODCALLTYPE get_AreDefaultContextMenusEnabled(BOOL* enabled) = 0; // 13
    virtual HRESULT STDMETHODCALLTYPE put_AreDefaultContextMenusEnabled(BOOL enabled) = 0;  // 14
    virtual HRESULT STDMETHODCALLTYPE get_AreHostObjectsAllowed(BOOL* allowed) = 0;         // 15
    virtual HRESULT STDMETHODCALLTYPE put_AreHostObjectsAllowed(BOOL allowed) = 0;          // 16
    virtual HRESULT STDMETHODCALLTYPE get_IsZoomControlEnabled(BOOL* enabled) = 0;          // 17
    virtual HRESULT STDMETHODCALLTYPE put_IsZoomControlEnabled(BOOL enabled) = 0;           // 18
    virtual HRESULT STDMETHODCALLTYPE get_IsBuiltInErrorPageEnabled(BOOL* enabled) = 0;     // 19
    virtual HRESULT STDMETHODCALLTYPE put_IsBuiltInErrorPageEnabled(BOOL enabled) = 0;      // 20
};
__CRT_UUID_DECL(ICoreWebView2Settings, 0xe562e4f0, 0xd7fa, 0x43ac, 0x8d, 0x71, 0xc0, 0x51, 0x50,
                0x49, 0x9f, 0x00)
inline constexpr IID IID_ICoreWebView2Settings = {
    0xe562e4f0, 0xd7fa, 0x43ac, {0x8d, 0x71, 0xc0, 0x51, 0x50, 0x49, 0x9f, 0x00}};

struct ICoreWebView2Profile : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_ProfileName(LPWSTR* value) = 0;               // 3
    virtual HRESULT STDMETHODCALLTYPE get_IsInPrivateModeEnabled(BOOL* value) = 0;      // 4
    virtual HRESULT STDMETHODCALLTYPE get_ProfilePath(LPWSTR* value) = 0;               // 5
    virtual HRESULT STDMETHODCALLTYPE get_DefaultDownloadFolderPath(LPWSTR* value) = 0; // 6
    virtual HRESULT STDMETHODCALLTYPE put_DefaultDownloadFolderPath(LPCWSTR value) = 0; // 7
    virtual HRESULT STDMETHODCALLTYPE
    get_PreferredColorScheme(COREWEBVIEW2_PREFERRED_COLOR_SCHEME* value) = 0; // 8
    virtual HRESULT STDMETHODCALLTYPE
    put_PreferredColorScheme(COREWEBVIEW2_PREFERRED_COLOR_SCHEME value) = 0; // 9
};
__CRT_UUID_DECL(ICoreWebView2Profile, 0x79110ad3, 0xcd5d, 0x4373, 0x8b, 0xc3, 0xc6, 0x06, 0x58,
                0xf1, 0x7a, 0x5f)
inline constexpr IID IID_ICoreWebView2Profile = {
    0x79110ad3, 0xcd5d, 0x4373, {0x8b, 0xc3, 0xc6, 0x06, 0x58, 0xf1, 0x7a, 0x5f}};

struct ICoreWebView2Profile2 : public ICoreWebView2Profile {
    virtual HRESULT STDMETHODCALLTYPE
    ClearBrowsingData(COREWEBVIEW2_BROWSING_DATA_KINDS dataKinds,
                      ICoreWebView2ClearBrowsingDataCompletedHandler* handler) = 0; // 10
    virtual HRESULT STDMETHODCALLTYPE ClearBrowsingDataInTimeRange(
        COREWEBVIEW2_BROWSING_DATA_KINDS dataKinds, double startTime, double endTime,
        ICoreWebView2ClearBrowsingDataCompletedHandler* handler) = 0; // 11
    virtual HRESULT STDMETHODCALLTYPE
    ClearBrowsingDataAll(ICoreWebView2ClearBrowsingDataCompletedHandler* handler) = 0; // 12
};
__CRT_UUID_DECL(ICoreWebView2Profile2, 0xfa740d4b, 0x5eae, 0x4344, 0xa8, 0xad, 0x74, 0xbe, 0x31,
                0x92, 0x53, 0x97)
inline constexpr IID IID_ICoreWebView2Profile2 = {
    0xfa740d4b, 0x5eae, 0x4344, {0xa8, 0xad, 0x74, 0xbe, 0x31, 0x92, 0x53, 0x97}};

struct ICoreWebView2NavigationStartingEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;                       // 3
    virtual HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* isUserInitiated) = 0; // 4
    virtual HRESULT STDMETHODCALLTYPE get_IsRedirected(BOOL* isRedirected) = 0;       // 5
    virtual HRESULT STDMETHODCALLTYPE
    get_RequestHeaders(ICoreWebView2HttpRequestHeaders** requestHeaders) = 0;     // 6
    virtual HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) = 0;               // 7
    virtual HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) = 0;                // 8
    virtual HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* navigationId) = 0; // 9
};
__CRT_UUID_DECL(ICoreWebView2NavigationStartingEventArgs, 0x5b495469, 0xe119, 0x438a, 0x9b, 0x18,
                0x76, 0x04, 0xf2, 0x5f, 0x2e, 0x49)
inline constexpr IID IID_ICoreWebView2NavigationStartingEventArgs = {
    0x5b495469, 0xe119, 0x438a, {0x9b, 0x18, 0x76, 0x04, 0xf2, 0x5f, 0x2e, 0x49}};

struct ICoreWebView2NavigationCompletedEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_IsSuccess(BOOL* isSuccess) = 0; // 3
    virtual HRESULT STDMETHODCALLTYPE
    get_WebErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS* webErrorStatus) = 0;        // 4
    virtual HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* navigationId) = 0; // 5
};
__CRT_UUID_DECL(ICoreWebView2NavigationCompletedEventArgs, 0x30d68b7d, 0x20d9, 0x4752, 0xa9, 0xca,
                0xec, 0x84, 0x48, 0xfb, 0xb5, 0xc1)
inline constexpr IID IID_ICoreWebView2NavigationCompletedEventArgs = {
    0x30d68b7d, 0x20d9, 0x4752, {0xa9, 0xca, 0xec, 0x84, 0x48, 0xfb, 0xb5, 0xc1}};

struct ICoreWebView2AcceleratorKeyPressedEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE
    get_KeyEventKind(COREWEBVIEW2_KEY_EVENT_KIND* keyEventKind) = 0;        // 3
    virtual HRESULT STDMETHODCALLTYPE get_VirtualKey(UINT* virtualKey) = 0; // 4
    virtual HRESULT STDMETHODCALLTYPE get_KeyEventLParam(INT* lParam) = 0;  // 5
    virtual HRESULT STDMETHODCALLTYPE
    get_PhysicalKeyStatus(COREWEBVIEW2_PHYSICAL_KEY_STATUS* physicalKeyStatus) = 0; // 6
    virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) = 0;               // 7
    virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) = 0;                // 8
};
__CRT_UUID_DECL(ICoreWebView2AcceleratorKeyPressedEventArgs, 0x9f760f8a, 0xfb79, 0x42be, 0x99, 0x90,
                0x7b, 0x56, 0x90, 0x0f, 0xa9, 0xc7)
inline constexpr IID IID_ICoreWebView2AcceleratorKeyPressedEventArgs = {
    0x9f760f8a, 0xfb79, 0x42be, {0x99, 0x90, 0x7b, 0x56, 0x90, 0x0f, 0xa9, 0xc7}};

struct ICoreWebView2ProcessFailedEventArgs : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE
    get_ProcessFailedKind(COREWEBVIEW2_PROCESS_FAILED_KIND* value) = 0; // 3
};
__CRT_UUID_DECL(ICoreWebView2ProcessFailedEventArgs, 0x8155a9a4, 0x1474, 0x4a86, 0x8c, 0xae, 0x15,
                0x1b, 0x0f, 0xa6, 0xb8, 0xca)
inline constexpr IID IID_ICoreWebView2ProcessFailedEventArgs = {
    0x8155a9a4, 0x1474, 0x4a86, {0x8c, 0xae, 0x15, 0x1b, 0x0f, 0xa6, 0xb8, 0xca}};

// The entry point `CreateWebViewEnvironmentWithOptionsInternal` of the runtime's
// EmbeddedBrowserWebView.dll. The first argument is always true; `runtimeType` is 0 for an
// installed runtime and 1 for a fixed-version folder; `userDataFolder` may be null (the runtime's
// default); `environmentOptions` is an ICoreWebView2EnvironmentOptions or null.
enum WebView2RuntimeType : INT32 {
    WebView2RuntimeInstalled = 0,
    WebView2RuntimeFixedVersion = 1,
};
typedef HRESULT(STDMETHODCALLTYPE* CreateWebViewEnvironmentWithOptionsInternalProc)(
    bool unknown, WebView2RuntimeType runtimeType, PCWSTR userDataFolder,
    IUnknown* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentCreatedHandler);
