#include "mainwindow/ClearCache.h"

#include "base/Text.h"
#include "browser/IBrowser.h"
#include "mainwindow/CacheMain.h"

namespace velm {

void ClearCachesAndReport(HWND owner) {
    ClearUrlCache("*.*", 0x300000);
    ClearBrowserCaches([owner] {
        ShowMessage(::IsWindow(owner) ? owner : nullptr, "缓存已清理完毕！", "缓存清理",
                    MB_ICONINFORMATION | MB_OK);
    });
}

} // namespace velm
