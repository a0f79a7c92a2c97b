#include "platform/com/connection_point.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/clock/clock.h"
#include "platform/com/com_runtime.h"
#include "platform/thread/message_loop.h"
#include "platform/thread/win_thread.h"
#include "tests/unit/platform/com/test_objects.h"

namespace {

using namespace platform;
using test_objects::Connect;
using test_objects::Counter;
using test_objects::Disconnect;
using test_objects::ICounter;
using test_objects::ICounterEvents;
using test_objects::kChangedEvent;
using test_objects::RecordingSink;

// Runs the calling thread's loop until the sink has `count` events.
void PumpUntil(const RecordingSink& sink, std::size_t count) {
  ASSERT_TRUE(RunModalLoop([&] { return sink.received.size() >= count; }));
}

class ConnectionPointTest : public ::testing::Test {
 protected:
  ConnectionPointTest() { CoInitialize(); }
  ~ConnectionPointTest() override {
    counter_.Reset();
    first_.Reset();
    second_.Reset();
    EXPECT_EQ(module_.GetObjectCount(), 0);
    CoUninitialize();
  }

  ComModule module_;
  ComPtr<Counter> counter_ = MakeComObject<Counter>(&module_);
  ComPtr<RecordingSink> first_ = MakeComObject<RecordingSink>(&module_);
  ComPtr<RecordingSink> second_ = MakeComObject<RecordingSink>(&module_);
};

TEST_F(ConnectionPointTest, EventsReachTheSinkUntilUnadvise) {
  const DWORD cookie = Connect(*counter_, *first_);
  ASSERT_NE(cookie, 0U);

  counter_->Add(5);
  EXPECT_TRUE(first_->received.empty()) << "raised inside the call that caused it";
  PumpUntil(*first_, 1);
  EXPECT_EQ(first_->received[0].value, 5);

  EXPECT_EQ(Disconnect(*counter_, cookie), S_OK);
  counter_->Add(1);
  counter_->Add(1);
  // A second sink shows when the later events have run; only it receives them.
  Connect(*counter_, *second_);
  PumpUntil(*second_, 2);
  EXPECT_EQ(first_->received.size(), 1U);
  EXPECT_EQ(Disconnect(*counter_, cookie), CONNECT_E_NOCONNECTION);
}

TEST_F(ConnectionPointTest, UnadviseBeforeAQueuedEventRunsStopsIt) {
  const DWORD first_cookie = Connect(*counter_, *first_);
  Connect(*counter_, *second_);
  counter_->Add(3);
  Disconnect(*counter_, first_cookie);
  PumpUntil(*second_, 1);
  EXPECT_TRUE(first_->received.empty());
}

TEST_F(ConnectionPointTest, SinkUnadvisedByAnEarlierSinkMissesTheEventUnderWay) {
  Connect(*counter_, *first_);
  const DWORD second_cookie = Connect(*counter_, *second_);
  first_->on_event = [&] { Disconnect(*counter_, second_cookie); };
  counter_->Add(4);
  PumpUntil(*first_, 1);
  EXPECT_TRUE(second_->received.empty());
  EXPECT_EQ(counter_->SinkCount(), 1U);
}

TEST_F(ConnectionPointTest, CookiesAreDistinctAndEverySinkGetsEachEvent) {
  const DWORD first_cookie = Connect(*counter_, *first_);
  const DWORD second_cookie = Connect(*counter_, *second_);
  EXPECT_NE(first_cookie, second_cookie);
  EXPECT_EQ(counter_->SinkCount(), 2U);

  Disconnect(*counter_, first_cookie);
  const DWORD third_cookie = Connect(*counter_, *first_);
  EXPECT_NE(third_cookie, first_cookie);
  EXPECT_NE(third_cookie, second_cookie);

  counter_->Add(2);
  PumpUntil(*first_, 1);
  PumpUntil(*second_, 1);
  EXPECT_EQ(first_->received[0].value, 2);
  EXPECT_EQ(second_->received[0].value, 2);
}

TEST_F(ConnectionPointTest, RefusesSinksAndInterfacesThatDoNotMatch) {
  ComPtr<IConnectionPointContainer> container;
  ASSERT_EQ(counter_.As(container), S_OK);
  ComPtr<IConnectionPoint> point;
  EXPECT_EQ(container->FindConnectionPoint(ICounter::kIid, point.ReleaseAndGetAddressOf()),
            CONNECT_E_NOCONNECTION);
  EXPECT_FALSE(point);

  ASSERT_EQ(container->FindConnectionPoint(ICounterEvents::kIid, point.ReleaseAndGetAddressOf()),
            S_OK);
  IID connected_iid{};
  EXPECT_EQ(point->GetConnectionInterface(&connected_iid), S_OK);
  EXPECT_EQ(connected_iid, ICounterEvents::kIid);

  // Another counter is an IDispatch, but not an ICounterEvents sink.
  const ComPtr<Counter> not_a_sink = MakeComObject<Counter>(&module_);
  DWORD cookie = 1;
  EXPECT_EQ(point->Advise(not_a_sink->GetUnknown(), &cookie), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(cookie, 0U);
  EXPECT_EQ(counter_->SinkCount(), 0U);
}

TEST_F(ConnectionPointTest, PointHoldsItsSourceAndSinksAreReleasedWithIt) {
  ComPtr<IConnectionPoint> point;
  {
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(counter_.As(container), S_OK);
    ASSERT_EQ(container->FindConnectionPoint(ICounterEvents::kIid, point.ReleaseAndGetAddressOf()),
              S_OK);
  }
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(first_->GetUnknown(), &cookie), S_OK);
  counter_.Reset();
  first_.Reset();
  EXPECT_EQ(module_.GetObjectCount(), 3) << "the point keeps the counter, the counter its sink";
  point.Reset();
  EXPECT_EQ(module_.GetObjectCount(), 1);  // only second_
}

// A worker thread in the apartment style: it creates the counter and the sink, causes an event
// and then runs its loop, where the event must arrive.
class ApartmentThread final : public WinThread {
 public:
  struct Outcome {
    bool delivered_inside_call = true;
    Counter* counter = nullptr;  // owned by the worker while it runs
    std::vector<test_objects::ReceivedEvent> received;
    ComModule module;
  };

  explicit ApartmentThread(std::shared_ptr<Outcome> outcome) : outcome_(std::move(outcome)) {}

  BOOL InitInstance() override {
    CoInitialize();
    counter_ = MakeComObject<Counter>(&outcome_->module);
    sink_ = MakeComObject<RecordingSink>(&outcome_->module);
    Connect(*counter_, *sink_);
    counter_->Add(7);
    outcome_->delivered_inside_call = !sink_->received.empty();
    outcome_->counter = counter_.Get();
    return TRUE;
  }
  int ExitInstance() override {
    outcome_->received = sink_->received;
    outcome_->counter = nullptr;
    counter_.Reset();
    sink_.Reset();
    CoUninitialize();
    return WinThread::ExitInstance();
  }

 private:
  std::shared_ptr<Outcome> outcome_;
  ComPtr<Counter> counter_;
  ComPtr<RecordingSink> sink_;
};

TEST(ApartmentTest, EventsRunOnTheCreatingThreadsLoopWhoeverCausesThem) {
  const ScopedClock clock(std::make_unique<VirtualClock>());
  auto outcome = std::make_shared<ApartmentThread::Outcome>();
  auto* const thread = new ApartmentThread(outcome);  // deletes itself when it ends
  ASSERT_EQ(thread->CreateThread(), TRUE);
  const DWORD worker_id = thread->ThreadId();
  const std::shared_ptr<ThreadEnd> end = thread->End();

  ASSERT_TRUE(GetClock().RunUntilQuiescent());
  ASSERT_NE(outcome->counter, nullptr);
  outcome->counter->Add(1);  // caused on this thread, delivered on the worker
  ASSERT_TRUE(GetClock().RunUntilQuiescent());
  PostClosure(worker_id, [] { PostQuitMessage(0); });
  ASSERT_TRUE(end->WaitFor(std::nullopt));

  EXPECT_FALSE(outcome->delivered_inside_call);
  ASSERT_EQ(outcome->received.size(), 2U);
  EXPECT_EQ(outcome->received[0].id, kChangedEvent);
  EXPECT_EQ(outcome->received[0].value, 7);
  EXPECT_EQ(outcome->received[1].value, 8);
  EXPECT_NE(worker_id, GetCurrentThreadId());
  for (const auto& event : outcome->received) {
    EXPECT_EQ(event.thread_id, worker_id);
  }
  EXPECT_EQ(outcome->module.GetObjectCount(), 0);
}

}  // namespace
