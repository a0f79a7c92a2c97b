#include "platform/com/device_interface_guid.h"

namespace platform {

const _bstr_t g_bstrDeviceInterfaceGuid("{325ddf96-938c-11d3-9e34-0080c82727f4}");

}  // namespace platform
