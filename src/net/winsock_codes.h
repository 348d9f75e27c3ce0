// The error codes scripts and messages see are the WinSock ones; the system's errno values
// map onto them through one table.
#pragma once

#include <cstdint>
#include <string_view>

namespace velkoran::net {

inline constexpr std::int32_t kWsaHostNotFound = 11001;
inline constexpr std::int32_t kWsaNotConnected = 10057;
inline constexpr std::int32_t kWsaTimedOut = 10060;

// The WinSock code of an errno value (ECONNREFUSED → 10061, EPIPE → 10054, ...); an
// errno outside the table gives 10107, WinSock's "system call failure".
std::int32_t WinSockCodeOf(int error) noexcept;
// The constant name of a WinSock code ("WSAECONNREFUSED"), "UNKNOWN ERROR" otherwise.
std::string_view WinSockErrorName(std::int32_t code) noexcept;

}  // namespace velkoran::net
