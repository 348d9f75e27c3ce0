// The protocol parsers without a socket: the response header block, the mail servers'
// replies, the data of a POP3 answer, and mail messages parsed in memory. Each reader is
// fed whole and in one-byte pieces, which must agree.
#include <gtest/gtest.h>

#include <optional>

#include "net/http_headers.h"
#include "net/mail_message.h"
#include "net/mail_replies.h"
#include "net/net_errors.h"
#include "script/builtins/base64.h"

namespace velkoran::net {
namespace {

// Feeds input in pieces of the given size; the lines, or nothing when it failed.
std::optional<std::vector<std::string>> HeaderLines(std::string_view input, std::size_t piece, std::size_t& used,
                                                   std::size_t lineLimit = kHeaderLineLimit,
                                                   std::size_t blockLimit = kHeaderBlockLimit) {
  THeaderBlockReader reader(lineLimit, blockLimit);
  used = 0;
  try {
    while (used < input.size() && !reader.Finished()) {
      used += reader.Feed(input.data() + used, std::min(piece, input.size() - used));
    }
    reader.Finish();
  } catch (const EProtocolError&) {
    return std::nullopt;
  }
  return reader.Lines();
}

TEST(HeaderBlock, LinesUpToTheEmptyOneWithinTheLimits) {
  using Lines = std::vector<std::string>;
  struct Case {
    const char* name;
    std::string input;
    std::optional<Lines> lines;
    std::size_t used;
    std::size_t lineLimit = kHeaderLineLimit;
    std::size_t blockLimit = kHeaderBlockLimit;
  };
  const Case cases[] = {
      {"body left alone", "HTTP/1.1 200 OK\r\nA: 1\r\n\r\nbody", Lines{"HTTP/1.1 200 OK", "A: 1"}, 25},
      {"bare LF and every CR dropped", "HTTP/1.0 200 x\nA:\r1\r\r\n\n", Lines{"HTTP/1.0 200 x", "A:1"}, 23},
      {"server closed inside a line", "HTTP/1.0 204 No\r\nA: par", Lines{"HTTP/1.0 204 No", "A: par"}, 23},
      {"line at its limit", "H\r\n12345678\r\n\r\n", Lines{"H", "12345678"}, 15, 8},
      {"line over its limit", "H\r\n123456789\r\n\r\n", std::nullopt, 0, 8},
      {"unended line over its limit", "H\r\n123456789", std::nullopt, 0, 8},
      {"block at its limit", "HTTP/1.1 200\r\nAB\r\n\r\n", Lines{"HTTP/1.1 200", "AB"}, 20, kHeaderLineLimit, 18},
      {"block over its limit", "HTTP/1.1 200\r\nABC\r\n\r\n", std::nullopt, 0, kHeaderLineLimit, 18},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (std::size_t piece : {c.input.size(), std::size_t{1}}) {
      std::size_t used = 0;
      const auto lines = HeaderLines(c.input, piece, used, c.lineLimit, c.blockLimit);
      EXPECT_EQ(lines, c.lines);
      if (lines) EXPECT_EQ(used, c.used);
    }
  }
}

TEST(HeaderBlock, WhatTheFieldsAnnounce) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::int64_t length;
    const char* location;
  };
  const Case cases[] = {
      {"length", {"HTTP/1.1 200 OK", "Content-Length: 12", "Location: ../b?x"}, 12, "http://h/b?x"},
      {"not a number", {"HTTP/1.1 200 OK", "Content-Length: 1e3"}, 0, ""},
      {"rest of the resource by range", {"HTTP/1.1 206 P", "Content-Range: bytes 100-199/1000"}, 900, ""},
      // Found by the http_header fuzz target: a range beyond its total gave a negative length.
      {"range beyond its total", {"HTTP/1.1 206 P", "Content-Range: bytes 100-199/10"}, -1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TStatusLine status;
    TResponseHeader header;
    ReadStatusAndFields(c.lines, "http://h/a/page", status, header);
    const TResponseFacts facts = ReadResponseFacts(header, "http://h/a/page");
    EXPECT_EQ(facts.ContentLength, c.length);
    EXPECT_EQ(facts.Location, c.location);
  }
}

TEST(MailReplies, StatusLinesAndSmtpReplies) {
  EXPECT_EQ(ParsePop3Status("+OK 2 320").Text, "2 320");
  EXPECT_EQ(ParsePop3Status("-ERR no such message").Is, TPop3Status::Kind::Err);
  EXPECT_EQ(ParsePop3Status("-ERR").Text, "");
  EXPECT_EQ(ParsePop3Status("* hello").Is, TPop3Status::Kind::Other);
  EXPECT_EQ(LeadingCount(" 12 octets", 1000), 12);
  EXPECT_EQ(LeadingCount("99999999999999999999999 1", INT32_MAX), INT32_MAX) << "an absurd count saturates";
  EXPECT_EQ(LeadingCount("none", 1000), 0);

  struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::size_t taken;
    int number;
    const char* text;
  };
  const Case cases[] = {
      {"multi-line counts by its last", {"250-hello", "250-SIZE 1000", "250 ok", "999 not read"}, 3, 250, "ok"},
      {"single line", {"354 go ahead"}, 1, 354, "go ahead"},
      {"no digits", {"2x0 odd"}, 1, 999, "odd"},
      {"closed connection", {""}, 1, 999, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TSmtpReply reply;
    std::size_t taken = 0;
    while (taken < c.lines.size() && !reply.Add(c.lines[taken++])) {
    }
    EXPECT_EQ(taken, c.taken);
    EXPECT_EQ(reply.Number(), c.number);
    EXPECT_EQ(reply.Text(), c.text);
  }
}

TEST(MailReplies, Pop3DataUnstuffedUpToItsEnd) {
  struct Case {
    const char* name;
    std::string input;
    std::optional<std::string> out;  // nothing: it fails
    bool traceAll = false;
    std::string traced = {};         // the traced lines, "|" after each
  };
  const Case cases[] = {
      {"unstuffed, rest left", "Subject: a\r\n\r\n..x\r\n..\r\nbody\r\n.\r\nnext", "Subject: a\r\n\r\n.x\r\n.\r\nbody\r\n", false,
       "Subject: a||"},
      {"bare LF and inner CR", "A: 1\n\nb\rc\n.\n", "A: 1\r\n\r\nbc\r\n"},
      {"every line traced for TOP", "A: 1\r\n\r\nb\r\n.\r\n", "A: 1\r\n\r\nb\r\n", true, "A: 1||b|.|"},
      {"final dot without its line end", "A: 1\r\n\r\n.", "A: 1\r\n\r\n"},
      {"cut off", "A: 1\r\n\r\nhalf a mess", std::nullopt},
      {"cut off between lines", "A: 1\r\n", std::nullopt},
      {"header line over its limit", std::string(17, 'h') + "\r\n\r\n.\r\n", std::nullopt},
      {"body line within its own limit", "A\r\n\r\n" + std::string(30, 'b') + "\r\n.\r\n", "A\r\n\r\n" + std::string(30, 'b') + "\r\n"},
      {"body line over its limit", "A\r\n\r\n" + std::string(33, 'b') + "\r\n.\r\n", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (std::size_t piece : {c.input.size(), std::size_t{1}}) {
      TPop3DataDecoder decoder(16, 32, c.traceAll);
      std::string traced;
      decoder.OnTracedLine = [&](std::string_view line) { traced.append(line).append("|"); };
      std::string out;
      std::size_t used = 0;
      std::optional<std::string> got;
      try {
        while (used < c.input.size() && !decoder.Finished()) {
          used += decoder.Feed(c.input.data() + used, std::min(piece, c.input.size() - used), out);
        }
        decoder.Finish();
        got = out;
      } catch (const EProtocolError&) {
      }
      EXPECT_EQ(got, c.out);
      if (got && !c.traced.empty()) EXPECT_EQ(traced, c.traced);
      if (got && c.input.ends_with("next")) EXPECT_EQ(used, c.input.size() - 4);
    }
  }
}

TEST(MailMessage, ParsedInMemoryWithAttachmentsHandedToTheStore) {
  const std::string raw =
      "From: a@x\r\nContent-Type: multipart/mixed;\r\n\tboundary=\"b 1\"\r\n\r\npreamble\r\n--b 1\r\n"
      "Content-Type: text/plain\r\n\r\nline one\r\nline two\r\n--b 1\r\n"
      "Content-Type: application/octet-stream;\r\n name=\"../dir/data.bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
      kestrin::Base64Encode(std::string(100, '\xff')).insert(40, "\r\n") +
      "\r\n--b 1\r\nContent-Type: text/plain\r\n\r\nsecond part\r\n--b 1--\r\nepilogue\r\n";
  TMailMessage m;
  m.AttachPath = "/nonexistent/";
  std::vector<std::pair<std::string, std::string>> stored;
  m.StoreAttachment = [&](const std::string& name, std::string_view data) {
    stored.emplace_back(name, data);
    return "mem:" + name;
  };
  m.Parse(raw);
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].first, "../dir/data.bin") << "the store decides what a name means";
  EXPECT_EQ(stored[0].second, std::string(100, '\xff'));
  EXPECT_EQ(m.Attachments, std::vector<std::string>{"mem:../dir/data.bin"});
  EXPECT_EQ(m.Message, "line one\r\nline two\r\nsecond part") << "each text part on lines of its own";
  EXPECT_EQ(m.Boundary, "b 1");
  EXPECT_EQ(m.Size, static_cast<std::int64_t>(raw.size()));
  EXPECT_EQ(m.Body().substr(0, 15), "preamble\r\n--b 1");
  EXPECT_TRUE(m.Body().ends_with("--b 1--\r\nepilogue"));

  m.Parse("Subject: s\r\n\r\none\ntwo\r\n");
  EXPECT_EQ(m.Body(), "one\r\ntwo");
  EXPECT_EQ(m.Message, m.Body());
  ASSERT_TRUE(m.StoreAttachment) << "kept through Parse";
}

}  // namespace
}  // namespace velkoran::net
