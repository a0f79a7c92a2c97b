#include "upgrade_app/auto_proxy.h"

#include "platform/thread/window.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/corvik_upgrade_dlg.h"
#include "upgrade_app/ole_app_lock.h"

CCorvikUpgradeDlgAutoProxy::CCorvikUpgradeDlgAutoProxy() {
  LockOleApplication();
  CCorvikUpgradeApp* const app = GetCorvikUpgradeApp();
  if (app == nullptr || app->m_pMainWnd == nullptr) return;
  m_pDialog = dynamic_cast<CCorvikUpgradeDlg*>(platform::FromHandle(app->m_pMainWnd));
  if (m_pDialog != nullptr) m_pDialog->m_pAutoProxy = this;
}

CCorvikUpgradeDlgAutoProxy::~CCorvikUpgradeDlgAutoProxy() {
  if (m_pDialog != nullptr) m_pDialog->m_pAutoProxy = nullptr;
  UnlockOleApplication();
}

platform::HRESULT CCorvikUpgradeDlgAutoProxy::Invoke(platform::DISPID /*id*/,
                                                     platform::WORD /*flags*/,
                                                     const platform::DISPPARAMS& /*params*/,
                                                     platform::VARIANT* /*result*/) {
  return platform::DISP_E_MEMBERNOTFOUND;
}

platform::ComPtr<platform::ClassFactory> MakeAutoProxyClassFactory() {
  return platform::MakeComObject<platform::ClassFactory>([] {
    return platform::ComPtr<platform::IUnknown>(
        platform::MakeComObject<CCorvikUpgradeDlgAutoProxy>()->GetUnknown());
  });
}
