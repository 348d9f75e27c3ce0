// File lists as "text/uri-list": byte-exact round trips and what other programs send.
#include <gtest/gtest.h>

#include "dnd/uri_list.h"

namespace velkoran::dnd {
namespace {

using Paths = std::vector<std::string>;

TEST(UriListTest, PathsAreEncodedByteForByte) {
  EXPECT_EQ(EncodeFileUriList({"/tmp/a b", "/x/100%#?.txt", "/y/A-z_0.9~"}),
            "file:///tmp/a%20b\r\nfile:///x/100%25%23%3F.txt\r\nfile:///y/A-z_0.9~\r\n");
  // Bytes that are not UTF-8 are escaped as they stand, not converted.
  EXPECT_EQ(FileUrlOf("/\x83\x5c\xff"), "file:///%83%5C%FF");
  // Only absolute paths can be file URLs.
  EXPECT_EQ(EncodeFileUriList({"relative", "", "/ok"}), "file:///ok\r\n");
}

TEST(UriListTest, EveryByteSurvivesTheRoundTrip) {
  std::string all = "/d/";
  for (int c = 1; c < 256; ++c) {
    if (c != '/') all.push_back(static_cast<char>(c));
  }
  const Paths paths{
      all,
      "/dir with spaces/100% sure #1?.txt",
      "/\x95\x5c\x8e\xa6/\x83\x5c\x81\x5b",  // CP932: 表示/ソー, trail bytes 0x5C
      "/\xe6\x97\xa5\xe6\x9c\xac/\xff\xfe",  // UTF-8 next to bytes that are no UTF-8
      "/line\nbreak\r/end/",                 // a line end inside a name stays inside it
  };
  EXPECT_EQ(DecodeFileUriList(EncodeFileUriList(paths), "host"), paths);
}

TEST(UriListTest, FileUrlsFromOtherProgramsAreRead) {
  const std::string text =
      "# a comment line\r\n"
      "file:///plain\r\n"
      "file://localhost/from%20localhost\n"
      "FILE://MyHost/own%c3%a9host\r\n"
      "file:/single/slash\r\n"
      "\r\n"
      "file:///with#fragment\r\n"
      "file:///with?query=1\r\n"
      "file:///bad%zz%4\r\n"
      "file:///last";
  EXPECT_EQ(DecodeFileUriList(text, "myhost"),
            (Paths{"/plain", "/from localhost", "/own\xc3\xa9host", "/single/slash", "/with", "/with", "/bad%zz%4",
                   "/last"}));
}

TEST(UriListTest, OtherSchemesHostsAndBrokenUrlsArePassedOver) {
  const std::string text =
      "http://example.com/file\r\n"
      "https://example.com/a.txt\r\n"
      "file://otherhost/share/x\r\n"
      "file://\r\n"
      "file:relative\r\n"
      "file:///nul%00inside\r\n"
      "mailto:someone@example.com\r\n"
      "file:///kept\r\n";
  EXPECT_EQ(DecodeFileUriList(text, "myhost"), Paths{"/kept"});
  EXPECT_TRUE(DecodeFileUriList("", "myhost").empty());
  // Without a host name of its own only empty and "localhost" hosts are local.
  EXPECT_EQ(DecodeFileUriList("file://myhost/x\r\nfile://localhost/y\r\n", ""), Paths{"/y"});
}

}  // namespace
}  // namespace velkoran::dnd
