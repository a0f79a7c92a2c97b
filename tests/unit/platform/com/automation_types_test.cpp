// Identifiers, errors, strings, byte arrays and variants.

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

#include "platform/com/bstr.h"
#include "platform/com/com_error.h"
#include "platform/com/device_interface_guid.h"
#include "platform/com/guid.h"
#include "platform/com/safe_array.h"
#include "platform/com/variant.h"
#include "tests/unit/platform/com/test_objects.h"

namespace {

using namespace platform;

TEST(GuidTest, TextRoundTripIgnoresCase) {
  constexpr std::string_view kUpper = "{B949A098-6A08-4EEE-B32D-CA0D19BBF24E}";
  const auto upper = ParseGuid(kUpper);
  const auto lower = ParseGuid("{b949a098-6a08-4eee-b32d-ca0d19bbf24e}");
  ASSERT_TRUE(upper.has_value());
  ASSERT_TRUE(lower.has_value());
  EXPECT_EQ(*upper, *lower);
  EXPECT_EQ(upper->Data1, 0xB949A098U);
  EXPECT_EQ(upper->Data4[7], 0x4E);
  EXPECT_EQ(GuidToString(*lower), kUpper);
  EXPECT_NE(*upper, *ParseGuid("{B949A098-6A08-4EEE-B32D-CA0D19BBF24F}"));
}

TEST(GuidTest, RefusesTextThatIsNotTheRegistryForm) {
  for (const std::string_view bad : {
           "B949A098-6A08-4EEE-B32D-CA0D19BBF24E",     // no braces
           "{B949A098-6A08-4EEE-B32D-CA0D19BBF24}",    // a digit short
           "{B949A0986-A08-4EEE-B32D-CA0D19BBF24E}",   // dash moved
           "{B949A098-6A08-4EEE-B32D-CA0D19BBF24G}",   // not a hex digit
           "{B949A098-6A08-4EEE-B32D-CA0D19BBF24E}x",  // trailing text
           "",
       }) {
    EXPECT_FALSE(ParseGuid(bad).has_value()) << bad;
  }
}

TEST(ComErrorTest, CarriesTheResultAndNamesIt) {
  try {
    ThrowIfFailed(REGDB_E_CLASSNOTREG, test_objects::ICounter::kIid);
    FAIL() << "a negative result must be raised";
  } catch (const _com_error& error) {
    EXPECT_EQ(error.Error(), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(error.InterfaceId(), test_objects::ICounter::kIid);
    const std::string message = error.ErrorMessage();
    EXPECT_NE(message.find("REGDB_E_CLASSNOTREG"), std::string::npos) << message;
    EXPECT_NE(message.find("0x80040154"), std::string::npos) << message;
  }
  EXPECT_EQ(ThrowIfFailed(S_FALSE), S_FALSE);
  EXPECT_NE(_com_error(MakeHResult(0xE000A005)).ErrorMessage(), std::string())
      << "a code without a name still shows its number";
  EXPECT_NE(std::string(_com_error(MakeHResult(0xE000A005)).ErrorMessage()).find("0xE000A005"),
            std::string::npos);
}

TEST(BstrTest, ConvertsBetweenUtf8AndUtf16) {
  const std::string text =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x82\xAC \xF0\x9D\x84\x9E";  // ü ß € 𝄞
  const _bstr_t bstr(text);
  EXPECT_EQ(bstr.length(), 10U);  // the clef takes two UTF-16 units
  EXPECT_EQ(bstr.Utf8(), text);
  EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx") << "a lone surrogate is replaced";
  EXPECT_EQ(Utf8ToUtf16("a\xC3"), u"a\xFFFD") << "a truncated sequence is replaced";
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\xFFFD") << "an overlong form is replaced";
}

TEST(BstrTest, LengthIsStoredSoZerosMayBeInside) {
  const OLECHAR with_zero[] = {u'a', u'\0', u'b'};
  BSTR raw = SysAllocStringLen(with_zero, 3);
  EXPECT_EQ(SysStringLen(raw), 3U);
  const _bstr_t owner = _bstr_t::Attach(raw);
  EXPECT_EQ(owner.View(), std::u16string_view(with_zero, 3));
  EXPECT_EQ(SysStringLen(nullptr), 0U);
  EXPECT_EQ(_bstr_t(static_cast<BSTR>(nullptr)).Utf8(), "");
}

TEST(BstrTest, DeviceInterfaceGuidHolderHoldsTheEnumerationText) {
  EXPECT_EQ(g_bstrDeviceInterfaceGuid.Utf8(), "{325ddf96-938c-11d3-9e34-0080c82727f4}");
  EXPECT_TRUE(ParseGuid(g_bstrDeviceInterfaceGuid.Utf8()).has_value());
}

TEST(SafeArrayTest, BoundsFollowTheLowerBoundAndCount) {
  const SafeByteArray report(64);
  LONG lower = -1;
  LONG upper = -1;
  EXPECT_EQ(SafeArrayGetDim(report.Get()), 1U);
  ASSERT_EQ(SafeArrayGetLBound(report.Get(), 1, &lower), S_OK);
  ASSERT_EQ(SafeArrayGetUBound(report.Get(), 1, &upper), S_OK);
  EXPECT_EQ(lower, 0);
  EXPECT_EQ(upper, 63);

  const SafeByteArray shifted(3, 5);
  ASSERT_EQ(SafeArrayGetUBound(shifted.Get(), 1, &upper), S_OK);
  EXPECT_EQ(upper, 7);
  const SafeByteArray empty(0);
  ASSERT_EQ(SafeArrayGetUBound(empty.Get(), 1, &upper), S_OK);
  EXPECT_EQ(upper, -1);

  EXPECT_EQ(SafeArrayGetLBound(report.Get(), 2, &lower), DISP_E_BADINDEX);
  EXPECT_EQ(SafeArrayCreateVector(VT_I4, 0, 4), nullptr) << "only byte arrays exist";
}

TEST(SafeArrayTest, AccessedDataCannotBeDestroyed) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, 4);
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
  static_cast<BYTE*>(data)[3] = 0x7F;
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  ASSERT_EQ(SafeArrayUnaccessData(array), S_OK);
  EXPECT_EQ(SafeArrayUnaccessData(array), E_UNEXPECTED);
  const SafeByteArray owner = SafeByteArray::Attach(array);
  EXPECT_EQ(owner.Bytes()[3], 0x7F);
}

TEST(VariantTest, CopiesAreDeepAndClearReleases) {
  ComModule module;
  {
    const BYTE bytes[] = {1, 2, 3};
    _variant_t array_value{SafeByteArray(bytes)};
    _variant_t array_copy = array_value;
    ASSERT_NE(array_copy.parray, array_value.parray);
    array_copy.parray->data[0] = 9;
    EXPECT_EQ(array_value.parray->data[0], 1);

    const _variant_t text("ReadComplete:Read");
    const _variant_t text_copy = text;
    EXPECT_NE(text_copy.bstrVal, text.bstrVal);
    EXPECT_EQ(_bstr_t(text_copy.bstrVal).Utf8(), "ReadComplete:Read");

    const auto object = MakeComObject<test_objects::Counter>(&module);
    _variant_t interface_value(object->GetUnknown());
    const _variant_t interface_copy = interface_value;
    EXPECT_EQ(interface_copy.punkVal, interface_value.punkVal);
    EXPECT_EQ(object->AddRef(), 4U);  // the ComPtr, both variants and this call
    object->Release();
  }
  EXPECT_EQ(module.GetObjectCount(), 0);
}

TEST(VariantTest, ChangeTypeConvertsNumbersAndReadsThroughReferences) {
  VARIANT converted;
  LONG by_reference = -1;
  const _variant_t reference = _variant_t::ByRef(&by_reference);
  ASSERT_EQ(VariantChangeType(&converted, &reference, 0, VT_I2), S_OK);
  EXPECT_EQ(converted.vt, VT_I2);
  EXPECT_EQ(converted.iVal, -1);

  const _variant_t true_value(true);
  ASSERT_EQ(VariantChangeType(&converted, &true_value, 0, VT_I4), S_OK);
  EXPECT_EQ(converted.lVal, -1);

  const _variant_t too_big(LONG{256});
  const _variant_t text("12");
  EXPECT_EQ(VariantChangeType(&converted, &too_big, 0, VT_UI1), DISP_E_OVERFLOW);
  EXPECT_EQ(VariantChangeType(&converted, &text, 0, VT_I4), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(converted.vt, VT_I4) << "a failed conversion leaves the destination alone";
}

// A pointer must never become a boolean variant by accident.
static_assert(!std::is_constructible_v<_variant_t, LONG*>);
static_assert(!std::is_constructible_v<_variant_t, BYTE*>);

}  // namespace
