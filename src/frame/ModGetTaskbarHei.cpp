#include "frame/ModGetTaskbarHei.h"

#include "base/Units.h"
#include "frame/FrameGeometry.h"

#include <windows.h>

namespace velm {

short GetTaskbarHeight() {
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    long screenHeightTwips = static_cast<long>(::GetSystemMetrics(SM_CYSCREEN)) * kTwipsPerPixel;
    return FrameGeometry::TaskbarHeightTwips(screenHeightTwips, kTwipsPerPixel, work.bottom);
}

} // namespace velm
