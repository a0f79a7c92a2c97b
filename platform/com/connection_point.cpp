#include "platform/com/connection_point.h"

#include <algorithm>
#include <utility>

namespace platform {

ConnectionPoint::ConnectionPoint(IConnectionPointContainer& source, const IID& event_iid)
    : source_(source), event_iid_(event_iid) {}

HRESULT ConnectionPoint::QueryInterface(const IID& iid, void** object) {
  if (object == nullptr) {
    return E_POINTER;
  }
  if (iid == IConnectionPoint::kIid || iid == IUnknown::kIid) {
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG ConnectionPoint::AddRef() { return source_.AddRef(); }

ULONG ConnectionPoint::Release() { return source_.Release(); }

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) {
    return E_POINTER;
  }
  *iid = event_iid_;
  return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (container == nullptr) {
    return E_POINTER;
  }
  source_.AddRef();
  *container = &source_;
  return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (cookie == nullptr) {
    return E_POINTER;
  }
  *cookie = 0;
  if (sink == nullptr) {
    return E_POINTER;
  }
  // The sink must speak the event interface; events reach it through its IDispatch.
  void* event_interface = nullptr;
  if (FAILED(sink->QueryInterface(event_iid_, &event_interface))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  static_cast<IUnknown*>(event_interface)->Release();
  void* dispatch = nullptr;
  if (FAILED(sink->QueryInterface(IDispatch::kIid, &dispatch))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  ComPtr<IDispatch> connected;
  connected.Attach(static_cast<IDispatch*>(dispatch));
  const std::lock_guard lock(mutex_);
  *cookie = next_cookie_++;
  connections_.push_back(Connection{*cookie, std::move(connected)});
  return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
  ComPtr<IDispatch> released;  // let go outside the lock: the sink may unadvise others
  {
    const std::lock_guard lock(mutex_);
    const auto found = std::find_if(
        connections_.begin(), connections_.end(),
        [cookie](const Connection& connection) { return connection.cookie == cookie; });
    if (found == connections_.end()) {
      return CONNECT_E_NOCONNECTION;
    }
    released = std::move(found->sink);
    connections_.erase(found);
  }
  return S_OK;
}

std::size_t ConnectionPoint::SinkCount() const {
  const std::lock_guard lock(mutex_);
  return connections_.size();
}

ComPtr<IDispatch> ConnectionPoint::SinkOf(DWORD cookie) const {
  const std::lock_guard lock(mutex_);
  const auto found =
      std::find_if(connections_.begin(), connections_.end(),
                   [cookie](const Connection& connection) { return connection.cookie == cookie; });
  return found == connections_.end() ? nullptr : found->sink;
}

void ConnectionPoint::Fire(DISPID id, const DISPPARAMS& params) {
  std::vector<DWORD> cookies;
  {
    const std::lock_guard lock(mutex_);
    for (const Connection& connection : connections_) {
      cookies.push_back(connection.cookie);
    }
  }
  for (const DWORD cookie : cookies) {
    if (const ComPtr<IDispatch> sink = SinkOf(cookie)) {
      VARIANT ignored_result;
      sink->Invoke(id, DISPATCH_METHOD, params, &ignored_result);
      VariantClear(&ignored_result);
    }
  }
}

HRESULT FindConnectionPointIn(std::span<ConnectionPoint* const> points, const IID& iid,
                              IConnectionPoint** point) {
  if (point == nullptr) {
    return E_POINTER;
  }
  *point = nullptr;
  const auto found = std::find_if(points.begin(), points.end(), [&iid](const ConnectionPoint* p) {
    return p->EventInterface() == iid;
  });
  if (found == points.end()) {
    return CONNECT_E_NOCONNECTION;
  }
  (*found)->AddRef();
  *point = *found;
  return S_OK;
}

}  // namespace platform
