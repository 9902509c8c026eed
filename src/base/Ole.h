// OLE on the program's window thread, started when something first needs it. The browsers need
// it; the splash does not, and starting it before the splash cost tens of milliseconds under Wine
// (OLE makes a hidden window of its own, and with it the display driver starts) that the splash
// waited for.
#pragma once

namespace velm {

// Starts OLE on the calling thread, the program's window thread, the first time; later calls do
// nothing. A failure is logged with its HRESULT.
void StartOle();
// Ends OLE if StartOle started it.
void EndOle();

} // namespace velm
