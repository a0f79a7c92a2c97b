#pragma once

// The hidden dialog that hosts the USB access control (template 103, control 1044) and turns
// the control's one event, a text naming what happened, into messages to the worker's main
// window.

#include "device_link/usb_access_class.h"
#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"
#include "platform/ui/dialog.h"
#include "platform/win_types.h"

class CUSBAccessFormEvents;

class CUSBAccessForm : public platform::Dialog {
 public:
  static constexpr platform::UINT IDD = 103;
  static constexpr int kUsbAccessControlId = 1044;

  CUSBAccessForm();
  CUSBAccessForm(const CUSBAccessForm&) = delete;
  CUSBAccessForm& operator=(const CUSBAccessForm&) = delete;
  ~CUSBAccessForm() override;

  // The control's event: `text` says what happened; `value` is not used.
  void OnControlEvent(platform::BSTR* text, platform::LONG* value);

  C_USBAccessClass m_ctlUSBAccess;

 protected:
  // Binds control 1044 to m_ctlUSBAccess: creates the component its template line names and
  // connects the form to the component's event.
  void DoDataExchange(platform::DataExchange& exchange) override;

 private:
  void BindControl();
  void ReleaseControl();

  platform::ComPtr<CUSBAccessFormEvents> events_;
  platform::DWORD cookie_ = 0;
};
