#include "platform/com/com_runtime.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/com/class_factory.h"
#include "platform/com/com_module.h"
#include "tests/unit/platform/com/test_objects.h"

namespace {

using namespace platform;
using test_objects::Counter;
using test_objects::ICounter;
using test_objects::kCounterClsid;

constexpr CLSID kUnregisteredClsid = GuidLiteral("{00112233-4455-6677-8899-AABBCCDDEEFF}");
constexpr IID kUnknownIid = GuidLiteral("{99999999-8888-7777-6666-555555555555}");

void* const kStalePointer = reinterpret_cast<void*>(0x1);

class ComRuntimeTest : public ::testing::Test {
 protected:
  ComRuntimeTest() { EXPECT_EQ(CoInitialize(), S_OK); }
  ~ComRuntimeTest() override { CoUninitialize(); }

  ComPtr<IClassFactory> CounterFactory() {
    return MakeComObject<ClassFactory>(
        [this] { return ComPtr<IUnknown>(MakeComObject<Counter>(&module_)->GetUnknown()); },
        module_);
  }

  ComModule module_;
};

TEST_F(ComRuntimeTest, UnregisteredClassFailsAndLeavesOutPointerNull) {
  void* object = kStalePointer;
  EXPECT_EQ(CoCreateInstance(kUnregisteredClsid, nullptr, CLSCTX_ALL, ICounter::kIid, &object),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);
}

TEST_F(ComRuntimeTest, RegisteredClassCreatesAnInstanceUntilUnregistered) {
  {
    const ScopedClassRegistration registration(kCounterClsid, CounterFactory(),
                                               CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER);
    ICounter* counter = nullptr;
    ASSERT_EQ(CoCreateInstance(kCounterClsid, nullptr, CLSCTX_ALL, &counter), S_OK);
    ASSERT_NE(counter, nullptr);
    EXPECT_EQ(module_.GetObjectCount(), 1);
    counter->Release();
    EXPECT_EQ(module_.GetObjectCount(), 0);
  }
  ICounter* counter = nullptr;
  EXPECT_EQ(CoCreateInstance(kCounterClsid, nullptr, CLSCTX_ALL, &counter), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(counter, nullptr);
}

TEST_F(ComRuntimeTest, ClassAnswersOnlyToItsRegisteredContexts) {
  const ScopedClassRegistration registration(kCounterClsid, CounterFactory(), CLSCTX_LOCAL_SERVER);
  ComPtr<ICounter> counter;
  EXPECT_EQ(CoCreateInstance(kCounterClsid, nullptr, CLSCTX_INPROC_SERVER,
                             counter.ReleaseAndGetAddressOf()),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CoCreateInstance(kCounterClsid, nullptr, 0x17, counter.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_TRUE(counter);
}

TEST_F(ComRuntimeTest, FactoryRefusesAggregationAndUnknownInterfaces) {
  const ScopedClassRegistration registration(kCounterClsid, CounterFactory(), CLSCTX_ALL);
  const ComPtr<IUnknown> outer(MakeComObject<Counter>(&module_)->GetUnknown());
  void* object = kStalePointer;
  EXPECT_EQ(CoCreateInstance(kCounterClsid, outer.Get(), CLSCTX_ALL, ICounter::kIid, &object),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);

  object = kStalePointer;
  EXPECT_EQ(CoCreateInstance(kCounterClsid, nullptr, CLSCTX_ALL, kUnknownIid, &object),
            E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(module_.GetObjectCount(), 1);  // only `outer`; the refused instance is gone
}

TEST_F(ComRuntimeTest, QueryInterfaceFollowsParentsKeepsIdentityAndRefusesUnknownIids) {
  const ComPtr<Counter> counter = MakeComObject<Counter>(&module_);

  void* unknown_interface = kStalePointer;
  EXPECT_EQ(counter->QueryInterface(kUnknownIid, &unknown_interface), E_NOINTERFACE);
  EXPECT_EQ(unknown_interface, nullptr);

  ComPtr<IDispatch> dispatch;  // parent of ICounter
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IUnknown> identity_via_dispatch;
  ComPtr<IUnknown> identity_via_container;
  ASSERT_EQ(counter.As(dispatch), S_OK);
  ASSERT_EQ(counter.As(container), S_OK);
  ASSERT_EQ(dispatch.As(identity_via_dispatch), S_OK);
  ASSERT_EQ(container.As(identity_via_container), S_OK);
  EXPECT_EQ(identity_via_dispatch.Get(), identity_via_container.Get());
  EXPECT_EQ(identity_via_dispatch.Get(), counter->GetUnknown());
}

TEST_F(ComRuntimeTest, LastReleaseDestroysTheObjectOnce) {
  ComPtr<ICounter> first(MakeComObject<Counter>(&module_).Get());
  ComPtr<ICounter> second = first;
  ComPtr<IDispatch> third;
  ASSERT_EQ(first.As(third), S_OK);
  first.Reset();
  second.Reset();
  EXPECT_EQ(module_.GetObjectCount(), 1);
  EXPECT_EQ(module_.CanUnloadNow(), S_FALSE);
  EXPECT_EQ(third->AddRef(), 2U);
  EXPECT_EQ(third->Release(), 1U);
  third.Reset();
  EXPECT_EQ(module_.GetObjectCount(), 0);
  EXPECT_EQ(module_.CanUnloadNow(), S_OK);
}

TEST_F(ComRuntimeTest, ServerLockKeepsTheModuleLoaded) {
  const ComPtr<IClassFactory> factory = CounterFactory();
  EXPECT_EQ(module_.CanUnloadNow(), S_OK);  // a factory alone does not hold the module
  factory->LockServer(TRUE);
  EXPECT_EQ(module_.CanUnloadNow(), S_FALSE);
  factory->LockServer(FALSE);
  EXPECT_EQ(module_.CanUnloadNow(), S_OK);
}

TEST_F(ComRuntimeTest, ModuleServesItsClassesAndRegistersThem) {
  void* object = kStalePointer;
  EXPECT_EQ(module_.GetClassObject(kCounterClsid, IClassFactory::kIid, &object),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);

  module_.AddClassObject(kCounterClsid, CounterFactory(), CLSCTX_INPROC_SERVER);
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(module_.GetClassObject(kCounterClsid, IClassFactory::kIid, &object), S_OK);
  factory.Attach(static_cast<IClassFactory*>(object));

  ASSERT_EQ(module_.RegisterServer(), S_OK);
  ComPtr<ICounter> counter;
  EXPECT_EQ(CoCreateInstance(kCounterClsid, nullptr, CLSCTX_ALL, counter.ReleaseAndGetAddressOf()),
            S_OK);
  ASSERT_EQ(module_.UnregisterServer(), S_OK);
  EXPECT_EQ(CoCreateInstance(kCounterClsid, nullptr, CLSCTX_ALL, counter.ReleaseAndGetAddressOf()),
            REGDB_E_CLASSNOTREG);
}

TEST(ComInitialisationTest, IsCountedPerThread) {
  const ScopedClassRegistration registration(
      kCounterClsid, MakeComObject<ClassFactory>([] {
        return ComPtr<IUnknown>(MakeComObject<Counter>()->GetUnknown());
      }),
      CLSCTX_ALL);
  const auto create = [] {
    ComPtr<ICounter> counter;
    return CoCreateInstance(kCounterClsid, nullptr, CLSCTX_ALL, counter.ReleaseAndGetAddressOf());
  };

  EXPECT_EQ(create(), CO_E_NOTINITIALIZED);
  EXPECT_EQ(CoInitialize(), S_OK);
  EXPECT_EQ(CoInitialize(), S_FALSE);
  CoUninitialize();
  EXPECT_EQ(create(), S_OK);  // one initialisation is still open

  HRESULT other_thread_result = S_OK;
  std::thread other([&] { other_thread_result = create(); });
  other.join();
  EXPECT_EQ(other_thread_result, CO_E_NOTINITIALIZED);

  CoUninitialize();
  EXPECT_EQ(create(), CO_E_NOTINITIALIZED);
  EXPECT_EQ(ProcessModule().GetObjectCount(), 0);
}

TEST(ComInitialisationTest, RefusesAReservedValue) {
  int reserved = 0;
  EXPECT_EQ(CoInitialize(&reserved), E_INVALIDARG);
  EXPECT_FALSE(IsComInitialized());
}

}  // namespace
