// The exceptions of the network library. Every failure of a client is one of these, so
// callers can tell a timeout or a cancel from a hard socket error or a protocol refusal.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace velkoran::net {

class ENetSocket : public std::runtime_error {
 public:
  explicit ENetSocket(const std::string& message) : std::runtime_error(message) {}
};

// A system call failed; ErrorCode is the WinSock code (winsock_codes.h).
class ESocketError : public ENetSocket {
 public:
  explicit ESocketError(std::int32_t code)
      : ENetSocket("socket error no." + std::to_string(static_cast<std::uint16_t>(code))), ErrorCode(code) {}
  std::int32_t ErrorCode;
};

// The peer answered, but not as the protocol requires.
class EProtocolError : public ENetSocket {
 public:
  EProtocolError(std::string protocol, std::int32_t replyCode, std::string replyText)
      : ENetSocket(replyText),
        ReplyCode(static_cast<std::int16_t>(replyCode)),
        Protocol(std::move(protocol)),
        ReplyText(std::move(replyText)) {}
  std::int16_t ReplyCode;
  std::string Protocol;
  std::string ReplyText;
};

// A host name could not be resolved.
class ETCPIPError : public ENetSocket {
 public:
  ETCPIPError(const std::string& message, std::uint32_t address) : ENetSocket(message), Address(address) {}
  std::uint32_t Address;
};

class ESocketTimeout : public ENetSocket {
 public:
  explicit ESocketTimeout(const std::string& message) : ENetSocket(message) {}
};

class ESocketCancel : public ENetSocket {
 public:
  ESocketCancel() : ENetSocket("cancel") {}
};

// Binding or listening failed; the message is the WinSock name of the error.
class EBindError : public ENetSocket {
 public:
  explicit EBindError(const std::string& name) : ENetSocket(name) {}
};

}  // namespace velkoran::net
