#pragma once

// CRC-32 of IEEE 802.3: reflected polynomial 0xEDB88320, initial value and final complement
// 0xFFFFFFFF (check value 0xCBF43926 for "123456789").

#include <cstddef>
#include <cstdint>

std::uint32_t Crc32(const std::uint8_t* data, std::size_t length);
