#include "platform/com/dispatch.h"

#include <gtest/gtest.h>

#include <array>

#include "platform/com/com_object.h"

namespace {

using namespace platform;

constexpr DISPID kOpen = 0x60030006;      // long by reference, answers a short
constexpr DISPID kEndpoint = 0x68030005;  // property put of a long
constexpr DISPID kSwitch = 0x68030001;    // property put of a bool
constexpr DISPID kRead = 0x60030012;      // byte array in a variant by reference, bool by ref
constexpr DISPID kCombine = 0x60030020;   // long, short, bool by value
constexpr ULONG kReportSize = 64;
constexpr BYTE kReportFill = 0xA5;

// A dispatch-only object in the manner of a hosted control.
class Control final : public ComObject<IDispatch> {
 public:
  Control() {
    table_.AddMethod(kOpen, 1, [this](const DispatchCall& call) {
      LONG& device = call.LongRef(0);
      opened = device;
      device = 4;
      call.SetResult(SHORT{-2});
      return S_OK;
    });
    table_.AddPropertyPut(kEndpoint, [this](const DispatchCall& call) {
      endpoint = call.Long(0);
      return S_OK;
    });
    table_.AddPropertyPut(kSwitch, [this](const DispatchCall& call) {
      switched_on = call.Bool(0);
      return S_OK;
    });
    table_.AddMethod(kRead, 2, [](const DispatchCall& call) {
      SAFEARRAY*& report = call.ByteArrayRef(0);
      SafeArrayDestroy(report);
      SafeByteArray fresh(kReportSize);
      std::fill(fresh.Bytes().begin(), fresh.Bytes().end(), kReportFill);
      report = fresh.Detach();
      call.BoolRef(1) = VARIANT_TRUE;
      call.SetResult(LONG{0});
      return S_OK;
    });
    table_.AddMethod(kCombine, 3, [](const DispatchCall& call) {
      call.SetResult(LONG{call.Long(0) + call.Short(1) + (call.Bool(2) ? 1000 : 0)});
      return S_OK;
    });
  }

  HRESULT Invoke(DISPID id, WORD flags, const DISPPARAMS& params, VARIANT* result) override {
    return table_.Invoke(id, flags, params, result);
  }

  LONG opened = 0;
  LONG endpoint = 0;
  bool switched_on = false;

 private:
  DispatchTable table_;
};

class DispatchTest : public ::testing::Test {
 protected:
  ComPtr<Control> control_ = MakeComObject<Control>();
};

TEST_F(DispatchTest, MethodWritesBackThroughAReferenceAndAnswers) {
  LONG device = -1;
  _variant_t result;
  ASSERT_EQ(control_->Invoke(kOpen, DISPATCH_METHOD, {{_variant_t::ByRef(&device)}}, &result),
            S_OK);
  EXPECT_EQ(control_->opened, -1);
  EXPECT_EQ(device, 4);
  ASSERT_EQ(result.vt, VT_I2);
  EXPECT_EQ(result.iVal, -2);
}

TEST_F(DispatchTest, PropertyPutsTakeLongAndBool) {
  EXPECT_EQ(control_->Invoke(kEndpoint, DISPATCH_PROPERTYPUT, {{_variant_t(0x83)}}, nullptr), S_OK);
  EXPECT_EQ(control_->Invoke(kSwitch, DISPATCH_PROPERTYPUT, {{_variant_t(true)}}, nullptr), S_OK);
  EXPECT_EQ(control_->endpoint, 0x83);
  EXPECT_TRUE(control_->switched_on);
}

TEST_F(DispatchTest, ByteArrayInAVariantByReferenceIsReplacedByTheCallee) {
  VARIANT report;
  report.vt = VT_ARRAY | VT_UI1;
  report.parray = SafeArrayCreateVector(VT_UI1, 0, kReportSize);
  VARIANT_BOOL valid = VARIANT_FALSE;
  _variant_t result;
  ASSERT_EQ(
      control_->Invoke(kRead, DISPATCH_METHOD,
                       {{_variant_t::ByRef(&report), _variant_t::BoolByRef(&valid)}}, &result),
      S_OK);
  EXPECT_EQ(valid, VARIANT_TRUE);
  ASSERT_EQ(report.vt, VT_ARRAY | VT_UI1);
  const SafeByteArray received = SafeByteArray::Attach(report.parray);
  ASSERT_EQ(received.Count(), kReportSize);
  EXPECT_EQ(received.Bytes()[0], kReportFill);
  EXPECT_EQ(received.Bytes()[kReportSize - 1], kReportFill);
}

TEST_F(DispatchTest, ByteArrayByDirectReferenceIsAcceptedToo) {
  SafeByteArray report(kReportSize);
  VARIANT_BOOL valid = VARIANT_FALSE;
  ASSERT_EQ(control_->Invoke(
                kRead, DISPATCH_METHOD,
                {{_variant_t::ByRef(report.GetAddress()), _variant_t::BoolByRef(&valid)}}, nullptr),
            S_OK);
  EXPECT_EQ(report.Bytes()[0], kReportFill);
}

TEST_F(DispatchTest, NumericArgumentsConvertBetweenLongShortAndBool) {
  _variant_t result;
  ASSERT_EQ(
      control_->Invoke(kCombine, DISPATCH_METHOD,
                       {{_variant_t(SHORT{20}), _variant_t(LONG{3}), _variant_t(true)}}, &result),
      S_OK);
  ASSERT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 1023);

  EXPECT_EQ(control_->Invoke(kCombine, DISPATCH_METHOD,
                             {{_variant_t(LONG{0}), _variant_t(LONG{70000}), _variant_t(false)}},
                             &result),
            DISP_E_OVERFLOW);
}

TEST_F(DispatchTest, RefusesUnknownIdsWrongKindsCountsAndTypes) {
  LONG device = 0;
  EXPECT_EQ(control_->Invoke(0x600300FF, DISPATCH_METHOD, {}, nullptr), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(control_->Invoke(kEndpoint, DISPATCH_METHOD, {{_variant_t(3)}}, nullptr),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(control_->Invoke(kOpen, DISPATCH_METHOD, {}, nullptr), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(control_->Invoke(kOpen, DISPATCH_METHOD, {{_variant_t::ByRef(&device), _variant_t(1)}},
                             nullptr),
            DISP_E_BADPARAMCOUNT);
  // A long by value where the member writes back through a reference.
  EXPECT_EQ(control_->Invoke(kOpen, DISPATCH_METHOD, {{_variant_t(1)}}, nullptr),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(control_->Invoke(kEndpoint, DISPATCH_PROPERTYPUT, {{_variant_t("text")}}, nullptr),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(control_->endpoint, 0);
}

TEST(DispatchArgumentTest, BstrArgumentsReadByValueAndByReference) {
  DispatchTable table;
  std::string seen;
  table.AddMethod(1, 2, [&](const DispatchCall& call) {
    seen = _bstr_t(call.Bstr(0)).Utf8() + "|" + _bstr_t(call.BstrRef(1)).Utf8();
    return S_OK;
  });
  _bstr_t text("ReadComplete:Read");
  BSTR by_reference = text.GetBSTR();
  EXPECT_EQ(
      table.Invoke(1, DISPATCH_METHOD,
                   {{_variant_t("PnPAddNotification:General"), _variant_t::ByRef(&by_reference)}},
                   nullptr),
      S_OK);
  EXPECT_EQ(seen, "PnPAddNotification:General|ReadComplete:Read");
}

}  // namespace
