// The board's query answers where the link's end-to-end runs do not reach:
// requests the link never sends wrong, and the block replies' codes.
#include <gtest/gtest.h>

#include "tests/boardsim/BoardModel.h"
#include "tests/boardsim/SimQueries.h"

using namespace boardsim;

namespace {

std::vector<Item> Command(const std::string& text, bool padOnly = true) {
  Bytes b;
  PutText(b, text, padOnly);
  std::vector<Item> items;
  EXPECT_TRUE(ParseItems(b, items));
  return items;
}

TEST(SimQueries, MmapRequestsAreCheckedStrictly) {
  QueryOptions opt;
  CSimQueries q(opt, false, true);
  struct Row { std::string text; bool padOnly; CSimQueries::Answer::Kind kind; int code; };
  const Row rows[] = {
      {"mmap/net1 ioctl get ipaddr", true, CSimQueries::Answer::kItems, 0},
      {"mmap/net1 ioctl get ipaddr", false, CSimQueries::Answer::kRefuse, 22},  // pad count added
      {"mmap/net0 ioctl get ipaddr", true, CSimQueries::Answer::kRefuse, 2},    // no wired interface
      {"mmap/net1 ioctl get nothing", true, CSimQueries::Answer::kRefuse, 38},
      {"mmap/rtc0 ioctl set date 2026010203040", true, CSimQueries::Answer::kItems, 22},
      {"mmap/rtc0 ioctl set date 20261231235959", true, CSimQueries::Answer::kItems, 0},
  };
  for (const Row& r : rows) {
    std::string log;
    CSimQueries::Answer a = q.OnRequest(RequestKey(5, 0x30), Command(r.text, r.padOnly), log);
    EXPECT_EQ(a.kind, r.kind) << r.text;
    std::vector<Item> items;
    int code = a.code;
    if (a.kind == CSimQueries::Answer::kItems && ParseItems(a.items, items) && items[0].type == kItemInt32)
      code = items[0].AsInt32();
    EXPECT_EQ(code, r.code) << r.text;
  }
  EXPECT_EQ(opt.date, "20261231235959");
}

TEST(SimQueries, BlockReadsAnswerTheirOwnRequest) {
  SimOptions opt;
  opt.queries.phpLog = "php";
  CBoardModel board(opt);
  std::string err;
  ASSERT_TRUE(board.Init(err)) << err;
  board.StartSession();
  std::vector<Burst> out;
  for (const Bytes& b : {EncodeCommand(1, 3, 0x41, {}), EncodeWindow(0, 8192), EncodeWindow(1, 8192)}) {
    out.clear();
    board.OnBytes(b.data(), b.size(), out);
  }
  ASSERT_EQ(out.size(), 1u);
  FrameDecoder d;
  std::vector<FrameDecoder::Event> ev;
  d.Feed(out[0].frames[0].data(), out[0].frames[0].size(), ev);
  ASSERT_EQ(ev.size(), 1u);
  EXPECT_EQ(ev[0].frame.Code(), 0x41);
  EXPECT_EQ(ev[0].frame.seq, 1);
}

}  // namespace
