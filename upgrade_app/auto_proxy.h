#pragma once

// The automation object "CorvikUpgrade.Application". Its class factory is built with the
// program but never registered, so no client can create one in the running program; the
// dispatch interface has no members.

#include "platform/com/class_factory.h"
#include "platform/com/com_object.h"
#include "platform/com/dispatch.h"
#include "platform/com/guid.h"

class CCorvikUpgradeDlg;

inline constexpr platform::CLSID CLSID_CorvikUpgradeApplication =
    platform::GuidLiteral("{A6A6613D-1B95-4230-A3C4-79536A411315}");
inline constexpr char kAutomationProgId[] = "CorvikUpgrade.Application";

struct ICorvikUpgradeDispatch : platform::Extends<platform::IDispatch> {
  static constexpr platform::IID kIid =
      platform::GuidLiteral("{3219EEBE-7E30-442B-8794-223C48FC3EA2}");
};

class CCorvikUpgradeDlgAutoProxy final : public platform::ComObject<ICorvikUpgradeDispatch> {
 public:
  // Takes the application lock and attaches itself to the application's main window, if any.
  CCorvikUpgradeDlgAutoProxy();

  // The dispatch map is empty.
  platform::HRESULT Invoke(platform::DISPID id, platform::WORD flags,
                           const platform::DISPPARAMS& params, platform::VARIANT* result) override;

  CCorvikUpgradeDlg* m_pDialog = nullptr;

 private:
  // Detaches from the window and releases the application lock.
  ~CCorvikUpgradeDlgAutoProxy() override;
};

// The factory of the automation class; several objects may be made.
platform::ComPtr<platform::ClassFactory> MakeAutoProxyClassFactory();
