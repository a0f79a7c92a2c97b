#pragma once

// Small component objects for the tests: a counter that raises an event per change, a sink
// that records what reaches it, and a dispatch-only object in the manner of a hosted control.

#include <functional>
#include <vector>

#include "platform/com/com_object.h"
#include "platform/com/connection_point.h"
#include "platform/com/dispatch.h"
#include "platform/thread/message_loop.h"

namespace test_objects {

using namespace platform;

inline constexpr CLSID kCounterClsid = GuidLiteral("{8D6D7C21-5A3E-4B8E-9C1F-2E4B6A7D8C90}");
inline constexpr DISPID kChangedEvent = 1;

struct ICounter : Extends<IDispatch> {
  static constexpr IID kIid = GuidLiteral("{1F0C3A52-7B8D-4E6F-A1B2-C3D4E5F60718}");
  // Adds `step` and announces the new value with the Changed event.
  virtual HRESULT Add(LONG step) = 0;
};

// The event interface of ICounter: Changed(value) with dispatch id 1.
struct ICounterEvents : Extends<IDispatch> {
  static constexpr IID kIid = GuidLiteral("{2A1B4C63-8C9E-4F70-B2C3-D4E5F6071829}");
};

class Counter final : public ComObject<ICounter, IConnectionPointContainer> {
 public:
  explicit Counter(ComModule* module = &ProcessModule()) : ComObject(module) {}

  HRESULT Add(LONG step) override {
    value_ += step;
    PostToCreator([this, value = value_] { events_.Fire(kChangedEvent, {{_variant_t(value)}}); });
    return S_OK;
  }
  HRESULT Invoke(DISPID, WORD, const DISPPARAMS&, VARIANT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT FindConnectionPoint(const IID& iid, IConnectionPoint** point) override {
    ConnectionPoint* const points[] = {&events_};
    return FindConnectionPointIn(points, iid, point);
  }
  std::size_t SinkCount() const { return events_.SinkCount(); }

 private:
  LONG value_ = 0;
  ConnectionPoint events_{*this, ICounterEvents::kIid};
};

struct ReceivedEvent {
  DISPID id;
  LONG value;
  DWORD thread_id;
};

class RecordingSink final : public ComObject<ICounterEvents> {
 public:
  explicit RecordingSink(ComModule* module = &ProcessModule()) : ComObject(module) {
    table_.AddMethod(kChangedEvent, 1, [this](const DispatchCall& call) {
      received.push_back(ReceivedEvent{kChangedEvent, call.Long(0), GetCurrentThreadId()});
      if (on_event) {
        on_event();
      }
      return S_OK;
    });
  }
  HRESULT Invoke(DISPID id, WORD flags, const DISPPARAMS& params, VARIANT* result) override {
    return table_.Invoke(id, flags, params, result);
  }

  std::vector<ReceivedEvent> received;
  std::function<void()> on_event;  // runs after each event is recorded

 private:
  DispatchTable table_;
};

// Advises `sink` on the counter's event point; the cookie, or 0 on failure.
inline DWORD Connect(ICounter& counter, IUnknown& sink) {
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  DWORD cookie = 0;
  if (SUCCEEDED(ComPtr<ICounter>(&counter).As(container)) &&
      SUCCEEDED(
          container->FindConnectionPoint(ICounterEvents::kIid, point.ReleaseAndGetAddressOf()))) {
    point->Advise(&sink, &cookie);
  }
  return cookie;
}

inline HRESULT Disconnect(ICounter& counter, DWORD cookie) {
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  HRESULT hr = ComPtr<ICounter>(&counter).As(container);
  if (SUCCEEDED(hr)) {
    hr = container->FindConnectionPoint(ICounterEvents::kIid, point.ReleaseAndGetAddressOf());
  }
  return SUCCEEDED(hr) ? point->Unadvise(cookie) : hr;
}

}  // namespace test_objects
