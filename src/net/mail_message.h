// TMailMessage: the mail message the POP3 and SMTP clients and the script class Mail
// share: headers, body, the text parts, and attachments (received: saved as files or
// handed to a store; sent: read from files). Build makes MIME multipart/mixed with Base64
// parts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "script/hash_table.h"

namespace velkoran::net {

class TMailMessage {
 public:
  TMailMessage() { Clear(); }

  std::vector<std::string> Attachments;
  // Header name to value (folded lines joined), names compared without regard to case.
  kestrin::TStringHashTable Headers{100, true};
  // The header lines as received (folded ones as they came) or as built.
  std::vector<std::string> HeaderLines;
  std::int32_t Number = 0;
  // Bytes of the message as retrieved.
  std::int64_t Size = 0;
  std::string Message;
  std::string Boundary;
  std::string AttachPath;
  // Turns an attachment name as the sender wrote it (encoded words, say) into the file
  // name to use; unchanged when unset.
  std::function<std::string(std::string_view)> DecodeName;
  // Where received attachments go instead of files under AttachPath: given the name (as
  // DecodeName made it) and the decoded bytes, returns what Attachments lists for it ("":
  // not kept; it may throw to fail the parse). Kept by Clear and Parse, like DecodeName.
  std::function<std::string(const std::string& name, std::string_view data)> StoreAttachment;

  void Clear();
  void Assign(const TMailMessage& other);
  // Assign for a message that is not needed any more: its lines and text move over.
  void Take(TMailMessage& other);
  std::string HeaderValue(std::string_view name) const { return Headers.GetText(name); }
  // The body lines (as received or as built) joined with CR LF.
  std::string Body() const;
  // Splits a received message, which the message keeps. Attachments in Base64 are saved
  // in AttachPath under the last component of their name ("" "." ".." get a made-up name;
  // an existing file is never replaced: a number is added), or handed to StoreAttachment.
  // With strict set, a file that cannot be written fails the parse (ENetSocket);
  // otherwise it is skipped.
  void Parse(std::string raw, bool strict = false);
  // The text to send (kept until the next Clear, Parse or Build). Fails (EProtocolError)
  // when a header would break its line, or (ENetSocket) when an attachment cannot be read.
  const std::string& Build();

 private:
  void ParsePart(std::string_view part, bool strict);
  std::string SaveAttachment(const std::string& name, std::string_view data, bool strict);

  // The whole text as received or as built, and where its body begins.
  std::string text_;
  std::size_t bodyStart_ = 0;
};

// The lines of a text split at LF (a CR before it dropped); a final line without LF counts.
std::vector<std::string_view> SplitLines(std::string_view text);
// The lines of SplitLines joined with CR LF (no line end after the last).
std::string JoinLines(std::string_view text);
// The address inside "<>" when there is one, else the trimmed text.
std::string MailAddress(std::string_view text);
// The addresses of a comma-separated list (To, Cc, Bcc).
std::vector<std::string> MailAddresses(std::string_view list);

}  // namespace velkoran::net
