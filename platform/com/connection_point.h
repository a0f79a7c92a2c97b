#pragma once

// Event delivery from a source object to its clients' sinks. A source offers one connection
// point per event interface; a client finds it through the source's container interface,
// advises its sink (getting a cookie) and unadvises with that cookie. Event interfaces are
// dispatch interfaces: events are Invoke calls on the sinks, by dispatch id.

#include <mutex>
#include <span>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/com/dispatch.h"
#include "platform/com/guid.h"
#include "platform/com/hresult.h"
#include "platform/com/unknown.h"

namespace platform {

struct IConnectionPointContainer;

struct IConnectionPoint : Extends<IUnknown> {
  static constexpr IID kIid = GuidLiteral("{B196B286-BAB4-101A-B69C-00AA00341D07}");

  virtual HRESULT GetConnectionInterface(IID* iid) = 0;
  virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) = 0;
  // CONNECT_E_CANNOTCONNECT when the sink does not implement the event interface.
  virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;
  // CONNECT_E_NOCONNECTION for a cookie that is not connected.
  virtual HRESULT Unadvise(DWORD cookie) = 0;
};

struct IConnectionPointContainer : Extends<IUnknown> {
  static constexpr IID kIid = GuidLiteral("{B196B284-BAB4-101A-B69C-00AA00341D07}");

  // CONNECT_E_NOCONNECTION (and a null `*point`) for an event interface the source lacks.
  virtual HRESULT FindConnectionPoint(const IID& iid, IConnectionPoint** point) = 0;
};

// The connection point of one event interface, embedded as a member of its source object (which
// implements IConnectionPointContainer). Its references are the source's references.
class ConnectionPoint final : public IConnectionPoint {
 public:
  ConnectionPoint(IConnectionPointContainer& source, const IID& event_iid);
  ConnectionPoint(const ConnectionPoint&) = delete;
  ConnectionPoint& operator=(const ConnectionPoint&) = delete;
  ~ConnectionPoint() = default;

  HRESULT QueryInterface(const IID& iid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT GetConnectionInterface(IID* iid) override;
  HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) override;
  // Cookies start at 1 and are never reused.
  HRESULT Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT Unadvise(DWORD cookie) override;

  const IID& EventInterface() const { return event_iid_; }
  std::size_t SinkCount() const;

  // Raises one event now, on the calling thread: Invoke on every sink in the order they were
  // advised. A sink unadvised meanwhile (even by an earlier sink) gets nothing. Exceptions of a
  // sink are not caught. Sources call it from ComObject::PostToCreator, never inside the call
  // that caused the event.
  void Fire(DISPID id, const DISPPARAMS& params = {});

 private:
  struct Connection {
    DWORD cookie;
    ComPtr<IDispatch> sink;
  };
  ComPtr<IDispatch> SinkOf(DWORD cookie) const;

  IConnectionPointContainer& source_;
  const IID event_iid_;
  mutable std::mutex mutex_;
  std::vector<Connection> connections_;
  DWORD next_cookie_ = 1;
};

// FindConnectionPoint over a source's points.
HRESULT FindConnectionPointIn(std::span<ConnectionPoint* const> points, const IID& iid,
                              IConnectionPoint** point);

}  // namespace platform
