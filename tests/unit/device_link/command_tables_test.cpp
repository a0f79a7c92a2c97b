#include <array>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "device_link/bus_mail.h"
#include "tests/unit/device_link/registered_link.h"

namespace {

using platform::UINT;

class CommandTablesTest : public RegisteredLinkTest {};

struct ExpectedRow {
  UINT request;
  UINT request_length;
  std::optional<UINT> reply_length;
};

// The protocol's command table, one line per request code.
const std::array<ExpectedRow, 34> kProtocol = {{
    {0xD001, 0, 2},  {0xD002, 0, 2},   {0xD003, 0, 2},   {0xD004, 0, 2},   {0xD005, 0, 2},
    {0xD006, 0, 1},  {0xD007, 0, 0},   {0xD008, 0, 1},   {0xD009, 0, 1},   {0xD00A, 0, 1},
    {0xD00B, 32, 1}, {0xD00C, 0, 1},   {0xD00D, 3, 255}, {0xD00E, 255, 1}, {0xD00F, 0, 1},
    {0xD010, 0, 4},  {0xD011, 0, 4},   {0xD012, 0, 4},   {0xD013, 1, 0},   {0xD014, 0, 0},
    {0xD015, 2, 0},  {0xD016, 2, 0},   {0xD017, 2, 0},   {0xD018, 2, 0},   {0xD019, 32, 2},
    {0xD01A, 0, 0},  {0xD01B, 32, {}}, {0xD01C, 0, 0},   {0xD01D, 0, {}},  {0xD0AA, 0, 0},
    {0xD0AB, 0, 0},  {0xD0AC, 0, {}},  {0xD0AD, 0, 0},   {0xD0AE, 0, 0},
}};

std::vector<std::pair<UINT, std::string>> ListedNames(const CApplicationLink& app) {
  std::vector<std::pair<UINT, std::string>> names;
  for (const auto& entry : app.m_mapCommandName) {
    names.emplace_back(entry.key, entry.value);
  }
  return names;
}

TEST_F(CommandTablesTest, FirstBusMailWritesEveryRow) {
  ASSERT_EQ(app_.m_mapResponseCode.GetCount(), 0u);
  const CBusMail mail;
  EXPECT_EQ(app_.m_mapResponseCode.GetCount(), 34u);
  EXPECT_EQ(app_.m_mapRequestLength.GetCount(), 34u);
  EXPECT_EQ(app_.m_mapCommandName.GetCount(), 18u);
  EXPECT_EQ(app_.m_mapResponseLength.GetCount(), 31u);

  for (const ExpectedRow& row : kProtocol) {
    SCOPED_TRACE(row.request);
    UINT value = 0;
    ASSERT_TRUE(app_.m_mapResponseCode.Lookup(row.request, value));
    EXPECT_EQ(value, row.request + 0x100);
    ASSERT_TRUE(app_.m_mapRequestLength.Lookup(row.request, value));
    EXPECT_EQ(value, row.request_length);
    value = 0xFFFF;
    EXPECT_EQ(app_.m_mapResponseLength.Lookup(row.request + 0x100, value) == platform::TRUE,
              row.reply_length.has_value());
    EXPECT_EQ(value, row.reply_length.value_or(0xFFFF));
  }
}

TEST_F(CommandTablesTest, CommandNamesComeOutInTheEngineeringListOrder) {
  const CBusMail mail;
  const std::vector<std::pair<UINT, std::string>> expected = {
      {0xD00A, "UPD_INIT_UPGRADE_CVMFLASH"},
      {0xD01B, "UPD_SEND_CVM_HEADER"},
      {0xD0AE, "UPD_GET_RADIO_STATUS"},
      {0xD0AB, "UPD_RESET_CONSOLE"},
      {0xD001, "UPD_GET_CPLD_FW_VER"},
      {0xD01D, "UPD_GET_CVM_LOCK_STATUS"},
      {0xD01A, "UPD_INIT_UPGRADE_RADIOPARAMS"},
      {0xD009, "UPD_INIT_UPGRADE_DSPFLASH"},
      {0xD0AD, "UPD_INIT_VERIFY_RADIO_STATUS"},
      {0xD003, "UPD_GET_CVMFLASH_FW_VER"},
      {0xD014, "UPD_SEND_CVM_BOOTLOADER"},
      {0xD0AA, "UPD_ENABLE_USB"},
      {0xD00B, "UPD_INIT_UPGRADE_CONSOLEPARAMS"},
      {0xD01C, "UPD_GET_RADIO_MODE"},
      {0xD019, "UPD_CVM_IMAGE_END"},
      {0xD005, "UPD_INIT_UPGRADE_DSP_COMP"},
      {0xD0AC, "UPD_ENABLE_USB_UPGRADE"},
      {0xD002, "UPD_GET_DSPFLASH_FW_VER"},
  };
  EXPECT_EQ(ListedNames(app_), expected);
}

TEST_F(CommandTablesTest, LaterBusMailsLeaveTheTablesUntouched) {
  const CBusMail first;
  const auto names_before = ListedNames(app_);
  // A row changed after the first construction stays changed: nothing writes the tables again.
  app_.m_mapRequestLength.SetAt(0xD00B, 31);

  const CBusMail second;
  UINT length = 0;
  ASSERT_TRUE(app_.m_mapRequestLength.Lookup(0xD00B, length));
  EXPECT_EQ(length, 31u);
  EXPECT_EQ(ListedNames(app_), names_before);
  EXPECT_EQ(app_.m_mapRequestLength.GetCount(), 34u);
}

TEST_F(CommandTablesTest, BusMailsMadeOnSeveralThreadsAtOnceSeeCompleteTables) {
  constexpr int kThreads = 8;
  std::array<std::size_t, kThreads> names_seen{};
  std::vector<std::thread> threads;
  threads.reserve(kThreads);
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&names_seen, i] {
      const CBusMail mail;
      names_seen[static_cast<std::size_t>(i)] = mail.m_pApp->m_mapCommandName.GetCount();
    });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  for (const std::size_t count : names_seen) {
    EXPECT_EQ(count, 18u);
  }
}

}  // namespace
