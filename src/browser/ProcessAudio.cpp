#include "browser/ProcessAudio.h"

#include "base/Handles.h"
#include "base/Log.h"

#include <audiopolicy.h>
#include <mmdeviceapi.h>

namespace velm {

bool SetProcessAudioMuted(bool muted) {
    ComPtr<IMMDeviceEnumerator> devices;
    HRESULT hr = ::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                                    __uuidof(IMMDeviceEnumerator), devices.put_void());
    if (FAILED(hr)) {
        LogCallFailed("SetProcessAudioMuted: CoCreateInstance(MMDeviceEnumerator), no audio "
                      "service to mute through",
                      static_cast<unsigned long>(hr));
        return false;
    }
    ComPtr<IMMDevice> device;
    hr = devices->GetDefaultAudioEndpoint(eRender, eMultimedia, device.put());
    if (FAILED(hr)) {
        LogCallFailed("SetProcessAudioMuted: GetDefaultAudioEndpoint, no audio output device, "
                      "nothing to mute",
                      static_cast<unsigned long>(hr));
        return false;
    }
    ComPtr<IAudioSessionManager> sessions;
    hr = device->Activate(__uuidof(IAudioSessionManager), CLSCTX_INPROC_SERVER, nullptr,
                          sessions.put_void());
    if (FAILED(hr)) {
        LogCallFailed("SetProcessAudioMuted: IMMDevice::Activate(IAudioSessionManager)",
                      static_cast<unsigned long>(hr));
        return false;
    }
    // The default session of this process alone (no cross-process session).
    ComPtr<ISimpleAudioVolume> volume;
    hr = sessions->GetSimpleAudioVolume(nullptr, FALSE, volume.put());
    if (FAILED(hr)) {
        LogCallFailed("SetProcessAudioMuted: GetSimpleAudioVolume", static_cast<unsigned long>(hr));
        return false;
    }
    hr = volume->SetMute(muted ? TRUE : FALSE, nullptr);
    if (FAILED(hr)) {
        LogCallFailed("SetProcessAudioMuted: ISimpleAudioVolume::SetMute",
                      static_cast<unsigned long>(hr));
        return false;
    }
    return true;
}

} // namespace velm
